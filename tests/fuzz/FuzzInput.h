// How a fuzz input carries several segment files, shared by the target and
// the seed generator.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kav::fuzz {

inline constexpr std::string_view kSegmentBreak = "\xFF--SEGMENTO--\xFF";
inline constexpr const char* kKey = "clave de prueba";

inline std::vector<std::string> SplitSegments(std::string_view input) {
    std::vector<std::string> out;
    for (;;) {
        const size_t at = input.find(kSegmentBreak);
        out.emplace_back(input.substr(0, at));
        if (at == std::string_view::npos) return out;
        input.remove_prefix(at + kSegmentBreak.size());
    }
}

inline std::string JoinSegments(const std::vector<std::string>& segments) {
    std::string out;
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) out += kSegmentBreak;
        out += segments[i];
    }
    return out;
}

}  // namespace kav::fuzz
