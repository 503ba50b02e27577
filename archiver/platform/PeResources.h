// Portable reading of a Windows executable's resources: where a resource's
// data lies in the file, and the texts of its version information. Every
// offset and size read from the image is checked against the image before
// it is used; a malformed image gives "not found".
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kav::pe {

// A resource type or name: a number, or a text compared without case.
struct ResId {
    ResId(uint16_t n) : number(n) {}
    ResId(const char* s) : name(s) {}
    uint16_t number = 0;
    std::string name;
};

inline constexpr uint16_t kRtRcData = 10;
inline constexpr uint16_t kRtVersion = 16;

struct Location {
    uint32_t fileOffset;
    uint32_t size;
};

// The data of the first language of resource type/name.
std::optional<Location> FindResource(const std::vector<uint8_t>& image, const ResId& type, const ResId& name);

// The file offset and size of the certificate table (zero when unsigned),
// and the file offset of the security directory entry itself.
struct SecurityDirectory {
    uint32_t entryOffset;  // where the directory entry lies in the file
    uint32_t offset, size;
};
std::optional<SecurityDirectory> FindSecurityDirectory(const std::vector<uint8_t>& image);

// The end of the last section's raw data: the size of the program image.
std::optional<uint32_t> ImageEnd(const std::vector<uint8_t>& image);

// Version texts: the first translation's string table, the listed keys.
std::vector<std::pair<std::string, std::string>> VersionTexts(const std::vector<uint8_t>& image,
                                                              const std::vector<std::string>& keys);

}  // namespace kav::pe
