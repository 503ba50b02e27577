#include "platform/PeResources.h"

#include <cctype>
#include <cstdio>

#include "TextCodec.h"

namespace kav::pe {
namespace {

struct Reader {
    const std::vector<uint8_t>& b;
    bool Has(uint64_t at, uint64_t n) const { return at <= b.size() && n <= b.size() - at; }
    uint16_t U16(uint64_t at) const { return Has(at, 2) ? static_cast<uint16_t>(b[at] | b[at + 1] << 8) : 0; }
    uint32_t U32(uint64_t at) const {
        return Has(at, 4) ? static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16) |
                                static_cast<uint32_t>(b[at + 3]) << 24
                          : 0;
    }
};

struct Image {
    uint32_t dataDirs = 0, dirCount = 0, sections = 0, sectionCount = 0;
};

std::optional<Image> Parse(const Reader& r) {
    if (!r.Has(0, 64) || r.b[0] != 'M' || r.b[1] != 'Z') return std::nullopt;
    uint32_t pe = r.U32(0x3C);
    if (!r.Has(pe, 24) || r.U32(pe) != 0x00004550) return std::nullopt;
    Image img;
    img.sectionCount = r.U16(pe + 6);
    uint32_t optSize = r.U16(pe + 20), opt = pe + 24;
    uint16_t magic = r.U16(opt);
    uint32_t dirsAt = magic == 0x20B ? 112 : magic == 0x10B ? 96 : 0;
    if (!dirsAt || optSize < dirsAt) return std::nullopt;
    img.dataDirs = opt + dirsAt;
    img.dirCount = r.U32(opt + dirsAt - 4);
    if (img.dirCount > 16 || (img.dirCount * 8 + dirsAt) > optSize) return std::nullopt;
    img.sections = opt + optSize;
    if (!r.Has(img.sections, static_cast<uint64_t>(img.sectionCount) * 40)) return std::nullopt;
    return img;
}

std::optional<uint32_t> RvaToOffset(const Reader& r, const Image& img, uint32_t rva) {
    for (uint32_t i = 0; i < img.sectionCount; ++i) {
        uint32_t s = img.sections + i * 40;
        uint32_t va = r.U32(s + 12), vsize = r.U32(s + 8), raw = r.U32(s + 16), rawAt = r.U32(s + 20);
        uint32_t span = vsize > raw ? vsize : raw;
        if (rva >= va && rva - va < span && rva - va < raw) return rawAt + (rva - va);
    }
    return std::nullopt;
}

bool NameMatches(const Reader& r, uint32_t at, const std::string& want) {
    uint16_t n = r.U16(at);
    if (!r.Has(at + 2, static_cast<uint64_t>(n) * 2) || n != want.size()) return false;
    for (uint16_t i = 0; i < n; ++i) {
        uint16_t c = r.U16(at + 2 + i * 2);
        if (c > 127 || std::toupper(c) != std::toupper(static_cast<unsigned char>(want[i]))) return false;
    }
    return true;
}

// The entry of a resource directory that matches id (or the first one when
// id is null); returns its OffsetToData field.
std::optional<uint32_t> Lookup(const Reader& r, uint32_t base, uint32_t dir, const ResId* id) {
    if (!r.Has(dir, 16)) return std::nullopt;
    uint32_t count = static_cast<uint32_t>(r.U16(dir + 12)) + r.U16(dir + 14);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t e = dir + 16 + i * 8;
        if (!r.Has(e, 8)) return std::nullopt;
        uint32_t name = r.U32(e), data = r.U32(e + 4);
        bool match = !id || ((name & 0x80000000u) ? !id->name.empty() && NameMatches(r, base + (name & 0x7FFFFFFFu), id->name)
                                                    : id->name.empty() && name == id->number);
        if (match) return data;
    }
    return std::nullopt;
}

// Version-information node: wLength, wValueLength, wType, key, value, children.
struct Node {
    uint32_t start, end, value, valueBytes, children;
    std::u16string key;
};

std::optional<Node> ReadNode(const Reader& r, uint32_t base, uint32_t at, uint32_t limit) {
    if (!r.Has(at, 6)) return std::nullopt;
    uint16_t length = r.U16(at), valueLength = r.U16(at + 2), type = r.U16(at + 4);
    if (length < 6 || at + length > limit) return std::nullopt;
    Node n{at, at + length, 0, 0, 0, {}};
    uint32_t p = at + 6;
    while (p + 2 <= n.end && r.U16(p) != 0) n.key += static_cast<char16_t>(r.U16(p)), p += 2;
    p += 2;
    auto align = [base](uint32_t x) { return base + ((x - base + 3) & ~3u); };
    n.value = align(p);
    n.valueBytes = type == 1 ? valueLength * 2u : valueLength;
    if (n.value + n.valueBytes > n.end) n.valueBytes = n.value < n.end ? n.end - n.value : 0;
    n.children = align(n.value + n.valueBytes);
    return n;
}

template <typename F>
void ForChildren(const Reader& r, uint32_t base, const Node& parent, F f) {
    for (uint32_t at = parent.children; at + 6 <= parent.end;) {
        auto child = ReadNode(r, base, at, parent.end);
        if (!child) return;
        f(*child);
        at = base + ((child->end - base + 3) & ~3u);
    }
}

}  // namespace

std::optional<Location> FindResource(const std::vector<uint8_t>& image, const ResId& type, const ResId& name) {
    Reader r{image};
    auto img = Parse(r);
    if (!img || img->dirCount < 3) return std::nullopt;
    uint32_t rva = r.U32(img->dataDirs + 2 * 8);
    auto base = RvaToOffset(r, *img, rva);
    if (!base) return std::nullopt;
    auto t = Lookup(r, *base, *base, &type);
    if (!t || !(*t & 0x80000000u)) return std::nullopt;
    auto n = Lookup(r, *base, *base + (*t & 0x7FFFFFFFu), &name);
    if (!n || !(*n & 0x80000000u)) return std::nullopt;
    auto l = Lookup(r, *base, *base + (*n & 0x7FFFFFFFu), nullptr);
    if (!l || (*l & 0x80000000u)) return std::nullopt;
    uint32_t entry = *base + *l;
    if (!r.Has(entry, 16)) return std::nullopt;
    auto data = RvaToOffset(r, *img, r.U32(entry));
    uint32_t size = r.U32(entry + 4);
    if (!data || !r.Has(*data, size)) return std::nullopt;
    return Location{*data, size};
}

std::optional<SecurityDirectory> FindSecurityDirectory(const std::vector<uint8_t>& image) {
    Reader r{image};
    auto img = Parse(r);
    if (!img || img->dirCount < 5) return std::nullopt;
    uint32_t at = img->dataDirs + 4 * 8;
    return SecurityDirectory{at, r.U32(at), r.U32(at + 4)};
}

std::optional<uint32_t> ImageEnd(const std::vector<uint8_t>& image) {
    Reader r{image};
    auto img = Parse(r);
    if (!img) return std::nullopt;
    uint64_t end = img->sections + img->sectionCount * 40ull;
    for (uint32_t i = 0; i < img->sectionCount; ++i) {
        uint32_t s = img->sections + i * 40;
        uint64_t e = static_cast<uint64_t>(r.U32(s + 20)) + r.U32(s + 16);
        if (r.U32(s + 16) && e > end) end = e;
    }
    if (end > image.size()) return std::nullopt;
    return static_cast<uint32_t>(end);
}

std::vector<std::pair<std::string, std::string>> VersionTexts(const std::vector<uint8_t>& image,
                                                              const std::vector<std::string>& keys) {
    std::vector<std::pair<std::string, std::string>> out;
    auto loc = FindResource(image, kRtVersion, 1);
    if (!loc) return out;
    Reader r{image};
    const uint32_t base = loc->fileOffset, limit = loc->fileOffset + loc->size;
    auto root = ReadNode(r, base, base, limit);
    if (!root) return out;
    std::u16string translation;
    ForChildren(r, base, *root, [&](const Node& info) {
        if (info.key != u"VarFileInfo") return;
        ForChildren(r, base, info, [&](const Node& var) {
            if (var.key == u"Translation" && var.valueBytes >= 4 && translation.empty()) {
                char hex[9];
                std::snprintf(hex, sizeof hex, "%04X%04X", r.U16(var.value), r.U16(var.value + 2));
                translation = text::Utf8ToUtf16(hex);
            }
        });
    });
    if (translation.empty()) return out;
    auto upper = [](std::u16string s) {
        for (auto& c : s) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
        return s;
    };
    ForChildren(r, base, *root, [&](const Node& info) {
        if (info.key != u"StringFileInfo") return;
        ForChildren(r, base, info, [&](const Node& table) {
            if (upper(table.key) != translation) return;
            for (const std::string& key : keys)
                ForChildren(r, base, table, [&](const Node& s) {
                    if (s.key != text::Utf8ToUtf16(key)) return;
                    std::u16string value;
                    for (uint32_t p = s.value; p + 2 <= s.value + s.valueBytes && r.U16(p) != 0; p += 2)
                        value += static_cast<char16_t>(r.U16(p));
                    out.emplace_back(key, text::Utf16ToUtf8(value));
                });
        });
    });
    return out;
}

}  // namespace kav::pe
