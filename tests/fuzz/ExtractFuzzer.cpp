// libFuzzer target over the extraction engine: the input's segment files
// are written to disk, opened, enumerated and extracted into a scratch
// folder with every prompt cancelled. Besides crashes and sanitizer
// reports, a file written outside the scratch folder, or a temporary file
// left after Close, is a finding (abort).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "DialogSeam.h"
#include "Exception.h"
#include "Extractor.h"
#include "FuzzInput.h"

namespace fs = std::filesystem;

namespace {

struct Workspace {
    fs::path root, archive, scratch, temp;
    Workspace() {
        root = fs::temp_directory_path() / ("kv-extract-fuzz-" + std::to_string(::getpid()));
        archive = root / "archivo";
        scratch = root / "destino";
        temp = root / "temporal";
        ::setenv("TMPDIR", temp.c_str(), 1);
        // Stored drive and network paths then name nothing on this machine.
        ::unsetenv("KV_DRIVES_ROOT");
        ui::SetDialogScript([](const ui::DialogRequest&) { return ui::DialogAnswer{2, {}}; });  // Cancel
    }
    void Reset() {
        fs::remove_all(root);
        for (const fs::path& p : {archive, scratch, temp}) fs::create_directories(p);
    }
    // Everything under root must lie in the archive or the scratch folder,
    // and the temporary folder must be empty.
    void Check() const {
        for (auto& e : fs::recursive_directory_iterator(root)) {
            const std::string p = e.path().string();
            const bool inside = p.rfind(archive.string(), 0) == 0 || p.rfind(scratch.string(), 0) == 0 ||
                                p == temp.string();
            if (!inside) {
                std::fprintf(stderr, "written outside the extraction folder: %s\n", p.c_str());
                std::abort();
            }
        }
    }
};

Workspace& Space() {
    static Workspace w;
    return w;
}

void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace& w = Space();
    w.Reset();
    const auto segments = kav::fuzz::SplitSegments(std::string_view(reinterpret_cast<const char*>(data), size));
    for (size_t i = 0; i < segments.size() && i < 8; ++i) {
        char ext[8];
        std::snprintf(ext, sizeof ext, ".%03zu", i);
        Write(w.archive / (i == 0 ? std::string("QTR.KAV") : "QTR" + std::string(ext)), segments[i]);
    }
    for (bool single : {false, true}) {
        kav::TExtractor e;
        e.SetFileName((w.archive / "QTR.KAV").string());
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
