#include "BlockDecoder.h"

#include <zlib.h>

#include <algorithm>

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

DecodedBlock DecodeBlock(Stream& s, const BlockBuffers& b, bool encrypted, BlockTransforms& t) {
    const int32_t length = ReadInt32(s);
    const auto stored = static_cast<uint32_t>(ReadInt32(s));
    // abs(L) computed without overflow (L may be INT32_MIN).
    const uint64_t n64 = length < 0 ? uint64_t(-(int64_t)length) : uint64_t(length);
    if (n64 > b.inputSize) RaiseDamaged();
    size_t n = static_cast<size_t>(n64);
    s.ReadBuffer(b.input, n);
    const int64_t consumed = kBlockHeaderSize + static_cast<int64_t>(n64);

    if (encrypted) {
        const size_t plain = t.DecryptBlock(b.input, n);
        if (plain > n) RaiseDamaged();
        n = plain;
    }
    if (ArchiveCRC32(b.input, n) != stored) {
        if (encrypted) throw EArchiverBadKey();
        throw EArchiverBadCRC();
    }
    if (length < 0) return {b.input, n, consumed};
    const size_t produced = t.UncompressBlock(b.output, b.blockSize, b.input, n);
    if (produced > b.blockSize) throw EArchiverUncompress();
    return {b.output, produced, consumed};
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
