// Updates through the vendor's differences against the archives they stand
// in for (run by hand, not a test). Every ratio compares figures of this run.
//   kav_delta_bench EARLIER.exe NEWER.exe [DEMO_RELEASE]
// Bytes moved: the differences between two consecutive builds of the updater
// (one changed file: the incremental and the full archive are the same), and
// between the demo's releases 12.05 and 12.06 (DEMO_RELEASE holds the demo's
// descriptions qtr1205.desc, qtract1206.desc and qtr1206.desc and their
// files, as scripts/demo.sh leaves them in build/demo/release), against the
// incremental and the full archive. Work besides the download, on the same
// installed tree: the plain update checks and extracts the incremental
// archive; the update through the differences reads them, rebuilds every
// patched file from the installed one (digests checked) into an archive
// held in memory, and extracts it from there (its entries come from the
// rebuild, as in the run). Each round starts both from a fresh copy of the
// same installed tree, already in the system's cache, and they take turns
// in alternating order; one round to warm up, then the median of kRounds.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "Description.h"
#include "Differences.h"
#include "Diferencias.h"
#include "Extractor.h"
#include "Timing.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 9;

std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::string bytes(f ? static_cast<size_t>(fs::file_size(p)) : 0, '\0');
    if (!f || !f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        std::fprintf(stderr, "cannot read %s\n", p.c_str());
        std::exit(1);
    }
    return bytes;
}

void Write(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path Stored(const fs::path& tree, std::string name) {
    for (char& c : name)
        if (c == '\\') c = '/';
    return tree / name;
}

void Engine(const fs::path& archive, const fs::path* into, const std::string* held = nullptr) {
    kav::TExtractor x;
    if (held) x.UseHeldBytes(archive.string(), *held);
    x.ErrorAction = kav::eaAbort;
    x.Options -= kav::oShowBusyMessage;
    x.SetFileName(archive.string());
    if (into) {
        x.ExtractPath = into->string();
        x.RestoreAction = kav::raOverwrite;
        x.ExtractFiles();
    } else {
        x.TestFiles();
    }
    if (x.ResultCode() == -1) {
        std::fprintf(stderr, "the engine failed on %s\n", archive.c_str());
        std::exit(1);
    }
}

void Plain(const fs::path& archive, const fs::path& tree) {
    Engine(archive, nullptr);
    Engine(archive, &tree);
}

void ThroughDifferences(const fs::path& differences, const fs::path& tree, const fs::path& scratch) {
    const auto entries = diferencias::LeerArchivo(differences.string(), (scratch / "trabajo").string());
    const diferencias::TArchivoReconstruido rebuilt = diferencias::ConstruirArchivo(
        entries, [&](const std::string& name) { return diferencias::MapearInstalado(Stored(tree, name).string()); },
        [](const kav::TFileEntry&) { return true; });
    Engine(scratch / "R.KAV", &tree, &rebuilt.bytes);
}

// Wall and processor time each their own median.
Timing Median(std::vector<Timing> t) {
    const auto middle = [&](auto field) {
        std::vector<double> v;
        for (const Timing& x : t) v.push_back(x.*field);
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    return {middle(&Timing::wall), middle(&Timing::cpu)};
}

struct Release {
    std::string name;
    kavmake::ArchiveBuilder earlier, incremental, full;
};

void Measure(const Release& r, const fs::path& dir) {
    const std::string delta = kavmake::MakeDifferences(r.earlier, r.incremental, "1.00", "1.01").Bytes();
    const std::string incremental = r.incremental.Bytes(), full = r.full.Bytes();
    std::printf("%s\n  bytes: differences %zu, incremental %zu, full %zu\n", r.name.c_str(), delta.size(),
                incremental.size(), full.size());
    std::printf("  differences / incremental %.4f (target at most 0.10 for a rebuild), differences / full %.4f\n",
                double(delta.size()) / incremental.size(), double(delta.size()) / full.size());

    const fs::path pristine = dir / "instalada", a = dir / "a", b = dir / "b", scratch = dir / "scratch";
    fs::remove_all(dir);
    for (const kavmake::AddedFile& f : r.earlier.Files()) Write(Stored(pristine, f.name), std::string(f.content));
    Write(dir / "INC.KAV", incremental);
    Write(dir / "DIF.KAV", delta);
    std::vector<Timing> plains, throughs;
    for (int i = 0; i <= kRounds; ++i) {
        for (const fs::path& t : {a, b}) {
            fs::remove_all(t);
            fs::copy(pristine, t, fs::copy_options::recursive);
        }
        Timing p, d;
        if (i % 2 == 0) {
            p = ::Measure([&] { Plain(dir / "INC.KAV", a); });
            d = ::Measure([&] { ThroughDifferences(dir / "DIF.KAV", b, scratch); });
        } else {
            d = ::Measure([&] { ThroughDifferences(dir / "DIF.KAV", b, scratch); });
            p = ::Measure([&] { Plain(dir / "INC.KAV", a); });
        }
        if (i == 0) continue;  // the warm-up
        plains.push_back(p);
        throughs.push_back(d);
    }
    const Timing plain = Median(plains), through = Median(throughs);
    // Both updates must have left the same files.
    for (const kavmake::AddedFile& f : r.incremental.Files())
        if (Read(Stored(a, f.name)) != Read(Stored(b, f.name))) {
            std::fprintf(stderr, "the two updates differ in %s\n", f.name.c_str());
            std::exit(1);
        }
    std::printf("  work besides the download: plain %.4f s (%.4f), differences %.4f s (%.4f)\n", plain.wall,
                plain.cpu, through.wall, through.cpu);
    std::printf("  differences / plain %.2f (processor time %.2f; target at most 1.5)\n", through.wall / plain.wall,
                through.cpu / plain.cpu);
    fs::remove_all(dir);
}

kavmake::ArchiveBuilder Described(const fs::path& desc) {
    return kavmake::ParseDescription(Read(desc), desc.parent_path().string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: kav_delta_bench EARLIER.exe NEWER.exe [DEMO_RELEASE]\n");
        return 2;
    }
    const fs::path dir = fs::temp_directory_path() / ("kav_delta_bench_" + std::to_string(getpid()));
    Release updater{"Actualizador.exe, two consecutive builds", {}, {}, {}};
    const std::string earlier = Read(argv[1]), newer = Read(argv[2]);
    const kavmake::FileOptions o{.fileType = 10};
    updater.earlier.AddFile("Conta\\Programa\\Actualizador.exe", earlier, o);
    updater.incremental.AddFile("Conta\\Programa\\Actualizador.exe", newer, o);
    updater.full.AddFile("Conta\\Programa\\Actualizador.exe", newer, o);
    Measure(updater, dir);
    if (argc == 4) {
        const fs::path rel = argv[3];
        Release demo{"the demo, 12.05 to 12.06", Described(rel / "qtr1205.desc"), Described(rel / "qtract1206.desc"),
                     Described(rel / "qtr1206.desc")};
        Measure(demo, dir);
    }
    return 0;
}
