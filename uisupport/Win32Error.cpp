#include "Win32Error.h"

#include "Exception.h"
#include "TextCodec.h"

namespace win {

std::string SysErrorMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"Error del sistema " + std::to_wstring(code);
    return text::Narrow(text);
}

void RaiseLastOSError(const std::string& path) {
    std::string message = SysErrorMessage(GetLastError());
    if (!path.empty()) message += "\r\n\r\n" + path;
    throw Exception(message);
}

}  // namespace win
