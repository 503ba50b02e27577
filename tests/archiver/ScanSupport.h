// Test support: scan an archive made by the producer and collect what the
// reader saw.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ArchiveScan.h"

namespace kav::testing {

struct Seen : ScanVisitor {
    std::vector<TArchiveHeader> headers;
    std::vector<TFileEntry> entries;
    std::map<std::string, std::string> content;  // by entry name
    void Header(const TArchiveHeader& h) override { headers.push_back(h); }
    void Entry(const TFileEntry& e) override { entries.push_back(e); }
    void Data(const TFileEntry& e, const uint8_t* p, size_t n) override {
        content[e.Name].append(reinterpret_cast<const char*>(p), n);
    }
};

inline Seen Scan(const std::vector<std::string>& segments, const std::string& key = {}, int64_t start = 0) {
    MemorySegments source(segments, start);
    Seen seen;
    ScanArchive(source, seen, ScanOptions{true, key});
    return seen;
}

// The error `f` raises, prefixed by its kind; "" when it returns.
inline std::string CaughtError(const std::function<void()>& f) {
    try {
        f();
        return "";
    } catch (const EArchiverBadCRC& e) {
        return std::string("BadCRC: ") + e.what();
    } catch (const EArchiverBadKey& e) {
        return std::string("BadKey: ") + e.what();
    } catch (const EArchiverUncompress& e) {
        return std::string("Uncompress: ") + e.what();
    } catch (const EArchiver& e) {
        return std::string("EArchiver: ") + e.what();
    } catch (const EReadError& e) {
        return std::string("Read: ") + e.what();
    } catch (const Exception& e) {
        return std::string("plain: ") + e.what();
    }
}

// The error text a scan ends with, prefixed by its kind; "" when it passes.
inline std::string ScanError(const std::vector<std::string>& segments, const std::string& key = {}) {
    return CaughtError([&] { Scan(segments, key); });
}

}  // namespace kav::testing
