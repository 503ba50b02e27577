// The start-up of the installer and updater without its window: the role the
// program plays, what its own INI asks, whether the platform is served, the
// release at hand and its labels, the beta / V2 / next-version choice and
// the local mode. The window gathers the facts (its file, its INI, the
// archive's header, the per-installation record) and shows the result; the
// release descriptions, fetched in the middle of the choice, come through
// TDescripcionesPublicadas. Portable.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "DatosControlador.h"
#include "Desatendido.h"
#include "RegistroLanzamiento.h"
#include "Versiones.h"

// The installer carries an archive appended to its own file; the same
// program without one is the updater of an installed copy.
enum class TRol { Instalador, Actualizador };
TRol RolSegunArchivo(int32_t posicionArchivo);

// The platform family the system reports; only the 9x and NT families are
// served.
enum TPlataforma : int32_t {
    plSinRespuesta = -1,
    plWin32s = 0,
    plWindows9x = 1,
    plWindowsNT = 2,
    plWindowsCE = 3,
};
bool PlataformaAdmitida(int32_t plataforma);
inline constexpr const char* kMensajePlataforma = "Sistema Operativo No Válido";

// The names a product gives its release files (the product's virtual
// operations, as data).
struct TNombresLanzamiento {
    std::string ficheroPrograma, ficheroActualizacion, ficheroBeta, iniBeta, ficheroV2, iniV2;
    std::string urlProgramas, urlExternos;
};

// The executable's own INI as read (the installer's only); a missing file
// reads as these defaults.
struct TIniPropio {
    bool descargarExternos = true;  // EXTERNOS/DESCARGAR
    bool local = false;             // PATH/LOCAL
    std::string fichero;            // PATH/FICHERO; empty: the product's program archive
};
inline constexpr const char* kMensajeSinDatosLocales =
    "No se encuentran los Datos de Instalación.\n\r\n\rSe procederá a la descarga de los mismos durante el "
    "proceso de Instalación";

// What the start-up decided before the release is known.
struct TInicio {
    TRol rol = TRol::Instalador;
    bool modoLocal = false;
    bool descargarExternos = true;
    std::string archivoPrincipal, urlBaseProgramas, urlBaseExternos;
    // A plain message for the user, empty for none.
    std::string aviso;
};

// Local mode is what the installer's INI asks for, while the archive it
// names is beside the program: then both bases are the program's folder.
// Otherwise the archive named is downloaded, and the user is told.
// `existe` is only asked in local mode.
TInicio DecidirInicio(TRol rol, const TNombresLanzamiento& nombres, const std::string& dirEjecutable,
                      const TIniPropio& ini, const std::function<bool(const std::string&)>& existe);
// Into the controller's state, the one place that writes it at start-up.
void FijarRol(TRol rol, TDatosControlador& datos);
void AplicarInicio(const TInicio& inicio, const std::string& carpetaPrograma, TDatosControlador& datos);
// The updater found it must work from the copies beside it.
void ActivarModoLocal(TDatosControlador& datos);
// What the switches ask of the run, before the window starts: /RETROCEDER
// lets an older release in (the log records it); unattended, the engine
// page is answered by /MOTOR, and by no engine when it names none.
void AplicarOpciones(const desatendido::Opciones& opciones, TDatosControlador& datos);

// The release the beta and V2 descriptions are checked against: the
// appended archive's record for the installer, the per-installation record
// for the updater.
struct TLanzamientoAMano {
    unsigned major = 0, minor = 0;
    uint32_t codigoCliente = 0;
};
TLanzamientoAMano LanzamientoDeRegistro(const RegistroLanzamiento& registro);
// The installer's own record into the controller's state: the bytes, the
// engine and the customer; returns what they say.
RegistroLanzamiento AplicarDatosArchivo(const TDatosArchivo& datosArchivo, TDatosControlador& datos);
TLanzamientoAMano LanzamientoDeDatosWeb(const TypeVersionesConta& datosWeb);

// The texts of the release's labels. The installer's version label is empty
// for a record without a version; the updater's always shows one.
struct TEtiquetasLanzamiento {
    std::string fecha, version;
    uint32_t serie = 0;  // shown after the caption "Serie"
};
TEtiquetasLanzamiento EtiquetasDeRegistro(const RegistroLanzamiento& registro, const std::string& nombreMes);
TEtiquetasLanzamiento EtiquetasDeDatosWeb(const TypeVersionesConta& datosWeb, const std::string& nombreMes);

// An updater that was handed its record by the accounting program takes the
// incremental archive when the release is exactly the next one.
std::string ArchivoDeActualizacion(const std::string& archivoPrincipal, const TNombresLanzamiento& nombres,
                                   bool iniciadoConArgumento, bool modoLocal, bool esVersionSiguiente);

// The vendor's release descriptions, fetched at start-up, and the installed
// program's record of the last beta.
class TDescripcionesPublicadas {
public:
    virtual ~TDescripcionesPublicadas() = default;
    // Fetches the description from the program base: false when the vendor
    // has not published it; any other failure raises.
    virtual bool Descargar(const std::string& nombre) = 0;
    // A value of a fetched description ("" when missing).
    virtual std::string Leer(const std::string& nombre, const std::string& seccion, const std::string& clave) = 0;
    virtual bool ExisteSeccion(const std::string& nombre, const std::string& seccion) = 0;
    // ACTUALIZACION/ULTIMA_BETA of the installed program's settings (0: none).
    virtual double UltimaBetaInstalada() = 0;
};

// Offered once per published beta, to the customers it lists.
bool HayBeta(const std::string& iniBeta, const TLanzamientoAMano& lanzamiento, TDescripcionesPublicadas& d);
// Offered to the customers it lists; never when the product names none.
bool HayV2(const std::string& iniV2, const TLanzamientoAMano& lanzamiento, TDescripcionesPublicadas& d);

// The release choice: V2 before beta, and only in place of the full or the
// incremental archive. The suffix goes after the version label.
struct TEleccionLanzamiento {
    std::string archivo;
    std::string sufijo;  // "", " V2" or " BETA"
};
TEleccionLanzamiento EleccionLanzamiento(const std::string& archivoPrincipal, const TNombresLanzamiento& nombres,
                                         const TLanzamientoAMano& lanzamiento, TDescripcionesPublicadas& d);

// Where the updater finds its per-installation record, and what it may do
// to get it.
class TFuenteRegistroCliente {
public:
    virtual ~TFuenteRegistroCliente() = default;
    // The customer code the installation recorded; 0 when none.
    virtual uint32_t CodigoRegistrado() = 0;
    // Fetches the record from the vendor's customers folder into the
    // temporary folder; raises when it cannot.
    virtual void Descargar(const std::string& nombre) = 0;
    // The local installation dialog, for the error that brought it up: true
    // to install from copies the user puts beside the updater.
    virtual bool OfrecerModoLocal(const std::string& error) = 0;
    // Whether the record is in the temporary folder, where the accounting
    // program hands it over, or beside the updater.
    virtual bool EnCarpetaTemporal(const std::string& nombre) = 0;
    virtual bool AlLado(const std::string& nombre) = 0;
};

// How the record is checked before it is read: beside the updater against
// its signature file, in local mode; against the statement the vendor
// published for it, when the accounting program fetched and named it; in
// its own download otherwise.
enum class TComprobacionRegistro { EnSuDescarga, AlLado, ConFirmaPublicada };

struct TRegistroCliente {
    std::string nombre;  // may stay empty in local mode: the local archive names it
    bool iniciadoConArgumento = false;
    bool modoLocal = false;
    TComprobacionRegistro comprobacion = TComprobacionRegistro::EnSuDescarga;
    // SinConexion: neither the server nor local copies; the updater ends.
    TFinEjecucion fin = TFinEjecucion::EnCurso;
};
inline constexpr const char* kMensajeSinCodigoCliente =
    "No se encuentra el Código de Cliente de la instalación en\r\n\r\n";

// Started with the record's name, the updater uses it (from beside the
// updater, in local mode, when a local update that brought this updater
// left it there). Without one it fetches the record of the customer the
// installation recorded, named by `nombreDeCodigo`; any failure but an
// abort or a refused signature offers the local mode. `iniRegistrado` is
// the settings file the code is read from, for the message.
TRegistroCliente ObtenerRegistroCliente(const std::string& argumento, const std::string& iniRegistrado,
                                        const std::function<std::string(uint32_t)>& nombreDeCodigo,
                                        TFuenteRegistroCliente& fuente);
void AplicarRegistroCliente(const TRegistroCliente& registro, TDatosControlador& datos);
