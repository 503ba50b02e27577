// The vendor's archive of differences between two releases (its form is
// documented in services/Diferencias.h and, for people, in Description.h):
// made from the descriptions of the two releases' archives.
#pragma once
#include <string>
#include <string_view>

#include "ArchiveBuilder.h"

namespace kavmake {

// A zstd frame that rebuilds `nuevo` with `anterior` as its reference.
std::string MakePatch(std::string_view anterior, std::string_view nuevo);

// The differences from release `desde` to release `hasta`. A file of the
// new release whose stored name the earlier release has with other bytes
// travels as a patch when its kind keeps it at its stored place (kinds
// below 14 but 9: the others may be placed by the installer elsewhere, where
// the patch would not find its reference), both fit the patch's window, and
// the patch is smaller than the file; otherwise, as do new files, whole.
// Files with the same bytes in both, and files the new release drops, are
// left out.
ArchiveBuilder MakeDifferences(const ArchiveBuilder& anterior, const ArchiveBuilder& nueva, const std::string& desde,
                               const std::string& hasta);

}  // namespace kavmake
