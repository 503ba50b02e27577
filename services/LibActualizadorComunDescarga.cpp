// DescargarFichero: one blocking download through WinInet, whose every
// decision (resume or start over, retries and their pauses, caps, redirects,
// the run's deadline) is taken by the portable DescargaLogica; this file only
// moves the bytes it asks for.
//
// The bytes arrive in a partial file beside the local path and take the
// local name only once the file is whole: nothing incomplete ever stands
// under the name of a good copy, and a cut transfer resumes from the partial
// file. Whatever fails, or is cancelled, deletes both.
//
// A build that carries the vendor's public keys fetches each file's signed
// statement first (capped at a few kilobytes) and checks it against what the
// program's policy asks of that path; only then the file, which may not grow
// past the size its statement names: a longer body is stopped there and
// refused. The file is checked against the statement before the caller can
// open it; one that fails is deleted.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "DescargaLogica.h"
#include "Exception.h"
#include "FirmaFicheros.h"
#include "Ficheros.h"
#include "LibActualizadorComun.h"
#include "PoliticaFirmas.h"
#include "LibActualizadorComunRed.h"
#include "ProcessMessages.h"
#include "Registro.h"
#include "TextCodec.h"
#include "Win32Error.h"
#include "Win32Handle.h"

namespace {

// The partial file's name: the local path and this.
constexpr const char* kExtensionParcial = ".parcial";

std::string SinBlancos(std::string s) {
    auto blanco = [](unsigned char c) { return c <= ' '; };
    auto first = std::find_if_not(s.begin(), s.end(), blanco);
    auto last = std::find_if_not(s.rbegin(), s.rend(), blanco).base();
    return first < last ? std::string(first, last) : std::string();
}

// Requests over WinInet, one at a time, on a session of their own. Redirects
// are never followed here (the logic judges them), the Internet cache is
// neither read nor written, and each wait is bounded by the time without
// progress the logic allows.
class TTransporteWinInet final : public descarga::ITransporte {
public:
    TTransporteWinInet()
        : sesion_(::InternetOpenW(L"Actualizador", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {}

    descarga::Cabeceras Pedir(const std::string& url, const std::string& extra, uint32_t sinProgresoMs) override {
        Soltar();
        descarga::Cabeceras c;
        if (!sesion_) return c;
        const std::wstring urlW = text::Wide(url);
        URL_COMPONENTSW partes = {};
        partes.dwStructSize = sizeof partes;
        wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
        std::vector<wchar_t> ruta(urlW.size() + 1), consulta(urlW.size() + 1);
        partes.lpszHostName = host;
        partes.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH + 1;
        partes.lpszUrlPath = ruta.data();
        partes.dwUrlPathLength = static_cast<DWORD>(ruta.size());
        partes.lpszExtraInfo = consulta.data();
        partes.dwExtraInfoLength = static_cast<DWORD>(consulta.size());
        if (!::InternetCrackUrlW(urlW.c_str(), 0, 0, &partes)) return c;
        const bool segura = partes.nScheme == INTERNET_SCHEME_HTTPS;
        if (!segura && partes.nScheme != INTERNET_SCHEME_HTTP) return c;

        FijarEsperas(sesion_.get(), sinProgresoMs);
        conexion_.reset(::InternetConnectW(sesion_.get(), host, partes.nPort, nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0));
        if (!conexion_) return c;
        const std::wstring objeto = std::wstring(ruta.data()) + consulta.data();
        const wchar_t* tipos[] = {L"*/*", nullptr};
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                            INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                            (segura ? INTERNET_FLAG_SECURE : 0);
        peticion_.reset(::HttpOpenRequestW(conexion_.get(), L"GET", objeto.c_str(), nullptr, nullptr, tipos, flags, 0));
        if (!peticion_) return c;
        FijarEsperas(peticion_.get(), sinProgresoMs);
        BOOL decodificar = TRUE;
        ::InternetSetOptionW(peticion_.get(), INTERNET_OPTION_HTTP_DECODING, &decodificar, sizeof decodificar);
        const std::wstring extraW = text::Wide(extra);
        if (!::HttpSendRequestW(peticion_.get(), extraW.empty() ? nullptr : extraW.c_str(),
                                static_cast<DWORD>(extraW.size()), nullptr, 0))
            return c;

        DWORD estado = 0, tam = sizeof estado;
        if (!::HttpQueryInfoW(peticion_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &estado, &tam,
                              nullptr))
            return c;
        c.estado = static_cast<int>(estado);
        c.ubicacion = Absoluta(urlW, Cabecera(HTTP_QUERY_LOCATION));
        const std::string longitud = Cabecera(HTTP_QUERY_CONTENT_LENGTH);
        if (!longitud.empty() && longitud.find_first_not_of("0123456789") == std::string::npos &&
            longitud.size() < 20)
            c.longitud = std::stoull(longitud);
        c.rango = Cabecera(HTTP_QUERY_CONTENT_RANGE);
        c.etag = Cabecera(HTTP_QUERY_ETAG);
        c.ultimaModificacion = Cabecera(HTTP_QUERY_LAST_MODIFIED);
        const std::string codificacion = text::UpperAscii(Cabecera(HTTP_QUERY_CONTENT_ENCODING));
        c.codificada = !codificacion.empty() && codificacion != "IDENTITY";
        return c;
    }

    // Only what has arrived is read: a read that waits to fill its buffer
    // would hide a transfer that stands still behind the bytes before it.
    descarga::Lectura Leer(char* destino, size_t n, size_t& leidos) override {
        leidos = 0;
        DWORD disponible = 0, leido = 0;
        if (!::InternetQueryDataAvailable(peticion_.get(), &disponible, 0, 0)) return Error();
        if (disponible == 0) return descarga::Lectura::Fin;
        const DWORD pedir = static_cast<DWORD>(std::min<size_t>(n, disponible));
        if (!::InternetReadFile(peticion_.get(), destino, pedir, &leido)) return Error();
        leidos = leido;
        return leido == 0 ? descarga::Lectura::Fin : descarga::Lectura::Datos;
    }

    void Soltar() override {
        peticion_.reset();
        conexion_.reset();
    }

private:
    static descarga::Lectura Error() {
        return ::GetLastError() == ERROR_INTERNET_TIMEOUT ? descarga::Lectura::SinProgreso
                                                          : descarga::Lectura::Cortada;
    }

    static void FijarEsperas(HINTERNET h, DWORD ms) {
        for (DWORD opcion : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                             INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
            ::InternetSetOptionW(h, opcion, &ms, sizeof ms);
    }

    // One header of the answer as text; empty when absent.
    std::string Cabecera(DWORD cual) {
        std::vector<wchar_t> buf(256);
        for (int vuelta = 0; vuelta < 2; ++vuelta) {
            DWORD tam = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
            if (::HttpQueryInfoW(peticion_.get(), cual, buf.data(), &tam, nullptr))
                return SinBlancos(text::Narrow(std::wstring(buf.data(), tam / sizeof(wchar_t))));
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || tam > 64 * 1024) return {};
            buf.assign(tam / sizeof(wchar_t) + 1, L'\0');
        }
        return {};
    }

    // A Location may be relative to the URL asked for.
    static std::string Absoluta(const std::wstring& base, const std::string& ubicacion) {
        if (ubicacion.empty()) return {};
        std::vector<wchar_t> buf(INTERNET_MAX_URL_LENGTH + 1);
        DWORD tam = static_cast<DWORD>(buf.size());
        if (!::InternetCombineUrlW(base.c_str(), text::Wide(ubicacion).c_str(), buf.data(), &tam, ICU_NO_ENCODE))
            return ubicacion;
        return text::Narrow(std::wstring(buf.data(), tam));
    }

    win::InternetHandle sesion_, conexion_, peticion_;
};

// The partial file, open for writing while the download runs.
class TParcialEnDisco final : public descarga::IParcial {
public:
    TParcialEnDisco(const std::string& ruta, const std::string& error)
        : ruta_(ruta), error_(error),
          h_(::CreateFileW(text::Wide(ruta).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (!h_) Fallar();
    }
    uint64_t Tamano() override { return tamano_; }
    void Vaciar() override {
        LARGE_INTEGER cero = {};
        if (!::SetFilePointerEx(h_.get(), cero, nullptr, FILE_BEGIN) || !::SetEndOfFile(h_.get())) Fallar();
        tamano_ = 0;
    }
    void Anadir(const char* datos, size_t n) override {
        DWORD escrito = 0;
        if (!::WriteFile(h_.get(), datos, static_cast<DWORD>(n), &escrito, nullptr) || escrito != n) Fallar();
        tamano_ += n;
    }
    void Cerrar() { h_.reset(); }

private:
    // A disk that is full or refuses the file does not get better by retrying.
    [[noreturn]] void Fallar() {
        Anotar("No se puede escribir " + ruta_ + ": " + win::SysErrorMessage(::GetLastError()));
        throw Exception(error_);
    }

    const std::string ruta_, error_;
    win::FileHandle h_;
    uint64_t tamano_ = 0;
};

class TRelojWin32 final : public descarga::IReloj {
public:
    uint64_t AhoraMs() override { return ::GetTickCount64(); }
    void Dormir(uint32_t ms) override { ::Sleep(ms); }
    uint32_t Azar(uint32_t hasta) override {
        static std::mt19937 generador{std::random_device{}()};
        return std::uniform_int_distribution<uint32_t>(0, hasta)(generador);
    }
};

// All downloads of this run end by this instant.
uint64_t PlazoDeLaEjecucion() {
    static const uint64_t plazo = ::GetTickCount64() + descarga::kPlazoEjecucionMs;
    return plazo;
}

TEstadoDescarga EstadoDe(descarga::Etapa etapa) {
    switch (etapa) {
        case descarga::Etapa::Conectando: return TEstadoDescarga::Conectando;
        case descarga::Etapa::Redirigiendo: return TEstadoDescarga::Redirigiendo;
        case descarga::Etapa::Descargando: return TEstadoDescarga::Descargando;
        case descarga::Etapa::Terminada: return TEstadoDescarga::FinDatos;
        case descarga::Etapa::EsperandoReintento: return TEstadoDescarga::EsperandoReintento;
    }
    return TEstadoDescarga::Descargando;
}

std::string RutaLocal(const std::string& carpeta, const std::string& fichero) {
    if (carpeta.empty()) return CarpetaTemporal() + fichero;
    char last = carpeta.back();
    return (last == '\\' || last == '/') ? carpeta + fichero : carpeta + "\\" + fichero;
}

// Fetches url into ruta as DescargarFichero promises it: the bytes go to the
// partial file, which takes the local name once whole; on every way out
// without the file, neither the partial file nor an older copy stays.
void Transferir(const std::string& url, const std::string& ruta, const TProgresoDescarga& progreso,
                descarga::Limites limites) {
    ::DeleteUrlCacheEntryW(text::Wide(url).c_str());
    BorrarFichero(ruta, false);
    const std::string rutaParcial = ruta + kExtensionParcial;
    const std::string error = "Error descargando URL: " + url;
    if (limites.plazo == 0) limites.plazo = PlazoDeLaEjecucion();
    try {
        TTransporteWinInet transporte;
        TParcialEnDisco parcial(rutaParcial, error);
        TRelojWin32 reloj;
        // The window stays alive on every report, pauses included; what the
        // handler raises leaves the download as it is.
        void* const emisor = &transporte;
        descarga::Descargar(url, transporte, parcial, reloj, limites,
                            [&](uint64_t hecho, uint64_t total, descarga::Etapa etapa, const std::string& texto) {
                                ui::ProcessMessages();
                                if (!progreso) return false;
                                bool cancelar = false;
                                const auto corto = [](uint64_t v) {
                                    return static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX));
                                };
                                progreso(emisor, corto(hecho), corto(total), EstadoDe(etapa), texto, cancelar);
                                return cancelar;
                            });
        parcial.Cerrar();
        if (!::MoveFileExW(text::Wide(rutaParcial).c_str(), text::Wide(ruta).c_str(), MOVEFILE_REPLACE_EXISTING)) {
            Anotar("No se puede renombrar " + rutaParcial + ": " + win::SysErrorMessage(::GetLastError()));
            throw Exception(error);
        }
    } catch (...) {
        BorrarFichero(rutaParcial, false);
        BorrarFichero(ruta, false);
        throw;
    }
}

// Whether url is there at all, asked without taking its body: a statement
// the server does not have means a refusal only for a file it does have.
bool Publicado(const std::string& url, const std::string& ruta, descarga::Limites limites) {
    limites.tamanoMaximo = 0;
    bool publicado = true;
    try {
        Transferir(url, ruta, {}, limites);
    } catch (const EDescargaNoEncontrada&) {
        publicado = false;
    } catch (const EDescargaExcedida&) {
    }
    BorrarFichero(ruta, false);
    return publicado;
}

// The signed statement of url, fetched before its file (into ruta's
// signature name, removed again) and checked against what the policy asks
// of its path. No old copy of the file stays meanwhile.
firma::TDeclaracion DescargarDeclaracion(const std::string& url, const std::string& ruta,
                                         const std::vector<std::string>& claves, descarga::Limites limites) {
    const firma::TEsperado esperado = firma::Esperado(firma::Politica(), firma::RutaPublicada(url));
    const std::string rutaFirma = ruta + firma::kExtensionFirma;
    BorrarFichero(ruta, false);
    std::optional<std::string> texto;
    try {
        descarga::Limites deLaFirma = limites;
        deLaFirma.tamanoMaximo = firma::kMaximoFicheroFirma;
        Transferir(url + firma::kExtensionFirma, rutaFirma, {}, deLaFirma);
        texto = firma::LeerFicheroFirma(rutaFirma);
    } catch (const EDescargaNoEncontrada&) {
        BorrarFichero(rutaFirma, false);
        // A file not published at all stays "not found" (an unpublished
        // release description means no beta).
        if (!Publicado(url, ruta, limites)) throw EDescargaNoEncontrada("Error descargando URL: " + url);
        throw firma::EFirmaRechazada(firma::Rechazo(esperado.nombre, "falta su firma"));
    } catch (const EDescargaExcedida&) {
        BorrarFichero(rutaFirma, false);
        throw firma::EFirmaRechazada(firma::Rechazo(esperado.nombre, "su firma es demasiado grande"));
    } catch (const Exception&) {
        // The user asked for the file: its statement is how it is fetched.
        BorrarFichero(rutaFirma, false);
        throw Exception("Error descargando URL: " + url);
    } catch (...) {
        BorrarFichero(rutaFirma, false);
        throw;
    }
    BorrarFichero(rutaFirma, false);
    if (!texto) throw Exception("Error descargando URL: " + url);
    return firma::ComprobarDeclaracion(*texto, claves, esperado);
}

// The file of an accepted statement: no more than the size it names, and
// the very bytes signed.
void DescargarDeclarado(const std::string& url, const std::string& ruta, const TProgresoDescarga& progreso,
                        descarga::Limites limites, const firma::TDeclaracion& d) {
    // The caller's own cap, when smaller, stays a failed download.
    const bool firmado = d.tamano < limites.tamanoMaximo;
    limites.tamanoMaximo = std::min<uint64_t>(limites.tamanoMaximo, d.tamano);
    try {
        Transferir(url, ruta, progreso, limites);
        firma::ComprobarContenido(ruta, d);
    } catch (const EDescargaExcedida&) {
        BorrarFichero(ruta, false);
        if (!firmado) throw;
        throw firma::EFirmaRechazada(firma::Rechazo(
            d.nombre, "el servidor envía más de los " + std::to_string(d.tamano) + " bytes de su firma"));
    } catch (...) {
        BorrarFichero(ruta, false);
        throw;
    }
}

}  // namespace

void DescargarFichero(const std::string& urlBase, const std::string& fichero, const std::string& carpetaDestino,
                      const TProgresoDescarga& progreso, const descarga::Limites& limites) {
    const std::string url = urlBase + fichero;
    const std::string ruta = RutaLocal(carpetaDestino, fichero);
    static const std::vector<std::string> claves = firma::ClavesDeLaVersion();
    if (claves.empty()) {
        Transferir(url, ruta, progreso, limites);
        return;
    }
    const firma::TDeclaracion d = DescargarDeclaracion(url, ruta, claves, limites);
    DescargarDeclarado(url, ruta, progreso, limites, d);
    firma::Aceptada(firma::Politica(), d);
}

void ComprobarConFirmaPublicada(const std::string& url, const std::string& ruta) {
    static const std::vector<std::string> claves = firma::ClavesDeLaVersion();
    if (claves.empty()) return;
    const firma::TDeclaracion d = DescargarDeclaracion(url, ruta + ".publicado", claves, {});
    firma::ComprobarContenido(ruta, d);
    firma::Aceptada(firma::Politica(), d);
}

void EnviarPeticion(const std::string& url) {
    // Only the answer's head is wanted: a server that answered has the
    // request, whatever it answered.
    TTransporteWinInet transporte;
    if (transporte.Pedir(url, {}, descarga::kSinProgresoMs).estado == 0)
        throw Exception("Error descargando URL: " + url);
}
