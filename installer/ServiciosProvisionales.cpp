#include "ServiciosProvisionales.h"

#include "LibActualizadorComun.h"


#include <cstring>
#include <vector>

#include "Controls.h"
#include "Exception.h"
#include "Mensajes.h"
#include "ProcessMessages.h"
#include "TextCodec.h"
#include "Win32Error.h"

using text::Narrow;
using text::Wide;


bool MostrarModoLocal(HWND, const std::string& mensaje, const std::string&, const std::string&,
                      const std::string&) {
    MensajeError(mensaje);
    return false;
}

std::array<uint8_t, 128> LeerDatosUsuarioAnexos(const std::string& ruta, int32_t sfxSize) {
    win::FileHandle f(CreateFileW(Wide(ruta).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!f) win::RaiseLastOSError(ruta);
    LARGE_INTEGER pos;
    pos.QuadPart = sfxSize;
    uint8_t cab[268];
    DWORD leidos = 0;
    if (!SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN) || !ReadFile(f.get(), cab, sizeof(cab), &leidos, nullptr) ||
        leidos < sizeof(cab))
        throw Exception("Firma Erronea: el archivo \"" + ruta + "\" no es valido");
    int32_t firma, version;
    std::memcpy(&firma, cab, 4);
    std::memcpy(&version, cab + 4, 4);
    if (firma != 4664) throw Exception("Firma Erronea: el archivo \"" + ruta + "\" no es valido");
    if (version > 1) throw Exception("Versión desconocida");
    std::array<uint8_t, 128> r;
    std::memcpy(r.data(), cab + 73, 128);
    return r;
}
