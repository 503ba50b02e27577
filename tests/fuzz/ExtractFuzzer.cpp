// libFuzzer target over the extraction engine: the input's segment files
// are written to disk, opened, enumerated and extracted into a scratch
// folder with every prompt cancelled. Besides crashes and sanitizer
// reports, a file written outside the scratch folder, or a temporary file
// left after Close, is a finding (abort).
#include "Exception.h"
#include "Extractor.h"
#include "FuzzWorkspace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& w = kav::fuzz::Workspace::Get();
    const std::string archive = w.Prepare(data, size);
    for (bool single : {false, true}) {
        kav::TExtractor e;
        e.SetFileName(archive);
        e.ExtractPath = (w.scratch / "sub").string();
        e.RestoreAction = kav::raOverwrite;
        e.ErrorAction = kav::eaContinue;
        e.CryptKey = kav::fuzz::kKey;
        e.Options += kav::oMaintainFileDirectory;
        if (single) e.Options += kav::oOpenSingleSegment;
        try {
            e.Open();
            e.EnumerateFiles();
            e.ExtractFiles();
        } catch (const Exception&) {
            // rejected with a message (or stopped silently): fine
        }
        e.Close();
    }
    w.Check();
    return 0;
}
