#include "Plataforma.h"

#include "ProcessMessages.h"
#include "VersionSistema.h"

namespace servicios {

VersionWindows VersionPlataforma() {
    const win::TVersionSistema s = win::LeerVersionSistema(win::TRespuestaVersion::Real);
    VersionWindows v;
    if (s.leida) {
        v.Nt = s.plataforma == VER_PLATFORM_WIN32_NT;
        v.Mayor = s.mayor;
        v.Menor = s.menor;
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
