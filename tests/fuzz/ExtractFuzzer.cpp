// libFuzzer target over the extraction engine: the input's segment files
// are written to disk, opened, enumerated and extracted into a scratch
// folder with every prompt cancelled. Besides crashes and sanitizer
// reports, a file written outside the scratch folder, or a temporary file
// left after Close, is a finding (abort). The input read as one stored name
// must, when the installation's rule lets it through, land below the folder.
#include <algorithm>
#include <cstdlib>

#include "CustExtractor.h"
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

    const std::string name(reinterpret_cast<const char*>(data), std::min<size_t>(size, kav::kMaxStoredName + 8));
    if (!kav::IsUnsafeStoredName(name, false)) {
        const std::string folder = kav::EntryDestinationFolder(name, "D:\\x", true);
        if (folder.compare(0, 5, "D:\\x\\") != 0 || folder.find(':', 2) != std::string::npos) std::abort();
    }
    return 0;
}
