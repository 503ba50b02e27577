// Opening, totals and the segments of a multi-file archive.
#include <cctype>

#include "CustExtractor.h"
#include "CustSFXGenerator.h"
#include "Exception.h"
#include "TextCodec.h"

namespace kav {

int64_t TCustomExtractor::SegmentEnd() const { return static_cast<int64_t>(StartOffset()) + header_.EndOffset; }

bool TCustomExtractor::DataExhausted() { return stream_.Position() >= SegmentEnd(); }

void TCustomExtractor::EnsureOpen() { OpenUnchecked(); }

bool TCustomExtractor::ReadNextEntry() {
    while (DataExhausted()) {
        if ((header_.ArchiveFlags & kArchiveLastSegment) || Options.Has(oOpenSingleSegment)) return false;
        ChangeToSegment(header_.Segment + 1);
    }
    ReadEntry();
    return true;
}

bool TCustomExtractor::NextSegmentIfNeeded() {
    if (!DataExhausted() || (header_.ArchiveFlags & kArchiveLastSegment) || Options.Has(oOpenSingleSegment))
        return false;
    Set(stChangingSegment, true);
    struct Clear {
        TCustomExtractor& e;
        ~Clear() { e.Set(stChangingSegment, false); }
    } clear{*this};
    ChangeToSegment(header_.Segment + 1);
    return true;
}

void TCustomExtractor::AdjustStartOffset(const std::string& fileName) {
    TCustomSFXGenerator* generator = SFXGenerator;
    if (generator && HasExeExtension(fileName)) {
        generator->GetSizes(fileName);
        SFXSize = generator->SFXCodeSize + generator->TagInfoSize;
    }
    TArchiverRoot::AdjustStartOffset(fileName);
}

// A file is a segment of the open archive when its header reads, carries
// the right signature and ArchiveID, and (n > 0) the segment number n.
bool TCustomExtractor::IsAcceptableSegment(const std::string& name, int32_t n, bool mustBeLast) {
    if (!os::FileExists(name)) return false;
    AdjustStartOffset(name);
    FileStream candidate;
    if (!candidate.Open(name, GetOpenMode())) return false;
    TArchiveHeader h;
    try {
        candidate.Seek(StartOffset());
        if (!ReadHeader(candidate, h)) return false;
    } catch (const Exception&) {
        return false;
    }
    if (h.ArchiveID != header_.ArchiveID) return false;
    if (n > 0 && h.Segment != n) return false;
    return !mustBeLast || (h.ArchiveFlags & kArchiveLastSegment);
}

namespace {

// "X:" when the reply is a drive letter followed by a colon.
bool IsDriveReply(const std::string& s) {
    return s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':';
}

char ValidDriveLetter(const std::string& drive) {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive.empty() ? 0 : drive[0])));
    if (letter < 'A' || letter > 'Z') throw Exception("Not a valid drive ID");
    return letter;
}

}  // namespace

void TCustomExtractor::AskForSegment(int32_t n) {
    TExtrMessages& m = Messages();
    std::string name;
    if (os::IsRemovableDrive(parts_.Drive)) {
        std::string drive = parts_.Drive;
        const std::string prompt = Format(m.InsertDisk, n, drive.c_str());
        for (;;) {
            std::string reply = drive;
            if (auto handler = OnInsertDisk) handler(*this, n, reply);
            else if (!InputQuery(m.SystemMessage, prompt, reply)) Abort();
            if (IsDriveReply(reply)) drive = reply.substr(0, 2);
            if (os::DriveHasMedium(ValidDriveLetter(drive))) {
                parts_.Drive = drive;
                GetSegmentName(n, name);
                if (IsAcceptableSegment(name, n, false)) break;
            }
        }
        SetFileNameOnly(name);
        return;
    }
    for (;;) {
        GetSegmentName(n, name);
        if (auto handler = OnLocateSegment) handler(*this, n, name);
        else if (!QueryText(m.LocateSegment, name)) Abort();
        if (IsAcceptableSegment(name, n, false)) break;
        MessageDlg(Format(m.WrongSegment, n, parts_.Name.c_str()), mtWarning, Buttons({mbOK}), 0);
    }
    SetFileNameOnly(name);
    parts_ = SplitArchiveName(name);
}

void TCustomExtractor::ChangeToSegment(int32_t n) {
    if (header_.Segment == n) return;
    PauseTiming();
    stream_.Close();
    std::string name;
    GetSegmentName(n, name);
    SetFileNameOnly(name);
    if (!IsAcceptableSegment(name, n, false)) AskForSegment(n);
    OpenArchiveFile();
    if (operation_ != opNone && header_.ArchiveInfo.PackedSize > archiveTotal_) {
        if (total_ == archiveTotal_) total_ = header_.ArchiveInfo.PackedSize;
        archiveTotal_ = header_.ArchiveInfo.PackedSize;
        ReportProgress();
    }
    if (auto handler = OnSegmentChanged) handler(*this);
    if (Is(stExtractingData) || Is(stSkippingFile)) {
        TFileEntry previous = currentEntry_;
        ReadEntry();
        if (currentEntry_.Name != previous.Name || currentEntry_.Size != previous.Size ||
            currentEntry_.Date != previous.Date)
            throw EArchiver(Messages().WrongNextSegment);
    }
    ResumeTiming();
}

std::string TCustomExtractor::AskForLastSegment(int32_t missing) {
    TExtrMessages& m = Messages();
    if (os::IsRemovableDrive(parts_.Drive)) {
        std::string drive = parts_.Drive;
        const std::string prompt = Format(m.InsertLastSegment, drive.c_str());
        for (;;) {
            std::string reply = drive;
            if (auto handler = OnInsertLastDisk) handler(*this, reply);
            else if (!InputQuery(m.SystemMessage, prompt, reply)) Abort();
            if (IsDriveReply(reply)) drive = reply.substr(0, 2);
            if (!os::DriveHasMedium(ValidDriveLetter(drive))) continue;
            // Segment files carry numbered extensions: look for the base name
            // with any of them.
            for (const std::string& f : os::FindFiles(drive + parts_.Dir + parts_.Name + "*.*"))
                if (IsAcceptableSegment(f, 0, true)) return f;
        }
    }
    for (;;) {
        std::string path;
        GetSegmentName(missing, path);
        if (auto handler = OnLocateLastSegment) handler(*this, path);
        else if (!QueryText(Format(m.LocateLastSegment, parts_.Name.c_str()), path)) Abort();
        if (IsAcceptableSegment(path, 0, true)) return path;
        MessageDlg(m.WrongLastSegment, mtWarning, Buttons({mbOK}), 0);
    }
}

void TCustomExtractor::FindLastSegment() {
    if ((header_.ArchiveFlags & kArchiveLastSegment) || Options.Has(oOpenSingleSegment)) return;
    PauseTiming();
    stream_.Close();
    std::string last;
    for (int32_t k = header_.Segment + 1; k <= 65535; ++k) {
        std::string name;
        GetSegmentName(k, name);
        if (!IsAcceptableSegment(name, k, false)) {
            last = AskForLastSegment(k);
            SetFileNameOnly(last);
            parts_ = SplitArchiveName(last);
            break;
        }
        if (IsAcceptableSegment(name, k, true)) {
            SetFileNameOnly(name);
            break;
        }
    }
    OpenArchiveFile();
    ResumeTiming();
}

void TCustomExtractor::ReadArchiveTotals() {
    elapsedMs_ = 0;
    if (Options.Has(oOpenSingleSegment)) {
        archiveTotal_ = 0;
        return;
    }
    if (header_.Segment != 1 || header_.ArchiveInfo.PackedSize <= header_.SegmentInfo.PackedSize)
        FindLastSegment();
    archiveTotal_ = header_.ArchiveInfo.PackedSize;
}

void TCustomExtractor::AfterOpen() {
    if (OnShowComment && !header_.Comment.empty())
        if (auto handler = OnShowComment) handler(*this, header_.Comment);
    OpenSolid();
    TArchiverRoot::AfterOpen();
    if (Options.Has(oEnumerateAfterOpen) || Options.Has(oMaintainFileDirectory)) {
        Set(stEnumeratingAfterOpen, true);
        struct Clear {
            TCustomExtractor& e;
            ~Clear() { e.Set(stEnumeratingAfterOpen, false); }
        } clear{*this};
        Enumerate();
    }
}

void TCustomExtractor::BeforeClose() {
    TArchiverRoot::BeforeClose();
    CloseSolid();
}

}  // namespace kav
