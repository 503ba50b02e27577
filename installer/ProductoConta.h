// The accounting product "Contabilidad Kavo" as the installer sees it: its
// names and folders (in this one place), and the few decisions it takes on
// the entries of its archives and on an installed copy. Portable: the window
// (TFMain) asks the file system and these functions decide.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EntradasArchivo.h"
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

}  // namespace conta
