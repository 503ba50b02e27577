#include "ServiciosProvisionales.h"

#include "LibActualizadorComun.h"

#include <wininet.h>

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

int LeerPlataforma() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&v);
#pragma GCC diagnostic pop
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT ? 2 : v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
}

namespace {
struct InternetHandle {
    HINTERNET h = nullptr;
    ~InternetHandle() {
        if (h) InternetCloseHandle(h);
    }
};
}  // namespace

void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                      const ProgresoDescargaFn& progreso) {
    std::string url = base + nombre;
    std::string destino = carpeta.empty() ? CarpetaTemporal() : carpeta;
    if (destino.back() != '\\') destino += '\\';
    destino += nombre;
    auto fallo = [&] { throw Exception("Error descargando URL: " + url); };
    InternetHandle sesion{InternetOpenW(L"Actualizador", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
    if (!sesion.h) fallo();
    InternetHandle pet{InternetOpenUrlW(sesion.h, Wide(url).c_str(), nullptr, 0,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)};
    if (!pet.h) fallo();
    DWORD estado = 0, len = sizeof(estado);
    HttpQueryInfoW(pet.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &estado, &len, nullptr);
    if (estado != 200) fallo();
    DWORD total = 0;
    len = sizeof(total);
    if (!HttpQueryInfoW(pet.h, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &total, &len, nullptr)) total = 0;
    DeleteFileW(Wide(destino).c_str());
    win::FileHandle f(CreateFileW(Wide(destino).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) fallo();
    uint32_t recibidos = 0;
    char buf[16384];
    for (;;) {
        DWORD n = 0;
        if (!InternetReadFile(pet.h, buf, sizeof(buf), &n)) fallo();
        if (n == 0) break;
        DWORD escritos = 0;
        if (!WriteFile(f.get(), buf, n, &escritos, nullptr) || escritos != n) fallo();
        recibidos += n;
        bool cancelar = false;
        if (progreso) progreso(recibidos, total, cancelar);
        if (cancelar) fallo();
    }
}

bool HayConexionInternet() {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0);
}

void PosicionBarra(forms::TProgressBar& barra, int posicion) {
    barra.SetPosition(posicion);
    UpdateWindow(barra.Handle());
}

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
