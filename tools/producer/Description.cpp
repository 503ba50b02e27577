#include "Description.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace kavmake {
namespace {

struct Statement {
    std::string verb;
    std::vector<std::string> args;          // positional words
    std::map<std::string, std::string> kv;  // key=value words
};

Statement Split(const std::string& line, int lineNo) {
    Statement st;
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size()) break;
        std::string w;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            if (line[i] == '"') {
                const size_t end = line.find('"', i + 1);
                if (end == std::string::npos)
                    throw std::runtime_error("line " + std::to_string(lineNo) + ": unterminated quote");
                w += line.substr(i + 1, end - i - 1);
                i = end + 1;
            } else {
                w += line[i++];
            }
        }
        words.push_back(w);
    }
    if (words.empty()) return st;
    st.verb = words[0];
    for (size_t k = 1; k < words.size(); ++k) {
        const size_t eq = words[k].find('=');
        // The word after file/folder is the name, whatever it holds.
        const bool name = k == 1 && (st.verb == "file" || st.verb == "folder");
        if (!name && eq != std::string::npos && eq > 0)
            st.kv[words[k].substr(0, eq)] = words[k].substr(eq + 1);
        else
            st.args.push_back(words[k]);
    }
    return st;
}

long long Number(const std::string& v, const std::string& what) {
    try {
        size_t used = 0;
        const long long n = std::stoll(v, &used, 0);
        if (used == v.size()) return n;
    } catch (const std::exception&) {
    }
    throw std::runtime_error(what + ": not a number: " + v);
}

std::string HexBytes(const std::string& hex, const std::string& what) {
    if (hex.size() % 2 != 0) throw std::runtime_error(what + ": odd number of hex digits");
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 2) out += static_cast<char>(Number("0x" + hex.substr(i, 2), what));
    return out;
}

double ParseDate(const std::string& v, const std::string& what) {
    int y, mo, d, h = 0, mi = 0, s = 0;
    if (std::sscanf(v.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) < 3)
        throw std::runtime_error(what + ": date must be YYYY-MM-DD[ HH:MM:SS]: " + v);
    return DateFromCivil(y, mo, d, h, mi, s);
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

}  // namespace

ArchiveBuilder ParseDescription(const std::string& text, const std::string& baseDir) {
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    ArchiveOptions archive;
    bool haveArchive = false;
    std::vector<Statement> entries;
    while (std::getline(in, line)) {
        ++lineNo;
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        Statement st = Split(line, lineNo);
        const std::string where = "line " + std::to_string(lineNo);
        if (st.verb == "archive") {
            if (haveArchive || !entries.empty())
                throw std::runtime_error(where + ": 'archive' must come once, first");
            haveArchive = true;
            for (const auto& [k, v] : st.kv) {
                if (k == "blocksize") archive.blockSize = static_cast<int32_t>(Number(v, where));
                else if (k == "id") archive.archiveID = static_cast<int32_t>(Number(v, where));
                else if (k == "version") archive.version = static_cast<int32_t>(Number(v, where));
                else if (k == "signature") archive.signature = static_cast<int32_t>(Number(v, where));
                else if (k == "flags") archive.extraFlags = static_cast<uint8_t>(Number(v, where));
                else if (k == "comment") archive.comment = v;
                else if (k == "key") archive.key = v;
                else if (k == "segment-size") archive.segmentSize = Number(v, where);
                else if (k == "userdata") {
                    const std::string bytes = HexBytes(v, where);
                    if (bytes.size() > archive.userData.Bytes.size()) throw std::runtime_error(where + ": userdata above 128 bytes");
                    std::copy(bytes.begin(), bytes.end(), archive.userData.Bytes.begin());
                } else throw std::runtime_error(where + ": unknown setting " + k);
            }
            for (const auto& w : st.args) {
                if (w == "solid") archive.solid = true;
                else if (w == "no-last-flag") archive.lastSegmentFlag = false;
                else if (w == "partial-totals") archive.completeTotalsEverywhere = false;
                else throw std::runtime_error(where + ": unknown word " + w);
            }
        } else if (st.verb == "file" || st.verb == "folder" || st.verb == "break") {
            st.kv["@line"] = where;
            entries.push_back(std::move(st));
        } else {
            throw std::runtime_error(where + ": unknown statement " + st.verb);
        }
    }

    ArchiveBuilder b(archive);
    for (Statement& st : entries) {
        const std::string where = st.kv["@line"];
        st.kv.erase("@line");
        if (st.verb == "break") {
            b.BreakSegment();
            continue;
        }
        if (st.args.empty()) throw std::runtime_error(where + ": missing name");
        const std::string name = st.args[0];
        FileOptions o;
        std::string content;
        for (const auto& [k, v] : st.kv) {
            if (k == "text") content = v;
            else if (k == "from") content = ReadFile(v.size() > 0 && (v[0] == '/' || v[0] == '\\' || (v.size() > 1 && v[1] == ':')) ? v : baseDir + "/" + v);
            else if (k == "fill") content = MixedData(static_cast<size_t>(Number(v, where)));
            else if (k == "level") o.level = static_cast<int>(Number(v, where));
            else if (k == "date") o.date = ParseDate(v, where);
            else if (k == "attr") o.attr = static_cast<int32_t>(Number(v, where));
            else if (k == "type") o.fileType = static_cast<uint8_t>(Number(v, where));
            else if (k == "alt") o.altName = v;
            else if (k == "alt-type") o.altFileType = static_cast<uint8_t>(Number(v, where));
            else if (k == "flags") o.extraFileFlags = static_cast<uint8_t>(Number(v, where));
            else if (k == "tags") {
                std::stringstream ss(v);
                std::string t;
                while (std::getline(ss, t, ',')) o.tags.push_back(static_cast<uint8_t>(Number(t, where)));
            } else throw std::runtime_error(where + ": unknown setting " + k);
        }
        for (size_t i = 1; i < st.args.size(); ++i) {
            const std::string& w = st.args[i];
            if (w == "stored") o.packing = Packing::Stored;
            else if (w == "compressed") o.packing = Packing::Compressed;
            else if (w == "encrypted") o.encrypted = true;
            else if (w == "wrong-crc") o.fault = Fault::WrongCrc;
            else if (w == "standard-crc") o.fault = Fault::StandardCrc;
            else throw std::runtime_error(where + ": unknown word " + w);
        }
        if (st.verb == "folder") b.AddFolder(name, o);
        else b.AddFile(name, content, o);
    }
    return b;
}

}  // namespace kavmake
