// Extraction benchmark (run by hand, not a test). Every ratio compares
// figures measured in this run, on the same files: 64 KiB blocks of mixed
// data, every file written to disk.
//   kav_extract_bench [MB]        extraction against `unzip -o` and `7z x` of
//                                 a zip of the same files; enciphered
//                                 extraction against what Blowfish alone
//                                 allows; raw decode + write; the check of
//                                 the whole archive (TestFiles) before an
//                                 update; peak memory of
//                                 one extraction at two archive sizes
//   kav_extract_bench --peak MB   peak memory of one extraction only
//   kav_extract_bench --wine NATIVE_KAVTOOL WINDOWS_KAVTOOL [MB]
//                                 `kavtool extract` for Windows under Wine
//                                 against the native one, same archive
//   kav_extract_bench --make MB DIR   writes the archives and the zip into DIR
//                                 (A.KAV, E.KAV, A.zip), for profiling
#include <libdeflate.h>
#include <sys/resource.h>

#include <algorithm>
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
#include "Blowunit.h"
#include "Extractor.h"
#include "Timing.h"

namespace fs = std::filesystem;

namespace {

const char* kKey = "clave de prueba 1";
constexpr int kRounds = 5;

using Files = std::vector<std::pair<std::string, std::string>>;

void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

void Run(const std::string& cmd) {
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", cmd.c_str());
        std::exit(1);
    }
}

// Files of 64 KiB to 4 MiB of mixed data, `mb` in all.
Files MakeFiles(size_t mb) {
    Files files;
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

size_t TotalSize(const Files& files) {
    size_t total = 0;
    for (const auto& f : files) total += f.second.size();
    return total;
}

fs::path Native(const fs::path& root, const std::string& stored) {
    std::string n = stored;
    std::replace(n.begin(), n.end(), '\\', '/');
    return root / n;
}

kavmake::BuiltArchive BuildArchive(const Files& files, bool encrypted, const fs::path& to) {
    kavmake::ArchiveBuilder b({.blockSize = 65536, .key = kKey});
    for (const auto& [name, data] : files) b.AddFile(name, data, {.encrypted = encrypted});
    kavmake::BuiltArchive built = b.Build();
    Write(to, built.segments[0]);
    return built;
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

// The updater's check before an update: the whole archive read through the
// engine (checksums, inflate, sizes), nothing written.
void Verify(const fs::path& archive) {
    kav::TExtractor e;
    e.SetFileName(archive.string());
    e.ErrorAction = kav::eaAbort;
    e.Open();
    e.TestFiles();
    e.Close();
}

// The floor: every block read from the file, inflated by the same library
// and written, without checksums, events or ciphers.
void RawDecode(const fs::path& archive, const kavmake::BuiltArchive& layout, const Files& files,
               const fs::path& dest) {
    std::FILE* in = std::fopen(archive.c_str(), "rb");
    std::vector<unsigned char> src(70000), out(65536);
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    for (size_t i = 0; i < layout.entries.size(); ++i) {
        const fs::path name = Native(dest, files[i].first);
        fs::create_directories(name.parent_path());
        std::FILE* f = std::fopen(name.c_str(), "wb");
        for (int64_t at : layout.entries[i].blocks) {
            int32_t length = 0;
            std::fseek(in, static_cast<long>(at), SEEK_SET);
            if (std::fread(&length, 4, 1, in) != 1 || std::fseek(in, 4, SEEK_CUR) != 0) break;
            size_t n = static_cast<size_t>(length < 0 ? -length : length);
            if (std::fread(src.data(), 1, n, in) != n) break;
            size_t produced = n;
            if (length >= 0) libdeflate_zlib_decompress(d, src.data(), n, out.data(), out.size(), &produced);
            else std::memcpy(out.data(), src.data(), n);
            std::fwrite(out.data(), 1, produced, f);
        }
        std::fclose(f);
    }
    libdeflate_free_decompressor(d);
    std::fclose(in);
}

// The cipher text of every enciphered block (without its count byte).
std::vector<std::string> CipherTexts(const std::string& archive, const kavmake::BuiltArchive& layout) {
    std::vector<std::string> texts;
    for (const auto& entry : layout.entries)
        for (int64_t at : entry.blocks) {
            int32_t length = 0;
            std::memcpy(&length, archive.data() + at, 4);
            const size_t n = static_cast<size_t>(length < 0 ? -length : length);
            texts.emplace_back(archive.substr(static_cast<size_t>(at) + 8, n - 1));
        }
    return texts;
}

// Blowfish alone: the same cipher deciphering those bytes in memory, one
// tight loop per block, nothing else.
void DecipherAll(kav::TBlowFish& bf, std::vector<std::string>& texts) {
    for (std::string& t : texts) {
        auto* p = reinterpret_cast<uint8_t*>(t.data());
        for (size_t at = 0; at + 8 <= t.size(); at += 8) {
            uint32_t l = uint32_t(p[at]) << 24 | uint32_t(p[at + 1]) << 16 | uint32_t(p[at + 2]) << 8 | p[at + 3];
            uint32_t r = uint32_t(p[at + 4]) << 24 | uint32_t(p[at + 5]) << 16 | uint32_t(p[at + 6]) << 8 | p[at + 7];
            bf.DecipherHalves(l, r);
            for (int k = 0; k < 4; ++k) {
                p[at + k] = static_cast<uint8_t>(l >> (24 - 8 * k));
                p[at + 4 + k] = static_cast<uint8_t>(r >> (24 - 8 * k));
            }
        }
    }
}

// The child's own high-water mark of resident memory (VmHWM belongs to the
// address space the child got at exec, so the parent's data is not in it).
long PeakOfChild(const char* self, const fs::path& archive, const fs::path& dest) {
    std::string cmd = "'" + std::string(self) + "' --extract " + Quoted(archive) + " " + Quoted(dest);
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

// Runs every contender once per round, in turn, each into a fresh folder
// (files created, not overwritten); keeps the best wall and processor time
// of each. Taking turns spreads the machine's other load over all of them.
struct Contender {
    std::string tag;
    std::function<void(const fs::path&)> run;
    Timing best;
};

void Race(std::vector<Contender>& contenders, const fs::path& work) {
    for (int round = 0; round < kRounds; ++round)
        for (Contender& c : contenders) {
            const fs::path dest = work / ("out-" + c.tag);
            fs::remove_all(dest);
            fs::create_directories(dest);
            const Timing t = Measure([&] { c.run(dest); });
            c.best.wall = std::min(c.best.wall, t.wall);
            c.best.cpu = std::min(c.best.cpu, t.cpu);
            fs::remove_all(dest);
        }
}

void PrintPeak(const char* self, const Files& files, const fs::path& work) {
    const Files quarter(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(files.size() / 4));
    long peaks[2];
    double sizes[2];
    int i = 0;
    for (const Files* set : {&quarter, &files}) {
        BuildArchive(*set, false, work / "P.KAV");
        sizes[i] = fs::file_size(work / "P.KAV") / 1048576.0;
        peaks[i] = PeakOfChild(self, work / "P.KAV", work / "out-peak");
        fs::remove_all(work / "out-peak");
        ++i;
    }
    fs::remove(work / "P.KAV");
    std::printf("peak memory of one extraction: %ld KiB for a %.1f MB archive, %ld KiB for %.1f MB: "
                "ratio %.2f (target: flat, 1.00)\n",
                peaks[0], sizes[0], peaks[1], sizes[1], static_cast<double>(peaks[1]) / peaks[0]);
}

int WineRatio(const std::string& native, const fs::path& windows, size_t mb, const fs::path& work) {
    // Run from the program's folder, so that the Wine runner uses the prefix
    // of the program's build tree.
    const std::string wine = "cd " + Quoted(fs::absolute(windows).parent_path()) + " && " +
                             Quoted(fs::path(KV_SOURCE_DIR) / "scripts" / "wine-run.sh") + " " + Quoted(fs::absolute(windows));
    const Files files = MakeFiles(mb);
    std::printf("data: %zu files, %.1f MB of mixed data, 64 KiB blocks\n", files.size(), TotalSize(files) / 1048576.0);
    BuildArchive(files, false, work / "A.KAV");
    // Wine started once beforehand, so that no round pays for its start-up.
    Run(wine + " crc " + Quoted(work / "A.KAV") + " > /dev/null");
    std::vector<Contender> contenders{
        {"native",
         [&](const fs::path& d) { Run(Quoted(native) + " extract " + Quoted(work / "A.KAV") + " " + Quoted(d) + " > /dev/null"); }},
        {"wine", [&](const fs::path& d) { Run(wine + " extract " + Quoted(work / "A.KAV") + " " + Quoted(d) + " > /dev/null"); }},
    };
    Race(contenders, work);
    const double megabytes = TotalSize(files) / 1048576.0;
    std::printf("kavtool extract, native          %8.1f MB/s\n", megabytes / contenders[0].best.wall);
    // Each Wine run includes starting the program under Wine; wineserver's
    // own processor time is not counted (it is no child of ours).
    std::printf("kavtool.exe extract under Wine   %8.1f MB/s   time ratio Wine/native %.2f (processor time %.2f)\n",
                megabytes / contenders[1].best.wall, contenders[1].best.wall / contenders[0].best.wall,
                contenders[1].best.cpu / contenders[0].best.cpu);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--extract") == 0) {
        Extract(argv[2], argv[3]);
        std::printf("%ld\n", OwnPeakKiB());
        return 0;
    }
    const fs::path work = fs::temp_directory_path() / "kav-extract-bench";
    fs::remove_all(work);
    fs::create_directories(work);
    if (argc >= 4 && std::strcmp(argv[1], "--wine") == 0) {
        const int rc = WineRatio(argv[2], argv[3], argc >= 5 ? std::atoi(argv[4]) : 100, work);
        fs::remove_all(work);
        return rc;
    }
    const bool peakOnly = argc == 3 && std::strcmp(argv[1], "--peak") == 0;
    const size_t mb = argc >= 2 ? static_cast<size_t>(std::atoi(argv[argc == 4 ? 2 : argc - 1])) : 100;
    const Files files = MakeFiles(mb == 0 ? 100 : mb);
    const double megabytes = TotalSize(files) / 1048576.0;
    std::printf("data: %zu files, %.1f MB of mixed data, 64 KiB blocks\n", files.size(), megabytes);
    if (peakOnly) {
        BuildArchive(files, false, work / "A.KAV");
        std::printf("archive %.1f MB; peak memory of one extraction: %ld KiB\n",
                    fs::file_size(work / "A.KAV") / 1048576.0, PeakOfChild(argv[0], work / "A.KAV", work / "x"));
        fs::remove_all(work);
        return 0;
    }

    const fs::path made = argc == 4 && std::strcmp(argv[1], "--make") == 0 ? fs::absolute(argv[3]) : work;
    fs::create_directories(made);
    const kavmake::BuiltArchive layout = BuildArchive(files, false, made / "A.KAV");
    const kavmake::BuiltArchive encrypted = BuildArchive(files, true, made / "E.KAV");
    for (const auto& [name, data] : files) {
        fs::create_directories(Native(work / "plain", name).parent_path());
        Write(Native(work / "plain", name), data);
    }
    Run("cd " + Quoted(work / "plain") + " && zip -q -r " + Quoted(made / "A.zip") + " .");
    fs::remove_all(work / "plain");
    if (made != work) {
        fs::remove_all(work);
        return 0;
    }

    std::vector<Contender> contenders{
        {"kav", [&](const fs::path& d) { Extract(work / "A.KAV", d); }},
        {"unzip", [&](const fs::path& d) { Run("unzip -q -o " + Quoted(work / "A.zip") + " -d " + Quoted(d)); }},
        {"7z", [&](const fs::path& d) {
             Run("7z x -y -bd -o" + Quoted(d) + " " + Quoted(work / "A.zip") + " > /dev/null");
         }},
        {"enc", [&](const fs::path& d) { Extract(work / "E.KAV", d); }},
        {"raw", [&](const fs::path& d) { RawDecode(work / "A.KAV", layout, files, d); }},
        {"verify", [&](const fs::path&) { Verify(work / "A.KAV"); }},
    };
    Race(contenders, work);
    const Timing kav = contenders[0].best, unzip = contenders[1].best, sevenZip = contenders[2].best,
                 enc = contenders[3].best, raw = contenders[4].best, verify = contenders[5].best;

    // Blowfish alone over the enciphered blocks' bytes, best of the rounds.
    const std::string encBytes = encrypted.segments[0];
    kav::TBlowFish bf;
    bf.SetKey(kKey);
    {
        uint8_t block[8] = {};  // prepares the key schedule outside the timing
        bf.SetInputType(kav::TSourceType::SourceByteArray);
        bf.SetInputPointer(block);
        bf.SetOutputPointer(block);
        bf.SetInputLength(8);
        bf.DecipherData(false);
    }
    Timing blowfish;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::string> texts = CipherTexts(encBytes, encrypted);
        const Timing t = Measure([&] { DecipherAll(bf, texts); });
        blowfish.wall = std::min(blowfish.wall, t.wall);
        blowfish.cpu = std::min(blowfish.cpu, t.cpu);
    }

    auto mbs = [&](const Timing& t) { return megabytes / t.wall; };
    std::printf("best of %d rounds; ratios of wall time (of processor time in brackets)\n", kRounds);
    std::printf("TExtractor, compressed           %8.1f MB/s\n", mbs(kav));
    std::printf("unzip -o                         %8.1f MB/s   TExtractor/unzip time %.2f (%.2f)  target <= 0.33\n",
                mbs(unzip), kav.wall / unzip.wall, kav.cpu / unzip.cpu);
    std::printf("7z x                             %8.1f MB/s   TExtractor/7z time    %.2f (%.2f)  target <= 0.50\n",
                mbs(sevenZip), kav.wall / sevenZip.wall, kav.cpu / sevenZip.cpu);
    std::printf("raw inflate + write (floor)      %8.1f MB/s   raw/TExtractor time   %.2f (%.2f)\n", mbs(raw),
                raw.wall / kav.wall, raw.cpu / kav.cpu);
    // What Blowfish alone allows: the plain extraction's time plus the
    // cipher's own time on the enciphered bytes.
    std::printf("TExtractor, compressed+Blowfish  %8.1f MB/s   Blowfish alone %.0f ms: allowed/actual %.2f (%.2f)"
                "  target >= 0.90\n",
                mbs(enc), blowfish.wall * 1000, (kav.wall + blowfish.wall) / enc.wall,
                (kav.cpu + blowfish.cpu) / enc.cpu);
    // What reading every archive before an update adds to the extraction.
    std::printf("TestFiles (check, no writing)    %8.1f MB/s   check/TExtractor time %.2f (%.2f)\n", mbs(verify),
                verify.wall / kav.wall, verify.cpu / kav.cpu);
    PrintPeak(argv[0], files, work);
    fs::remove_all(work);
    return 0;
}
