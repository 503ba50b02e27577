// libFuzzer target over the archive reader: the input is one or more
// segment files (separated by kSegmentBreak), read the way "kavtool test"
// and "kavtool list" read them: the engine's test of every header, entry
// record and block with a known key, and its enumeration. Any error of the
// product's own kinds is a clean rejection; a crash, a sanitizer report, a
// leak or a file written anywhere is a finding.
#include "Exception.h"
#include "Extractor.h"
#include "FuzzWorkspace.h"

namespace {

void ReadOnce(const std::string& archive, bool test, kav::TErrorAction action) {
    kav::TExtractor e;
    e.SetFileName(archive);
    e.ErrorAction = action;
    e.Options -= kav::oShowBusyMessage;
    e.Options += kav::oShowEmptyFolders;
    e.OnRequestCryptKey = [](kav::TArchiverRoot&, std::string& key) { key = kav::fuzz::kKey; };
    uint64_t bytes = 0;
    e.OnFileTested = [&](kav::TCustomExtractor&, const kav::TFileEntry& f) { bytes += f.Name.size(); };
    e.OnEnumeration = [&](kav::TCustomExtractor&, const kav::TFileEntry& f) { bytes += f.Name.size(); };
    try {
        if (test) e.TestFiles();
        else e.EnumerateFiles();
    } catch (const Exception&) {
        // rejected with a message: fine
    }
    e.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& w = kav::fuzz::Workspace::Get();
    const std::string archive = w.Prepare(data, size);
    ReadOnce(archive, true, kav::eaContinue);  // on past damaged files: every skip path too
    ReadOnce(archive, false, kav::eaAbort);
    w.Check();
    return 0;
}
