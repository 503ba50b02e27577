// A DLL planted beside the program under a system DLL's name: when anything
// loads it, it leaves "<its own path>.cargada" behind. It exports nothing, so
// a program that imports the real DLL's functions from it does not start.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instancia, DWORD motivo, LPVOID) {
    if (motivo == DLL_PROCESS_ATTACH) {
        wchar_t ruta[MAX_PATH + 16];
        DWORD n = GetModuleFileNameW(instancia, ruta, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            lstrcatW(ruta, L".cargada");
            HANDLE h = CreateFileW(ruta, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
    }
    return TRUE;
}
