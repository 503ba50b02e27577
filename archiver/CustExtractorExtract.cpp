// ExtractFiles, EnumerateFiles, ExtractFileAt and the per-file steps.
#include <cmath>
#include <cstring>

#include <algorithm>

#include "ArchiveFormat.h"
#include "BlockDecoder.h"
#include "BlockPipeline.h"
#include "BoundedStream.h"
#include "CustExtractor.h"
#include "Dialogs.h"
#include "Exception.h"

namespace kav {
namespace {

constexpr const char* kUnsafeName = "Nombre de archivo no permitido en el archivo: \"%s\"";

// Sets a flag for a scope; cleared also when the scope fails.
class FlagScope {
public:
    FlagScope(std::function<void(bool)> set) : set_(std::move(set)) { set_(true); }
    ~FlagScope() { set_(false); }

private:
    std::function<void(bool)> set_;
};

// Modification times compared at the file system's 2-second resolution.
int64_t TwoSecondSlot(double date) { return static_cast<int64_t>(std::floor(date * 43200.0 + 1e-7)); }

}  // namespace

void TCustomExtractor::ReadEntryRecord() {
    entryPosition_ = stream_.Position();
    // The record and the packed data it announces lie inside the segment's data.
    BoundedStream data(stream_, SegmentEnd());
    ReadFileEntry(data, currentEntry_);
}

void TCustomExtractor::ReadEntry() {
    NextSegmentIfNeeded();
    ReadEntryRecord();
}

void TCustomExtractor::EnsureKey() {
    if (CryptKey.empty()) RequestCryptKey();
}

void TCustomExtractor::ForEachEntry(TOperation operation, const std::function<void()>& each) {
    resultCode_ = 0;
    operation_ = operation;
    StartOperation();
    try {
        EnsureOpen();
        total_ = archiveTotal_;
        if (!Options.Has(oOpenSingleSegment)) ChangeToSegment(1);
        CheckHeader();
        resultCode_ = -1;
        while (ReadNextEntry()) each();
        resultCode_ = 1;
    } catch (...) {
        FinishOperation();
        throw;
    }
    FinishOperation();
}

void TCustomExtractor::ExtractFiles() {
    if (IsBusy()) return;
    if (ExtractPath.empty()) throw EArchiver(Messages().NeedExtractPath);
    int32_t index = 0;
    bool restore = false;  // as the options stand once the archive is open
    ForEachEntry(opExtract, [&] {
        if (index == 0) restore = Options.Has(oRestorePath);
        std::string destPath = EntryDestinationFolder(currentEntry_.Name, ExtractPath, restore);
        bool accept = true;
        if (auto handler = OnExtractFile) handler(*this, currentEntry_, destPath, accept);
        if (auto handler = OnExtractFileByIndex) handler(*this, index, destPath, accept);
        bool started = false;
        if (accept) {
            std::string destFile = IncludeTrailingBackslash(destPath) + ExtractFileName(currentEntry_.Name);
            std::string second;
            if (!currentEntry_.AltName.empty()) {
                TFileEntry alt = currentEntry_;
                alt.Name = alt.AltName;
                alt.FileType = alt.AltFileType;
                std::string destPath2 = EntryDestinationFolder(alt.Name, ExtractPath, restore);
                bool accept2 = true;
                if (auto handler = OnExtractFile) handler(*this, alt, destPath2, accept2);
                if (accept2) second = IncludeTrailingBackslash(destPath2) + ExtractFileName(alt.AltName);
            }
            ExtractCurrent(destFile, second, true, second.empty() ? std::string() : currentEntry_.AltName);
            started = true;
        } else if (!currentEntry_.AltName.empty()) {
            currentEntry_.Name = currentEntry_.AltName;
            currentEntry_.FileType = currentEntry_.AltFileType;
            destPath = EntryDestinationFolder(currentEntry_.Name, ExtractPath, restore);
            accept = true;
            if (auto handler = OnExtractFile) handler(*this, currentEntry_, destPath, accept);
            if (accept) {
                ExtractCurrent(IncludeTrailingBackslash(destPath) + ExtractFileName(currentEntry_.Name), {},
                               true);
                started = true;
            }
        }
        if (!started) SkipFile();
        ++index;
    });
}

void TCustomExtractor::TestFiles() {
    if (IsBusy()) return;
    ForEachEntry(opTest, [this] { TestCurrent(); });
}

bool TCustomExtractor::ShouldSkipExisting(const std::string& destFile) {
    if (!os::FileExists(destFile))
        return RestoreAction == raExistingOnly || RestoreAction == raUpdateExisting;
    switch (RestoreAction) {
    case raSkip: return true;
    case raUpdate:
    case raUpdateExisting: return TwoSecondSlot(os::FileDate(destFile)) >= TwoSecondSlot(currentEntry_.Date);
    case raAsk: {
        if (overwriteAll_) return false;
        PauseTiming();
        int32_t answer = dialogs::OverwriteDialog(ShortenPath(destFile, 50), os::FileSize(destFile),
                                                  os::FileDate(destFile), ShortenPath(currentEntry_.Name, 50),
                                                  currentEntry_.Size, currentEntry_.Date);
        ResumeTiming();
        if (answer == mrYesToAll) overwriteAll_ = true;
        if (answer == mrCancel) Abort();
        return answer != mrYes && answer != mrYesToAll;
    }
    default: return false;
    }
}

namespace {

bool OpenDestination(os::File& f, const std::string& path, bool keepExisting, const TExtrMessages& m) {
    if (keepExisting && os::FileExists(path)) {
        if (!f.Open(path, os::Access::ReadWrite, os::Share::DenyWrite, os::Disposition::OpenExisting))
            throw EArchiver(Format(m.CannotOpenFile, path.c_str()));
        return true;
    }
    if (!f.Open(path, os::Access::ReadWrite, os::Share::DenyWrite, os::Disposition::CreateAlways))
        throw EArchiver(Format(m.CannotCreateFile, path.c_str()));
    return false;
}

}  // namespace

bool TCustomExtractor::RefusesStoredName(const std::string& stored) {
    return IsUnsafeStoredName(Options.Has(oRestorePath) ? stored : ExtractFileName(stored), RestoreDriveNames);
}

// Called inside a handler: skips the file, or ends the operation (silently
// when someone was told already).
void TCustomExtractor::FailCurrent(long double processedBefore) {
    try {
        throw;
    } catch (const std::exception& e) {
        if (HandleError(e)) {
            processed_ = processedBefore;
            SkipFile();
            return;
        }
        if (ErrorAction == eaAsk || OnError) Abort();
        throw;
    }
}

void TCustomExtractor::ExtractCurrent(const std::string& destFile, const std::string& second,
                                      bool consultRestoreAction, const std::string& secondStoredName) {
    TExtrMessages& m = Messages();
    const long double processedBefore = processed_;
    try {
        // Refused before anything is asked or written.
        for (const std::string* stored : {static_cast<const std::string*>(&currentEntry_.Name), &secondStoredName}) {
            if (RefusesStoredName(*stored)) throw EArchiver(Format(kUnsafeName, stored->c_str()));
        }
    } catch (const std::exception&) {
        FailCurrent(processedBefore);
        return;
    }
    if (consultRestoreAction && ShouldSkipExisting(destFile)) {
        SkipFile();
        return;
    }
    if (Is(stUnpackingSolid)) {
        if (auto handler = OnDisplayMessage) handler(*this, m.UncompressingSolidArchive);
        if (auto handler = OnAddToLog) handler(*this, m.UncompressingSolidArchive);
    } else {
        if (auto handler = OnDisplayMessage)
            handler(*this, Format(m.ExtractingFile, ExtractFileName(destFile).c_str(), currentEntry_.Size));
        if (auto handler = OnAddToLog) handler(*this, Format(m.ExtractingFile, destFile.c_str(), currentEntry_.Size));
    }
    try {
        ForceDirectories(ExtractFilePath(destFile), m.CannotCreateDir);
        if (currentEntry_.FileFlags & kFileFolder) return;
        if (os::FileExists(destFile)) os::SetAttributes(destFile, os::kAttrNormal);
        const bool keep = currentEntry_.PartOffset != 0 || Options.Has(oOpenSingleSegment);
        os::File dest;
        OpenDestination(dest, destFile, keep, m);
        WriteData(&dest, destFile);
        ++filesDone_;
        if (!second.empty()) WriteSecondCopy(dest, second);
        if (currentEntry_.FileType == kFileTypeSerie)
            if (auto handler = OnFileSerie) handler(*this, currentEntry_, ExtractFilePath(destFile), dest);
        // The time is set last: a write after it would move it again.
        dest.SetDate(currentEntry_.Date);
        dest.Close();
        os::SetAttributes(destFile, currentEntry_.Attr);
        if (auto handler = OnFileExtracted)
            handler(*this, currentEntry_, IncludeTrailingBackslash(ExtractFilePath(destFile)));
        NextSegmentIfNeeded();
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception&) {
        FailCurrent(processedBefore);
    }
}

void TCustomExtractor::TestCurrent() {
    TExtrMessages& m = Messages();
    const long double processedBefore = processed_;
    try {
        for (const std::string* stored : {&currentEntry_.Name, &currentEntry_.AltName}) {
            if (RefusesStoredName(*stored)) throw EArchiver(Format(kUnsafeName, stored->c_str()));
        }
        const std::string status = Format(m.CheckingFile, currentEntry_.Name.c_str(), currentEntry_.Size);
        if (auto handler = OnDisplayMessage) handler(*this, status);
        if (auto handler = OnAddToLog) handler(*this, status);
        if (!(currentEntry_.FileFlags & kFileFolder)) {
            WriteData(nullptr, currentEntry_.Name);
            ++filesDone_;
        }
        if (auto handler = OnFileTested) handler(*this, currentEntry_);
        NextSegmentIfNeeded();
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception&) {
        FailCurrent(processedBefore);
    }
}

void TCustomExtractor::WriteSecondCopy(os::File& dest, const std::string& second) {
    TExtrMessages& m = Messages();
    ForceDirectories(ExtractFilePath(second), m.CannotCreateDir);
    os::File copy;
    OpenDestination(copy, second, currentEntry_.PartOffset != 0 || Options.Has(oOpenSingleSegment), m);
    const int64_t size = dest.Size();
    dest.Seek(0);
    std::vector<uint8_t> chunk(64 * 1024);
    for (int64_t done = 0; done < size;) {
        size_t n = dest.Read(chunk.data(), chunk.size());
        if (n == 0) break;
        if (!copy.Write(chunk.data(), n)) throw EArchiver(Format(m.CannotCreateFile, second.c_str()));
        done += static_cast<int64_t>(n);
    }
    copy.SetDate(currentEntry_.Date);
    copy.Close();
    os::SetAttributes(second, currentEntry_.Attr);
}

// The extractor's own transformations, offered to the block decoder.
class TCustomExtractor::Transforms : public BlockTransforms {
public:
    explicit Transforms(TCustomExtractor& e) : e_(e) {}
    size_t DecryptBlock(uint8_t* data, size_t n) override {
        e_.EnsureKey();
        int32_t size = static_cast<int32_t>(n);
        e_.DecryptBlock(data, data, size, static_cast<int32_t>(n));
        if (size < 0 || static_cast<size_t>(size) > n) RaiseDamaged();
        return static_cast<size_t>(size);
    }
    size_t UncompressBlock(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize) override {
        int32_t produced = static_cast<int32_t>(dstSize);
        if (!e_.UncompressBlock(dst, produced, src, static_cast<int32_t>(srcSize)) || produced < 0 ||
            static_cast<size_t>(produced) > dstSize)
            throw EArchiverUncompress(e_.Messages().CouldNotUncompressBlock);
        return static_cast<size_t>(produced);
    }

private:
    TCustomExtractor& e_;
};

// Decodes the next blocks of the part, never past its packed data nor the
// segment's end, and hands each one to `deliver` in order. Returns the bytes
// consumed.
int64_t TCustomExtractor::ReadBlocks(int64_t partLeft, BlockSink deliver) {
    Transforms transforms(*this);
    const bool encrypted = currentEntry_.FileFlags & kFileEncrypted;
    const size_t blockSize = std::min<size_t>(static_cast<size_t>(header_.BlockSize), buffer2_.size());
    uint8_t* inputs[kMaxBatchBlocks] = {buffer1_.data()};
    for (size_t i = 1; i < kMaxBatchBlocks; ++i) inputs[i] = batchInputs_.data() + (i - 1) * buffer1_.size();
    // Batches, and the reading thread, read ahead: later blocks are
    // deciphered before the first one is written and reported. An encrypted entry therefore goes
    // one block at a time while that could be seen: while the key may still
    // be asked for, or a handler deciphers.
    const bool room = batchInputs_.size() >= (kMaxBatchBlocks - 1) * buffer1_.size();
    const bool decipherSeen = encrypted && (CryptKey.empty() || OnDecryptBlock);
    const size_t ways = decipherSeen || !room ? 1 : kMaxBatchBlocks;
    // A block that would cross the end of the part (or of the segment's data)
    // is damage, not a reason to read on.
    const int64_t left = std::min(partLeft, SegmentEnd() - stream_.Position());
    BoundedStream part(stream_, stream_.Position() + left);
    const BatchBuffers buffers{inputs, ways, buffer1_.size(), buffer2_.data(), blockSize};
    try {
        // A part of one or two blocks costs more to hand over to the reading
        // thread than it overlaps.
        if (ways > 1 && !OnUncompressBlock && left > 2 * static_cast<int64_t>(buffer1_.size())) {
            if (!pipeline_ || pipeline_->InputSize() != buffer1_.size() || pipeline_->BlockSize() != blockSize)
                pipeline_ = std::make_unique<BlockPipeline>(buffer1_.size(), blockSize);
            return pipeline_->DecodeBlocks(part, left, encrypted, transforms, deliver);
        }
        return DecodeBlocks(part, buffers, left, encrypted, transforms, deliver);
    } catch (const EArchiverBadKey&) {
        throw EArchiverBadKey(Messages().BadKey);
    } catch (const EArchiverBadCRC&) {
        throw EArchiverBadCRC(Messages().BadCRC);
    }
}

void TCustomExtractor::WriteData(os::File* dest, const std::string& destFile) {
    if (currentEntry_.Size == 0) {
        // Nothing to write; a damaged record's data is stepped over all the same.
        stream_.Skip(currentEntry_.PackedPartSize);
        return;
    }
    FlagScope extracting([this](bool on) { Set(stExtractingData, on); });
    const bool single = Options.Has(oOpenSingleSegment);
    auto seekTo = [&](int64_t at) {
        // The parts of a file add up to its Size; anything beyond is damage.
        if (at < 0 || at > currentEntry_.Size || (dest && !dest->Seek(at))) RaiseDamaged();
        return at;
    };
    int64_t at = seekTo(currentEntry_.PartOffset);
    for (bool firstPart = true;; firstPart = false) {
        int64_t consumed = 0;
        do {
            bool changed = NextSegmentIfNeeded();
            if (changed) at = seekTo(currentEntry_.PartOffset);
            else if (!firstPart && consumed == 0 && !single) RaiseDamaged();  // a later part must start a segment
            if (single && DataExhausted()) return;
            ReadBlocks(currentEntry_.PackedPartSize - consumed, [&](const DecodedBlock& block) {
                consumed += block.consumed;
                processed_ += block.consumed;
                if (at + static_cast<int64_t>(block.size) > currentEntry_.Size) RaiseDamaged();
                if (dest && !dest->Write(block.data, block.size))
                    throw EArchiver(Format(Messages().CannotCreateFile, destFile.c_str()));
                at += static_cast<int64_t>(block.size);
                ReportProgress();
            });
        } while (consumed < currentEntry_.PackedPartSize);
        if ((currentEntry_.FileFlags & kFileLastPart) || single) break;
    }
    // Blocks that end before Size would leave a shorter file reported as
    // extracted. A single segment may hold only a piece of the file.
    if (!single && at != currentEntry_.Size) RaiseDamaged();
}

void TCustomExtractor::SkipFile() {
    {
        // Only this file's own parts: the segment after its last part starts
        // with the next file's record, not with a continuation of this one.
        FlagScope skipping([this](bool on) { Set(stSkippingFile, on); });
        stream_.Seek(entryPosition_);
        ReadEntryRecord();
        for (;;) {
            stream_.Skip(currentEntry_.PackedPartSize);
            processed_ += currentEntry_.PackedPartSize;
            ReportProgress();
            if ((currentEntry_.FileFlags & kFileLastPart) || Options.Has(oOpenSingleSegment)) break;
            TFileEntry first = currentEntry_;
            // A part that is not the last must end its segment.
            if (!NextSegmentIfNeeded()) RaiseDamaged();
            currentEntry_.Segment = first.Segment;
            currentEntry_.Offset = first.Offset;
        }
    }
    ++filesDone_;
    NextSegmentIfNeeded();
}

void TCustomExtractor::EnumerateFiles() {
    if (IsBusy()) return;
    Enumerate();
}

void TCustomExtractor::Enumerate() {
    const TOperation outer = operation_;
    operation_ = opEnumerate;
    StartOperation();
    try {
        EnsureOpen();
        total_ = archiveTotal_;
        processed_ = 0;
        if (!Options.Has(oOpenSingleSegment)) ChangeToSegment(1);
        CheckHeader();
        ClearFileList();
        if (auto handler = OnDisplayMessage) handler(*this, Messages().LoadingArchiveContnent);
        if (auto handler = OnAddToLog) handler(*this, Messages().LoadingArchiveContnent);
        while (ReadNextEntry()) {
            if (Options.Has(oMaintainFileDirectory)) fileList_.push_back(std::make_unique<TFileObject>(currentEntry_));
            SkipFile();
            if (!(currentEntry_.FileFlags & kFileFolder) || Options.Has(oShowEmptyFolders))
                if (auto handler = OnEnumeration) handler(*this, currentEntry_);
        }
    } catch (...) {
        FinishOperation();
        operation_ = nesting_ > 0 ? outer : opNone;
        throw;
    }
    FinishOperation();
    operation_ = nesting_ > 0 ? outer : opNone;
}

void TCustomExtractor::ExtractFileAt(int32_t segment, int32_t offset, const std::string& destFile,
                                     int64_t totalHint) {
    StartOperation();
    try {
        EnsureOpen();
        if (total_ == 0) total_ = static_cast<long double>(totalHint);
        if (!Options.Has(oOpenSingleSegment)) ChangeToSegment(segment);
        stream_.Seek(static_cast<int64_t>(StartOffset()) + offset);
        ReadEntryRecord();
        ExtractCurrent(destFile, {}, false);
    } catch (...) {
        FinishOperation();
        throw;
    }
    FinishOperation();
}

}  // namespace kav
