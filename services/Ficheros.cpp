#include "Ficheros.h"

#include <windows.h>

#include <functional>

#include "Exception.h"
#include "FormatoTexto.h"
#include "Plataforma.h"
#include "ProcessMessages.h"
#include "TextCodec.h"
#include "Win32Error.h"
#include "Win32Handle.h"

namespace {

const char kNoSePuedeEliminar[] =
    "No se puede eliminar el archivo: Está siendo usado por otra persona o programa\r\n";
const char kNoSePuedeRenombrar[] = "No se puede cambiar el nombre del archivo: ";

DWORD Atributos(const std::wstring& ruta) { return GetFileAttributesW(ruta.c_str()); }
bool Existe(const std::wstring& ruta) { return Atributos(ruta) != INVALID_FILE_ATTRIBUTES; }

// 100 ns units since 1601 (local) to days since 30 Dec 1899.
double Dias(const FILETIME& local) {
    ULARGE_INTEGER t{{local.dwLowDateTime, local.dwHighDateTime}};
    return static_cast<double>(t.QuadPart) / 864e9 - 109205.0;
}

// A file another program holds open shows up as a denied access or as a
// sharing or lock violation, depending on how it was opened.
bool EnUsoPorOtro(DWORD codigo) {
    return codigo == ERROR_ACCESS_DENIED || codigo == ERROR_SHARING_VIOLATION ||
           codigo == ERROR_LOCK_VIOLATION;
}

// Both names lead to the same file (a rename that only changes case).
bool MismoFichero(const std::wstring& a, const std::wstring& b) {
    wchar_t ca[MAX_PATH * 4], cb[MAX_PATH * 4];
    if (!GetFullPathNameW(a.c_str(), MAX_PATH * 4, ca, nullptr) ||
        !GetFullPathNameW(b.c_str(), MAX_PATH * 4, cb, nullptr))
        return false;
    return CompareStringOrdinal(ca, -1, cb, -1, TRUE) == CSTR_EQUAL;
}

// One entry of a folder listing.
struct Entrada {
    std::string nombre;
    DWORD atributos;
    bool EsCarpeta() const { return atributos & FILE_ATTRIBUTE_DIRECTORY; }
    bool EsEnlace() const { return atributos & FILE_ATTRIBUTE_REPARSE_POINT; }
};

// Lists `carpeta` (no trailing backslash) in the file system's order,
// without "." and "..", until `visitar` returns false. The search handle is
// closed before returning, so the caller may remove the folder afterwards.
void Enumerar(const std::string& carpeta, const std::function<bool(const Entrada&)>& visitar) {
    WIN32_FIND_DATAW datos;
    win::FindHandle busqueda(FindFirstFileW(text::Wide(carpeta + "\\*.*").c_str(), &datos));
    if (!busqueda) return;
    do {
        const std::wstring nombre = datos.cFileName;
        if (nombre == L"." || nombre == L"..") continue;
        if (!visitar({text::Narrow(nombre), datos.dwFileAttributes})) break;
    } while (FindNextFileW(busqueda.get(), &datos));
}

// A level of a walk exists and is not a "." or ".." reference.
bool NivelValido(const std::string& carpeta) {
    const std::string ultimo = carpeta.substr(carpeta.find_last_of('\\') + 1);
    return ultimo != "." && ultimo != ".." && DirectorioExiste(carpeta);
}

void CopiarNivel(const std::string& origen, const std::string& destino, const std::string& sub,
                 bool subcarpetas, bool& resultado) {
    if (!NivelValido(origen + sub)) return;
    ForzarDirectorios(destino + sub);
    Enumerar(origen + sub, [&](const Entrada& e) {
        const std::string relativo = sub + "\\" + e.nombre;
        if (e.EsCarpeta()) {
            if (subcarpetas && !e.EsEnlace()) CopiarNivel(origen, destino, relativo, subcarpetas, resultado);
        } else if (!CopiarFichero(origen + relativo, destino + relativo, false, false)) {
            resultado = false;
        }
        ui::ProcessMessages();
        return true;
    });
}

void BorrarNivel(const std::string& carpeta, bool subcarpetas, bool& resultado) {
    if (!resultado || !NivelValido(carpeta)) return;
    Enumerar(carpeta, [&](const Entrada& e) {
        const std::string ruta = carpeta + "\\" + e.nombre;
        const std::wstring w = text::Wide(ruta);
        if (e.EsCarpeta() && subcarpetas && e.EsEnlace()) {
            resultado = RemoveDirectoryW(w.c_str()) != 0;  // the link, not its target
        } else if (e.EsCarpeta() && subcarpetas) {
            BorrarNivel(ruta, subcarpetas, resultado);
        } else {
            DWORD atributos = e.atributos & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
            SetFileAttributesW(w.c_str(), atributos ? atributos : FILE_ATTRIBUTE_NORMAL);
            if (!BorrarFichero(ruta, false)) resultado = false;
        }
        ui::ProcessMessages();
        return resultado;
    });
    if (resultado) resultado = RemoveDirectoryW(text::Wide(carpeta).c_str()) != 0;
}

}  // namespace

bool FicheroExiste(const std::string& ruta) {
    const DWORD a = Atributos(text::Wide(ruta));
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectorioExiste(const std::string& ruta) {
    const DWORD a = Atributos(text::Wide(ruta));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FechaModificacion(const std::string& ruta, double& dias) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(text::Wide(ruta).c_str(), GetFileExInfoStandard, &a)) return false;
    FILETIME local;
    FileTimeToLocalFileTime(&a.ftLastWriteTime, &local);
    dias = Dias(local);
    return true;
}

double FechaHoraLocal() {
    SYSTEMTIME ahora;
    GetLocalTime(&ahora);
    FILETIME ft;
    SystemTimeToFileTime(&ahora, &ft);
    return Dias(ft);
}

bool ForzarDirectorios(const std::string& carpeta) {
    const std::string ruta = QuitarBarraFinal(carpeta);
    if (ruta.empty()) return false;
    if (DirectorioExiste(ruta)) return true;
    const size_t barra = ruta.find_last_of('\\');
    if (barra != std::string::npos && barra > 0) ForzarDirectorios(ruta.substr(0, barra));
    return CreateDirectoryW(text::Wide(ruta).c_str(), nullptr) || DirectorioExiste(ruta);
}

bool BorrarFichero(const std::string& ruta, bool lanzar) {
    const std::wstring w = text::Wide(ruta);
    SetLastError(0);
    const bool borrado = DeleteFileW(w.c_str()) != 0;
    const DWORD codigo = GetLastError();
    if (borrado && codigo == 0 && Existe(w)) {
        SetLastError(ERROR_ACCESS_DENIED);
        if (lanzar) throw Exception(kNoSePuedeEliminar + ruta);
        return false;
    }
    if (!borrado && lanzar) {
        if (EnUsoPorOtro(codigo)) throw Exception(kNoSePuedeEliminar + ruta);
        throw Exception(win::SysErrorMessage(codigo) + "\r\n" + ruta);
    }
    return borrado;
}

bool RenombrarFichero(const std::string& origen, const std::string& destino, bool lanzar) {
    const std::wstring o = text::Wide(origen), d = text::Wide(destino);
    servicios::EsperarFichero(o);
    SetLastError(0);
    const bool renombrado = MoveFileW(o.c_str(), d.c_str()) != 0;
    const DWORD codigo = GetLastError();
    if (renombrado && codigo == 0 && Existe(o) && !MismoFichero(o, d)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        if (lanzar) throw Exception(std::string(kNoSePuedeRenombrar) + "\r\n" + destino);
        return false;
    }
    if (!renombrado && lanzar)
        throw Exception(kNoSePuedeRenombrar + win::SysErrorMessage(codigo) + "\r\n" + destino);
    return renombrado;
}

bool CopiarFichero(const std::string& origen, const std::string& destino, bool fallarSiExiste,
                   bool lanzar) {
    return servicios::CopiarFicheroEn(servicios::VersionPlataforma(), origen, destino,
                                      fallarSiExiste, lanzar);
}

bool servicios::CopiarFicheroEn(const VersionWindows& version, const std::string& origen,
                                const std::string& destino, bool fallarSiExiste, bool lanzar) {
    const std::wstring o = text::Wide(origen), d = text::Wide(destino);
    if (version.Windows7()) EsperarFichero(o);
    SetLastError(0);
    bool copiado = CopyFileW(o.c_str(), d.c_str(), fallarSiExiste) != 0;
    DWORD codigo = GetLastError();
    // Before Vista a copy could succeed and still leave an error behind;
    // later versions set the code only on failure.
    if (version.VistaOPosterior()) {
        if (copiado) codigo = 0;
    } else if (codigo != 0) {
        copiado = false;
    }
    if (!copiado && lanzar) throw Exception(win::SysErrorMessage(codigo) + "\r\n" + destino);
    return copiado;
}

bool CopiarDirectorio(const std::string& origen, const std::string& destino, bool subcarpetas) {
    bool resultado = true;
    CopiarNivel(QuitarBarraFinal(origen), QuitarBarraFinal(destino), "", subcarpetas, resultado);
    return resultado;
}

bool BorrarDirectorio(const std::string& carpeta, bool subcarpetas) {
    bool resultado = true;
    BorrarNivel(QuitarBarraFinal(carpeta), subcarpetas, resultado);
    return resultado;
}

bool FicheroEnUso(const std::string& ruta) {
    const std::wstring w = text::Wide(ruta);
    // A read-only file cannot be opened for writing on Windows; say so
    // outright, since an administrator's open may get through elsewhere.
    const DWORD a = Atributos(w);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) return true;
    win::FileHandle f(CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return !f;
}

bool FicheroSoloLectura(const std::string& ruta) {
    const DWORD a = Atributos(text::Wide(ruta));
    if (a & FILE_ATTRIBUTE_NORMAL) return false;  // also INVALID_FILE_ATTRIBUTES
    return a & FILE_ATTRIBUTE_READONLY;
}
