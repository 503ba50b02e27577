// Extraction benchmark (run by hand, not a test):
//   kav_extract_bench [MB]        extraction of a MB-sized archive of mixed
//                                 files in 64 KiB blocks, compressed and
//                                 encrypted, against raw zlib uncompress +
//                                 write of the same blocks and against unzip
//                                 of a zip of the same files, in one run
//   kav_extract_bench --peak MB   peak memory of one extraction (a child
//                                 process) of a MB-sized archive
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "Extractor.h"

namespace fs = std::filesystem;

namespace {

const char* kKey = "clave de prueba 1";

double Seconds(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Files of 64 KiB to 4 MiB of mixed data, `mb` in all.
std::vector<std::pair<std::string, std::string>> MakeFiles(size_t mb) {
    std::vector<std::pair<std::string, std::string>> files;
    size_t total = 0, i = 0;
    while (total < mb << 20) {
        size_t size = (64u << 10) << (i % 7);
        files.emplace_back("dir" + std::to_string(i % 5) + "\\f" + std::to_string(i) + ".bin",
                           kavmake::MixedData(size, static_cast<uint32_t>(i + 1)));
        total += size;
        ++i;
    }
    return files;
}

void BuildArchive(const std::vector<std::pair<std::string, std::string>>& files, bool encrypted, const fs::path& to,
                  kavmake::BuiltArchive* layout) {
    kavmake::ArchiveBuilder b({.blockSize = 65536, .key = kKey});
    for (const auto& [name, data] : files) b.AddFile(name, data, {.encrypted = encrypted});
    kavmake::BuiltArchive built = b.Build();
    Write(to, built.segments[0]);
    if (layout) *layout = std::move(built);
}

void Extract(const fs::path& archive, const fs::path& dest) {
    kav::TExtractor e;
    e.SetFileName(archive.string());
    e.ExtractPath = dest.string();
    e.RestoreAction = kav::raOverwrite;
    e.ErrorAction = kav::eaAbort;
    e.CryptKey = kKey;
    e.Open();
    e.ExtractFiles();
    e.Close();
}

// The reference: every block read from the file, uncompressed with zlib's
// one-shot call and written, without checks, events or ciphers.
void RawUncompress(const fs::path& archive, const kavmake::BuiltArchive& layout,
                   const std::vector<std::pair<std::string, std::string>>& files, const fs::path& dest) {
    std::FILE* in = std::fopen(archive.c_str(), "rb");
    std::vector<unsigned char> src(70000), out(65536);
    for (size_t i = 0; i < layout.entries.size(); ++i) {
        std::string name = files[i].first;
        for (char& c : name)
            if (c == '\\') c = '/';
        fs::create_directories((dest / name).parent_path());
        std::FILE* f = std::fopen((dest / name).c_str(), "wb");
        for (int64_t at : layout.entries[i].blocks) {
            int32_t length = 0;
            std::fseek(in, static_cast<long>(at), SEEK_SET);
            if (std::fread(&length, 4, 1, in) != 1 || std::fseek(in, 4, SEEK_CUR) != 0) break;
            size_t n = static_cast<size_t>(length < 0 ? -length : length);
            if (std::fread(src.data(), 1, n, in) != n) break;
            uLongf produced = out.size();
            if (length >= 0) uncompress(out.data(), &produced, src.data(), n);
            else std::memcpy(out.data(), src.data(), produced = n);
            std::fwrite(out.data(), 1, produced, f);
        }
        std::fclose(f);
    }
    std::fclose(in);
}

// The child's own high-water mark of resident memory (VmHWM belongs to the
// address space the child got at exec, so the parent's data is not in it).
long PeakOfChild(const char* self, const fs::path& archive, const fs::path& dest) {
    std::string cmd = std::string("'") + self + "' --extract '" + archive.string() + "' '" + dest.string() + "'";
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    long kib = -1;
    if (std::fscanf(p, "%ld", &kib) != 1) kib = -1;
    return pclose(p) == 0 ? kib : -1;
}

long OwnPeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--extract") == 0) {
        Extract(argv[2], argv[3]);
        std::printf("%ld\n", OwnPeakKiB());
        return 0;
    }
    const bool peak = argc == 3 && std::strcmp(argv[1], "--peak") == 0;
    const size_t mb = argc >= 2 ? static_cast<size_t>(std::atoi(argv[argc - 1])) : 300;
    const fs::path work = fs::temp_directory_path() / "kav-extract-bench";
    fs::remove_all(work);
    fs::create_directories(work);
    const auto files = MakeFiles(mb == 0 ? 300 : mb);
    size_t total = 0;
    for (const auto& f : files) total += f.second.size();
    const double megabytes = total / 1048576.0;
    std::printf("data: %zu files, %.1f MB of mixed data, 64 KiB blocks\n", files.size(), megabytes);

    if (peak) {
        BuildArchive(files, false, work / "A.KAV", nullptr);
        std::printf("archive %.1f MB; peak memory of one extraction: %ld KiB\n",
                    fs::file_size(work / "A.KAV") / 1048576.0, PeakOfChild(argv[0], work / "A.KAV", work / "x"));
        fs::remove_all(work);
        return 0;
    }

    kavmake::BuiltArchive layout;
    BuildArchive(files, false, work / "A.KAV", &layout);
    BuildArchive(files, true, work / "E.KAV", nullptr);
    for (const auto& [name, data] : files) {
        std::string n = name;
        for (char& c : n)
            if (c == '\\') c = '/';
        fs::create_directories((work / "plain" / n).parent_path());
        Write(work / "plain" / n, data);
    }
    std::string zip = "cd '" + (work / "plain").string() + "' && zip -q -r ../A.zip . > /dev/null";
    const bool haveZip = std::system(zip.c_str()) == 0;

    // Best of three, each into a fresh folder (files created, not overwritten).
    auto best = [&](const char* tag, const std::function<void(const fs::path&)>& run) {
        double t = 1e9;
        for (int r = 0; r < 3; ++r) {
            fs::path dest = work / (std::string(tag) + std::to_string(r));
            t = std::min(t, Seconds([&] { run(dest); }));
            fs::remove_all(dest);
        }
        return t;
    };
    const double tRaw = best("raw", [&](const fs::path& d) { RawUncompress(work / "A.KAV", layout, files, d); });
    const double tOurs = best("ours", [&](const fs::path& d) { Extract(work / "A.KAV", d); });
    const double tEnc = best("enc", [&](const fs::path& d) { Extract(work / "E.KAV", d); });
    double tUnzip = 0;
    if (haveZip)
        tUnzip = best("unzip", [&](const fs::path& d) {
            std::string cmd = "unzip -q -o '" + (work / "A.zip").string() + "' -d '" + d.string() + "'";
            if (std::system(cmd.c_str()) != 0) std::printf("unzip failed\n");
        });
    auto mbs = [&](double t) { return megabytes / t; };
    std::printf("raw uncompress + write          %8.1f MB/s\n", mbs(tRaw));
    std::printf("TExtractor, compressed          %8.1f MB/s   ratio to raw %.2f (target 0.85)\n", mbs(tOurs),
                tRaw / tOurs);
    std::printf("TExtractor, compressed+Blowfish %8.1f MB/s   ratio to raw %.2f\n", mbs(tEnc), tRaw / tEnc);
    if (haveZip)
        std::printf("unzip of the same files         %8.1f MB/s   TExtractor/unzip speed %.2f (target > 1)\n",
                    mbs(tUnzip), tUnzip / tOurs);
    else
        std::printf("unzip: zip not available\n");
    fs::remove_all(work);
    return 0;
}
