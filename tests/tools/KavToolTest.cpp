#include "KavTool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ArchiveBuilder.h"

namespace {

using kavmake::ArchiveBuilder;
using kavmake::FileOptions;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class KavTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        kav::TUserData ud;
        ud.Bytes[0] = 0xAB;
        ud.Bytes[127] = 0x01;
        ArchiveBuilder good({.userData = ud, .comment = "Versión 7", .key = "clave de soporte"});
        good.AddFile("Programa\\CONTA.EXE", "programa", {.fileType = 1});
        good.AddFile("Año\\ñ.txt", kavmake::MixedData(100000), {.fileType = 6});
        good.AddFile("secreto.dat", "cifrado", {.encrypted = true});
        good.WriteTo("kt_good.kav");

        ArchiveBuilder solid({.solid = true});
        solid.AddFile("dentro.txt", "interior");
        solid.WriteTo("kt_solid.kav");

        ArchiveBuilder crc;
        crc.AddFile("roto.txt", "datos", {.fault = kavmake::Fault::WrongCrc});
        crc.WriteTo("kt_crc.kav");

        ArchiveBuilder split({.blockSize = 1024, .segmentSize = 2500});
        split.AddFile("partido.bin", kavmake::MixedData(6000), {.packing = kavmake::Packing::Stored});
        split.WriteTo("kt_split.kav");
        WriteFile("kt_cut.kav", split.Build().segments[0]);  // its next segment is nowhere

        ArchiveBuilder v2({.version = 2});
        v2.WriteTo("kt_v2.kav");

        ArchiveBuilder tagged;
        tagged.AddFile("t.txt", "x", {.tags = {1}});
        kavmake::BuiltArchive damaged = tagged.Build();
        damaged.segments[0][damaged.entries[0].tagCount] = 11;
        WriteFile("kt_damaged.kav", damaged.segments[0]);

        // Archives the product refuses to extract: "test" must refuse them too.
        ArchiveBuilder unsafe;
        unsafe.AddFile("..\\fuera.txt", "x");
        unsafe.WriteTo("kt_unsafe.kav");
        kavmake::BuiltArchive shortFile = tagged.Build();
        shortFile.segments[0][shortFile.entries[0].size] = 2;  // Size 2, one byte stored
        WriteFile("kt_short.kav", shortFile.segments[0]);

        ArchiveBuilder inExe({.extraFlags = 0x02});
        WriteFile("kt_setup.exe", kavmake::AppendToExecutable("MZ", inExe.Bytes(), 1000, "FIRMA"));

        WriteFile("kt_check.txt", "123456789");
    }

    struct Result { int code; std::string out, err; };
    static Result Run(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int code = kavtool::Run(args, out, err);
        return {code, out.str(), err.str()};
    }
};

TEST_F(KavTool, CommandsOnGoodArchives) {
    struct Case { std::vector<std::string> args; std::string out; };
    const Case cases[] = {
        {{"list", "kt_good.kav"}, "Programa\\CONTA.EXE\t8\t1\nAño\\ñ.txt\t100000\t6\nsecreto.dat\t7\t0\n"},
        {{"list", "kt_solid.kav"}, "dentro.txt\t8\t0\n"},
        {{"list", "kt_split.kav"}, "partido.bin\t6000\t0\n"},
        {{"test", "--key", "clave de soporte", "kt_good.kav"}, "kt_good.kav: correcto, 3 entradas, 100015 bytes\n"},
        {{"test", "kt_split.kav"}, "kt_split.kav: correcto, 1 entradas, 6000 bytes\n"},
        {{"test", "kt_solid.kav"}, "kt_solid.kav: correcto, 1 entradas, 8 bytes\n"},
        {{"test", "--offset", "1000", "kt_setup.exe"}, "kt_setup.exe: correcto, 0 entradas, 0 bytes\n"},
        {{"crc", "kt_check.txt"}, "1B948A57\n"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.code, 0) << c.args[0] << " " << c.args.back() << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args.back();
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(KavTool, HeaderShowsFieldsAndUserDataInHex) {
    const Result r = Run({"header", "kt_good.kav"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Signature\t4664\n"), std::string::npos);
    EXPECT_NE(r.out.find("ArchiveFlags\t0x10\n"), std::string::npos);
    EXPECT_NE(r.out.find("ArchiveInfo.FileCount\t3\n"), std::string::npos);
    EXPECT_NE(r.out.find("UserData\tAB" + std::string(252, '0') + "01\n"), std::string::npos);
    EXPECT_NE(r.out.find("Comment\tVersión 7\n"), std::string::npos);
    const Result exe = Run({"header", "--offset", "1000", "kt_setup.exe"});
    EXPECT_NE(exe.out.find("ArchiveFlags\t0x12\n"), std::string::npos) << exe.err;
}

TEST_F(KavTool, FailuresGiveTheProductsMessage) {
    struct Case { std::vector<std::string> args; int code; std::string err; };
    const Case cases[] = {
        {{"test", "kt_good.kav"}, 1, "El archivo esta encriptado: indique la clave con --key CLAVE\n"},
        {{"test", "--key", "otra clave", "kt_good.kav"}, 1, "El archivo no podra desencriptarse. Introdujo una clave invalida\n"},
        {{"test", "kt_crc.kav"}, 1, "CRC incorrecto: los datos dentro del archivo estan corrompidos\n"},
        {{"test", "kt_damaged.kav"}, 1, "El archivo está dañado\n"},
        {{"list", "kt_damaged.kav"}, 1, "El archivo está dañado\n"},
        {{"test", "kt_v2.kav"}, 1, "Versión desconocida\n"},
        {{"test", "kt_unsafe.kav"}, 1, "Nombre de archivo no permitido en el archivo: \"..\\fuera.txt\"\n"},
        {{"test", "kt_short.kav"}, 1, "El archivo está dañado\n"},
        {{"test", "kt_cut.kav"}, 1, "No se encuentra el segmento Nº: 2 del archivo kt_cut.kav\n"},
        {{"header", "kt_check.txt"}, 1, "Firma Erronea: el archivo \"kt_check.txt\" no es valido\n"},
        {{"list", "kt_setup.exe"}, 1, "Firma Erronea: el archivo \"kt_setup.exe\" no es valido\n"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << " " << c.args.back();
        EXPECT_EQ(r.err, c.err) << c.args[0] << " " << c.args.back();
    }
    const Result missing = Run({"test", "no_existe.kav"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "No puedo abrir no_existe.kav\n");
}

TEST_F(KavTool, UsageMistakesShowTheHelp) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"extraer", "a.kav"}, {"list"}, {"list", "a.kav", "b.kav"}, {"crc", "--key", "k", "a"},
        {"test", "--offset", "-5", "a.kav"}, {"test", "--offset", "diez", "a.kav"}, {"header", "--key", "k", "a.kav"},
    };
    for (const auto& args : cases) {
        const Result r = Run(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.err.rfind("uso: kavtool", 0), 0u);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
