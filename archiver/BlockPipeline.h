// Decoding an entry's blocks on two threads: a reading thread reads,
// deciphers and inflates the blocks ahead while the caller's thread tests
// each block's checksum and hands it on (writing it, reporting progress).
// The inflate and the file writes then overlap instead of taking turns.
//
// The outcome is that of DecodeBlocks decoding one block at a time: blocks
// are delivered in order on the caller's thread, the first faulty block
// raises its own error (a checksum mismatch before any inflate failure of
// that block) after the blocks before it were delivered, and the stream is
// left after the faulty block. The reading thread may already have read,
// deciphered and inflated up to kSlots blocks beyond a faulty one, so the
// transforms must be pure (the engine's own, with the key already known),
// and the stream must not be touched by anyone else during the call.
// Memory is fixed: kSlots input and output buffers, allocated once.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "BlockDecoder.h"

namespace kav {

class BlockPipeline {
public:
    // Blocks read ahead of the one being delivered, plus that one.
    static constexpr size_t kSlots = 4;
    // Ready blocks the caller waits for (fewer only at the end of a job).
    static constexpr size_t kTakenTogether = 2;

    BlockPipeline(size_t inputSize, size_t blockSize);
    ~BlockPipeline();
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    size_t InputSize() const { return inputSize_; }
    size_t BlockSize() const { return blockSize_; }

    // As DecodeBlocks with unlimited batches: reads blocks while the bytes
    // consumed stay below `remaining` (the first is always read). Returns
    // the bytes consumed by the delivered blocks.
    int64_t DecodeBlocks(Stream& s, int64_t remaining, bool encrypted, BlockTransforms& t, BlockSink deliver);

private:
    struct Slot {
        std::vector<uint8_t> input, output;
        StoredBlock block{};
        size_t produced = 0;
        int64_t end = 0;                   // stream position after the block
        std::exception_ptr readFailure;    // the block could not be read: the last one
        std::exception_ptr inflateFailure; // raised only if its checksum holds
    };

    void Work();
    void ReadAhead();
    // Stops the reading thread's current job and waits until it is idle.
    void Halt();

    const size_t inputSize_, blockSize_;
    Slot slots_[kSlots];

    std::mutex mutex_;
    std::condition_variable wake_;  // the reading thread: a job, a free slot, a stop
    std::condition_variable ready_; // the caller: a filled slot, the job's end
    // The job, set by the caller while the reading thread is idle.
    Stream* stream_ = nullptr;
    int64_t remaining_ = 0;
    bool encrypted_ = false;
    BlockTransforms* transforms_ = nullptr;
    bool working_ = false;  // a job is given and not finished
    bool halt_ = false;     // the caller wants no more blocks
    bool quit_ = false;     // the pipeline is being destroyed
    size_t filled_ = 0;     // blocks made ready in this job
    size_t taken_ = 0;      // blocks the caller is done with
    std::thread thread_;
};

}  // namespace kav
