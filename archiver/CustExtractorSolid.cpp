// Solid archives: the first entry holds a whole inner archive, unpacked to a
// temporary file that is then read as the archive until Close.
#include <cmath>

#include "CustExtractor.h"
#include "Exception.h"

namespace kav {
namespace {

// An extracted entry may carry the read-only attribute; the temporary copy
// must go all the same.
void DeleteTemporary(const std::string& name) {
    if (name.empty()) return;
    os::SetAttributes(name, os::kAttrNormal);
    os::RemoveFile(name);
}

}  // namespace

void TCustomExtractor::OpenSolid() {
    solid_ = (header_.ArchiveFlags & kArchiveSolid) != 0;
    if (!solid_) return;
    solidTempName_ = MakeTempFileName(os::TempFolder(), os::TickCount(), Messages().CanNotBuildTempFileName);
    try {
        Set(stUnpackingSolid, true);
        if (header_.SegmentInfo.FileCount > 0) {
            CheckHeader();
            ReadEntryRecord();
            ExtractFileAt(1, currentEntry_.Offset, solidTempName_, std::llround(archiveTotal_));
            processed_ = 0;
            elapsedMs_ = 0;
        }
        Set(stUnpackingSolid, false);
    } catch (...) {
        Set(stUnpackingSolid, false);
        DeleteTemporary(solidTempName_);
        throw;
    }
    stream_.Close();
    Options -= oCreateSolidArchives;
    Options -= oCompress;
    Options -= oCrypt;
    Options -= oWriteSFXCode;
    SetFileNameOnly(solidTempName_);
    if (os::FileExists(solidTempName_)) OpenArchiveFile();
    else CreateArchive();
    ReadArchiveTotals();
}

void TCustomExtractor::CloseSolid() {
    if (!solid_) return;
    stream_.Close();
    SetFileNameOnly(savedFileName_);
    parts_ = SplitArchiveName(savedFileName_);
    Options = savedOptions_;
    DeleteTemporary(solidTempName_);
    solidTempName_.clear();
    solid_ = false;
}

}  // namespace kav
