#include "BlockPipeline.h"

#include "ArchiveCRC32.h"
#include "ArchiverMisc.h"
#include "Stream.h"

namespace kav {

BlockPipeline::BlockPipeline(size_t inputSize, size_t blockSize) : inputSize_(inputSize), blockSize_(blockSize) {
    for (Slot& slot : slots_) {
        slot.input.assign(inputSize, 0);
        slot.output.assign(blockSize, 0);
    }
    thread_ = std::thread([this] { Work(); });
}

BlockPipeline::~BlockPipeline() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        halt_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void BlockPipeline::Work() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || (working_ && filled_ == 0); });
            if (quit_) return;
        }
        ReadAhead();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            working_ = false;
        }
        ready_.notify_all();
    }
}

// The reading thread's job: the same blocks the caller would read one by
// one, each into the next free slot; it ends after the last block the
// caller asked for, after a block that could not be read, or when halted.
void BlockPipeline::ReadAhead() {
    int64_t used = 0;
    for (size_t n = 0;; ++n) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return halt_ || filled_ - taken_ < kSlots; });
            if (halt_) return;
        }
        Slot& slot = slots_[n % kSlots];
        slot.readFailure = nullptr;
        slot.inflateFailure = nullptr;
        slot.produced = 0;
        try {
            slot.block = ReadStoredBlock(*stream_, slot.input.data(), inputSize_, encrypted_, *transforms_);
            slot.end = stream_->Position();
            used += slot.block.consumed;
            if (slot.block.length >= 0) {
                // Inflated before its checksum is known: a failure here counts
                // only when the checksum holds.
                try {
                    slot.produced = transforms_->UncompressBlock(slot.output.data(), blockSize_, slot.input.data(),
                                                                 slot.block.size);
                    if (slot.produced > blockSize_) throw EArchiverUncompress();
                } catch (...) {
                    slot.inflateFailure = std::current_exception();
                }
            }
        } catch (...) {
            slot.readFailure = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++filled_;
        }
        ready_.notify_all();
        if (slot.readFailure || used >= remaining_) return;
    }
}

void BlockPipeline::Halt() {
    std::unique_lock<std::mutex> lock(mutex_);
    halt_ = true;
    wake_.notify_all();
    ready_.wait(lock, [this] { return !working_; });
}

int64_t BlockPipeline::DecodeBlocks(Stream& s, int64_t remaining, bool encrypted, BlockTransforms& t,
                                    BlockSink deliver) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stream_ = &s;
        remaining_ = remaining;
        encrypted_ = encrypted;
        transforms_ = &t;
        filled_ = taken_ = 0;
        halt_ = false;
        working_ = true;
    }
    wake_.notify_all();
    int64_t delivered = 0;
    for (size_t next = 0;;) {
        // Blocks are taken in twos or more: half as many waits for the
        // reading thread, and their checksums computed together.
        size_t ready = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [&] { return filled_ >= next + kTakenTogether || !working_; });
            ready = filled_ - next;
        }
        if (ready == 0) break;  // the job ended before this block
        CRC32Piece pieces[kSlots];
        uint32_t sums[kSlots];
        size_t summed = 0;
        for (; summed < ready && !slots_[(next + summed) % kSlots].readFailure; ++summed) {
            const Slot& slot = slots_[(next + summed) % kSlots];
            pieces[summed] = {slot.input.data(), slot.block.size};
        }
        ArchiveCRC32Multi(pieces, summed, sums);
        for (size_t i = 0; i < ready; ++i, ++next) {
            const Slot& slot = slots_[next % kSlots];
            try {
                // The reading thread stops after a block it could not read:
                // the stream is where reading it one by one would have left it.
                if (slot.readFailure) std::rethrow_exception(slot.readFailure);
                CheckStoredBlock(slot.block, sums[i], encrypted);
                if (slot.inflateFailure) std::rethrow_exception(slot.inflateFailure);
                if (slot.block.length < 0) deliver({slot.input.data(), slot.block.size, slot.block.consumed});
                else deliver({slot.output.data(), slot.produced, slot.block.consumed});
                delivered += slot.block.consumed;
            } catch (...) {
                Halt();
                if (!slot.readFailure) s.Seek(slot.end);
                throw;
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                taken_ = next + 1;
            }
            wake_.notify_all();
        }
    }
    return delivered;
}

}  // namespace kav
