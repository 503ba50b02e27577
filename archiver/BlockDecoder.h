// Reading one block of an entry's packed data: length and checksum, the
// stored bytes, decipherment, the checksum test and the bounded inflate.
// The caller owns both buffers (sized once per operation from BlockSize);
// decoding a block allocates nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "ArchiveCRC32.h"

struct libdeflate_decompressor;

namespace kav {
class Stream;
class TCrypto;

// Input buffer size for a BlockSize: the longest stored block the reader
// accepts (BlockSize + BlockSize div 100; 66191 for 65536).
size_t BlockInputCapacity(int32_t blockSize);

// The two transformations an engine may replace.
class BlockTransforms {
public:
    virtual ~BlockTransforms() = default;
    // Deciphers the n stored bytes of an encrypted block in place and
    // returns the plain length (at most n). Reached only for encrypted entries.
    virtual size_t DecryptBlock(uint8_t* data, size_t n) = 0;
    // Inflates [src, src + srcSize) into dst (room for dstSize bytes) and
    // returns the produced length; failure throws EArchiverUncompress.
    // The default is Inflater's.
    virtual size_t UncompressBlock(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize);
};

struct DecodedBlock {
    const uint8_t* data;  // into the input buffer (stored) or the output buffer
    size_t size;
    int64_t consumed;     // 8 + abs(L): what the block occupied in the file
};

struct BlockBuffers {
    uint8_t* input;       // at least BlockInputCapacity(blockSize) bytes
    size_t inputSize;
    uint8_t* output;      // at least blockSize bytes
    size_t blockSize;
};

// A block read and, for an encrypted entry, deciphered; its checksum not
// yet tested and a compressed block not yet inflated.
struct StoredBlock {
    int32_t length;    // L as stored: negative for a stored block
    uint32_t checksum;
    size_t size;       // plain bytes at the start of the input buffer
    int64_t consumed;  // 8 + abs(L)
};

// The first half of DecodeBlock: reads the block's stored bytes into `input`
// and deciphers them. A length past inputSize is damage.
StoredBlock ReadStoredBlock(Stream& s, uint8_t* input, size_t inputSize, bool encrypted, BlockTransforms& t);

// The checksum test of a stored block: EArchiverBadKey for an encrypted
// entry, EArchiverBadCRC otherwise.
void CheckStoredBlock(const StoredBlock& b, uint32_t checksum, bool encrypted);

// Reads and decodes the block at the stream's position. A length past the
// input buffer, or a plain length the decipherment could not have produced,
// is damage (EArchiver kMsgDamaged); a checksum mismatch is EArchiverBadKey
// for an encrypted entry and EArchiverBadCRC otherwise.
DecodedBlock DecodeBlock(Stream& s, const BlockBuffers& buffers, bool encrypted, BlockTransforms& t);

// Several consecutive blocks decoded together, so that their checksums are
// computed in one interleaved pass (see ArchiveCRC32Multi).
constexpr size_t kMaxBatchBlocks = kArchiveCRC32Ways;

struct BatchBuffers {
    uint8_t* const* inputs;  // `count` input buffers of inputSize bytes each
    size_t count;            // 1..kMaxBatchBlocks (more are not used)
    size_t inputSize;        // at least BlockInputCapacity(blockSize)
    uint8_t* output;         // at least blockSize bytes, shared by the blocks
    size_t blockSize;
};

// A non-owning reference to the caller's handler of each decoded block.
class BlockSink {
public:
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, BlockSink>>>
    BlockSink(F&& f)  // NOLINT: converts from any callable, like a function reference
        : object_(const_cast<void*>(static_cast<const void*>(&f))),
          call_([](void* o, const DecodedBlock& b) { (*static_cast<std::remove_reference_t<F>*>(o))(b); }) {}
    void operator()(const DecodedBlock& b) const { call_(object_, b); }

private:
    void* object_;
    void (*call_)(void*, const DecodedBlock&);
};

// Decodes up to buffers.count blocks at the stream's position, reading a
// further block only while the bytes consumed by this call stay below
// `remaining` (the first block is always read), and hands each decoded block
// to `deliver` in order; a block's data is valid only during its delivery.
// The outcome is that of DecodeBlock called block after block with the
// delivery in between: the blocks before a faulty one are delivered, then
// that block's error is raised, and the stream is left after the faulty
// block. The one difference: DecryptBlock may already have been called for
// up to count - 1 blocks after the faulty one. Returns the bytes consumed.
int64_t DecodeBlocks(Stream& s, const BatchBuffers& buffers, int64_t remaining, bool encrypted, BlockTransforms& t,
                     BlockSink deliver);

// The built-in decipherment of an encrypted block's n stored bytes with a
// cipher whose key is set: cipher text (a positive multiple of 8 bytes) and
// the padding count p (0..7) as the last byte. Deciphers in place, in one
// ECB pass; returns the plain length n - 1 - p. Anything else is damage. The
// key schedule is prepared once for the block.
size_t DecipherStoredBlock(TCrypto& cipher, uint8_t* data, size_t n);

// One-shot inflate of a complete zlib stream bounded by dstSize, with one
// decompressor kept from block to block (allocated once, not per block).
// EArchiverUncompress unless the stream ends inside that room; the result is
// what zlib's uncompress gives.
class Inflater {
public:
    Inflater();
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    size_t Inflate(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize);

private:
    libdeflate_decompressor* decompressor_;
};

// Inflater::Inflate with this thread's own inflater.
size_t InflateBlock(uint8_t* dst, size_t dstSize, const uint8_t* src, size_t srcSize);

}  // namespace kav
