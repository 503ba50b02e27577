// The one place where Win32 error codes become the program's errors.
#pragma once
#include <windows.h>

#include <string>

namespace win {

// The system's own text for an error code (user language), without the
// trailing line break FormatMessage adds; UTF-8.
std::string SysErrorMessage(DWORD code);

// Throws Exception with the system's text for GetLastError(); when a path is
// given it follows after "\r\n\r\n".
[[noreturn]] void RaiseLastOSError(const std::string& path = {});

}  // namespace win
