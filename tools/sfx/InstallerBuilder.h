// Turns the built program into an installer: the archive is appended behind
// the program image, the image size is written into the RCDATA resource
// "SFXCODES" (the position where the archive header lands), and the file is
// padded to a multiple of 8 so that a code-signing certificate can follow.
// Signing comes afterwards; an executable that is already signed or already
// carries an archive is refused.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace kav::sfx {

struct Built {
    std::vector<uint8_t> bytes;
    uint32_t sfxSize;  // where the archive header lies
};

// Throws Exception (Spanish text) when the program or the archive does not fit.
Built BuildInstaller(const std::vector<uint8_t>& program, const std::vector<uint8_t>& archive);

// The SFXCODES value stored in an executable; nothing when it has none.
std::optional<int32_t> ReadSfxCodes(const std::vector<uint8_t>& program);

}  // namespace kav::sfx
