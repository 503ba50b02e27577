#include "ProgramaPropio.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "Exception.h"
#include "TextCodec.h"
#include "Win32Error.h"

namespace {

// Null when missing; the system's last error then tells why.
const uint8_t* BuscarRecurso(const std::string& nombre, DWORD& tamano) {
    HRSRC r = FindResourceW(nullptr, text::Wide(nombre).c_str(), MAKEINTRESOURCEW(10));
    HGLOBAL g = r ? LoadResource(nullptr, r) : nullptr;
    const auto* datos = g ? static_cast<const uint8_t*>(LockResource(g)) : nullptr;
    tamano = datos ? SizeofResource(nullptr, r) : 0;
    return datos;
}

}  // namespace

std::string RutaProgramaPropio() {
    std::wstring ruta(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, ruta.data(), static_cast<DWORD>(ruta.size()));
        if (n < ruta.size()) return text::Narrow(ruta.substr(0, n));
        ruta.resize(ruta.size() * 2);  // cut short: ask again with room
    }
}

std::vector<uint8_t> RecursoPropio(const std::string& nombre) {
    DWORD tamano = 0;
    const uint8_t* datos = BuscarRecurso(nombre, tamano);
    return datos ? std::vector<uint8_t>(datos, datos + tamano) : std::vector<uint8_t>();
}

int32_t PosicionArchivoPropio(const std::string& rutaEjecutable) {
    DWORD tamano = 0;
    const uint8_t* datos = BuscarRecurso("SFXCODES", tamano);
    if (!datos) win::RaiseLastOSError(rutaEjecutable);
    if (tamano < 4) throw Exception("SFXCODES\r\n\r\n" + rutaEjecutable);
    int32_t posicion;
    std::memcpy(&posicion, datos, 4);
    return posicion;
}

std::vector<std::string> ArgumentosPrograma() {
    int n = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &n);
    std::vector<std::string> resultado;
    for (int i = 1; args && i < n; ++i) resultado.push_back(text::Narrow(args[i]));
    LocalFree(args);
    return resultado;
}
