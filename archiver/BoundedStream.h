// A view of another stream that ends at a given position, so that what is
// read through it never reaches the bytes behind that end (the trailer behind
// a segment's data, the next record behind a part's blocks).
#pragma once
#include <algorithm>
#include <cstdint>

#include "ArchiverMisc.h"
#include "Stream.h"

namespace kav {

class BoundedStream : public Stream {
public:
    BoundedStream(Stream& s, int64_t end) : s_(s), end_(end) {}
    // A read that would cross the end is damage: the structure being read
    // does not fit where the archive says its data ends.
    size_t Read(void* buffer, size_t count) override {
        if (static_cast<int64_t>(count) > end_ - s_.Position()) RaiseDamaged();
        return s_.Read(buffer, count);
    }
    void Seek(int64_t position) override { s_.Seek(position); }
    int64_t Position() const override { return s_.Position(); }
    int64_t Size() const override { return std::min(end_, s_.Size()); }

private:
    Stream& s_;
    int64_t end_;
};

}  // namespace kav
