// The archive's block checksum: a CRC-32 whose table lookup reads the
// 32-bit word at *byte* offset k of the standard table's little-endian
// layout instead of entry k. Every stored checksum was computed this way,
// so it is not interchangeable with zlib's crc32.
#pragma once
#include <cstddef>
#include <cstdint>

namespace kav {

// Checksum of [data, data + size). Empty data gives 0.
uint32_t ArchiveCRC32(const void* data, size_t size);

// Continues a running register (start with 0xFFFFFFFF, finish with
// xor 0xFFFFFFFF) for data that arrives in pieces.
uint32_t ArchiveCRC32Update(uint32_t reg, const void* data, size_t size);

// Checksums of several independent pieces of data computed together: one
// piece is a single dependent chain that leaves the CPU mostly idle, so the
// pieces' chains are interleaved in one loop (up to kArchiveCRC32Ways at a
// time). results[i] is exactly ArchiveCRC32(pieces[i]), for any lengths.
struct CRC32Piece {
    const void* data;
    size_t size;
};
constexpr size_t kArchiveCRC32Ways = 4;
void ArchiveCRC32Multi(const CRC32Piece* pieces, size_t count, uint32_t* results);

}  // namespace kav
