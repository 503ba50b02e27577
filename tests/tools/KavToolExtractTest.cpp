// kavtool extract: one line per file written, the product's messages on
// failure, segments found beside the first one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ArchiveBuilder.h"
#include "KavTool.h"

namespace {

namespace fs = std::filesystem;
using kavmake::ArchiveBuilder;

struct Result {
    int status;
    std::string out, err;
};

Result RunTool(std::vector<std::string> args) {
    std::ostringstream out, err;
    int status = kavtool::Run(args, out, err);
    return {status, out.str(), err.str()};
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(KavToolExtract, ExtractsAndReportsEachFile) {
    fs::remove_all("kx");
    fs::create_directories("kx");
    ArchiveBuilder good({.key = "clave de soporte"});
    good.AddFile("Programa\\CONTA.EXE", "programa");
    good.AddFile("secreto.dat", "cifrado", {.encrypted = true});
    good.WriteTo("kx/good.kav");
    ArchiveBuilder split({.blockSize = 1024, .segmentSize = 2500});
    split.AddFile("partido.bin", kavmake::MixedData(6000), {.packing = kavmake::Packing::Stored});
    split.WriteTo("kx/split.kav");
    ArchiveBuilder crc;
    crc.AddFile("roto.txt", "datos", {.fault = kavmake::Fault::WrongCrc});
    crc.WriteTo("kx/crc.kav");

    Result r = RunTool({"extract", "--key", "clave de soporte", "kx/good.kav", "kx/out"});
    EXPECT_EQ(r.status, 0) << r.err;
    // The engine is handed the folder as an absolute path.
    const std::string out = fs::absolute("kx/out").string();
    EXPECT_EQ(r.out, out + "\\Programa\\CONTA.EXE\n" + out + "\\secreto.dat\n");
    EXPECT_EQ(Slurp("kx/out/Programa/CONTA.EXE"), "programa");
    EXPECT_EQ(Slurp("kx/out/secreto.dat"), "cifrado");

    // --skip keeps what is there; the default overwrites.
    std::ofstream("kx/out/secreto.dat", std::ios::trunc) << "mio";
    r = RunTool({"extract", "--skip", "--key", "clave de soporte", "kx/good.kav", "kx/out"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Slurp("kx/out/secreto.dat"), "mio");

    r = RunTool({"extract", "kx/split.kav", "kx/out2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp("kx/out2/partido.bin"), kavmake::MixedData(6000));

    struct Failure {
        std::vector<std::string> args;
        int status;
        const char* message;
    } failures[] = {
        {{"extract", "kx/crc.kav", "kx/out3"}, 1, "CRC incorrecto: los datos dentro del archivo estan corrompidos\n"},
        {{"extract", "kx/good.kav", "kx/out4"}, 1, "El archivo esta encriptado: indique la clave con --key CLAVE\n"},
        {{"extract", "kx/missing.kav", "kx/out5"}, 1, "No puedo abrir kx/missing.kav\n"},
        {{"extract", "kx/good.kav"}, 2, nullptr},
        {{"extract", "--bad", "kx/good.kav", "kx/out"}, 2, nullptr},
    };
    for (const Failure& f : failures) {
        r = RunTool(f.args);
        EXPECT_EQ(r.status, f.status) << f.args.back();
        if (f.message) EXPECT_EQ(r.err, f.message);
    }
}

// A file whose data ends its segment, the next record opening the next one:
// extracting over the same folder again, keeping what is there, steps over it.
TEST(KavToolExtract, SkipsAFileThatEndsItsSegment) {
    fs::remove_all("kb");
    fs::create_directories("kb");
    ArchiveBuilder b({.blockSize = 1024, .segmentSize = 440});
    b.AddFile("a.bin", kavmake::MixedData(100), {.packing = kavmake::Packing::Stored});
    b.AddFile("b.txt", "segundo");
    ASSERT_EQ(b.Build().segments.size(), 2u);
    b.WriteTo("kb/QTR.KAV");
    Result r = RunTool({"extract", "kb/QTR.KAV", "kb/out"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = RunTool({"extract", "--skip", "kb/QTR.KAV", "kb/out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Slurp("kb/out/b.txt"), "segundo");
    // Listing steps over it the same way.
    r = RunTool({"list", "kb/QTR.KAV"});
    EXPECT_EQ(r.out, "a.bin\t100\t0\nb.txt\t7\t0\n") << r.err;
}

// A name with a drive is refused as the product refuses it; the format's own
// rule (back to its drive) only when asked for.
TEST(KavToolExtract, DriveNamesOnlyWithAbsolutePaths) {
    fs::remove_all("kx_abs");
    fs::create_directories("kx_abs/drives/C");
#ifdef _WIN32
    const std::string placed = "C:\\kv_kavtool_abs\\dentro.txt";
#else
    setenv("KV_DRIVES_ROOT", fs::absolute("kx_abs/drives").c_str(), 1);
    const std::string placed = "kx_abs/drives/C/kv_kavtool_abs/dentro.txt";
#endif
    fs::remove_all(fs::path(placed).parent_path());
    ArchiveBuilder b;
    b.AddFile("C:\\kv_kavtool_abs\\dentro.txt", "absoluto");
    b.WriteTo("kx_abs/abs.kav");
    Result r = RunTool({"extract", "kx_abs/abs.kav", "kx_abs/out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Nombre de archivo no permitido en el archivo: \"C:\\kv_kavtool_abs\\dentro.txt\"\n");
    EXPECT_FALSE(fs::exists(placed));
    r = RunTool({"extract", "--absolute-paths", "kx_abs/abs.kav", "kx_abs/out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(placed), "absoluto");
    fs::remove_all(fs::path(placed).parent_path());
#ifndef _WIN32
    unsetenv("KV_DRIVES_ROOT");
#endif
    fs::remove_all("kx_abs");
}

// A relative folder of one or two characters is a folder, not a drive.
TEST(KavToolExtract, ShortRelativeFolders) {
    ArchiveBuilder b;
    b.AddFile("Conta\\QTR.EXE", "programa");
    b.WriteTo("kx_short.kav");
    for (const std::string folder : {"a", "ab", "x1"}) {
        fs::remove_all(folder);
        const Result r = RunTool({"extract", "kx_short.kav", folder});
        EXPECT_EQ(r.status, 0) << folder << ": " << r.err;
        EXPECT_EQ(Slurp(folder + "/Conta/QTR.EXE"), "programa") << folder;
        fs::remove_all(folder);
    }
}

// The key reaches the engine whenever it asks: also for the inner entries of
// a solid archive, read after the container was unpacked.
TEST(KavToolExtract, KeyForTheEncipheredEntriesOfASolidArchive) {
    fs::remove_all("kx_solid");
    ArchiveBuilder b({.key = "clave de soporte", .solid = true});
    b.AddFile("dentro\\secreto.txt", "cifrado dentro", {.encrypted = true});
    b.AddFile("claro.txt", "a la vista");
    b.WriteTo("kx_solid.kav");
    Result r = RunTool({"extract", "--key", "clave de soporte", "kx_solid.kav", "kx_solid"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp("kx_solid/dentro/secreto.txt"), "cifrado dentro");
    EXPECT_EQ(Slurp("kx_solid/claro.txt"), "a la vista");
    r = RunTool({"test", "--key", "clave de soporte", "kx_solid.kav"});
    EXPECT_EQ(r.out, "kx_solid.kav: correcto, 2 entradas, 24 bytes\n") << r.err;
    r = RunTool({"extract", "kx_solid.kav", "kx_solid"});
    EXPECT_EQ(r.err, "El archivo esta encriptado: indique la clave con --key CLAVE\n");
    fs::remove_all("kx_solid");
}

}  // namespace
