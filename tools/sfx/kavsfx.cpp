// kavsfx PROGRAM.EXE ARCHIVE.KAV INSTALLER.EXE
// Builds the installer: the program with the archive appended and its
// position written into SFXCODES. Sign INSTALLER.EXE afterwards.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Exception.h"
#include "InstallerBuilder.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Exception("No puedo abrir " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "uso: kavsfx PROGRAMA.EXE ARCHIVO.KAV INSTALADOR.EXE\n");
        return 2;
    }
    try {
        kav::sfx::Built built = kav::sfx::BuildInstaller(ReadAll(argv[1]), ReadAll(argv[2]));
        std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(built.bytes.data()), static_cast<std::streamsize>(built.bytes.size()));
        if (!out) throw Exception(std::string("No puedo crear el Archivo ") + argv[3]);
        std::printf("SFXCODES = %u\n", built.sfxSize);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
