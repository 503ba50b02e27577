#include "VersionesInstaladas.h"

#include <windows.h>

#include <vector>

#include "Exception.h"
#include "FormatoTexto.h"
#include "TablaModulos.h"
#include "TextCodec.h"
#include "Win32Error.h"
#include "Win32Handle.h"

namespace {

// A record file is a few hundred bytes; anything near this is not one.
constexpr LONGLONG kMaxFicheroVersiones = 1 << 20;

}  // namespace

TypeVersion LeerVersionFichero(const std::string& ruta) {
    const std::wstring w = text::Wide(ruta);
    DWORD sinUso = 0;
    const DWORD tamano = GetFileVersionInfoSizeW(w.c_str(), &sinUso);
    if (tamano == 0) return {};
    std::vector<BYTE> datos(tamano);
    if (!GetFileVersionInfoW(w.c_str(), 0, tamano, datos.data())) return {};
    VS_FIXEDFILEINFO* fija = nullptr;
    UINT largo = 0;
    // The root block may be present but empty or foreign: only a whole fixed
    // block with its signature is read.
    if (!VerQueryValueW(datos.data(), L"\\", reinterpret_cast<void**>(&fija), &largo) || !fija ||
        largo < sizeof(VS_FIXEDFILEINFO) || fija->dwSignature != VS_FFI_SIGNATURE)
        throw Exception("Información de versión no disponible");
    return {LOWORD(fija->dwFileVersionLS), HIWORD(fija->dwFileVersionLS),
            LOWORD(fija->dwFileVersionMS), HIWORD(fija->dwFileVersionMS)};
}

TypeVersionesConta LeerVersionesInstaladas(const std::string& carpeta,
                                           const std::string& nombreActualizador) {
    TypeVersionesConta r;
    const std::string dir = ConBarraFinal(carpeta);
    r.FijarVersionFichero(98, LeerVersionFichero(dir + nombreActualizador));
    r.FijarVersionFichero(99, LeerVersionFichero(dir + "CONTA.EXE"));
    r.FijarVersionFichero(100, LeerVersionFichero(dir + DatosModulo(202).Nombre));
    for (unsigned i = 1; i <= 6; ++i) {
        const TypetBPLName fila = DatosModulo(i);
        r.FijarVersionFichero(fila.Codigo, LeerVersionFichero(dir + fila.Nombre));
    }
    for (unsigned i = 11; i <= 33; ++i) {
        const TypetBPLName fila = DatosModulo(i);
        r.FijarModulo(fila.Codigo, LeerVersionFichero(dir + fila.Nombre), fila.Grupo);
    }
    return r;
}

TypeVersionesConta LeerVersionesComprimidas(const std::string& ruta) {
    win::FileHandle f(CreateFileW(text::Wide(ruta).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) win::RaiseLastOSError(ruta);
    LARGE_INTEGER tamano{};
    if (!GetFileSizeEx(f.get(), &tamano)) win::RaiseLastOSError(ruta);

    const std::string errorDescompresion = "Error de descompresión\r\n" + ruta;
    if (tamano.QuadPart > kMaxFicheroVersiones) throw Exception(errorDescompresion);
    std::string datos(size_t(tamano.QuadPart), '\0');
    DWORD n = 0;
    if (!ReadFile(f.get(), datos.data(), DWORD(datos.size()), &n, nullptr)) win::RaiseLastOSError(ruta);
    datos.resize(n);
    TypeVersionesConta registro;
    if (!DescomprimirVersiones(datos, registro)) throw Exception(errorDescompresion);
    return registro;
}
