// Speed of the archive reader's hot paths against the reference libraries,
// measured side by side in one run on the same data:
//   ArchiveCRC32            vs zlib crc32
//   Blowfish ECB decipher   vs OpenSSL BF_ecb_encrypt        (target >= 0.8)
//   block decoding          vs libdeflate's inflate of the blocks alone
//                           (what the checksum and the reading cost), one
//                           block at a time and in batches of 4
// Times are this thread's CPU time, best of several alternating rounds (the
// machine may be busy); ratios are ours / reference throughput.
#define OPENSSL_SUPPRESS_DEPRECATED  // BF_* is the legacy API; fine for a reference
#include <openssl/blowfish.h>
#include <libdeflate.h>
#include <zlib.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ArchiveCRC32.h"
#include "ArchiverMisc.h"
#include "BlockDecoder.h"
#include "Blowunit.h"
#include "Stream.h"

namespace {

volatile uint64_t gSink;  // keeps results alive

// This thread's CPU time: other work on a busy machine does not count.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Seconds for one call of f, best of `rounds`.
double Best(const std::function<void()>& f, int rounds) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const double t0 = CpuSeconds();
        f();
        best = std::min(best, CpuSeconds() - t0);
    }
    return best;
}

// Alternates ours and the reference so both see the same machine load.
void Compare(const char* what, double megabytes, const std::function<void()>& ours,
             const std::function<void()>& ref, const char* refName, double target, int rounds = 15) {
    double a = 1e9, b = 1e9;
    for (int i = 0; i < rounds; ++i) {
        a = std::min(a, Best(ours, 1));
        b = std::min(b, Best(ref, 1));
    }
    const double ours_mbs = megabytes / a, ref_mbs = megabytes / b;
    std::printf("%-34s %9.1f MB/s   %-22s %9.1f MB/s   ratio %.2f", what, ours_mbs, refName, ref_mbs,
                ours_mbs / ref_mbs);
    if (target > 0) std::printf("  (target %.2f)", target);
    std::printf("\n");
}

// One stored archive block: length, checksum, data.
std::string BlockBytes(const std::string& plain, bool compress, int level) {
    std::string data = plain;
    if (compress) {
        uLongf n = compressBound(static_cast<uLong>(plain.size()));
        data.resize(n);
        compress2(reinterpret_cast<Bytef*>(data.data()), &n, reinterpret_cast<const Bytef*>(plain.data()),
                  static_cast<uLong>(plain.size()), level);
        data.resize(n);
    }
    std::string b;
    kav::PutInt32(b, compress ? static_cast<int32_t>(data.size()) : -static_cast<int32_t>(data.size()));
    kav::PutInt32(b, static_cast<int32_t>(kav::ArchiveCRC32(data.data(), data.size())));
    return b + data;
}

struct NoCipher : kav::BlockTransforms {
    size_t DecryptBlock(uint8_t*, size_t n) override { return n; }
};

}  // namespace

int main() {
    constexpr int32_t kBlock = 65536;
    constexpr int kBlocks = 128;  // 8 MiB of file data
    const std::string data = kavmake::MixedData(static_cast<size_t>(kBlock) * kBlocks, 42);
    const double mb = static_cast<double>(data.size()) / 1e6;
    std::printf("data: %d blocks of %d bytes of mixed data (%.1f MB)\n\n", kBlocks, kBlock, mb);

    // ---- checksums
    Compare("ArchiveCRC32", mb, [&] { gSink = kav::ArchiveCRC32(data.data(), data.size()); },
            [&] { gSink = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())); },
            "zlib crc32", 0);
    // Four 64 KiB blocks at a time, their chains interleaved.
    Compare("ArchiveCRC32Multi, 4 blocks", mb,
            [&] {
                uint32_t sums[kav::kArchiveCRC32Ways];
                kav::CRC32Piece pieces[kav::kArchiveCRC32Ways];
                uint64_t x = 0;
                for (size_t at = 0; at < data.size(); at += kav::kArchiveCRC32Ways * kBlock) {
                    for (size_t j = 0; j < kav::kArchiveCRC32Ways; ++j) pieces[j] = {data.data() + at + j * kBlock, kBlock};
                    kav::ArchiveCRC32Multi(pieces, kav::kArchiveCRC32Ways, sums);
                    for (uint32_t v : sums) x ^= v;
                }
                gSink = x;
            },
            [&] { gSink = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())); },
            "zlib crc32", 0);

    // ---- Blowfish ECB decipher, in place, block by archive block
    {
        const std::string key = "clave de la version 2024";
        std::vector<uint8_t> buf(data.begin(), data.end());
        kav::TBlowFish bf;
        bf.SetInputType(kav::TSourceType::SourceByteArray);
        bf.SetKey(key);
        // Our path is the extractor's: each 64 KiB block deciphered with
        // DecipherData (schedule prepared per block; unchanged key cached).
        auto ours = [&] {
            for (size_t at = 0; at < buf.size(); at += kBlock) {
                bool ready = false;
                for (size_t c = 0; c < static_cast<size_t>(kBlock); c += kav::TCrypto::kBufferSize) {
                    bf.SetInputLength(kav::TCrypto::kBufferSize);
                    bf.SetInputPointer(buf.data() + at + c);
                    bf.SetOutputPointer(buf.data() + at + c);
                    bf.DecipherData(ready);
                    ready = true;
                }
            }
        };
        BF_KEY ref;
        BF_set_key(&ref, static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(key.data()));
        auto openssl = [&] {
            for (size_t at = 0; at < buf.size(); at += 8) BF_ecb_encrypt(buf.data() + at, buf.data() + at, &ref, BF_DECRYPT);
        };
        Compare("Blowfish ECB decipher", mb, ours, openssl, "OpenSSL BF_ecb", 0.8);

        // For the record: the schedule rebuilt for every block (no cache),
        // two keys alternating.
        auto uncached = [&] {
            for (size_t at = 0; at < buf.size(); at += kBlock) {
                bf.SetKey((at / kBlock) % 2 ? key : key + "!");
                bool ready = false;
                for (size_t c = 0; c < static_cast<size_t>(kBlock); c += kav::TCrypto::kBufferSize) {
                    bf.SetInputLength(kav::TCrypto::kBufferSize);
                    bf.SetInputPointer(buf.data() + at + c);
                    bf.SetOutputPointer(buf.data() + at + c);
                    bf.DecipherData(ready);
                    ready = true;
                }
            }
        };
        Compare("  same, key schedule every block", mb, uncached, openssl, "OpenSSL BF_ecb", 0);
    }

    // ---- block decoding: read, checksum, inflate
    auto decoding = [&](const char* label, const std::string& plain) {
        const int blocks = static_cast<int>(plain.size() / kBlock);
        std::string stream;
        std::vector<std::string> compressed;
        for (int i = 0; i < blocks; ++i) {
            const std::string block = BlockBytes(plain.substr(static_cast<size_t>(i) * kBlock, kBlock), true, 6);
            stream += block;
            compressed.push_back(block.substr(8));
        }
        size_t packed = 0;
        for (const auto& c : compressed) packed += c.size();
        std::printf("\n%s: compressed to %.0f%%\n", label, 100.0 * packed / plain.size());
        kav::MemoryStream s(stream.data(), stream.size());
        std::vector<uint8_t> in(kav::BlockInputCapacity(kBlock)), out(kBlock);
        NoCipher none;
        auto ours = [&] {
            s.Seek(0);
            uint64_t total = 0;
            for (int i = 0; i < blocks; ++i)
                total += kav::DecodeBlock(s, {in.data(), in.size(), out.data(), out.size()}, false, none).size;
            gSink = total;
        };
        libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
        auto raw = [&] {
            uint64_t total = 0;
            for (const auto& c : compressed) {
                size_t n = 0;
                libdeflate_zlib_decompress(inflater, c.data(), c.size(), out.data(), kBlock, &n);
                total += n;
            }
            gSink = total;
        };
        const double dataMb = static_cast<double>(plain.size()) / 1e6;
        Compare("block decoding, one by one", dataMb, ours, raw, "inflate alone", 0);
        // The same blocks decoded in batches: checksums of a batch interleaved.
        std::vector<std::vector<uint8_t>> batchIn(kav::kMaxBatchBlocks, std::vector<uint8_t>(in.size()));
        std::vector<uint8_t*> inputs;
        for (auto& v : batchIn) inputs.push_back(v.data());
        const kav::BatchBuffers batch{inputs.data(), inputs.size(), in.size(), out.data(), out.size()};
        auto batched = [&] {
            s.Seek(0);
            uint64_t total = 0;
            const auto all = static_cast<int64_t>(stream.size());
            for (int64_t used = 0; used < all;)
                used += kav::DecodeBlocks(s, batch, all - used, false, none,
                                          [&](const kav::DecodedBlock& b) { total += b.size; });
            gSink = total;
        };
        Compare("block decoding, batches of 4", dataMb, batched, raw, "inflate alone", 0);
        // Where the difference goes: the checksum over the compressed bytes.
        auto crcOnly = [&] {
            uint32_t x = 0;
            for (const auto& c : compressed) x ^= kav::ArchiveCRC32(c.data(), c.size());
            gSink = x;
        };
        const double tCrc = Best(crcOnly, 15), tRaw = Best(raw, 15);
        std::printf("  checksum alone: %.1f%% of the time of the inflate\n", 100.0 * tCrc / tRaw);
        libdeflate_free_decompressor(inflater);
    };
    decoding("mixed data (program files and documents)", data);
    std::string text;
    uint32_t x = 7;
    auto next = [&] { x ^= x << 13; x ^= x >> 17; x ^= x << 5; return x; };
    static const char* const kNames[] = {"Garcia", "Lopez", "Martinez", "Sanchez", "Perez", "Gomez"};
    while (text.size() < data.size())
        text += "Asiento " + std::to_string(next() % 100000) + "; cuenta 4300" + std::to_string(next() % 100000) +
                "; cliente " + kNames[next() % 6] + "; debe " + std::to_string(next() % 10000) + "," +
                std::to_string(next() % 100) + "\r\n";
    text.resize(data.size());
    decoding("text-like data (reports, settings)", text);
    return 0;
}
