// The decisions of one download, apart from the system that moves the bytes:
// which request to send (whole file or the rest of it), what an answer means
// (append, start over, retry, refuse), how long to pause before a retry, when
// to give up (no progress, too many bytes, the run's deadline) and which
// redirects to follow. The Windows side (LibActualizadorComunDescarga.cpp)
// only performs them through the three seams below; the tests drive them with
// a scripted transport, a file in memory and a fake clock.
// Portable.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Exception.h"

// The server answered that the file is not there (404). The message is the
// download error's; the type lets a caller to whom a missing file has a
// meaning of its own (an unpublished release description) tell it apart.
class EDescargaNoEncontrada : public Exception {
public:
    using Exception::Exception;
};

// The answer announced or brought more bytes than the caller allows. The
// message is the download error's; a caller that knows the size the file
// must have tells a refusal by it.
class EDescargaExcedida : public Exception {
public:
    using Exception::Exception;
};

namespace descarga {

// No release file comes near this; it only keeps an endless answer from
// filling the customer's disk when the caller knows no better size.
inline constexpr uint64_t kTamanoMaximo = uint64_t(2) << 30;  // 2 GiB
// A transfer that moves no byte for this long is given up (and retried).
inline constexpr uint32_t kSinProgresoMs = 60 * 1000;
// All downloads of one run end within this time from the first one, retries
// and pauses included: an unattended run never hangs for ever.
inline constexpr uint64_t kPlazoEjecucionMs = uint64_t(4) * 60 * 60 * 1000;
// Failed attempts after the first, and the pause windows before them: the
// k-th pause is drawn evenly from [0, min(max, first * 2^(k-1))] ("full
// jitter"), so that offices cut off together do not come back together.
inline constexpr int kReintentos = 3;
inline constexpr uint32_t kPausaPrimeraMs = 500;
inline constexpr uint32_t kPausaMaximaMs = 8000;
// Redirects followed within one attempt.
inline constexpr int kRedireccionesMaximas = 5;

struct Limites {
    uint64_t tamanoMaximo = kTamanoMaximo;  // bytes of the file, never more on disk
    uint32_t sinProgresoMs = kSinProgresoMs;
    uint64_t plazo = 0;  // clock instant (ms) by which it must have ended; 0: none
    int reintentos = kReintentos;
    uint32_t pausaPrimeraMs = kPausaPrimeraMs;
    uint32_t pausaMaximaMs = kPausaMaximaMs;
};

// The window from which the pause before retry number `reintento` (1-based)
// is drawn.
uint32_t VentanaPausa(int reintento, const Limites& limites);

// A redirect is followed only to https: a hostile network must not be able to
// move a download onto a channel it can read and change.
bool RedireccionPermitida(const std::string& destino);

// "bytes FIRST-LAST/TOTAL" of a 206 answer. TOTAL is absent when the server
// wrote "*". Nothing for any other form.
struct RangoContenido {
    uint64_t primero = 0, ultimo = 0;
    std::optional<uint64_t> total;
};
std::optional<RangoContenido> LeerRangoContenido(const std::string& valor);

// What the server says identifies this version of the file. Only a strong
// ETag or a Last-Modified date can be sent back in If-Range; a weak ETag
// ("W/...") cannot, and then the date is used.
struct Validador {
    std::string etag, fecha;
    bool Vacio() const { return etag.empty() && fecha.empty(); }
    std::string ParaIfRange() const { return !etag.empty() ? etag : fecha; }
};
Validador ValidadorDe(const std::string& etag, const std::string& ultimaModificacion);

// The extra request headers of an attempt that already holds `tengo` bytes
// of the version `validador` names: the rest of the file only if it is still
// that version, otherwise the whole file (If-Range). Empty: the whole file.
std::string CabecerasPeticion(uint64_t tengo, const Validador& validador);

// The head of one answer, as the transport read it.
struct Cabeceras {
    int estado = 0;  // HTTP status; 0: no server answered
    std::string ubicacion;  // Location, absolute
    std::optional<uint64_t> longitud;  // Content-Length
    std::string rango;  // Content-Range
    std::string etag, ultimaModificacion;
    bool codificada = false;  // a Content-Encoding other than identity: the body arrives decoded
};

// How a read of the body ended.
enum class Lectura {
    Datos,        // some bytes arrived
    Fin,          // the body ended where the connection says it ends
    SinProgreso,  // nothing arrived for the time the transport was given
    Cortada,      // the connection failed
};

// Moves bytes: one request at a time, its body read in pieces.
class ITransporte {
public:
    virtual ~ITransporte() = default;
    // Sends a GET of url with the extra headers (never follows a redirect
    // itself) and reads the answer's head, waiting at most sinProgresoMs for
    // each step. estado 0 when no server answered.
    virtual Cabeceras Pedir(const std::string& url, const std::string& extra, uint32_t sinProgresoMs) = 0;
    // Up to n bytes of the body of the last request.
    virtual Lectura Leer(char* destino, size_t n, size_t& leidos) = 0;
    // Drops the last request (a cancel, a refusal, a retry).
    virtual void Soltar() = 0;
};

// The bytes of the file received so far (the partial file on disk).
class IParcial {
public:
    virtual ~IParcial() = default;
    virtual uint64_t Tamano() = 0;
    virtual void Vaciar() = 0;
    virtual void Anadir(const char* datos, size_t n) = 0;
};

class IReloj {
public:
    virtual ~IReloj() = default;
    virtual uint64_t AhoraMs() = 0;
    virtual void Dormir(uint32_t ms) = 0;
    // A number evenly drawn from [0, hasta].
    virtual uint32_t Azar(uint32_t hasta) = 0;
};

enum class Etapa { Conectando, Redirigiendo, Descargando, Terminada, EsperandoReintento };

// Called before each request, after each piece of the body and every few
// tens of milliseconds of a pause; true cancels at once. total 0: unknown.
// What it raises leaves Descargar unchanged.
using Progreso = std::function<bool(uint64_t hecho, uint64_t total, Etapa etapa, const std::string& texto)>;

// Downloads url into `parcial` until the whole file is there. A transient
// failure (no answer, a 5xx/408/429 answer, a cut or a stalled transfer)
// is tried again after a pause, from the bytes already held when the server
// confirms they belong to the same version of the file; an attempt that
// added bytes does not use up a retry. Each retry and each resume goes to
// the log. Raises "Error descargando URL: " + url (a 404 as
// EDescargaNoEncontrada, one longer than the limit as EDescargaExcedida)
// when it gives up, refuses or is cancelled; the partial file is then for
// the caller to delete.
void Descargar(const std::string& url, ITransporte& transporte, IParcial& parcial, IReloj& reloj,
               const Limites& limites, const Progreso& progreso);

}  // namespace descarga
