#include "ArchiverRoot.h"

#include <cfenv>
#include <cmath>

#include "ArchiveFormat.h"
#include "BlockDecoder.h"
#include "Cryptcon.h"
#include "Dialogs.h"
#include "Exception.h"
#include "TextCodec.h"
#include "platform/Platform.h"

namespace kav {
namespace {

// The buffer size a header asks for, refused as damaged when it is not a
// size the vendor's tooling writes.
size_t CheckedBufferSize(int64_t size) {
    if (size <= 0 || size > kMaxBlockSize + kMaxBlockSize / 100) RaiseDamaged();
    return static_cast<size_t>(size);
}

}  // namespace

TArchiverRoot::TArchiverRoot() {
    // Constructors cannot dispatch to overrides: a derived class that supplies
    // its own messages or cipher calls its own CreateMessages/InitCipher.
    messages_ = TArchiverRoot::CreateMessages();
    InitHelpers();
    InitCipher();
}

TArchiverRoot::~TArchiverRoot() {
    Set(stDestroying, true);
    try {
        nesting_ = 0;
        Close();
    } catch (...) {
        // A destructor reports nothing; the stream is released below anyway.
    }
    stream_.Close();
    fileList_.clear();
}

void TArchiverRoot::SetBlockSize(int32_t value) {
    if (value < 1024 || value == blockSize_) return;
    blockSize_ = value;
}

void TArchiverRoot::SetFileName(const std::string& value) {
    if (value == fileName_) return;
    Close();
    fileName_ = value;
    parts_ = SplitArchiveName(value);
}

void TArchiverRoot::SetLanguage(TLanguage value) {
    language_ = value;
    messages_->SetLanguage(value);
}

int32_t TArchiverRoot::StartOffset() const {
    return (lastSegmentNamed_ == 1 || SFXSize > 0) ? archiveOffset_ : 0;
}

std::unique_ptr<TMessages> TArchiverRoot::CreateMessages() { return std::make_unique<TMessages>(); }

int32_t TArchiverRoot::GetSignature() {
    int32_t signature = kArchiveSignature;
    if (auto handler = OnGetSignature) handler(*this, signature);
    return signature;
}

int32_t TArchiverRoot::GetHeaderSize() { return 268 + static_cast<int32_t>(text::Utf8ToAnsi(header_.Comment).size()); }

void TArchiverRoot::WriteHeader() {
    header_.UserData = TUserData{};
    if (auto handler = OnWriteUserData) handler(*this, header_.UserData);
    // The archive stream is read-only: the header is rewritten through a
    // second, writable handle.
    os::File file;
    const std::string bytes = EncodeHeader(header_);
    if (!file.Open(fileName_, os::Access::ReadWrite, os::Share::DenyNone, os::Disposition::OpenExisting) ||
        !file.Seek(StartOffset()) || !file.Write(bytes.data(), bytes.size()))
        throw EArchiver(Format(messages_->CannotOpenFile, fileName_.c_str()));
    AfterHeaderUpdate();
}

bool TArchiverRoot::ReadHeader(Stream& stream, TArchiveHeader& header) {
    return kav::ReadHeader(stream, header, GetSignature());
}

void TArchiverRoot::StartOperation() {
    if (nesting_++ > 0) return;
    try {
        abortRequested_ = false;
        total_ = processed_ = 0;
        filesDone_ = 0;
        continueAll_ = false;
        startTime_ = os::Now();
        elapsedMs_ = 0;
        lastTick_ = os::TickCount();
        AllocateBuffers();
        if (auto handler = OnStartOperation) handler(*this);
        ReportProgress();
    } catch (...) {
        FinishOperation();
        throw;
    }
}

void TArchiverRoot::FinishOperation() {
    if (nesting_ == 0 || --nesting_ > 0) return;
    FreeBuffers();
    endTime_ = os::Now();
    UpdateTiming();
    // The counters are reset even when the handler fails.
    struct Reset {
        TArchiverRoot& r;
        ~Reset() {
            r.total_ = 0;
            r.operation_ = opNone;
            if (!(r.header_.ArchiveFlags & kArchiveKeepKey)) r.ForgetCryptKey();
        }
    } reset{*this};
    if (auto handler = OnFinishOperation) handler(*this);
}

void TArchiverRoot::ForgetCryptKey() { WipeString(CryptKey); }

void TArchiverRoot::EnterCryptKey() {
    PauseTiming();
    ForgetCryptKey();
    if (auto handler = OnEnterCryptKey) {
        handler(*this, CryptKey);
    } else {
        for (;;) {
            if (!InputPassword(messages_->SystemMessage, messages_->EnterCryptKey, CryptKey)) Abort();
            if (static_cast<int32_t>(CryptKey.size()) < GetMinKeyLength()) {
                MessageDlg(Format(messages_->KeyTooShort, GetMinKeyLength()), mtWarning, Buttons({mbOK}), 0);
                continue;
            }
            std::string confirmation;
            if (!InputPassword(messages_->SystemMessage, messages_->ConfirmCryptKey, confirmation)) Abort();
            if (confirmation == CryptKey) break;
            MessageDlg(messages_->KeyNotConfirmed, mtWarning, Buttons({mbOK}), 0);
            WipeString(CryptKey);
        }
    }
    ResumeTiming();
}

void TArchiverRoot::RequestCryptKey() {
    PauseTiming();
    ForgetCryptKey();
    if (auto handler = OnRequestCryptKey) {
        handler(*this, CryptKey);
    } else if (!InputPassword(messages_->SystemMessage, messages_->EnterDecryptKey, CryptKey)) {
        Abort();
    }
    ResumeTiming();
}

int32_t TArchiverRoot::GetBufferSize() { return header_.BlockSize; }

void TArchiverRoot::GetSegmentName(int32_t segment, std::string& name) {
    name = SegmentFileName(parts_, segment);
    lastSegmentNamed_ = segment;
}

void TArchiverRoot::BeforeOpen() {
    ClearFileList();
    savedFileName_ = fileName_;
    savedOptions_ = Options;
    if (auto handler = OnBeforeOpen) handler(*this);
}

void TArchiverRoot::AfterOpen() {
    if (auto handler = OnAfterOpen) handler(*this);
}

void TArchiverRoot::BeforeClose() {
    if (auto handler = OnBeforeClose) handler(*this);
}

void TArchiverRoot::AfterClose() {
    if (savedOptions_.Has(oCreateSolidArchives)) {
        fileName_ = savedFileName_;
        parts_ = SplitArchiveName(fileName_);
        Options = savedOptions_;
    }
    ClearFileList();
    if (!Is(stDestroying))
        if (auto handler = OnAfterClose) handler(*this);
}

void TArchiverRoot::AfterHeaderUpdate() {
    if (auto handler = OnAfterHeaderUpdate) handler(*this);
}

void TArchiverRoot::CreateArchive() { throw EArchiver(messages_->CanNotCreateArchive); }

bool TArchiverRoot::SelectDirectory(std::string& dir) {
    return InputQuery(messages_->SystemMessage, messages_->SelectADirectory, dir);
}

bool TArchiverRoot::QueryText(const std::string& prompt, std::string& value) {
    return InputQuery(messages_->SystemMessage, prompt, value);
}

int32_t TArchiverRoot::MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int32_t) {
    return dialogs::MessageDlg(text, type, buttons);
}

bool TArchiverRoot::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    return dialogs::InputQuery(caption, prompt, value, false);
}

bool TArchiverRoot::InputPassword(const std::string& caption, const std::string& prompt, std::string& value) {
    return dialogs::InputQuery(caption, prompt, value, true);
}

void TArchiverRoot::AdjustStartOffset(const std::string& fileName) {
    if (SFXSize > 0) archiveOffset_ = HasExeExtension(fileName) ? SFXSize : 0;
}

// --- opening and closing -------------------------------------------------

void TArchiverRoot::OpenArchiveFile() {
    stream_.Close();
    AdjustStartOffset(fileName_);
    bool ok;
    if (heldBytes_ && fileName_ == heldName_) {
        readOnlyFile_ = true;
        stream_.Open(*heldBytes_);
        ok = true;
    } else if (heldFile_ && fileName_ == heldName_) {
        readOnlyFile_ = true;
        ok = stream_.Open(*heldFile_);
    } else {
        int32_t attributes = os::FileAttributes(fileName_);
        readOnlyFile_ = attributes >= 0 && (attributes & os::kAttrReadOnly);
        ok = readOnlyFile_ ? stream_.Open(fileName_, os::Share::DenyWrite) : stream_.Open(fileName_, GetOpenMode());
        if (!ok && !readOnlyFile_) {
            readOnlyFile_ = true;
            ok = stream_.Open(fileName_, os::Share::DenyWrite);
        }
    }
    if (!ok) throw EArchiver(Format(messages_->CannotOpenFile, fileName_.c_str()));
    try {
        CheckHeader();
    } catch (...) {
        stream_.Close();
        throw;
    }
    filesDone_ = 0;
}

void TArchiverRoot::CheckHeader() {
    stream_.Seek(StartOffset());
    if (!ReadHeader(stream_, header_)) throw EArchiver(Format(messages_->BadSignature, fileName_.c_str()));
    if (header_.Version > 1) throw Exception(messages_->UnknownVersion);
    kav::CheckHeader(header_);  // sizes the reader could not work with
}

void TArchiverRoot::Open() {
    if (IsBusy() || stream_.IsOpen()) return;
    OpenUnchecked();
}

void TArchiverRoot::OpenUnchecked() {
    if (stream_.IsOpen()) return;
    if (opened_) {
        std::string name;
        GetSegmentName(header_.Segment, name);
        fileName_ = name;
        OpenArchiveFile();
        return;
    }
    Set(stOpening, true);
    struct ClearOpening {
        TArchiverRoot& r;
        ~ClearOpening() { r.Set(stOpening, false); }
    } clear{*this};
    lastSegmentNamed_ = 1;
    BeforeOpen();
    if (fileName_.empty()) throw EArchiver(messages_->FileNameNeeded);
    if ((heldBytes_ && fileName_ == heldName_) || os::FileExists(fileName_)) OpenArchiveFile();
    else CreateArchive();
    try {
        bool accept = true;
        if (auto handler = OnAcceptArchive) handler(*this, header_, accept);
        if (!accept) throw EArchiver(messages_->AcceptArchiveFailed);
        ReadArchiveTotals();
        opened_ = true;
        AllocateBuffers();
        AfterOpen();
    } catch (...) {
        Set(stOpening, false);
        // Closed even inside an operation, which refuses Close as busy: a
        // half-opened archive must not serve the next operation, and a solid
        // archive's temporary file must go. The caller hears the open's error.
        try {
            CloseArchive();
        } catch (...) {
        }
        throw;
    }
}

void TArchiverRoot::Close() {
    if (IsBusy()) return;
    CloseArchive();
}

void TArchiverRoot::CloseArchive() {
    Set(stClosing, true);
    struct ClearClosing {
        TArchiverRoot& r;
        ~ClearClosing() { r.Set(stClosing, false); }
    } clear{*this};
    if (opened_) {
        BeforeClose();
        CloseStream();
        ForgetCryptKey();
        opened_ = false;
        AfterClose();
    } else {
        CloseStream();
    }
}

// The reader never holds write access, so the read-only mark cannot be
// written into the header: under oCreateReadOnly the stream is just closed.
void TArchiverRoot::CloseStream() { stream_.Close(); }

bool TArchiverRoot::IsBusy() {
    if (nesting_ <= 0) return false;
    if (Options.Has(oShowBusyMessage))
        MessageDlg(Format(messages_->ArchiverBusy, ClassName().c_str()), mtWarning, Buttons({mbOK}), 0);
    return true;
}

void TArchiverRoot::RequestAbort() {
    resultCode_ = -2;
    abortRequested_ = true;
}

void TArchiverRoot::ClearFileList() {
    fileList_.clear();
    if (!Is(stDestroying))
        if (auto handler = OnClearFileList) handler(*this);
}

void TArchiverRoot::AllocateBuffers() {
    size_t size = CheckedBufferSize(GetBufferSize());
    buffer1_.assign(size, 0);
    buffer2_.assign(size, 0);
    batchInputs_.assign(size * (kMaxBatchBlocks - 1), 0);
}

void TArchiverRoot::FreeBuffers() {
    std::vector<uint8_t>().swap(buffer1_);
    std::vector<uint8_t>().swap(buffer2_);
    std::vector<uint8_t>().swap(batchInputs_);
}

// --- progress and timing ---------------------------------------------------

void TArchiverRoot::ReportProgress() {
    if (abortRequested_) Abort();
    long double percent = 0;
    if (Options.Has(oOpenSingleSegment)) {
        if (header_.SegmentInfo.FileCount > 0)
            percent = static_cast<long double>(filesDone_) / header_.SegmentInfo.FileCount * 100;
    } else if (total_ > 0) {
        percent = processed_ / total_ * 100;
    } else if (header_.ArchiveInfo.PackedSize > 0) {
        percent = processed_ / header_.ArchiveInfo.PackedSize * 100;
    }
    // Header totals below the bytes actually processed (a damaged or hostile
    // header) must not push the figure out of its range.
    if (!(percent >= 0)) percent = 0;
    if (percent > 100) percent = 100;
    // Nearest, ties to even (the default rounding mode).
    percent_ = static_cast<int32_t>(std::nearbyintl(percent));
    if (Is(stUnpackingSolid)) percent_ = percent_ / 2;
    else if (Is(stEnumeratingAfterOpen)) percent_ = percent_ / 2 + 50;
    if (auto handler = OnFileProgress) handler(*this, percent_);
    UpdateTiming();
    long double remaining = 0;
    if (speed_ != 0 && total_ > processed_) remaining = (total_ - processed_) / speed_;
    if (auto handler = OnShowTiming)
        handler(*this, elapsedMs_ / 86400000.0, static_cast<double>(remaining / 86400000.0L));
}

void TArchiverRoot::UpdateTiming() {
    uint32_t now = os::TickCount();
    elapsedMs_ += static_cast<int32_t>(now - lastTick_);
    speed_ = elapsedMs_ <= 0 ? processed_ : processed_ / elapsedMs_;
    lastTick_ = now;
}

void TArchiverRoot::PauseTiming() { elapsedMs_ += static_cast<int32_t>(os::TickCount() - lastTick_); }
void TArchiverRoot::ResumeTiming() { lastTick_ = os::TickCount(); }

// --- error decision --------------------------------------------------------

bool TArchiverRoot::HandleError(const std::exception& e) {
    TErrorAction action = ErrorAction;
    if (auto handler = OnError) handler(*this, e, currentEntry_, action);
    bool goOn = false;
    if (action == eaContinue) {
        goOn = true;
    } else if (action == eaAsk) {
        if (continueAll_) {
            goOn = true;
        } else {
            int32_t result = mrNone;
            ContinueDialogFor(e, result);
            if (result == mrYesToAll) continueAll_ = true;
            goOn = result == mrYes || result == mrYesToAll;
        }
    }
    if (goOn) processed_ += currentEntry_.Size;
    return goOn;
}

void TArchiverRoot::ContinueDialogFor(const std::exception& e, int32_t& result) {
    PauseTiming();
    result = dialogs::ContinueDialog(e.what(), ShortenPath(currentEntry_.Name, 50), currentEntry_.Size,
                                     currentEntry_.Date);
    ResumeTiming();
}

}  // namespace kav
