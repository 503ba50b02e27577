// What a run reads and changes on the disk: files, folders, settings, access
// lists and the journal of an update. The backup sees only this seam.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Diferencias.h"
#include "Permisos.h"
#include "Versiones.h"

class TEfectosFicheros {
public:
    virtual ~TEfectosFicheros() = default;

    // Paths are UTF-8.
    virtual bool FicheroExiste(const std::string& ruta) = 0;
    virtual bool DirectorioExiste(const std::string& ruta) = 0;
    virtual bool FicheroSoloLectura(const std::string& ruta) = 0;
    virtual bool FicheroEnUso(const std::string& ruta) = 0;
    // The modification time (days since 30 Dec 1899, local); none when missing.
    virtual std::optional<double> FechaFichero(const std::string& ruta) = 0;
    virtual int64_t TamanoFichero(const std::string& ruta) = 0;  // 0 when missing
    // Bytes this user may still write on the folder's drive; -1 when unknown.
    virtual int64_t EspacioLibre(const std::string& carpeta) = 0;
    // True when a file can be created in the folder (tried, then removed).
    virtual bool CarpetaEscribible(const std::string& carpeta) = 0;
    // The programs that hold the file open, as the system names them;
    // empty when it cannot tell.
    virtual std::string ProgramasQueUsan(const std::string& ruta) = 0;
    // Major.minor of a program's version resource; raises the system's text
    // + "\r\n\r\n" + path when it has none (or is missing) and `lanzar`,
    // otherwise zeros.
    virtual TypeVersion VersionFichero(const std::string& ruta, bool lanzar) = 0;
    virtual void CrearCarpeta(const std::string& carpeta) = 0;  // with its parents; raises
    virtual void MoverFichero(const std::string& origen, const std::string& destino) = 0;  // raises
    // The copy is on disk when it returns true.
    virtual bool CopiarFichero(const std::string& origen, const std::string& destino) = 0;
    virtual bool BorrarDirectorio(const std::string& carpeta) = 0;  // with its contents
    virtual bool BorrarFichero(const std::string& ruta, bool lanzar) = 0;
    virtual bool BorrarCarpetaVacia(const std::string& carpeta) = 0;  // false when it is not empty
    // Creates or replaces a file, on disk when it returns; raises.
    virtual void EscribirFichero(const std::string& ruta, const std::string& contenido) = 0;
    // True when the file or folder is a junction, a symbolic link or another
    // reparse point: a name that leads somewhere else.
    virtual bool PuntoDeReparse(const std::string& ruta) = 0;
    // Puts the whole file `nuevo` at `programa`, which may be the image of a
    // running program; what was there ends at `apartado`, where the
    // program's next start deletes it. `programa` names a whole file at
    // every moment the system allows; raises.
    virtual void ReemplazarPrograma(const std::string& nuevo, const std::string& programa,
                                    const std::string& apartado) = 0;
    // The whole file; empty when missing or unreadable.
    virtual std::string LeerFichero(const std::string& ruta) = 0;
    // The whole file to read once, as cheaply as the system holds it (mapped
    // rather than copied), until released; null when missing or unreadable.
    virtual std::unique_ptr<diferencias::TInstalado> VerFichero(const std::string& ruta) = 0;
    // Appends a line to an update's journal and returns only once it is on
    // disk; raises when it cannot. The journal stays open, not writable by
    // others, until CerrarDiario: it is in use while its update runs.
    virtual void AnexarDiario(const std::string& diario, const std::string& linea) = 0;
    virtual void CerrarDiario() = 0;
    // Opens the journal of an interrupted update and holds it as AnexarDiario
    // holds its own, until CerrarDiario or BorrarDiario; returns its
    // contents. The journal this process writes is read through the handle
    // it holds. Raises when another process holds it or when it is not a
    // plain file (a reparse point).
    virtual std::string AbrirDiario(const std::string& diario) = 0;
    // Deletes the journal held open, through its handle, and closes it;
    // false when it could not be deleted (it stays, closed).
    virtual bool BorrarDiario() = 0;
    // The journals in the folder's immediate subfolders (backup folders).
    virtual std::vector<std::string> BuscarDiarios(const std::string& carpeta) = 0;
    virtual void EscribirIni(const std::string& fichero, const std::string& seccion, const std::string& clave,
                             const std::string& valor) = 0;
    // The folder this process downloads into (its private folder).
    virtual std::string CarpetaDescargas() = 0;
    // Where the per-installation record is handed over when it is
    // downloaded (not the private download folder: it outlives the process
    // that fetched it).
    virtual std::string CarpetaFicheroCliente() = 0;
    // The access list of a file or folder as the system reports it; false
    // with the system's text in `error` when it cannot tell.
    virtual bool LeerPermisos(const std::string& ruta, std::vector<permisos::TAce>& lista, std::string& error) = 0;
    // Gives the folder exactly this list, no longer inheriting its parent's,
    // and passes its inheritable entries on to what it holds; empty when
    // done, otherwise the system's text (a drive or share without access
    // lists refuses it).
    virtual std::string FijarPermisos(const std::string& carpeta, const std::vector<permisos::TAce>& lista) = 0;
    virtual permisos::TUsuario UsuarioActual() = 0;
};
