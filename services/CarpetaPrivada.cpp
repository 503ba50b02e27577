#define _CRT_RAND_S
#include "CarpetaPrivada.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "Carpetas.h"
#include "Exception.h"
#include "Ficheros.h"
#include "FormatoTexto.h"
#include "PermisosWin32.h"
#include "Registro.h"
#include "TextCodec.h"
#include "Win32Error.h"

namespace {

// A clash with a name that exists is a planted folder or a one-in-2^64
// chance; a few tries tell them apart.
constexpr int kIntentos = 8;
constexpr const char* kPrefijo = "Descarga.";

// 64 bits from the system's generator (rand_s: no DLL beyond the C library).
std::string NombreAleatorio() {
    char texto[17];
    unsigned int a = 0, b = 0;
    if (rand_s(&a) != 0 || rand_s(&b) != 0) throw Exception("No se pudo obtener un nombre aleatorio");
    std::snprintf(texto, sizeof texto, "%08x%08x", a, b);
    return std::string(kPrefijo) + texto;
}

// A run that was killed leaves its folder behind; no later run would ever
// use that name again, so the next one removes it. A folder its run still
// holds cannot be opened for this user alone and stays; another user's
// cannot be opened at all.
void BorrarAbandonadas(const std::string& base) {
    WIN32_FIND_DATAW d;
    win::FindHandle busqueda(FindFirstFileW(text::Wide(base + kPrefijo + "*").c_str(), &d));
    if (!busqueda) return;
    do {
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::string ruta = base + text::Narrow(d.cFileName);
        {
            win::FileHandle solo(CreateFileW(text::Wide(ruta).c_str(), FILE_LIST_DIRECTORY | DELETE, 0, nullptr,
                                             OPEN_EXISTING,
                                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            if (!solo) continue;
        }
        if (BorrarDirectorio(ConBarraFinal(ruta), true)) Anotar("Borrada la carpeta de descargas abandonada " + ruta);
    } while (FindNextFileW(busqueda.get(), &d));
}

}  // namespace

TCarpetaPrivada::~TCarpetaPrivada() { Borrar(); }

std::string TCarpetaPrivada::Ruta() {
    if (!ruta_.empty()) return ruta_;
    const permisos::TUsuario usuario = permisos::UsuarioActual();
    if (usuario.sid.empty()) win::RaiseLastOSError();
    permisos::TDescriptor descriptor(permisos::PermisosSoloPropietario(usuario.sid));
    const std::string base = CarpetaTemporal();
    BorrarAbandonadas(base);
    for (int intento = 0; intento < kIntentos; ++intento) {
        const std::string ruta = base + NombreAleatorio();
        const std::wstring ancha = text::Wide(ruta);
        // Creating, not opening: a folder or link of that name already there
        // fails, and the list is the folder's from its first instant.
        if (!CreateDirectoryW(ancha.c_str(), descriptor.Atributos())) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) {
                Anotar("La carpeta " + ruta + " ya existía: se descarga en otra");
                continue;
            }
            win::RaiseLastOSError(ruta);
        }
        // Without FILE_SHARE_DELETE: nobody renames or deletes it under us.
        // A handle with attribute rights only would take no part in the
        // sharing checks: it must be able to list the folder.
        win::FileHandle h(CreateFileW(ancha.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
        BY_HANDLE_FILE_INFORMATION info;
        if (!h || !GetFileInformationByHandle(h.get(), &info)) win::RaiseLastOSError(ruta);
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            throw Exception("La carpeta de descargas no es la que se creó:\r\n\r\n" + ruta);
        manejador_ = std::move(h);
        ruta_ = ConBarraFinal(ruta);
        Anotar("Carpeta de descargas: " + ruta_);
        return ruta_;
    }
    throw Exception("No se pudo crear una carpeta de descargas nueva en\r\n\r\n" + base);
}

void TCarpetaPrivada::Borrar() noexcept {
    if (ruta_.empty()) return;
    manejador_.reset();
    try {
        BorrarDirectorio(ruta_, true);
    } catch (...) {
    }
    ruta_.clear();
}
