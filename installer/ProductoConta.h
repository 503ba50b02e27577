// The accounting product "Contabilidad Kavo" as the installer sees it: its
// names and folders (in this one place), the decisions it takes on the
// entries of its archives and on an installed copy, and the product class
// TProductoConta that the run and the window call. Portable: the system is
// reached through the run's seams and TSistemaConta; the window (TFMain)
// only lends them and shows.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EntradasArchivo.h"
#include "Instalacion.h"
#include "Producto.h"
#include "ReglasInstalador.h"
#include "Versiones.h"

namespace conta {

// --- names ----------------------------------------------------------------
inline constexpr const char* kCodigoProducto = "QTR";
inline constexpr const char* kNombreProducto = "Conta";  // product folder and temporary-folder word
inline constexpr const char* kPrograma = "CONTA.EXE";
inline constexpr const char* kEditor = "EDITOR.EXE";
inline constexpr const char* kIniPrograma = "CONTA.INI";
inline constexpr const char* kActualizador = "Actualizador.exe";
inline constexpr const char* kFicheroPrograma = "QTR.KAV";
inline constexpr const char* kFicheroActualizacion = "QTRACT.KAV";
inline constexpr const char* kFicheroBeta = "QTRBETA.KAV";
inline constexpr const char* kIniBeta = "QTRBETA.INI";
inline constexpr const char* kCarpetaWeb = "/_descargas_/externos/Conta/";  // below the server's address
inline constexpr const char* kCarpetaClientes = "clientes/";                // below kCarpetaWeb
inline constexpr const char* kAccesoDirecto = "ContaKavo";                   // + ".lnk"
inline constexpr const char* kIcono = "CONTAICO.ico";
inline constexpr const char* kPreguntaFinal = "¿Abrimos la Conta?";

// Files that releases of the program no longer use; an update deletes them
// from the program folder in this order. Rows 4 to 10 are data files put
// aside under a marked name: matched exactly, blanks included.
inline constexpr std::array<const char*, 10> kFicherosObsoletos = {
    "Conta001.Bpl",
    "Conta002.Bpl",
    "ContaRTF.Bpl",
    "_ 2014 07 08 _ NO SE USA - Pais201.txt",
    "_ 2014 07 08 _ NO SE USA - PAISES.TAB",
    "_ 2014 07 08 _ NO SE USA - Paises201.txt",
    "_ 2015 10 09 _ NO SE USA - CODMUNI.TAB",
    "Pais201.txt _ 2014 07 08 _ NO SE USA",
    "PAISES.TAB _ 2014 07 08 _ NO SE USA",
    "Paises201.txt _ 2014 07 08 _ NO SE USA",
};

// The per-installation release record of a customer on the vendor's server.
std::string NombreFicheroCliente(uint32_t codigoCliente);

// A local update without its per-installation file beside the updater: which
// file to fetch (`nombre`; empty when no customer is known) from which folder
// of the server, and where to save it with the archive. Nothing has changed.
std::string MensajeFaltaFicheroCliente(const std::string& nombre, const std::string& carpeta,
                                       const std::string& urlClientes, const std::string& archivo);

// --- program packages (entry kinds 5 and 6) ---------------------------------
enum class DecisionPaquete { Aceptar, Rechazar, Desconocido };

// `nombreMayusculas`: the entry's file name in upper case. Unknown to the
// module table: Desconocido (the caller tells the user). Codes below 10 and
// every package of a first installation are accepted; an update writes a
// tracked file only when the release's major.minor is at least the installed
// one.
DecisionPaquete DecidirPaquete(const std::string& nombreMayusculas, bool actualizacion,
                               const TypeVersionesConta& web, const TypeVersionesConta& instaladas);

// The refusal of a package the module table does not know, naming the file
// as the archive stores it.
std::string MensajePaqueteDesconocido(const std::string& nombre);

// --- data files (entry kinds 14 to 19) ----------------------------------------
// The program's data folders read from its settings file, each with a
// trailing backslash.
struct CarpetasDatos {
    std::string Balances, EstructurasMemoria, ConfigDeposito, Generador;
};

// What the file system says about a destination file.
struct EstadoFichero {
    bool existe = false;
    double fecha = 0;  // modification time, days since 30 Dec 1899, local time
};
using ConsultaFichero = std::function<EstadoFichero(const std::string& ruta)>;

// The product's own entry kinds, above the installer's (TTipoEntrada): its
// data files. Stored in the archives: never renumber. 18 is not the
// product's: an ordinary file.
enum TTipoEntradaConta : uint8_t {
    tcBalances = 14,             // into the balances folder, only where missing
    tcEstructurasMemoria = 15,   // into the memory structures folder, likewise
    tcConfigDeposito = 16,       // into the deposit settings folder, likewise
    tcGenerador = 17,            // into the report-generator folder, likewise
    tcGeneradorSiMasViejo = 19,  // into the report-generator folder, only over an older copy
};

// The product's own kinds, as above (an equal date counts as not older).
// Other kinds: nullopt, the base rule decides and the destination is
// unchanged.
std::optional<bool> AceptarFicheroDatos(uint8_t tipo, const std::string& nombre, double fechaEntrada,
                                        const CarpetasDatos& carpetas, std::string& carpetaDestino,
                                        const ConsultaFichero& consultar);

// --- shortcut and obsolete files -----------------------------------------------
// The desktop shortcut to write, or nullopt: no desktop folder, or a
// shortcut of that name already there (never replaced).
std::optional<std::string> AccesoAEscribir(const std::string& escritorio,
                                           const std::function<bool(const std::string&)>& existe);

// The obsolete files to delete after an archive: only after the program
// archive (extraction step 3) of an update into an existing folder.
std::vector<std::string> ObsoletosABorrar(uint8_t pasoExtraccion, bool actualizacion, bool carpetaExiste);
inline constexpr uint8_t kPasoPrograma = 3;

// --- the updater's command line ----------------------------------------------
// A relaunched updater gets its predecessor's release record, then
// "/ACT /YPOS<top> /XPOS<left>": arguments that begin with "/" are switches,
// never the release record's name. The record
// is read from, and deleted at exit in, one folder: a name that is not a
// plain file name there (a path, "..", a drive, a stream, a device) raises
// "El nombre del fichero de la instalación no es válido:" with the name.
struct ArgumentosActualizador {
    std::string ficheroCliente;  // the first argument that is no switch
    std::optional<int> x, y;     // the window's position asked for
    bool relanzado = false;      // "/ACT": started by an older updater's relaunch
};
ArgumentosActualizador InterpretarArgumentos(const std::vector<std::string>& argumentos);

// "C:\Kavo\Conta\Programa\" -> base "C:\Kavo", product "Conta": the folders
// of an installation from its program folder (trailing backslash).
struct CarpetasInstalacion {
    std::string base, producto;
};
CarpetasInstalacion CarpetasDesdePrograma(const std::string& dirPrograma);

// What the product asks of the system beyond the run's seams: its settings
// file and the folders it names, the desktop shortcut, the engine keys, the
// customer code an installation keeps, the installed versions.
class TSistemaConta {
public:
    virtual ~TSistemaConta() = default;
    virtual TypePathFilesConta LeerRutasConta(const std::string& base, const std::string& subruta,
                                              const std::string& nombreIni) = 0;
    // Empty when the user has none.
    virtual std::string CarpetaEscritorio() = 0;
    virtual void CrearAccesoDirecto(const std::string& destino, const std::string& nombre, const std::string& carpeta,
                                    const std::string& icono) = 0;
    // The program's settings file: the user's own when there is one.
    virtual std::string RutaIni() = 0;
    // The PSQL 12 / Btrieve 12 keys of the "BTRIEVE" section; raises.
    virtual void EscribirIniBtrieve(const std::string& ini) = 0;
    // Into the settings file of the program folder, for an updater started
    // without arguments; raises.
    virtual void GuardarCodigoCliente(const std::string& carpetaPrograma, const std::string& nombreIni,
                                      uint32_t codigo) = 0;
    virtual TypeVersionesConta LeerVersionesInstaladas(const std::string& carpeta, const std::string& actualizador) = 0;
};

}  // namespace conta

// The accounting product's operations: its names, the folder layout of an
// installation, the entries it takes and where, the files it no longer
// uses, the shortcut and its settings after an extraction.
class TProductoConta : public TProducto {
public:
    TProductoConta(TDatosControlador& datos, const TEfectos& efectos, conta::TSistemaConta& sistema)
        : TProducto(datos, efectos), s_(sistema) {}

    std::string NombreProducto() override { return conta::kNombreProducto; }
    std::string CodigoProducto() override { return conta::kCodigoProducto; }
    std::string NombreIniPrograma() override { return conta::kIniPrograma; }
    std::string FicheroPrograma() override { return conta::kFicheroPrograma; }
    std::string FicheroActualizacion() override { return conta::kFicheroActualizacion; }
    std::string FicheroBeta() override { return conta::kFicheroBeta; }
    std::string IniBeta() override { return conta::kIniBeta; }
    std::string UrlProgramas() override { return e_.servidor.Servidor() + conta::kCarpetaWeb; }
    std::string PreguntaFinal() override { return conta::kPreguntaFinal; }

    std::string RutaProgramaEjecutar() override { return d_.DirEjecutable + conta::kPrograma; }
    std::string RutaProgramaInstalado() override;
    std::string RutaPaqueteDatos() override;
    void LeerRutasDatos(const std::string& dirPrograma) override;
    TCarpetasInstalacion CarpetasInstalacion() override;
    void PrepararActualizacion() override;

    std::vector<std::string> FicherosObsoletos() override;
    void CrearAccesos() override;
    void IniExtraido() override;

    bool AceptarPaquete(const std::string& fichero, bool avisar) override;
    bool AceptarPaqueteAdicional(const std::string&) override { return true; }
    bool AceptarFichero(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta) override;
    void FicheroExtraido(const kav::TFileEntry& entrada, const std::string& carpeta) override;

    // The data folders of the installed program (PATHDATOS goes to the
    // controller's DirDatos), each with a trailing backslash.
    std::string DirBalances, DirEstructurasMemoria, DirConfigDeposito, DirGenerador;

private:
    conta::TSistemaConta& s_;
};
