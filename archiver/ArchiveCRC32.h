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

}  // namespace kav
