// A stand-in for the programs the installer starts (the accounting program,
// a newer updater): it appends its command line to REGISTRO.TXT beside
// itself and ends. Tests give copies of it the versions they need.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t ruta[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, ruta, MAX_PATH);
    while (n > 0 && ruta[n - 1] != L'\\') --n;
    lstrcpyW(ruta + n, L"REGISTRO.TXT");
    HANDLE h = CreateFileW(ruta, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    const wchar_t* linea = GetCommandLineW();
    char buf[4096];
    int largo = WideCharToMultiByte(CP_UTF8, 0, linea, -1, buf, sizeof buf - 2, nullptr, nullptr);
    if (largo > 0) {
        buf[largo - 1] = '\n';
        DWORD escritos;
        WriteFile(h, buf, static_cast<DWORD>(largo), &escritos, nullptr);
    }
    CloseHandle(h);
    return 0;
}
