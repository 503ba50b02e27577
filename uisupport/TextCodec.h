// Text conversions at the program's edges. Inside, text is UTF-8; archive
// names and the links page are Windows-1252; Win32 calls take UTF-16.
#pragma once
#include <string>
#include <string_view>

namespace text {

// Windows-1252 bytes to UTF-8. Every byte maps to a character (the five
// unassigned codes map to the C1 controls, as Windows does).
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to Windows-1252; characters outside the code page, and malformed
// UTF-8, become '?'.
std::string Utf8ToAnsi(std::string_view utf8);

// UTF-8 to UTF-16 and back; malformed input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

#ifdef _WIN32
// wchar_t is UTF-16 on Windows: the form the W calls take.
inline std::wstring Wide(std::string_view utf8) {
    std::u16string s = Utf8ToUtf16(utf8);
    return std::wstring(s.begin(), s.end());
}
inline std::string Narrow(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}
#endif

// ASCII-only upper case, as file-name comparisons of the archive engine use.
std::string UpperAscii(std::string_view s);

}  // namespace text
