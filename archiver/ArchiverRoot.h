// TArchiverRoot: the archive component base. It owns the archive's name and
// its parts, the open file and the header, opening and closing with their
// events, the nesting of operations, progress and timing, the key prompts,
// the busy refusal, the cancel request, the message texts and the dialogs.
// Reading entries is TCustomExtractor's job.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverMisc.h"
#include "Messages.h"
#include "PathUtils.h"
#include "Stream.h"
#include "platform/Platform.h"

namespace kav {

enum TErrorAction { eaContinue, eaAbort, eaAsk };

enum TOption {
    oStoreEmptyFolders, oShowEmptyFolders, oCreateReadOnly, oCreateSolidArchives, oCompress, oCrypt,
    oEraseFirstDisk, oEraseNewDisk, oConfirmFileDeletion, oEnumerateAfterOpen, oIncludeStartingDirectory,
    oRecurseFolders, oOpenSingleSegment, oRestorePath, oSecureAccess, oWriteSFXCode, oEncryptFiles,
    oMaintainFileDirectory, oNoSpanning, oShowBusyMessage, oDoNotUpdateFirstSegment
};

// A set of TOption; bit n is option n.
class TOptions {
public:
    constexpr TOptions() = default;
    constexpr TOptions(std::initializer_list<TOption> list) {
        for (TOption o : list) bits_ |= 1u << o;
    }
    bool Has(TOption o) const { return bits_ & (1u << o); }
    TOptions& operator+=(TOption o) { bits_ |= 1u << o; return *this; }
    TOptions& operator-=(TOption o) { bits_ &= ~(1u << o); return *this; }
    uint32_t Bits() const { return bits_; }
    bool operator==(const TOptions&) const = default;

private:
    uint32_t bits_ = 0;
};

// Delphi-style dialog kinds, button sets and results (the results equal the
// native message box's codes).
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll };
using TMsgDlgButtons = uint32_t;  // bit per TMsgDlgBtn
constexpr TMsgDlgButtons Buttons(std::initializer_list<TMsgDlgBtn> list) {
    TMsgDlgButtons b = 0;
    for (TMsgDlgBtn x : list) b |= 1u << x;
    return b;
}
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
                    mrAll = 8, mrNoToAll = 9, mrYesToAll = 10 };

// One entry of the file list kept under oMaintainFileDirectory.
class TFileObject {
public:
    explicit TFileObject(const TFileEntry& entry) : FileEntry(entry) {}
    TFileEntry FileEntry;
};

class TArchiverRoot;
using TNotifyEvent = std::function<void(TArchiverRoot& sender)>;

class TArchiverRoot {
public:
    TArchiverRoot();
    virtual ~TArchiverRoot();
    TArchiverRoot(const TArchiverRoot&) = delete;
    TArchiverRoot& operator=(const TArchiverRoot&) = delete;

    virtual std::string ClassName() const { return "TArchiverRoot"; }

    // Published properties.
    int32_t BlockSize() const { return blockSize_; }
    void SetBlockSize(int32_t value);
    TErrorAction ErrorAction = eaAsk;
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value);
    // While set, the archive named `name` is read through `file`, a file the
    // caller holds open, and never opened again by its path: what was
    // checked is what is read, whatever the path names meanwhile. The file
    // must stay open while the archive is; nullptr forgets it.
    void UseHeldFile(const std::string& name, const os::File* file) {
        heldName_ = name;
        heldFile_ = file;
        heldBytes_.reset();
    }
    // The same for an archive the caller made and holds in memory: the
    // archive named `name` is read from `bytes`, which must stay while the
    // archive is open, and no file of that name is opened.
    void UseHeldBytes(const std::string& name, std::string_view bytes) {
        heldName_ = name;
        heldFile_ = nullptr;
        heldBytes_ = bytes;
    }
    std::string Filter = "*.*";
    TLanguage Language() const { return language_; }
    void SetLanguage(TLanguage value);
    TMessages& Messages() { return *messages_; }
    void SetMessages(const TMessages& value) { messages_->Assign(value); }
    TOptions Options{oStoreEmptyFolders, oCompress, oEraseNewDisk, oConfirmFileDeletion, oRecurseFolders,
                     oRestorePath, oSecureAccess, oShowBusyMessage};

    // Events; any may be replaced or cleared at any time, also from inside a
    // handler.
    TNotifyEvent OnStartOperation, OnFinishOperation;
    std::function<void(TArchiverRoot&, int32_t percent)> OnFileProgress;
    std::function<void(TArchiverRoot&, double elapsed, double remaining)> OnShowTiming;
    std::function<void(TArchiverRoot&, const std::exception& e, const TFileEntry& entry, TErrorAction& action)>
        OnError;
    std::function<void(TArchiverRoot&, const TArchiveHeader& header, bool& accept)> OnAcceptArchive;
    std::function<void(TArchiverRoot&, TUserData& userData)> OnWriteUserData;
    std::function<void(TArchiverRoot&, std::string& key)> OnEnterCryptKey, OnRequestCryptKey;
    TNotifyEvent OnBeforeOpen, OnAfterOpen, OnBeforeClose, OnAfterClose;
    std::function<void(TArchiverRoot&, int32_t& signature)> OnGetSignature;
    TNotifyEvent OnAfterHeaderUpdate;
    std::function<void(TArchiverRoot&, const std::string& comment)> OnShowComment;
    std::function<void(TArchiverRoot&, const std::string& msg)> OnDisplayMessage, OnAddToLog;
    TNotifyEvent OnClearFileList;

    void Open();
    void Close();
    bool IsBusy();
    void RequestAbort();

    int32_t ResultCode() const { return resultCode_; }
    const TArchiveHeader& Header() const { return header_; }
    const TFileEntry& CurrentEntry() const { return currentEntry_; }
    std::string CryptKey;
    int32_t SFXSize = 0;
    int32_t StartOffset() const;
    bool IsOpened() const { return opened_; }
    bool IsStreamOpen() const { return stream_.IsOpen(); }
    const std::vector<std::unique_ptr<TFileObject>>& FileList() const { return fileList_; }

    // Virtual operations, in slot order.
    virtual std::unique_ptr<TMessages> CreateMessages();
    virtual int32_t GetSignature();
    virtual int32_t GetHeaderSize();
    virtual void WriteHeader();
    virtual bool ReadHeader(Stream& stream, TArchiveHeader& header);
    virtual void StartOperation();
    virtual void FinishOperation();
    virtual void InitHelpers() {}
    virtual void InitCipher() {}
    virtual void EnterCryptKey();
    virtual void RequestCryptKey();
    // Wipes CryptKey (and whatever was made from it) rather than just
    // emptying it: no copy of the key stays in memory once it is forgotten.
    virtual void ForgetCryptKey();
    virtual int32_t GetMinKeyLength() { return 10; }
    virtual int32_t GetBufferSize();
    virtual void GetSegmentName(int32_t segment, std::string& name);
    virtual void BeforeOpen();
    virtual void AfterOpen();
    virtual void BeforeClose();
    virtual void AfterClose();
    virtual void AfterHeaderUpdate();
    virtual void ReadArchiveTotals() {}
    virtual void CreateArchive();
    virtual os::Share GetOpenMode() { return os::Share::Compat; }
    virtual bool CanProceed(int32_t) { return true; }
    virtual bool NextSegmentIfNeeded() { return false; }
    virtual bool SelectDirectory(std::string& dir);
    virtual bool QueryText(const std::string& prompt, std::string& value);
    virtual int32_t MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int32_t helpCtx);
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
    virtual bool InputPassword(const std::string& caption, const std::string& prompt, std::string& value);
    virtual void AdjustStartOffset(const std::string& fileName);
    virtual void OpenSolid() {}
    virtual void CloseSolid() {}

protected:
    enum StateFlag : uint32_t {
        stOpening = 1, stClosing = 2, stExtractingData = 4, stSkippingFile = 8, stChangingSegment = 16,
        stUnpackingSolid = 32, stEnumeratingAfterOpen = 64, stDestroying = 128
    };
    enum TOperation { opNone, opExtract, opEnumerate, opTest };

    bool Is(StateFlag f) const { return state_ & f; }
    void Set(StateFlag f, bool on) { state_ = on ? (state_ | f) : (state_ & ~f); }

    // Opens the current FileName as the archive and checks its header
    // (steps a to d of Open).
    void OpenArchiveFile();
    // Open without the busy refusal, for operations that open on demand.
    void OpenUnchecked();
    // Close without the busy refusal.
    void CloseArchive();
    // Names another file of the same archive (a segment): no close, no split.
    void SetFileNameOnly(const std::string& name) { fileName_ = name; }
    void CheckHeader();
    void CloseStream();
    void ReleaseStream() { stream_.Close(); }
    void ClearFileList();
    void AllocateBuffers();
    void FreeBuffers();
    void ReportProgress();
    void PauseTiming();
    void ResumeTiming();
    // The error decision for a failed file; true = skip it and go on.
    bool HandleError(const std::exception& e);
    void ContinueDialogFor(const std::exception& e, int32_t& result);
    // The messages, typed for the extractor's own texts.
    template <typename M> M& MessagesAs() { return static_cast<M&>(*messages_); }
    void ReplaceMessages(std::unique_ptr<TMessages> m) { messages_ = std::move(m); }

    std::unique_ptr<TMessages> messages_;
    FileStream stream_;
    TArchiveHeader header_{};
    TFileEntry currentEntry_{};
    int32_t resultCode_ = 0;
    bool opened_ = false;
    bool readOnlyFile_ = false;
    ArchiveNameParts parts_;
    int32_t lastSegmentNamed_ = 1;
    int32_t archiveOffset_ = 0;
    std::string savedFileName_;
    TOptions savedOptions_;
    TOperation operation_ = opNone;
    int32_t nesting_ = 0;
    uint32_t state_ = 0;

    long double total_ = 0, processed_ = 0, archiveTotal_ = 0;
    int32_t filesDone_ = 0, percent_ = 0;
    double startTime_ = 0, endTime_ = 0;
    int32_t elapsedMs_ = 0;
    uint32_t lastTick_ = 0;
    long double speed_ = 0;
    bool continueAll_ = false, abortRequested_ = false;

    std::vector<std::unique_ptr<TFileObject>> fileList_;
    std::vector<uint8_t> buffer1_, buffer2_;
    // Further input buffers, as large as buffer1_, for decoding blocks in batches.
    std::vector<uint8_t> batchInputs_;

private:
    void UpdateTiming();

    int32_t blockSize_ = 65536;
    std::string fileName_;
    std::string heldName_;
    const os::File* heldFile_ = nullptr;
    std::optional<std::string_view> heldBytes_;
    TLanguage language_ = TLanguage::lgAutomatic;
};

}  // namespace kav
