// Writes a single-segment archive whose blocks are stored as they are (not
// compressed, not enciphered), in the layout the engine reads: the archive
// an update rebuilds from the vendor's differences, which then goes through
// the engine like any downloaded archive. Stored blocks cost the reader no
// inflate, and the writer no deflate.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverMisc.h"

namespace kav {

struct StoredFile {
    // Name, Date, Attr, FileType, AltName, AltFileType, tags and the reserved
    // fields are written as given; the position, size and flag fields are
    // the writer's.
    TFileEntry entry;
    std::string_view data;
};

// The archive's bytes. Raises EArchiver kMsgDamaged when it would not fit
// the format's 32-bit offsets.
std::string StoredArchive(const std::vector<StoredFile>& files, int32_t blockSize = 65536);

}  // namespace kav
