// Writes the fuzzer's seed corpus into SEEDS and empties FOUND (where the
// fuzzer keeps the inputs it discovers): small archives of
// every kind the producer makes (a handful of bytes each, so that the
// fuzzer mutates structure rather than bulk data).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "ArchiveBuilder.h"
#include "FuzzInput.h"

using kavmake::ArchiveBuilder;
using kavmake::Packing;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_fuzz_seeds SEEDS FOUND\n";
        return 2;
    }
    const std::string dir = argv[1];
    std::filesystem::create_directories(dir);
    std::filesystem::remove_all(argv[2]);
    std::filesystem::create_directories(argv[2]);
    int n = 0;
    auto save = [&](const kavmake::BuiltArchive& a) {
        std::ofstream(dir + "/seed" + std::to_string(++n), std::ios::binary) << kav::fuzz::JoinSegments(a.segments);
    };
    const std::string key = kav::fuzz::kKey;
    save(ArchiveBuilder().Build());  // empty: one header
    {
        ArchiveBuilder b({.blockSize = 64, .comment = "Versión", .key = key});
        b.AddFile("dir\\a.txt", "Contabilidad Kavo, contabilidad", {.fileType = 1, .tags = {1, 2}});
        b.AddFile("s.bin", "stored", {.packing = Packing::Stored});
        b.AddFile("c.txt", "cifrado cifrado", {.encrypted = true});
        b.AddFile("cs.bin", "trece bytes!!", {.packing = Packing::Stored, .encrypted = true});
        b.AddFile("alt.dll", "x", {.altName = "sys\\alt.dll", .altFileType = 2});
        b.AddFolder("vacia\\");
        save(b.Build());
    }
    {
        ArchiveBuilder b({.blockSize = 32, .segmentSize = 420, .completeTotalsEverywhere = false});
        b.AddFile("partido.bin", kavmake::MixedData(300), {.packing = Packing::Stored});
        b.AddFile("z.txt", "fin");
        save(b.Build());
    }
    {
        // The first file's data ends its segment: the next record does not fit.
        ArchiveBuilder b({.blockSize = 64, .segmentSize = 400});
        b.AddFile("lleno.bin", kavmake::MixedData(60), {.packing = Packing::Stored});
        b.AddFile("siguiente.txt", "siguiente");
        save(b.Build());
    }
    {
        ArchiveBuilder b({.blockSize = 64, .solid = true});
        b.AddFile("dentro.txt", "interior interior");
        save(b.Build());
    }
    {
        ArchiveBuilder b({.blockSize = 128});
        b.AddFile("varios.bin", kavmake::MixedData(400), {.level = 9});
        save(b.Build());
    }
    std::cout << n << " seeds in " << dir << "\n";
    return 0;
}
