// TCustomExtractor: reads entries. Enumeration, extraction into a folder with
// restored paths, the choice for files that already exist, the per-file
// events, navigation over the segments of a multi-file archive with prompts
// for missing ones, and the unpacking of solid archives.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "ArchiverRoot.h"
#include "BlockDecoder.h"
#include "CustSFXGenerator.h"
#include "platform/Platform.h"

namespace kav {

class TCustomExtractor;
class BlockPipeline;

enum TRestoreAction { raOverwrite, raSkip, raUpdate, raAsk, raExistingOnly, raUpdateExisting };

// The destination folder of an entry (a folder path, possibly without a
// trailing backslash when restorePath is off and extractPath has none).
std::string EntryDestinationFolder(const std::string& entryName, const std::string& extractPath, bool restorePath);

// Longest stored name, and longest part of one, that can still be a file
// below a folder (the system's path limit, 260 with its terminator).
constexpr size_t kMaxStoredName = 260;
constexpr size_t kMaxStoredNamePart = 255;

// A stored name the engine refuses to restore, because it could reach outside
// the folder its entry is restored into or name something that is not a file
// there: a ".." part; an absolute drive path (C:\x) or a server share
// (\\srv\share\x), unless `restoreDrives` keeps the format's own rule for
// them; a device or raw path (\\.\pipe\x, \\?\C:\x); any other colon (a
// drive-relative C:..\x, a stream x:y); a part that names a device (CON, PRN,
// AUX, NUL, COM0-9, LPT0-9, with any extension); a part ending in a dot or a
// blank; a character names cannot hold; a part of more than
// kMaxStoredNamePart bytes or a name of kMaxStoredName or more.
bool IsUnsafeStoredName(const std::string& name, bool restoreDrives);

class TCustomExtractor : public TArchiverRoot {
public:
    TCustomExtractor();
    ~TCustomExtractor() override;
    std::string ClassName() const override { return "TCustomExtractor"; }

    std::string ExtractPath;
    TExtrMessages& Messages() { return MessagesAs<TExtrMessages>(); }
    TRestoreAction RestoreAction = raAsk;
    // Stored absolute drive paths and server shares go back to their own
    // place when it exists (with oRestorePath); otherwise they are refused
    // like any name that leaves the extraction folder. Only for tools that
    // restore an archive made on the same machine, never for an installation.
    bool RestoreDriveNames = false;
    // Cleared when the generator is destroyed.
    SFXGeneratorRef SFXGenerator;

    std::function<void(TCustomExtractor&, const TFileEntry&)> OnEnumeration;
    std::function<void(TCustomExtractor&, const TFileEntry&, std::string& destPath, bool& accept)> OnExtractFile;
    std::function<void(TCustomExtractor&, int32_t index, std::string& destPath, bool& accept)> OnExtractFileByIndex;
    std::function<void(TCustomExtractor&, const TFileEntry&, const std::string& destPath)> OnFileExtracted;
    // An entry TestFiles found sound: its names, and for a file all its data.
    std::function<void(TCustomExtractor&, const TFileEntry&)> OnFileTested;
    std::function<void(TCustomExtractor&, const TFileEntry&, const std::string& destPath, os::File& s)> OnFileSerie;
    std::function<bool(TCustomExtractor&, uint8_t* dest, int32_t& destSize, const uint8_t* src, int32_t srcSize)>
        OnUncompressBlock;
    std::function<void(TCustomExtractor&, uint8_t* dest, const uint8_t* src, int32_t& destSize, int32_t srcSize)>
        OnDecryptBlock;
    std::function<void(TCustomExtractor&, int32_t segment, std::string& drive)> OnInsertDisk;
    std::function<void(TCustomExtractor&, std::string& drive)> OnInsertLastDisk;
    std::function<void(TCustomExtractor&, int32_t segment, std::string& fileName)> OnLocateSegment;
    std::function<void(TCustomExtractor&, std::string& path)> OnLocateLastSegment;
    std::function<void(TCustomExtractor&)> OnSegmentChanged;

    void ExtractFiles();
    // Reads the archive exactly as ExtractFiles would, writing nothing: every
    // entry's stored names are checked, every block is read, its checksum
    // checked, deciphered (asking for the key as extraction does) and
    // inflated, and the parts of each file must add up to its Size. Errors
    // go through the same error decision; ResultCode as for ExtractFiles.
    void TestFiles();
    void EnumerateFiles();
    void ExtractFileAt(int32_t segment, int32_t offset, const std::string& destFile, int64_t totalHint);

    std::unique_ptr<TMessages> CreateMessages() override;
    void StartOperation() override;
    void AfterOpen() override;
    void BeforeClose() override;
    void ReadArchiveTotals() override;
    os::Share GetOpenMode() override { return os::Share::DenyWrite; }
    bool NextSegmentIfNeeded() override;
    void AdjustStartOffset(const std::string& fileName) override;
    void OpenSolid() override;
    void CloseSolid() override;
    // Without OnUncompressBlock / OnDecryptBlock (and once the key is known)
    // these run on the engine's reading thread, ahead of the block being
    // written: an override must then be pure.
    virtual bool UncompressBlock(uint8_t* dest, int32_t& destSize, const uint8_t* src, int32_t srcSize);
    virtual void DecryptBlock(uint8_t* dest, const uint8_t* src, int32_t& destSize, int32_t srcSize);

protected:
    // Segments (CustExtractorSegments.cpp).
    // Where the open segment's data ends in its file; nothing behind it is read.
    int64_t SegmentEnd() const;
    bool DataExhausted();
    void ChangeToSegment(int32_t n);
    bool IsAcceptableSegment(const std::string& name, int32_t n, bool mustBeLast);
    void FindLastSegment();
    void AskForSegment(int32_t n);
    std::string AskForLastSegment(int32_t missing);
    void EnsureOpen();

    // Extraction (CustExtractorExtract.cpp).
    // Reads the next entry record (changing segment first when needed);
    // ReadEntryRecord reads at the current position only.
    void ReadEntry();
    void ReadEntryRecord();
    // The next entry of the archive, moving on to the next segment when this
    // one is used up; false after the last segment (or the only one opened).
    bool ReadNextEntry();
    void Enumerate();
    // Extracts CurrentEntry; consultRestoreAction is false when unpacking a
    // solid archive.
    // The stored names are checked first: one that could reach outside its
    // folder fails the file through the error decision.
    void ExtractCurrent(const std::string& destFile, const std::string& second, bool consultRestoreAction,
                        const std::string& secondStoredName = {});
    // TestFiles' step for CurrentEntry: ExtractCurrent without a destination.
    void TestCurrent();
    // Opens the archive if needed, starts at the first entry and calls `each`
    // with every entry read into CurrentEntry (the frame of ExtractFiles and
    // TestFiles).
    void ForEachEntry(TOperation operation, const std::function<void()>& each);
    // True when a stored name could reach outside its folder (checked as it
    // would be restored).
    bool RefusesStoredName(const std::string& stored);
    // The error decision for the file being read: skips it and returns, or
    // rethrows the error being handled.
    void FailCurrent(long double processedBefore);
    void WriteSecondCopy(os::File& dest, const std::string& second);
    bool ShouldSkipExisting(const std::string& destFile);
    // Reads the current file's data, every part of it, into `dest`, or only
    // checks it when `dest` is null.
    void WriteData(os::File* dest, const std::string& destFile);
    int64_t ReadBlocks(int64_t partLeft, BlockSink deliver);
    class Transforms;
    // Skips the file whose record was read last (all its parts).
    void SkipFile();
    void EnsureKey();

    int64_t entryPosition_ = 0;  // stream position of the record read last
    bool overwriteAll_ = false;
    bool solid_ = false;
    std::string solidTempName_;
    // Reads a file's blocks ahead on a second thread; made on first use.
    std::unique_ptr<BlockPipeline> pipeline_;
};

}  // namespace kav
