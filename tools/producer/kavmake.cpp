// kavmake: writes a .KAV archive from a description (see Description.h).
//   kavmake DESCRIPTION ARCHIVE
//   kavmake --exe PROGRAM [--offset N] [--trailer FILE] DESCRIPTION OUTPUT
//   kavmake --diferencias FROM TO EARLIER_DESCRIPTION NEW_DESCRIPTION OUTPUT
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "Description.h"
#include "Differences.h"

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
                 "  (default: PROGRAM's size), padded to 8 bytes, then FILE's bytes.\n"
                 "       kavmake --diferencias FROM TO EARLIER_DESCRIPTION NEW_DESCRIPTION OUTPUT\n"
                 "  Writes the differences from release FROM to release TO (e.g. 12.05 12.06).\n";
    return 2;
}

}  // namespace

kavmake::ArchiveBuilder Parse(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return kavmake::ParseDescription(ReadAll(path), slash == std::string::npos ? "." : path.substr(0, slash));
}

int Differences(char** argv) {
    try {
        kavmake::MakeDifferences(Parse(argv[4]), Parse(argv[5]), argv[2], argv[3]).WriteTo(argv[6]);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "kavmake: " << e.what() << "\n";
        return 1;
    }
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--diferencias") return argc == 7 ? Differences(argv) : Usage();
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
        const kavmake::ArchiveBuilder b = Parse(positional[0]);
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
