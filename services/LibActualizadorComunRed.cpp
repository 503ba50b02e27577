// Connectivity test, URL probe, progress presentation and the server address.
#include "LibActualizadorComunRed.h"

#include <commctrl.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>

#include "LibActualizadorComun.h"
#include "Servidor.h"
#include "ProcessMessages.h"
#include "TemasVisuales.h"
#include "TextCodec.h"
#include "Win32Handle.h"

#ifndef KV_SOLO_HTTPS
#error "KV_SOLO_HTTPS must come from the build"
#endif
#ifndef KV_VENDOR_URL
#error "KV_VENDOR_URL must come from the build"
#endif

bool HayConexionInternet() {
    try {
        DWORD flags = 0;
        return ::InternetGetConnectedState(&flags, 0) != FALSE;
    } catch (...) {
        return false;
    }
}

uint8_t ComprobarURL(const std::string& url, const std::string& agente) {
    win::InternetHandle sesion(::InternetOpenW(text::Wide(agente).c_str(),
                                               INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!sesion) return urlSinServidor;

    // The reachability rule reads the Spanish summary line of ping; a system
    // whose ping speaks another language counts as having no server.
    std::string salida = EjecutarComando("ping -n 1 " + HostDeURL(ServidorKavo()), "C:\\");
    if (salida.find("recibidos = 1") == std::string::npos) return urlSinServidor;

    win::InternetHandle peticion(::InternetOpenUrlW(sesion.get(), text::Wide(url).c_str(), nullptr, 0,
                                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
    if (!peticion) return urlNoResponde;

    char estado[256] = {};
    DWORD size = sizeof(estado) - 1, index = 0;
    if (!::HttpQueryInfoA(peticion.get(), HTTP_QUERY_STATUS_CODE, estado, &size, &index))
        return urlNoResponde;
    char* end = nullptr;
    long code = std::strtol(estado, &end, 10);
    bool entero = end != estado && *end == '\0';
    return entero && code == 200 ? urlCorrecta : urlNoResponde;
}

std::string FormatoTamano(uint32_t bytes, char separadorDecimal) {
    struct Unidad {
        double desde, divisor;
        const char* texto;
    };
    static const Unidad unidades[] = {{0, 1, "bytes"},
                                      {1000, 1024, "KB"},
                                      {1024000, 1048576, "MB"},
                                      {1048576000, 1073741824, "GB"}};
    const Unidad* u = &unidades[0];
    for (const Unidad& cand : unidades)
        if (bytes >= cand.desde) u = &cand;
    double valor = bytes / u->divisor;

    char numero[32];
    std::snprintf(numero, sizeof numero, "%.3g", valor);
    // Just below a threshold the quotient rounds up to 1000, which %g would
    // write as 1e+03: the plain number reads better.
    if (std::string(numero).find('e') != std::string::npos)
        std::snprintf(numero, sizeof numero, "%.0f", valor);
    std::string texto = numero;
    for (char& c : texto)
        if (c == '.') c = separadorDecimal;
    return texto + " " + u->texto;
}

std::string FormatoTamano(uint32_t bytes) {
    wchar_t sep[8] = {};
    char separador = '.';
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8) > 1 && sep[0] < 128)
        separador = static_cast<char>(sep[0]);
    return FormatoTamano(bytes, separador);
}

void PosicionBarra(HWND barra, int valor) { PosicionBarra(barra, valor, ui::TemasVisualesActivos()); }

void PosicionBarra(HWND barra, int valor, bool temasVisuales) {
    if (temasVisuales) {
        LRESULT anterior = ::SendMessageW(barra, PBM_GETPOS, 0, 0);
        ::SendMessageW(barra, PBM_SETPOS, valor, 0);
        ::SendMessageW(barra, PBM_SETPOS, anterior, 0);
    }
    ::SendMessageW(barra, PBM_SETPOS, valor, 0);
    ui::ProcessMessages();
}

std::string ServidorKavo() {
    const wchar_t* env = ::_wgetenv(L"KAVO_SERVIDOR");
    return ElegirServidor(env ? text::Narrow(env) : std::string(), KV_VENDOR_URL,
                          KV_SOLO_HTTPS ? EsquemaServidor::SoloHttps : EsquemaServidor::Cualquiera);
}

std::string HostDeURL(const std::string& url) {
    std::string::size_type start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    std::string::size_type end = url.find_first_of("/?#", start);
    std::string autoridad = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string::size_type arroba = autoridad.rfind('@');
    if (arroba != std::string::npos) autoridad.erase(0, arroba + 1);
    if (!autoridad.empty() && autoridad[0] == '[') {
        std::string::size_type cierre = autoridad.find(']');
        return autoridad.substr(1, cierre == std::string::npos ? std::string::npos : cierre - 1);
    }
    return autoridad.substr(0, autoridad.find(':'));
}
