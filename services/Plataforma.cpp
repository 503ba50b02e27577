#include "Plataforma.h"

#include "DialogSeam.h"
#include "ProcessMessages.h"
#include "TextCodec.h"
#include "Win32Handle.h"

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

void MostrarMensaje(const std::string& texto) {
    if (ui::ScriptedAnswer({"ShowMessage", "", texto, {"Vale"}, ""})) return;
    wchar_t modulo[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, modulo, MAX_PATH);
    std::wstring titulo = modulo;
    titulo = titulo.substr(titulo.find_last_of(L'\\') + 1);
    titulo = titulo.substr(0, titulo.rfind(L'.'));
    MessageBoxW(GetActiveWindow(), text::Wide(texto).c_str(), titulo.c_str(), MB_OK);
}

void EsperarFichero(const std::wstring& ruta) {
    for (int cuenta = 0; GetFileAttributesW(ruta.c_str()) == INVALID_FILE_ATTRIBUTES;) {
        if (++cuenta > 1500) break;
        Sleep(10);
        ui::ProcessMessages();
    }
}

}  // namespace servicios
