// Downloads and connectivity of the updater: the connected-state test, the
// blocking download of one file with a progress handler that can cancel, the
// status probe of a URL, and the small helpers that show download progress.
// Everything runs on the UI thread; the window stays alive only because the
// download pumps messages on every progress report.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "Exception.h"

// The transfer stage of a progress report, as the URL moniker reports it
// (the numbers are the platform's BINDSTATUS values).
enum class TEstadoDescarga : uint32_t {
    BuscandoRecurso = 1,     // BINDSTATUS_FINDINGRESOURCE
    Conectando = 2,          // BINDSTATUS_CONNECTING
    Redirigiendo = 3,        // BINDSTATUS_REDIRECTING
    IniciandoDatos = 4,      // BINDSTATUS_BEGINDOWNLOADDATA
    Descargando = 5,         // BINDSTATUS_DOWNLOADINGDATA
    FinDatos = 6,            // BINDSTATUS_ENDDOWNLOADDATA
    EnviandoPeticion = 11,   // BINDSTATUS_SENDINGREQUEST
    TipoMime = 13,           // BINDSTATUS_MIMETYPEAVAILABLE
    FicheroCache = 14,       // BINDSTATUS_CACHEFILENAMEAVAILABLE
};

// Progress handler of DescargarFichero, called on the UI thread from inside
// the transfer. Progress grows; ProgressMax stays 0 until the size is known.
// Setting Cancel aborts the transfer, which then fails with the usual error.
using TProgresoDescarga =
    std::function<void(void* Sender, uint32_t Progress, uint32_t ProgressMax,
                       TEstadoDescarga StatusCode, const std::string& StatusText, bool& Cancel)>;

// True when the system reports an Internet connection. Never raises.
bool HayConexionInternet();

// The server answered that the file is not there (404). The message is the
// download error's; the type lets a caller to whom a missing file has a
// meaning of its own (an unpublished release description) tell it apart.
class EDescargaNoEncontrada : public Exception {
public:
    using Exception::Exception;
};

// Transient download failures (a 5xx answer, a transfer cut short, no answer
// from the web server) are tried again this many times, after pauses that
// double from the first.
inline constexpr int kReintentosDescarga = 3;
inline constexpr unsigned kPausaPrimerReintentoMs = 500;

// Downloads urlBase + fichero into carpetaDestino (a delimiter is added when
// missing; empty means CarpetaTemporal()). Always fetched from the server,
// never from the Internet cache; an older local copy is deleted first.
// Returns only with the complete file in place. Transient failures are
// retried (each retry logged); a 404 is not. A failed, refused, cut-short
// or cancelled transfer raises "Error descargando URL: " + URL (a 404 as
// EDescargaNoEncontrada) and leaves no file under the local name. What the
// progress handler raises cancels the transfer and comes out of this call
// unchanged, once the system's download function has returned.
void DescargarFichero(const std::string& urlBase, const std::string& fichero,
                      const std::string& carpetaDestino, const TProgresoDescarga& progreso = {});

// One GET of the URL whose answer is not wanted (a report to the vendor's
// server); the window stays alive meanwhile. Raises "Error descargando URL: "
// + URL only when no server answered; any answer counts as received.
void EnviarPeticion(const std::string& url);

// Probe results of ComprobarURL.
enum : uint8_t { urlNoResponde = 0, urlCorrecta = 1, urlSinServidor = 2 };

// 2 when the vendor's server does not answer a ping (judged by the Spanish
// summary of the system's ping), 0 when the URL does not answer with status
// 200, 1 when it does. The agent is the name the session announces: callers
// pass the application's title (forms::Application().Title()), which the
// window changes at start-up.
uint8_t ComprobarURL(const std::string& url, const std::string& agente);

// A byte count as short text with three significant digits: "999 bytes",
// "0,977 KB", "1,46 MB" (the user's decimal separator).
std::string FormatoTamano(uint32_t bytes);
// The same with a given decimal separator (the pure rule behind it).
std::string FormatoTamano(uint32_t bytes, char separadorDecimal);

// Moves a progress bar to valor and repaints at once: with visual themes the
// animated bar would lag behind, so it is stepped there, back and there again;
// then pending messages are processed once.
void PosicionBarra(HWND barra, int valor);
// The same with the look given rather than asked of the system.
void PosicionBarra(HWND barra, int valor, bool temasVisuales);

// Base address of the vendor's web server, e.g. "https://www.kavo.es": the
// environment variable KAVO_SERVIDOR when set, else the build's default.
std::string ServidorKavo();
// The host part of a URL ("http://host:8080/x" -> "host").
std::string HostDeURL(const std::string& url);
