#include "KavTool.h"

#include <cstdio>
#include <functional>
#include <iomanip>
#include <sstream>

#include "ArchiveCRC32.h"
#include "ArchiveFormat.h"
#include "Stream.h"
#include "ToolExtractor.h"

namespace kavtool {
namespace {

const char kHelp[] =
    "uso: kavtool ORDEN [opciones] ARCHIVO\n"
    "  list   [--offset N] ARCHIVO        nombre, tamaño y tipo de cada entrada\n"
    "  test   [--offset N] [--key CLAVE] ARCHIVO\n"
    "                                     lee y comprueba todos los bloques\n"
    "  header [--offset N] ARCHIVO        campos de la cabecera\n"
    "  crc    FICHERO                     ArchiveCRC32 del fichero (8 cifras hex)\n"
    "  extract [--key CLAVE] [--overwrite|--skip|--update] [--absolute-paths] ARCHIVO CARPETA\n"
    "                                     extrae con las rutas guardadas; las de unidad\n"
    "                                     (C:\\x, \\\\servidor\\recurso\\x) solo con --absolute-paths\n"
    "  --offset N: posición de la cabecera (archivo añadido a un ejecutable)\n";

struct UsageError {};

struct Args {
    std::string path;
    std::string key;
    long long offset = 0;
};

Args Parse(const std::vector<std::string>& args, bool allowKey, bool allowOffset) {
    Args a;
    bool havePath = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& w = args[i];
        if (allowKey && w == "--key" && i + 1 < args.size()) {
            a.key = args[++i];
        } else if (allowOffset && w == "--offset" && i + 1 < args.size()) {
            try {
                size_t used = 0;
                a.offset = std::stoll(args[++i], &used, 0);
                if (used != args[i].size() || a.offset < 0) throw UsageError();
            } catch (const std::exception&) {
                throw UsageError();
            }
        } else if (!havePath && !(w.size() > 1 && w[0] == '-' && w[1] == '-')) {
            a.path = w;
            havePath = true;
        } else {
            throw UsageError();
        }
    }
    if (!havePath) throw UsageError();
    return a;
}

int List(const std::vector<std::string>& args, std::ostream& out) {
    const Args a = Parse(args, false, true);
    ToolExtractor e(a.path, {}, a.offset);
    e.Options += kav::oShowEmptyFolders;
    e.OnEnumeration = [&out](kav::TCustomExtractor&, const kav::TFileEntry& f) {
        out << f.Name << '\t' << f.Size << '\t' << static_cast<int>(f.FileType) << '\n';
    };
    e.EnumerateFiles();
    e.Close();
    return 0;
}

// What extraction would find, without writing anything.
int Test(const std::vector<std::string>& args, std::ostream& out) {
    const Args a = Parse(args, true, true);
    ToolExtractor e(a.path, a.key, a.offset);
    int entries = 0;
    long long bytes = 0;
    e.OnFileTested = [&](kav::TCustomExtractor&, const kav::TFileEntry& f) {
        ++entries;
        if (!(f.FileFlags & kav::kFileFolder)) bytes += f.Size;
    };
    e.TestFiles();
    e.Close();
    out << a.path << ": correcto, " << entries << " entradas, " << bytes << " bytes\n";
    return 0;
}

std::string Hex(const uint8_t* p, size_t n) {
    std::ostringstream s;
    for (size_t i = 0; i < n; ++i) s << std::hex << std::uppercase << std::setw(2) << std::setfill('0') << int(p[i]);
    return s.str();
}

void PrintInfo(std::ostream& out, const char* name, const kav::TArchiveInfo& i) {
    out << name << ".FileCount\t" << i.FileCount << '\n'
        << name << ".Reserved\t" << std::setprecision(17) << i.Reserved << '\n'
        << name << ".PackedSize\t" << std::setprecision(17) << i.PackedSize << '\n';
}

int Header(const std::vector<std::string>& args, std::ostream& out) {
    const Args a = Parse(args, false, true);
    auto s = kav::FileStream::OpenRead(a.path);
    s->Seek(a.offset);
    kav::TArchiveHeader h;
    kav::ReadAndCheckHeader(*s, h, a.path);
    char flags[8];
    std::snprintf(flags, sizeof flags, "0x%02X", h.ArchiveFlags);
    out << "Signature\t" << h.Signature << '\n'
        << "Version\t" << h.Version << '\n'
        << "ArchiveID\t" << h.ArchiveID << '\n'
        << "BlockSize\t" << h.BlockSize << '\n'
        << "EndOffset\t" << h.EndOffset << '\n'
        << "Segment\t" << h.Segment << '\n'
        << "ArchiveFlags\t" << flags << '\n';
    PrintInfo(out, "ArchiveInfo", h.ArchiveInfo);
    PrintInfo(out, "SegmentInfo", h.SegmentInfo);
    out << "UserData\t" << Hex(h.UserData.Bytes.data(), h.UserData.Bytes.size()) << '\n'
        << "Comment\t" << h.Comment << '\n';
    return 0;
}

int Crc(const std::vector<std::string>& args, std::ostream& out) {
    const Args a = Parse(args, false, false);
    auto s = kav::FileStream::OpenRead(a.path);
    std::vector<uint8_t> buf(1 << 16);
    uint32_t reg = 0xFFFFFFFFu;
    for (size_t n; (n = s->Read(buf.data(), buf.size())) > 0;) reg = kav::ArchiveCRC32Update(reg, buf.data(), n);
    char text[16];
    std::snprintf(text, sizeof text, "%08X", reg ^ 0xFFFFFFFFu);
    out << text << '\n';
    return 0;
}

}  // namespace

int Extract(const std::vector<std::string>& args, std::ostream& out);  // KavToolExtract.cpp

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    using Command = std::function<int(const std::vector<std::string>&, std::ostream&)>;
    static const std::pair<const char*, Command> kCommands[] = {
        {"list", List}, {"test", Test}, {"header", Header}, {"crc", Crc},
        {"extract", [](const std::vector<std::string>& a, std::ostream& o) {
             if (Extract(a, o) == 2) throw UsageError();
             return 0;
         }},
    };
    if (args.empty()) {
        err << kHelp;
        return 2;
    }
    for (const auto& [name, command] : kCommands) {
        if (args[0] != name) continue;
        try {
            return command(args, out);
        } catch (const UsageError&) {
            err << kHelp;
            return 2;
        } catch (const std::exception& e) {
            err << e.what() << '\n';
            return 1;
        }
    }
    err << kHelp;
    return 2;
}

}  // namespace kavtool
