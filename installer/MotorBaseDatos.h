// The database engines that bring their own installer (PSQL 12 and
// Btrieve 12): where the engine archive leaves each installer, the titles of
// their windows, the check that a server is installed where the data are,
// and the steps of the once-a-second watch over a running installer.
// Portable: the window asks the system through `VentanasSistema`.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "DatosControlador.h"

inline constexpr const char* kTextoEsperandoMotor =
    "Esperando que finalice la instalación del motor de la base de datos.";
inline constexpr const char* kTextoMotorCompletado = "Instalación del motor del base de datos completada.";
// What the engine's installers show when they were cancelled or failed.
inline constexpr const char* kTextoSistemaSinCambios = "Your system has not been modified";

// The keys of the program's settings file that point it at its engine
// (section "BTRIEVE"), and the interface libraries they name.
inline constexpr const char* kSeccionMotor = "BTRIEVE";
inline constexpr const char* kClavePervasive = "PERVASIVE";
inline constexpr const char* kClaveVersionFichero = "FILEVERSION";
inline constexpr const char* kClaveLibreria = "NAMEDLL";
inline constexpr const char* kLibreriaPsql = "W3BTRV7";      // PSQL 12 and Btrieve 12
inline constexpr const char* kLibreriaBtrieve6 = "WBTRV32";  // Btrieve 6

// The engine an installed program uses, from those keys as its settings file
// holds them (empty: missing). The library it loads decides; without one,
// PERVASIVE=0 means Btrieve 6. Anything else counts as PSQL 12, which shares
// its keys with Btrieve 12 (an update treats the two alike).
TTipoMotor MotorInstalado(const std::string& pervasive, const std::string& libreria);

// The folder below the extraction folder with the engine's installers, such
// as "Externos\PSQL12\"; empty for an engine without installer.
std::string CarpetaMotor(uint8_t tipoMotor);
// The installer's file name for the server or the client.
std::string InstaladorMotor(uint8_t tipoMotor, bool servidor);
// The full path of that installer below the extraction folder.
std::string RutaInstaladorMotor(const std::string& rutaExtraccion, uint8_t tipoMotor, bool servidor);
// The title of the installer's window while it runs; nothing for an engine
// without installer.
std::optional<std::string> TituloInstaladorMotor(uint8_t tipoMotor, bool servidor);

// The drive part of a path: "C:" or "\\server\share"; empty when it has none.
std::string UnidadDeRuta(const std::string& ruta);
// The computer named by a path's drive ("SRV01" for \\SRV01\datos\Kavo, as
// written); empty for a path on a local drive.
std::string ServidorDeRuta(const std::string& rutaUniversal);
// Why the engine cannot be installed from this computer when the program
// folder (in its universal form) lies on another one's share; empty when it
// can. The names are compared in the upper case that `mayusculas` gives.
using Mayusculador = std::function<std::string(const std::string&)>;
std::string ErrorServidorMotor(const std::string& rutaUniversal, const std::string& nombreEquipo,
                               const Mayusculador& mayusculas);

// What the watch asks of the system's windows.
class VentanasSistema {
public:
    virtual ~VentanasSistema() = default;
    // Whether a top-level window has exactly this title (of any class); the
    // window found is the one the next question is about.
    virtual bool Buscar(const std::string& titulo) = 0;
    // The text of that window's second child of class "Static", counting its
    // children from the first one on; nothing when it has fewer.
    virtual std::optional<std::string> TextoSegundoStatic() = 0;
};

enum class PasoVigilancia {
    Nada,               // a stale tick, or the window is not there yet, or it still works
    MotorNoSoportado,   // an engine without installer
    InstaladorVisto,    // its window came up: the watch now waits for it to go
    InstaladorAbandona, // it says nothing was changed: the user may try again
    InstaladorTerminado // its window went away
};

// One tick of the watch. `esperando` is whether the window was seen since the
// installer was started; the caller applies the step's effects.
PasoVigilancia VigilarInstalador(bool timerActivo, uint8_t tipoMotor, bool servidor, bool esperando,
                                 VentanasSistema& ventanas);
