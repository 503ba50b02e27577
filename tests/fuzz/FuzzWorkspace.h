// The folder the engine fuzzers work in: the input's segment files are
// written as QTR.KAV, QTR.001, ... in `archive`; extraction goes below
// `scratch`; the system's temporary folder is `temp`. Every prompt is
// cancelled. A file written anywhere else, or a temporary file left after
// Close, is a finding (abort).
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "DialogSeam.h"
#include "FuzzInput.h"

namespace kav::fuzz {

class Workspace {
public:
    static Workspace& Get() {
        static Workspace w;
        return w;
    }

    // A fresh workspace holding the input's segments; returns segment 1's path.
    std::string Prepare(const uint8_t* data, size_t size) {
        namespace fs = std::filesystem;
        fs::remove_all(root);
        for (const fs::path& p : {archive, scratch, temp}) fs::create_directories(p);
        const auto segments = SplitSegments(std::string_view(reinterpret_cast<const char*>(data), size));
        for (size_t i = 0; i < segments.size() && i < 8; ++i) {
            char ext[8];
            std::snprintf(ext, sizeof ext, ".%03zu", i);
            std::ofstream(archive / (i == 0 ? std::string("QTR.KAV") : "QTR" + std::string(ext)), std::ios::binary)
                .write(segments[i].data(), static_cast<std::streamsize>(segments[i].size()));
        }
        return (archive / "QTR.KAV").string();
    }

    // Everything under root must lie in the archive or the scratch folder,
    // and the temporary folder must be empty.
    void Check() const {
        for (auto& e : std::filesystem::recursive_directory_iterator(root)) {
            const std::string p = e.path().string();
            const bool inside = p.rfind(archive.string(), 0) == 0 || p.rfind(scratch.string(), 0) == 0 ||
                                p == temp.string();
            if (!inside) {
                std::fprintf(stderr, "written outside the extraction folder: %s\n", p.c_str());
                std::abort();
            }
        }
    }

    std::filesystem::path root, archive, scratch, temp;

private:
    Workspace() {
        root = std::filesystem::temp_directory_path() / ("kv-fuzz-" + std::to_string(::getpid()));
        archive = root / "archivo";
        scratch = root / "destino";
        temp = root / "temporal";
        ::setenv("TMPDIR", temp.c_str(), 1);
        // Stored drive and network paths then name nothing on this machine.
        ::unsetenv("KV_DRIVES_ROOT");
        ui::SetDialogScript([](const ui::DialogRequest&) { return ui::DialogAnswer{2, {}}; });  // Cancel
    }
};

}  // namespace kav::fuzz
