#include "BlockDecoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <exception>
#include <new>

#include "ArchiveCRC32.h"
#include "ArchiverMisc.h"
#include "Cryptcon.h"
#include "Stream.h"

namespace kav {

size_t BlockInputCapacity(int32_t blockSize) {
    return static_cast<size_t>(blockSize) + static_cast<size_t>(blockSize) / 100;
}

size_t BlockTransforms::UncompressBlock(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize) {
    return InflateBlock(dst, dstSize, src, srcSize);
}

Inflater::Inflater() : decompressor_(libdeflate_alloc_decompressor()) {
    if (!decompressor_) throw std::bad_alloc();
}

Inflater::~Inflater() { libdeflate_free_decompressor(decompressor_); }

size_t Inflater::Inflate(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize) {
    size_t produced = 0;
    // Anything but a complete stream that fits the room (damage, a checksum
    // mismatch, more output than dstSize) is the same failure.
    if (libdeflate_zlib_decompress(decompressor_, src, srcSize, dst, dstSize, &produced) != LIBDEFLATE_SUCCESS)
        throw EArchiverUncompress();
    return produced;
}

size_t InflateBlock(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize) {
    thread_local Inflater inflater;
    return inflater.Inflate(dst, dstSize, src, srcSize);
}

StoredBlock ReadStoredBlock(Stream& s, uint8_t* input, size_t inputSize, bool encrypted, BlockTransforms& t) {
    StoredBlock b{};
    b.length = ReadInt32(s);
    b.checksum = static_cast<uint32_t>(ReadInt32(s));
    // abs(L) computed without overflow (L may be INT32_MIN).
    const uint64_t n64 = b.length < 0 ? uint64_t(-(int64_t)b.length) : uint64_t(b.length);
    if (n64 > inputSize) RaiseDamaged();
    b.size = static_cast<size_t>(n64);
    s.ReadBuffer(input, b.size);
    b.consumed = kBlockHeaderSize + static_cast<int64_t>(n64);
    if (encrypted) {
        const size_t plain = t.DecryptBlock(input, b.size);
        if (plain > b.size) RaiseDamaged();
        b.size = plain;
    }
    return b;
}

void CheckStoredBlock(const StoredBlock& b, uint32_t checksum, bool encrypted) {
    if (checksum == b.checksum) return;
    if (encrypted) throw EArchiverBadKey();
    throw EArchiverBadCRC();
}

namespace {

// The steps after the checksum was computed: its test, then the inflate.
DecodedBlock FinishBlock(const StoredBlock& b, uint32_t checksum, uint8_t* input, uint8_t* output, size_t blockSize,
                         bool encrypted, BlockTransforms& t) {
    CheckStoredBlock(b, checksum, encrypted);
    if (b.length < 0) return {input, b.size, b.consumed};
    const size_t produced = t.UncompressBlock(output, blockSize, input, b.size);
    if (produced > blockSize) throw EArchiverUncompress();
    return {output, produced, b.consumed};
}

}  // namespace

DecodedBlock DecodeBlock(Stream& s, const BlockBuffers& b, bool encrypted, BlockTransforms& t) {
    const StoredBlock block = ReadStoredBlock(s, b.input, b.inputSize, encrypted, t);
    return FinishBlock(block, ArchiveCRC32(b.input, block.size), b.input, b.output, b.blockSize, encrypted, t);
}

int64_t DecodeBlocks(Stream& s, const BatchBuffers& b, int64_t remaining, bool encrypted, BlockTransforms& t,
                     BlockSink deliver) {
    const size_t most = std::min(std::max<size_t>(b.count, 1), kMaxBatchBlocks);
    StoredBlock blocks[kMaxBatchBlocks];
    int64_t ends[kMaxBatchBlocks];  // stream position after each block
    size_t read = 0;
    int64_t used = 0;
    // An error while reading a block is raised only after the blocks before
    // it were delivered, as it would be when decoding one by one.
    std::exception_ptr readFailure;
    try {
        const int64_t start = s.Position();
        while (read < most && (read == 0 || used < remaining)) {
            blocks[read] = ReadStoredBlock(s, b.inputs[read], b.inputSize, encrypted, t);
            used += blocks[read].consumed;
            ends[read] = start + used;
            ++read;
        }
    } catch (...) {
        readFailure = std::current_exception();
    }

    CRC32Piece pieces[kMaxBatchBlocks];
    uint32_t sums[kMaxBatchBlocks];
    for (size_t i = 0; i < read; ++i) pieces[i] = {b.inputs[i], blocks[i].size};
    ArchiveCRC32Multi(pieces, read, sums);

    int64_t delivered = 0;
    for (size_t i = 0; i < read; ++i) {
        try {
            deliver(FinishBlock(blocks[i], sums[i], b.inputs[i], b.output, b.blockSize, encrypted, t));
            delivered += blocks[i].consumed;
        } catch (...) {
            // Leave the stream where decoding one by one would have stopped.
            if (i + 1 < read || readFailure) s.Seek(ends[i]);
            throw;
        }
    }
    if (readFailure) std::rethrow_exception(readFailure);
    return delivered;
}

size_t DecipherStoredBlock(TCrypto& cipher, uint8_t* data, size_t n) {
    // Read the count before anything is deciphered.
    if (n < 1 + 8 || (n - 1) % 8 != 0) RaiseDamaged();
    const size_t pad = data[n - 1];
    if (pad > 7) RaiseDamaged();
    cipher.DecipherEcbInPlace(data, n - 1, false);
    return n - 1 - pad;
}

}  // namespace kav
