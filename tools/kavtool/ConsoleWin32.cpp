#include <windows.h>
#include <shellapi.h>

#include "Console.h"
#include "TextCodec.h"

namespace kavtool {

// argv is in the ANSI code page on Windows; the wide command line is not.
std::vector<std::string> Utf8Arguments(int, char**) {
    std::vector<std::string> args;
    int n = 0;
    LPWSTR* w = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (!w) return args;
    for (int i = 1; i < n; ++i) args.push_back(text::Narrow(w[i]));
    ::LocalFree(w);
    return args;
}

void PrepareConsole() { ::SetConsoleOutputCP(CP_UTF8); }

}  // namespace kavtool
