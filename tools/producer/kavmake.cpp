// kavmake: writes a .KAV archive from a description (see Description.h).
//   kavmake DESCRIPTION ARCHIVE
//   kavmake --exe PROGRAM [--offset N] [--trailer FILE] DESCRIPTION OUTPUT
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "Description.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

int Usage() {
    std::cerr << "usage: kavmake [--exe PROGRAM [--offset N] [--trailer FILE]] DESCRIPTION OUTPUT\n"
                 "  Writes the archive described (segments beside OUTPUT as .001, .002, ...).\n"
                 "  With --exe, OUTPUT is PROGRAM with the archive appended at offset N\n"
                 "  (default: PROGRAM's size), padded to 8 bytes, then FILE's bytes.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string exe, trailer, positional[2];
    long long offset = -1;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--exe" || a == "--offset" || a == "--trailer") && i + 1 < argc) {
            const std::string v = argv[++i];
            if (a == "--exe") exe = v;
            else if (a == "--trailer") trailer = v;
            else offset = std::stoll(v, nullptr, 0);
        } else if (a == "-h" || a == "--help" || count == 2 || a.rfind("--", 0) == 0) {
            return Usage();
        } else {
            positional[count++] = a;
        }
    }
    if (count != 2) return Usage();
    try {
        const std::string desc = ReadAll(positional[0]);
        const size_t slash = positional[0].find_last_of("/\\");
        const std::string dir = slash == std::string::npos ? "." : positional[0].substr(0, slash);
        const kavmake::ArchiveBuilder b = kavmake::ParseDescription(desc, dir);
        if (exe.empty()) {
            b.WriteTo(positional[1]);
            return 0;
        }
        const std::string program = ReadAll(exe);
        const std::string out = kavmake::AppendToExecutable(
            program, b.Bytes(), offset < 0 ? static_cast<long long>(program.size()) : offset,
            trailer.empty() ? std::string() : ReadAll(trailer));
        std::ofstream f(positional[1], std::ios::binary | std::ios::trunc);
        f.write(out.data(), static_cast<std::streamsize>(out.size()));
        if (!f) throw std::runtime_error("cannot write " + positional[1]);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "kavmake: " << e.what() << "\n";
        return 1;
    }
}
