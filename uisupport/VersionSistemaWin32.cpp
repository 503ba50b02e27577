#include <windows.h>

#include "TextCodec.h"
#include "VersionSistema.h"

namespace win {

TVersionSistema LeerVersionSistema(TRespuestaVersion respuesta) {
    OSVERSIONINFOEXW v = {};
    v.dwOSVersionInfoSize = sizeof v;
    auto* info = reinterpret_cast<OSVERSIONINFOW*>(&v);
    bool leida = false;
    if (respuesta == TRespuestaVersion::Real) {
        // RtlGetVersion answers truthfully whatever the manifest says.
        using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
        if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
            auto fn = reinterpret_cast<RtlGetVersionFn>(
                reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
            leida = fn && fn(info) == 0;
        }
    } else {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        leida = ::GetVersionExW(info) != FALSE;
#pragma GCC diagnostic pop
    }
    TVersionSistema r;
    if (!leida) return r;
    r.leida = true;
    r.plataforma = v.dwPlatformId;
    r.mayor = v.dwMajorVersion;
    r.menor = v.dwMinorVersion;
    r.compilacion = v.dwBuildNumber;
    r.servicio = text::Narrow(v.szCSDVersion);
    r.servicePackMayor = v.wServicePackMajor;
    r.servicePackMenor = v.wServicePackMinor;
    r.suite = v.wSuiteMask;
    r.tipoProducto = v.wProductType;
    return r;
}

}  // namespace win
