// Writes a single-segment archive whose blocks are stored as they are (not
// compressed, not enciphered), in the layout the engine reads: the archive
// an update rebuilds from the vendor's differences, which then goes through
// the engine like any downloaded archive. Stored blocks cost the reader no
// inflate, and the writer no deflate.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverMisc.h"

namespace kav {

inline constexpr int32_t kStoredBlockSize = 65536;

struct StoredFile {
    // Name, Date, Attr, FileType, AltName, AltFileType, tags and the reserved
    // fields are written as given; the position, size and flag fields are
    // the writer's.
    TFileEntry entry;
    std::string_view data;
};

// The archive's bytes, and in `written` (when given) every entry record as
// it was written, which is what the engine reads back. Raises EArchiver
// kMsgDamaged when it would not fit the format's 32-bit offsets.
std::string StoredArchive(const std::vector<StoredFile>& files, int32_t blockSize = kStoredBlockSize,
                          std::vector<TFileEntry>* written = nullptr);

// The same, for data made while the archive is written: `fill(i, out)`
// writes the `size` bytes of file i at `out`, inside the archive's own
// buffer, so a large result is never held twice. What `fill` raises stops
// the writing and passes through.
struct StoredItem {
    TFileEntry entry;
    size_t size = 0;
};
using StoredFill = std::function<void(size_t index, char* out)>;
std::string StoredArchive(const std::vector<StoredItem>& items, const StoredFill& fill,
                          int32_t blockSize = kStoredBlockSize, std::vector<TFileEntry>* written = nullptr);

}  // namespace kav
