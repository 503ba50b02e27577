#include "BlockDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <exception>

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

struct Inflater::State {
    z_stream z{};
    bool initialised = false;
};

Inflater::Inflater() : state_(std::make_unique<State>()) {}

Inflater::~Inflater() {
    if (state_->initialised) inflateEnd(&state_->z);
}

size_t Inflater::Inflate(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize) {
    z_stream& z = state_->z;
    if (!state_->initialised) {
        if (inflateInit(&z) != Z_OK) throw EArchiverUncompress();
        state_->initialised = true;
    } else if (inflateReset(&z) != Z_OK) {
        throw EArchiverUncompress();
    }
    z.next_in = const_cast<Bytef*>(src);
    z.avail_in = static_cast<uInt>(srcSize);
    z.next_out = dst;
    z.avail_out = static_cast<uInt>(dstSize);
    // All the room at once with Z_FINISH: success only when the stream ends.
    if (inflate(&z, Z_FINISH) != Z_STREAM_END) throw EArchiverUncompress();
    return dstSize - z.avail_out;
}

size_t InflateBlock(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize) {
    thread_local Inflater inflater;
    return inflater.Inflate(dst, dstSize, src, srcSize);
}

namespace {

// A block read and deciphered, its checksum not yet tested.
struct StoredBlock {
    int32_t length;    // L as stored: negative for a stored block
    uint32_t checksum;
    size_t size;       // plain bytes at the start of the input buffer
    int64_t consumed;  // 8 + abs(L)
};

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

// The steps after the checksum was computed: its test, then the inflate.
DecodedBlock FinishBlock(const StoredBlock& b, uint32_t checksum, uint8_t* input, uint8_t* output, size_t blockSize,
                         bool encrypted, BlockTransforms& t) {
    if (checksum != b.checksum) {
        if (encrypted) throw EArchiverBadKey();
        throw EArchiverBadCRC();
    }
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
    // ECB has no state between blocks: chunks of the working buffer's size
    // give the same bytes as chunks of 8, with one key schedule per block.
    bool keyReady = false;
    for (size_t at = 0; at < n - 1;) {
        const size_t chunk = std::min<size_t>(TCrypto::kBufferSize, n - 1 - at);
        cipher.SetInputLength(static_cast<uint16_t>(chunk));
        cipher.SetInputPointer(data + at);
        cipher.SetOutputPointer(data + at);
        cipher.DecipherData(keyReady);
        keyReady = true;
        at += chunk;
    }
    return n - 1 - pad;
}

}  // namespace kav
