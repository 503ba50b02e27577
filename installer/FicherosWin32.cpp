#include "FicherosWin32.h"

#include <windows.h>
#include <restartmanager.h>

#include "CarpetaPrivada.h"
#include "Carpetas.h"
#include "Diario.h"
#include "Exception.h"
#include "Ficheros.h"
#include "Ini.h"
#include "LibActualizadorComun.h"
#include "PermisosWin32.h"
#include "ReglasInstalador.h"
#include "Rutas.h"
#include "TextCodec.h"
#include "VersionesInstaladas.h"
#include "Win32Error.h"
#include "platform/Platform.h"

using text::Wide;

bool TFicherosWin32::FicheroExiste(const std::string& ruta) { return ::FicheroExiste(ruta); }

bool TFicherosWin32::DirectorioExiste(const std::string& ruta) { return ::DirectorioExiste(ruta); }

bool TFicherosWin32::FicheroSoloLectura(const std::string& ruta) { return ::FicheroSoloLectura(ruta); }

bool TFicherosWin32::FicheroEnUso(const std::string& ruta) { return ::FicheroEnUso(ruta); }

std::optional<double> TFicherosWin32::FechaFichero(const std::string& ruta) {
    double dias = 0;
    if (!FechaModificacion(ruta, dias)) return std::nullopt;
    return dias;
}

int64_t TFicherosWin32::TamanoFichero(const std::string& ruta) { return kav::os::FileSize(ruta); }

int64_t TFicherosWin32::EspacioLibre(const std::string& carpeta) {
    ULARGE_INTEGER libre;
    // The folder may not exist yet: its drive answers the same.
    for (std::string c = QuitarBarraFinal(carpeta); !c.empty(); c = QuitarBarraFinal(c.substr(0, c.find_last_of('\\') + 1))) {
        if (GetDiskFreeSpaceExW(Wide(ConBarraFinal(c)).c_str(), &libre, nullptr, nullptr))
            return static_cast<int64_t>(libre.QuadPart);
        if (c.find('\\') == std::string::npos) break;
    }
    return -1;
}

bool TFicherosWin32::CarpetaEscribible(const std::string& carpeta) {
    const std::string prueba = ConBarraFinal(carpeta) + "~kavo" + std::to_string(GetCurrentProcessId()) + ".tmp";
    win::FileHandle f(CreateFileW(Wide(prueba).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(f);
}

std::string TFicherosWin32::ProgramasQueUsan(const std::string& ruta) {
    // The Restart Manager, where the system has one (loaded from System32
    // only); without it the message names just the file.
    win::Library rm(LoadLibraryExW(L"rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!rm) return {};
    using Inicio = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
    using Registrar = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
    using Lista = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
    using Fin = DWORD(WINAPI*)(DWORD);
    auto inicio = reinterpret_cast<Inicio>(reinterpret_cast<void*>(GetProcAddress(rm.get(), "RmStartSession")));
    auto registrar =
        reinterpret_cast<Registrar>(reinterpret_cast<void*>(GetProcAddress(rm.get(), "RmRegisterResources")));
    auto lista = reinterpret_cast<Lista>(reinterpret_cast<void*>(GetProcAddress(rm.get(), "RmGetList")));
    auto fin = reinterpret_cast<Fin>(reinterpret_cast<void*>(GetProcAddress(rm.get(), "RmEndSession")));
    if (!inicio || !registrar || !lista || !fin) return {};
    DWORD sesion = 0;
    WCHAR clave[CCH_RM_SESSION_KEY + 1] = {};
    if (inicio(&sesion, 0, clave) != ERROR_SUCCESS) return {};
    std::string nombres;
    const std::wstring w = Wide(ruta);
    LPCWSTR ficheros[] = {w.c_str()};
    RM_PROCESS_INFO procesos[8];
    UINT necesarios = 0, cuantos = 8;
    DWORD razones = 0;
    if (registrar(sesion, 1, ficheros, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
        lista(sesion, &necesarios, &cuantos, procesos, &razones) == ERROR_SUCCESS) {
        for (UINT i = 0; i < cuantos && i < 8; ++i)
            nombres += (nombres.empty() ? "" : ", ") + text::Narrow(procesos[i].strAppName);
    }
    fin(sesion);
    return nombres;
}

TypeVersion TFicherosWin32::VersionFichero(const std::string& ruta, bool lanzar) {
    if (lanzar) {
        DWORD sinUso = 0;
        if (GetFileVersionInfoSizeW(Wide(ruta).c_str(), &sinUso) == 0) win::RaiseLastOSError(ruta);
        return LeerVersionFichero(ruta);
    }
    try {
        return LeerVersionFichero(ruta);
    } catch (const std::exception&) {
        return {};
    }
}

void TFicherosWin32::CrearCarpeta(const std::string& carpeta) {
    if (!ForzarDirectorios(carpeta)) win::RaiseLastOSError(carpeta);
}

void TFicherosWin32::MoverFichero(const std::string& origen, const std::string& destino) {
    RenombrarFichero(origen, destino, true);
}

bool TFicherosWin32::CopiarFichero(const std::string& origen, const std::string& destino) {
    if (!::CopiarFichero(origen, destino, false, false)) return false;
    // On disk before the journal names it, or before the next step counts on it.
    win::FileHandle f(CreateFileW(Wide(destino).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return f && FlushFileBuffers(f.get());
}

bool TFicherosWin32::BorrarDirectorio(const std::string& carpeta) {
    // A folder that is a link goes as a link, never with what it leads to.
    if (PuntoDeReparse(QuitarBarraFinal(carpeta))) return RemoveDirectoryW(Wide(QuitarBarraFinal(carpeta)).c_str()) != 0;
    return ::BorrarDirectorio(carpeta, true);
}

bool TFicherosWin32::BorrarFichero(const std::string& ruta, bool lanzar) { return ::BorrarFichero(ruta, lanzar); }

bool TFicherosWin32::BorrarCarpetaVacia(const std::string& carpeta) {
    return RemoveDirectoryW(Wide(carpeta).c_str()) != 0;
}

void TFicherosWin32::EscribirFichero(const std::string& ruta, const std::string& contenido) {
    win::FileHandle f(CreateFileW(Wide(ruta).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD escritos = 0;
    if (!f || !WriteFile(f.get(), contenido.data(), static_cast<DWORD>(contenido.size()), &escritos, nullptr) ||
        escritos != contenido.size() || !FlushFileBuffers(f.get()))
        win::RaiseLastOSError(ruta);
}

bool TFicherosWin32::PuntoDeReparse(const std::string& ruta) {
    const DWORD a = GetFileAttributesW(Wide(ruta).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

void TFicherosWin32::ReemplazarPrograma(const std::string& nuevo, const std::string& programa,
                                       const std::string& apartado) {
    const std::wstring n = Wide(nuevo), p = Wide(programa), a = Wide(apartado);
    // One rename that replaces: the path names the old file or the new one,
    // never neither. The system refuses it while the old file is a running
    // image; that one can only be renamed, so it goes aside first and the
    // path is without a file between two renames, nothing written between.
    if (MoveFileExW(n.c_str(), p.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
    if (GetFileAttributesW(a.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(a.c_str());
    if (!MoveFileExW(p.c_str(), a.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        win::RaiseLastOSError(programa);
    if (!MoveFileExW(n.c_str(), p.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD codigo = GetLastError();
        MoveFileExW(a.c_str(), p.c_str(), MOVEFILE_WRITE_THROUGH);
        SetLastError(codigo);
        win::RaiseLastOSError(programa);
    }
}

std::string TFicherosWin32::LeerFichero(const std::string& ruta) {
    kav::os::File f;
    if (!f.Open(ruta, kav::os::Access::Read, kav::os::Share::DenyNone, kav::os::Disposition::OpenExisting)) return {};
    std::string r(static_cast<size_t>(f.Size()), '\0');
    r.resize(f.Read(r.data(), r.size()));
    return r;
}

// A file another program holds open for writing cannot be mapped: read
// as before.
std::unique_ptr<diferencias::TInstalado> TFicherosWin32::VerFichero(const std::string& ruta) {
    if (auto mapeado = diferencias::MapearInstalado(ruta)) return mapeado;
    if (!FicheroExiste(ruta)) return nullptr;
    return diferencias::InstaladoEnMemoria(LeerFichero(ruta));
}

void TFicherosWin32::AbrirManejadorDiario(const std::string& diario, DWORD disposicion) {
    if (diario_ && rutaDiario_ == diario) return;
    // Readable by others, but neither writable nor deletable: an updater
    // starting meanwhile sees it in use and leaves it alone.
    win::FileHandle h(CreateFileW(Wide(diario).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                                  nullptr, disposicion, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    if (!h) win::RaiseLastOSError(diario);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h.get(), &info)) win::RaiseLastOSError(diario);
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        throw Exception("El diario es un enlace a otro lugar\r\n" + diario);
    diario_ = std::move(h);
    rutaDiario_ = diario;
}

void TFicherosWin32::AnexarDiario(const std::string& diario, const std::string& linea) {
    AbrirManejadorDiario(diario, OPEN_ALWAYS);
    LARGE_INTEGER cero{};
    DWORD escritos = 0;
    if (!SetFilePointerEx(diario_.get(), cero, nullptr, FILE_END) ||
        !WriteFile(diario_.get(), linea.data(), static_cast<DWORD>(linea.size()), &escritos, nullptr) ||
        escritos != linea.size() || !FlushFileBuffers(diario_.get()))
        win::RaiseLastOSError(diario);
}

void TFicherosWin32::CerrarDiario() {
    diario_.reset();
    rutaDiario_.clear();
}

std::string TFicherosWin32::AbrirDiario(const std::string& diario) {
    AbrirManejadorDiario(diario, OPEN_EXISTING);
    LARGE_INTEGER cero{}, tamano{};
    if (!GetFileSizeEx(diario_.get(), &tamano) || !SetFilePointerEx(diario_.get(), cero, nullptr, FILE_BEGIN))
        win::RaiseLastOSError(diario);
    // A journal holds a line per file of a release: far below this.
    if (tamano.QuadPart > (64 << 20)) throw Exception("El diario es demasiado grande\r\n" + diario);
    std::string r(static_cast<size_t>(tamano.QuadPart), '\0');
    DWORD leidos = 0;
    if (!r.empty() && !ReadFile(diario_.get(), r.data(), static_cast<DWORD>(r.size()), &leidos, nullptr))
        win::RaiseLastOSError(diario);
    r.resize(leidos);
    return r;
}

bool TFicherosWin32::BorrarDiario() {
    if (!diario_) return false;
    FILE_DISPOSITION_INFO borrar{TRUE};
    const bool ok = SetFileInformationByHandle(diario_.get(), FileDispositionInfo, &borrar, sizeof borrar) != 0;
    CerrarDiario();
    return ok;
}

std::vector<std::string> TFicherosWin32::BuscarDiarios(const std::string& carpeta) {
    std::vector<std::string> r;
    WIN32_FIND_DATAW d;
    win::FindHandle h(FindFirstFileW(Wide(ConBarraFinal(carpeta) + "*").c_str(), &d));
    if (!h) return r;
    do {
        const std::string nombre = text::Narrow(d.cFileName);
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || nombre == "." || nombre == "..") continue;
        const std::string diario = ConBarraFinal(carpeta) + nombre + "\\" + kFicheroDiario;
        if (::FicheroExiste(diario)) r.push_back(diario);
    } while (FindNextFileW(h.get(), &d));
    return r;
}

void TFicherosWin32::EscribirIni(const std::string& fichero, const std::string& seccion, const std::string& clave,
                                const std::string& valor) {
    ::EscribirIni(fichero, seccion, clave, valor);
}

std::string TFicherosWin32::CarpetaDescargas() { return descargas_.Ruta(); }


// The per-installation record is handed over in the temporary folder: the
// accounting program leaves it there for the updater it starts, and an
// updater for the newer one it starts, so it cannot live in a folder that
// goes with the process.
std::string TFicherosWin32::CarpetaFicheroCliente() { return CarpetaTemporal(); }

bool TFicherosWin32::LeerPermisos(const std::string& ruta, std::vector<permisos::TAce>& lista, std::string& error) {
    return permisos::LeerPermisos(ruta, lista, error);
}

std::string TFicherosWin32::FijarPermisos(const std::string& carpeta, const std::vector<permisos::TAce>& lista) {
    return permisos::FijarPermisos(carpeta, lista);
}

permisos::TUsuario TFicherosWin32::UsuarioActual() { return permisos::UsuarioActual(); }
