#include "ArchiveCRC32.h"

#include <algorithm>
#include <array>
#include <cstring>

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

namespace {

uint32_t WordAt(uint32_t k) {
    uint32_t w;
    std::memcpy(&w, kBytes.data() + k, sizeof w);
    return w;  // the table bytes are little-endian whatever the host
}

// N chains in step over `len` bytes of each piece. Here the plain form of the
// step is the better one: it has fewer operations per byte, and with several
// chains the limit is how many operations the CPU issues, not one chain's
// latency.
template <size_t N>
void Interleaved(uint32_t* reg, const uint8_t* const* p, size_t len) {
    uint32_t r[N];
    for (size_t j = 0; j < N; ++j) r[j] = reg[j];
    const uint8_t* q[N];
    for (size_t j = 0; j < N; ++j) q[j] = p[j];
    for (size_t i = 0; i < len; ++i) {
        // Unrolled so that the registers stay in registers.
#if defined(__GNUC__)
#pragma GCC unroll 4
#endif
        for (size_t j = 0; j < N; ++j) r[j] = (r[j] >> 8) ^ WordAt((r[j] ^ q[j][i]) & 0xFF);
    }
    for (size_t j = 0; j < N; ++j) reg[j] = r[j];
}

// Up to kArchiveCRC32Ways pieces: all of them in step up to the shortest
// one's end, then the rest in step up to the next end, and so on; the last
// one alone takes the single-chain path.
void MultiGroup(const CRC32Piece* pieces, size_t count, uint32_t* results) {
    uint32_t reg[kArchiveCRC32Ways];
    const uint8_t* at[kArchiveCRC32Ways];
    size_t left[kArchiveCRC32Ways];
    size_t slot[kArchiveCRC32Ways];  // which piece each active chain belongs to
    size_t active = 0;
    for (size_t i = 0; i < count; ++i) {
        results[i] = 0;
        if (pieces[i].size == 0) continue;
        reg[active] = 0xFFFFFFFFu;
        at[active] = static_cast<const uint8_t*>(pieces[i].data);
        left[active] = pieces[i].size;
        slot[active] = i;
        ++active;
    }
    while (active > 1) {
        size_t len = left[0];
        for (size_t j = 1; j < active; ++j) len = std::min(len, left[j]);
        switch (active) {
            case 2: Interleaved<2>(reg, at, len); break;
            case 3: Interleaved<3>(reg, at, len); break;
            default: Interleaved<4>(reg, at, len); break;
        }
        size_t kept = 0;
        for (size_t j = 0; j < active; ++j) {
            if (left[j] == len) {
                results[slot[j]] = reg[j] ^ 0xFFFFFFFFu;
                continue;
            }
            reg[kept] = reg[j];
            at[kept] = at[j] + len;
            left[kept] = left[j] - len;
            slot[kept] = slot[j];
            ++kept;
        }
        active = kept;
    }
    if (active == 1) results[slot[0]] = ArchiveCRC32Update(reg[0], at[0], left[0]) ^ 0xFFFFFFFFu;
}

}  // namespace

void ArchiveCRC32Multi(const CRC32Piece* pieces, size_t count, uint32_t* results) {
    for (size_t i = 0; i < count; i += kArchiveCRC32Ways)
        MultiGroup(pieces + i, std::min(kArchiveCRC32Ways, count - i), results + i);
}

uint32_t ArchiveCRC32(const void* data, size_t size) {
    return ArchiveCRC32Update(0xFFFFFFFFu, data, size) ^ 0xFFFFFFFFu;
}

}  // namespace kav
