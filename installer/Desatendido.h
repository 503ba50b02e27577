// Unattended installs and updates, for offices that deploy from a script:
// the switches administrators know from other Windows installers, the safe
// answer to every question, and the process exit code that tells the script
// what happened. Portable: the window's side only applies these decisions.
//
//   /SILENT            the window and its progress show, nothing is asked
//   /VERYSILENT        nothing shows
//   /DIR="folder"      the installation folder
//   /LOG="file"        the log goes there instead of the temporary folder
//   /MOTOR=servidor|cliente|no   the database engine's installation
//   /RETROCEDER        support's deliberate downgrade: an older release is
//                      installed instead of refused (attended runs too;
//                      the log records it)
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "DialogSeam.h"
#include "FinEjecucion.h"

namespace desatendido {

enum class Silencio { Ninguno, Silencioso, MuySilencioso };
enum class Motor { Servidor, Cliente, No };

struct Opciones {
    Silencio silencio = Silencio::Ninguno;
    std::optional<std::string> carpeta;  // /DIR
    std::optional<std::string> registro;  // /LOG
    std::optional<Motor> motor;          // /MOTOR
    // The first switch refused, with the reason; empty when none was. A
    // run with one does nothing but say so.
    std::string error;
    bool retroceder = false;             // /RETROCEDER
    bool Desatendido() const { return silencio != Silencio::Ninguno; }
};

// Switches are the arguments beginning with "/", in any case; the others are
// left to the program. A known switch with a bad value is refused. A switch
// nobody knows is refused in an unattended run, where a misspelt /DIR would
// otherwise install quietly somewhere else, and ignored in an attended one,
// where the user sees the folder; the updater's own /ACT, /XPOS<n> and
// /YPOS<n> (its relaunch) always pass. Every switch is read even after a
// refused one, so that /LOG still says where the refusal is written.
Opciones InterpretarSwitches(const std::vector<std::string>& argumentos);

// The switches a relaunched updater must get to stay unattended (with a
// leading blank, each quoted when it holds one); empty for an attended run.
std::string SwitchesParaRelanzar(const Opciones& opciones);

// The process exit codes of an unattended run (documented in the README).
enum CodigoSalida : int {
    csHecho = 0,
    csCancelado = 1,
    csSinConexion = 2,
    csDescargaFallida = 3,
    csArchivoDanado = 4,
    csFirmaRechazada = 5,
    csFicheroEnUso = 6,
    csVersionMasNueva = 7,
    csBloqueado = 8,
    csOtroError = 9,
    // The run ended well, but the newest signed release it could get is
    // older than the build's limit: the network may be keeping this
    // installation on an old release.
    csPosibleCongelacion = 10,
};

// The exit code of a run's end; one that never ended (the start-up failed
// before the run) is csOtroError.
CodigoSalida CodigoDeFin(TFinEjecucion fin);

// The safe answer to a dialog: go on only where going on cannot lose
// anything. A plain message is acknowledged; a question is answered with
// its negative (Cancelar, No); a folder picker gets the /DIR folder; any
// other input is refused. The local installation dialog is told that there
// are no local archives: with nobody to copy them, that is the truth.
ui::DialogAnswer RespuestaSegura(const ui::DialogRequest& pedido, const Opciones& opciones);

}  // namespace desatendido
