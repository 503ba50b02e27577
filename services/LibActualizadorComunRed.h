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

#include "DescargaLogica.h"
#include "Exception.h"

// The stage of a progress report. The numbers are those the platform's URL
// moniker gives the same stages, which the handlers were written against.
enum class TEstadoDescarga : uint32_t {
    Conectando = 2,             // a request is sent (the text: its URL)
    Redirigiendo = 3,           // a redirect is followed (the text: where to)
    Descargando = 5,            // a piece of the body arrived
    FinDatos = 6,               // the file is whole
    EsperandoReintento = 1000,  // the pause before a retry
};

// Progress handler of DescargarFichero, called on the UI thread between the
// steps of the transfer (and during the pauses before retries). Progress grows; ProgressMax stays 0 until the size is known.
// Setting Cancel aborts the transfer, which then fails with the usual error.
using TProgresoDescarga =
    std::function<void(void* Sender, uint32_t Progress, uint32_t ProgressMax,
                       TEstadoDescarga StatusCode, const std::string& StatusText, bool& Cancel)>;

// True when the system reports an Internet connection. Never raises.
bool HayConexionInternet();

// Downloads urlBase + fichero into carpetaDestino (a delimiter is added when
// missing; empty means CarpetaTemporal()). Always fetched from the server,
// never from the Internet cache; an older local copy is deleted first.
// Returns only with the complete file in place. With the vendor's keys the
// file's signed statement comes first, is checked against the program's
// policy (PoliticaFirmas.h), and bounds the file's size; a refusal raises
// firma::EFirmaRechazada ("Fichero NAME rechazado: ..."). The limits (descarga::Limites)
// cap the file's size (the size the caller expects, if it knows one), the
// time without progress and the retries; every download of a run also ends
// by the run's deadline. Transient failures (no answer, a 5xx answer, a cut
// or stalled transfer) are retried after a jittered pause, each retry
// logged, and resume from the bytes already received when the server
// confirms the file is unchanged; a 404 is not retried. Redirects are
// followed only to https. A failed, refused, over-long, cut-short or
// cancelled transfer raises "Error descargando URL: " + URL (a 404 as
// EDescargaNoEncontrada) and leaves no file under the local name, nor its
// partial file. What the progress handler raises cancels the transfer and
// comes out of this call unchanged.
void DescargarFichero(const std::string& urlBase, const std::string& fichero, const std::string& carpetaDestino,
                      const TProgresoDescarga& progreso = {}, const descarga::Limites& limites = {});

// A file that reached this computer by another way than this program's own
// download (the per-installation record the accounting program fetched and
// names on the command line) checked against the statement published for
// url, fetched now, when the build carries the vendor's keys. Raises
// firma::EFirmaRechazada naming the file, or the download error.
void ComprobarConFirmaPublicada(const std::string& url, const std::string& ruta);

// One GET of the URL whose answer is not wanted (a report to the vendor's
// server); each wait is bounded by the time without progress. Raises "Error descargando URL: "
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
// environment variable KAVO_SERVIDOR when set, else the build's default
// (ElegirServidor: a build for customers raises for anything but https://).
std::string ServidorKavo();
// The host part of a URL ("http://host:8080/x" -> "host").
std::string HostDeURL(const std::string& url);
