// One run of an installation or update, in one place: the folder is fixed and
// locked, the archives are downloaded, extracted one after another (deciding
// entry by entry what is written, with a backup of replaced executables when
// updating), the vendor is told, and the run ends with a message, the engine
// page, or the backup put back. Portable: everything outside the controller's
// state goes through TEfectos (the system) and TVentanaEjecucion (the window
// and the product's operations), so the decisions are checked natively with
// a recording fake and for real with the window under Wine.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ArchiverMisc.h"
#include "CopiaSeguridad.h"
#include "DatosControlador.h"
#include "Diferencias.h"
#include "Exception.h"
#include "Permisos.h"
#include "TiposMensaje.h"
#include "Versiones.h"

// The server answered that a file it was asked for is not there.
class EFicheroNoPublicado : public Exception {
public:
    using Exception::Exception;
};

// The entry kind of a copy of the updater in an archive.
inline constexpr uint8_t kTipoActualizador = 10;

// Taskbar progress states the run uses.
enum class EstadoBarraTareas { Ninguno, Normal };

// The side effects of a run.
class TEfectos {
public:
    virtual ~TEfectos() = default;

    // Files and folders. Paths are UTF-8.
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
    // Where the per-installation record is handed over (not the private
    // download folder: it outlives the process that fetched it).
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

    // The vendor's server.
    virtual bool HayConexionInternet() = 0;
    // Downloads base + nombre into the folder; raises on failure, also when
    // the progress handler cancelled, and EFicheroNoPublicado when the
    // server says the file is not there.
    using Progreso = std::function<void(uint32_t progreso, uint32_t maximo, bool& cancelar)>;
    virtual void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                                  const Progreso& progreso) = 0;
    virtual void AvisarServidor(const std::string& url) = 0;
    // Checks a release file taken from a folder against its signature beside
    // it, when the build carries the vendor's keys; raises naming the file.
    // Downloads are checked by the download itself.
    virtual void ComprobarFirma(const std::string& ruta) = 0;
    // Checks the file at ruta, which reached this computer by another way,
    // against the statement published for url, fetched now; raises the
    // refusal (firma::EFirmaRechazada) or the download's error.
    virtual void ComprobarFirmaPublicada(const std::string& url, const std::string& ruta) = 0;
    virtual std::string Servidor() = 0;  // without a final "/"

    // The extractor.
    virtual void FijarDestinoExtraccion(const std::string& carpeta) = 0;
    virtual std::string DestinoExtraccion() = 0;
    // Opens the archive and extracts it; the result code the engine left.
    virtual int32_t ExtraerArchivo(const std::string& archivo) = 0;
    virtual void CerrarArchivo() = 0;
    // Told the engine's percentage while an archive is read; setting
    // `cancelar` stops the reading.
    using ProgresoLectura = std::function<void(int porcentaje, bool& cancelar)>;
    // Reads the whole archive through the engine without writing anything
    // (every block's checksum, the inflate, every entry's size, every
    // segment) and returns its entries; raises the engine's text when any
    // of it is unsound, EAbort when `progreso` stopped it.
    virtual std::vector<kav::TFileEntry> ComprobarArchivo(const std::string& archivo,
                                                          const ProgresoLectura& progreso) = 0;
    virtual void AbortarExtraccion() = 0;
    // Every file entry of the archive with its data, read through the engine
    // (every block checked); raises the engine's text when any of it is unsound.
    virtual std::vector<diferencias::TEntradaLeida> LeerArchivo(const std::string& archivo) = 0;
    // Opens the archive and keeps it open, with writing and deleting denied
    // to everyone else, until SoltarArchivos: its signature check, its
    // check and its extraction all read that one open file, never the path
    // again, so it cannot be swapped in between. Raises naming the file
    // when it cannot be opened so.
    virtual void RetenerArchivo(const std::string& archivo) = 0;
    virtual void SoltarArchivos() = 0;

    // Major.minor of the program an archive holds in the entry, extracted
    // into a folder of its own and read there, never where it goes (zeros
    // when it has no version resource). Raises the engine's text.
    virtual TypeVersion VersionEnArchivo(const std::string& archivo, const kav::TFileEntry& entrada) = 0;

    // The user and the process.
    virtual int Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones) = 0;
    virtual void MensajePlano(const std::string& texto) = 0;
    // Ends the application without the exit question.
    virtual void TerminarAplicacion() = 0;
    // Starts a program shown normally, without waiting; false when it cannot.
    virtual bool IniciarPrograma(const std::string& programa) = 0;
    virtual void ProcesarMensajes() = 0;
    virtual void Bloquear(bool activar) = 0;
    // The installation's lock taken in `carpeta`, with Bloquear(true)'s
    // errors; Bloquear(false) releases it.
    virtual void BloquearCarpeta(const std::string& carpeta) = 0;
    virtual void BarraTareas(EstadoBarraTareas estado) = 0;
    virtual void ProgresoBarraTareas(int posicion, int maximo) = 0;
    virtual std::string FechaHoraActual() = 0;  // the INI's date-time text
    virtual int64_t Ahora() = 0;                // seconds since 1970-01-01 UTC
};

// The folders of an installed copy, as the updater finds them from its own
// folder: where its lock lives, and the only folders an update may change
// (the product folder and the data folders its settings name).
struct TCarpetasInstalacion {
    std::string bloqueo;
    std::vector<std::string> permitidas;
};

// The window's pages and the product's operations, as the run needs them.
class TVentanaEjecucion {
public:
    virtual ~TVentanaEjecucion() = default;

    // Pages and their looks.
    virtual void PaginaDescargando() = 0;
    virtual void PaginaInstalando() = 0;
    virtual void PaginaEnReposo(bool reiniciar) = 0;
    virtual void MostrarPagina(int indice, bool desactivarActual) = 0;
    virtual std::string TextoDirPrograma() = 0;  // the folder edit as typed
    virtual std::string DirPrograma() = 0;       // the same made absolute
    virtual bool ComprobarActualizaciones() = 0;  // the check box is ticked
    virtual void FijarDirInstalar(const std::string& texto) = 0;
    virtual void FijarTituloProgreso(const std::string& texto) = 0;  // group and its title label
    virtual void FijarDescargado(uint32_t progreso, uint32_t maximo) = 0;  // "Descargado X de Y"
    virtual void FijarDeRuta(const std::string& prefijo, const std::string& ruta) = 0;  // path shortened to fit
    virtual void FijarFichero(const std::string& ruta) = 0;  // shortened to fit
    virtual void MostrarCopiar() = 0;
    virtual void HabilitarCancelar(bool activo) = 0;
    virtual void DeshabilitarInstalar() = 0;
    virtual int PosicionBarra() = 0;
    virtual int MaximoBarra() = 0;
    virtual void FijarMaximoBarra(int maximo) = 0;
    virtual void FijarPosicionBarra(int posicion) = 0;
    virtual void CerrarVentana() = 0;                  // through the close query
    virtual std::string VersionInformada() = 0;
    // Starts a newer copy of the updater met in the archive and ends this
    // one; true when it was started.
    virtual bool RelanzarActualizador() = 0;

    // The product (the controller's virtual operations).
    virtual void AntesDeInstalar() = 0;
    virtual std::string RutaProgramaEjecutar() = 0;
    virtual std::string RutaProgramaInstalado() = 0;
    virtual std::string PreguntaFinal() = 0;
    virtual std::string IniPrograma() = 0;
    virtual void LeerRutasDatos() = 0;
    virtual TCarpetasInstalacion CarpetasInstalacion() = 0;
    virtual void TrasDescargar() = 0;
    virtual void AntesDeExtraer() = 0;
    virtual void TrasExtraer() = 0;
    // The files the product no longer uses, to go once this archive is
    // extracted (whole paths). The run removes them through the backup, so
    // that an update that fails puts them back.
    virtual std::vector<std::string> FicherosObsoletos() { return {}; }
    virtual void CrearAccesos() = 0;
    virtual void TrasInstalar() = 0;
    virtual std::string FicheroBeta() = 0;
    virtual std::string NombreProducto() = 0;
    virtual std::string CodigoProducto() = 0;
    // The product's per-entry decisions. They ask the file system only: the
    // check before an update asks them too, and must change nothing. A
    // package the product does not know is refused, and the user is told
    // only when `avisar` (the extraction).
    virtual bool AceptarPaquete(const std::string& fichero, bool avisar) = 0;
    virtual bool AceptarPaqueteAdicional(const std::string& fichero) = 0;
    virtual bool AceptarFichero(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta) = 0;
    virtual void OfrecerMotor() = 0;
    virtual void LanzarInstaladorMotor() = 0;
    // The customer code an installation keeps in its program folder for
    // the updater (0: none recorded).
    virtual void RegistrarCodigoCliente(uint32_t codigo) = 0;
    virtual uint32_t CodigoClienteRegistrado() = 0;
};

// The database engine's archive word by engine kind: "PSQL", "BTRIEVE12", "BTRIEVE6".
std::string PalabraMotor(TTipoMotor tipo);

// The base rule for an ordinary entry (kinds 1, 2, 8, 9 and the rest); the
// destination folder may change (kind 9 goes to the data folder).
bool ReglaAceptarFichero(TEfectos& efectos, const std::string& dirDatos, uint8_t tipo, const std::string& nombre,
                         double fecha, std::string& carpeta);

// Where a request to stop came from: the cancel button ("Salir" while
// nothing runs), the Escape key, or the window's own close (its close box,
// the system, or the run itself once it has finished).
enum class TOrigenCierre { BotonCancelar, Escape, Ventana };

// What the window does once the run has answered such a request.
enum class TDecisionCierre { Seguir, Cerrar };

class TEjecucion {
public:
    TEjecucion(TDatosControlador& datos, TVentanaEjecucion& ventana, TEfectos& efectos)
        : d_(datos), v_(ventana), e_(efectos), copia_(efectos) {}

    // The install button (and Enter in the folder edit).
    void Instalar();
    bool Descargar();
    bool Extraer();
    void DescargarArchivo(const std::string& base, const std::string& nombre, const std::string& etiqueta);
    void ProgresoDescarga(uint32_t progreso, uint32_t maximo, bool& cancelar);
    // The one door for cancel and close. While a phase runs, the user is
    // asked whether to cancel it; on yes the phase is told and, during the
    // extraction, the engine aborted; the window stays. Otherwise the exit
    // question, unless the run has finished; Cerrar when the window may go.
    TDecisionCierre PedirCierre(TOrigenCierre origen);
    // The extractor's events.
    void ExtraerFichero(const kav::TFileEntry& entrada, std::string& carpeta, bool& aceptar);
    void ProgresoFichero(int porcentaje);
    void FinOperacion(int32_t codigoResultado);
    void ErrorExtraccion(const std::string& texto);

    // Whether an entry of `tipo` named `nombre` is written, and into which
    // folder (`carpeta`: the archive's, with the product's folder word
    // already replaced; it may change): the one decision the check before
    // the first change and the extraction share. Asks, changes nothing;
    // `avisar` as for AceptarPaquete.
    bool DecidirDestino(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta, bool avisar);

    // The closing question of an update, and of a first installation once
    // the engine's server is installed: on yes the installed program is
    // started and the application ends, otherwise the window closes.
    void OfrecerAbrirPrograma();

    // Where archives are downloaded to and read from.
    std::string DirDescargas();

    // At start-up, before anything else: an update that died halfway left
    // its journal in a backup folder beside the program; under the
    // installation's lock the installation is put back as it was, and the
    // user is told. A journal that is not this updater's, or names places
    // outside the installation, changes nothing and is kept.
    void Recuperar(const std::string& carpetaPrograma);

private:
    // Names how the run ends; the first end named stands.
    void Terminar(TFinEjecucion fin);
    // The user's dialogs, written to the log as they are shown.
    int Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones);
    void MensajePlano(const std::string& texto);
    bool ComprobarFirmasLocales();
    void ComprobarRegistroPendiente();
    bool SinRetroceso();
    void ComprobarActualizador(const std::string& archivo, const kav::TFileEntry& entrada);
    void VigilarCongelacion();
    bool ExtraerPasos();
    void ComprobarInstalado(int& primerPaso);
    void ComprobarArchivos(int primerPaso);
    void ComprobarDestino();
    void ProtegerCarpetaPrograma();
    void AvisarCarpetaDeTodos();
    std::string CarpetaDestino(std::string carpeta);
    void PrepararCopias();
    void RetirarObsoletos();
    std::string ArchivoDelPaso(TPasoExtraccion paso);
    void DescargarPrograma();
    std::string DiferenciasAplicables();
    bool PrepararDiferencias(const std::string& nombre);
    void Completar();
    void Limpiar();
    bool NingunoMasViejo(const std::string& ruta, double fecha);

    TDatosControlador& d_;
    TVentanaEjecucion& v_;
    TEfectos& e_;
    // The entries of the archives this run extracts, as the check read them.
    std::vector<kav::TFileEntry> entradas_;
    // The archive rebuilt from the vendor's differences, extracted in place
    // of the program archive; empty when the update takes the whole archive.
    std::string reconstruido_;
    std::vector<kav::TFileEntry> entradasReconstruido_;  // as the engine will read them
    // The backup folder of this update, before the first change.
    std::string copiasPorHacer_;
    TCopiaSeguridad copia_;
};
