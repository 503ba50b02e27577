#include "ArchiveCRC32.h"

#include <array>
#include <cstring>

namespace kav {
namespace {

constexpr std::array<uint32_t, 257> StandardTable() {
    std::array<uint32_t, 257> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        t[i] = r;
    }
    t[256] = 0;  // never reached: the highest byte offset read is 258
    return t;
}

// W[k] = the little-endian word at byte offset k of the standard table.
constexpr std::array<uint32_t, 256> ShiftedTable() {
    constexpr auto tab = StandardTable();
    std::array<uint32_t, 256> w{};
    for (uint32_t k = 0; k < 256; ++k) {
        uint32_t word = 0;
        for (uint32_t b = 0; b < 4; ++b) {
            const uint32_t at = k + b;
            const uint32_t byte = (tab[at / 4] >> (8 * (at % 4))) & 0xFF;
            word |= byte << (8 * b);
        }
        w[k] = word;
    }
    return w;
}

constexpr auto kTable = ShiftedTable();

}  // namespace

uint32_t ArchiveCRC32Update(uint32_t reg, const void* data, size_t size) {
    auto p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) reg = (reg >> 8) ^ kTable[(reg ^ p[i]) & 0xFF];
    return reg;
}

uint32_t ArchiveCRC32(const void* data, size_t size) {
    return ArchiveCRC32Update(0xFFFFFFFFu, data, size) ^ 0xFFFFFFFFu;
}

}  // namespace kav
