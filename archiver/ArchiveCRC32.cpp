#include "ArchiveCRC32.h"

#include <array>

namespace kav {
namespace {

constexpr std::array<uint32_t, 256> StandardTable() {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        t[i] = r;
    }
    return t;
}

// The standard table's little-endian byte layout, as far as it is ever read
// (the word at byte offset k <= 255 ends at byte 258), in a block aligned
// to 512 bytes so that the address of byte k is the table's address xor k.
constexpr std::array<uint8_t, 512> TableBytes() {
    constexpr auto tab = StandardTable();
    std::array<uint8_t, 512> b{};
    for (uint32_t at = 0; at < 259; ++at) b[at] = static_cast<uint8_t>(tab[at / 4] >> (8 * (at % 4)));
    return b;
}

alignas(512) constexpr std::array<uint8_t, 512> kBytes = TableBytes();

}  // namespace

// One step is R = (R >> 8) xor W(k), k = (R xor byte) and 0xFF, W(k) = bytes
// k..k+3 of the table. The register is kept as its four bytes c0..c3, so a
// step is four byte loads at k, and only "next k = (byte xor c1) xor T[k]"
// lies on the chain from one byte to the next. The function is not linear in
// the register (the lookup is at a byte offset), so the chain cannot be split
// into independent streams: its latency is the speed limit. It is kept to one
// load and one xor per byte by carrying k as the address of T[k] itself
// (table address xor k; the alignment makes the xor an addition).
uint32_t ArchiveCRC32Update(uint32_t reg, const void* data, size_t size) {
    if (size == 0) return reg;
    const auto* p = static_cast<const unsigned char*>(data);
    const auto base = reinterpret_cast<uintptr_t>(kBytes.data());
    size_t c1 = (reg >> 8) & 0xFF, c2 = (reg >> 16) & 0xFF, c3 = reg >> 24;
    uintptr_t at = base | ((reg ^ p[0]) & 0xFF);
    for (size_t i = 1; i < size; ++i) {
        uintptr_t next = base | (p[i] ^ c1);  // ready before the load below completes
#if defined(__GNUC__)
        // Stops the compiler re-associating this xor after the load, which
        // would put a second operation on the chain.
        __asm__("" : "+r"(next));
#endif
        const auto* t = reinterpret_cast<const uint8_t*>(at);
        c1 = c2 ^ t[1];
        c2 = c3 ^ t[2];
        c3 = t[3];
        at = next ^ t[0];
    }
    const auto* t = reinterpret_cast<const uint8_t*>(at);
    const size_t c0 = c1 ^ t[0];
    c1 = c2 ^ t[1];
    c2 = c3 ^ t[2];
    c3 = t[3];
    return static_cast<uint32_t>(c0 | c1 << 8 | c2 << 16 | c3 << 24);
}

uint32_t ArchiveCRC32(const void* data, size_t size) {
    return ArchiveCRC32Update(0xFFFFFFFFu, data, size) ^ 0xFFFFFFFFu;
}

}  // namespace kav
