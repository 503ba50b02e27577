#include "Plataforma.h"

#include "ProcessMessages.h"

namespace servicios {

VersionWindows VersionPlataforma() {
    // RtlGetVersion answers truthfully whatever the manifest says.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    VersionWindows v;
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        auto fn = reinterpret_cast<RtlGetVersionFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (fn && fn(&info) == 0) {
            v.Nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
            v.Mayor = info.dwMajorVersion;
            v.Menor = info.dwMinorVersion;
        }
    }
    return v;
}

void EsperarFichero(const std::wstring& ruta) {
    for (int cuenta = 0; GetFileAttributesW(ruta.c_str()) == INVALID_FILE_ATTRIBUTES;) {
        if (++cuenta > 1500) break;
        Sleep(10);
        ui::ProcessMessages();
    }
}

}  // namespace servicios
