#include "DescargaLogica.h"

#include <algorithm>
#include <cctype>

#include "Registro.h"

namespace descarga {

namespace {

// An attempt that moved this much was worth making: it does not use up a
// retry. The cap on the file and the run's deadline still bound the attempts.
constexpr uint64_t kAvanceQueRenuevaReintentos = 1 << 20;
// A pause asks the progress handler this often whether to cancel.
constexpr uint32_t kPasoPausaMs = 50;
constexpr size_t kTrozo = 64 * 1024;

enum class Gravedad { Transitoria, Definitiva, NoEncontrada, Excedida };

struct Fallo {
    Gravedad gravedad;
    std::string motivo;  // for the log
};

std::string Minusculas(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string SinBlancos(const std::string& s) {
    const auto blanco = [](unsigned char c) { return c == ' ' || c == '\t'; };
    auto a = std::find_if_not(s.begin(), s.end(), blanco);
    auto b = std::find_if_not(s.rbegin(), s.rend(), blanco).base();
    return a < b ? std::string(a, b) : std::string();
}

// Decimal digits at s[pos...] into v; false when there are none or they overflow.
bool LeerNumero(const std::string& s, size_t& pos, uint64_t& v) {
    const size_t inicio = pos;
    v = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        const unsigned d = static_cast<unsigned>(s[pos] - '0');
        if (v > (UINT64_MAX - d) / 10) return false;
        v = v * 10 + d;
        ++pos;
    }
    return pos > inicio;
}

bool EsRedireccion(int estado) {
    return estado == 301 || estado == 302 || estado == 303 || estado == 307 || estado == 308;
}

// The server's trouble or its load: a moment later may be better.
bool EsPasajero(int estado) { return estado >= 500 || estado == 408 || estado == 429; }

class Descarga {
public:
    Descarga(const std::string& url, ITransporte& t, IParcial& p, IReloj& r, const Limites& l, const Progreso& pr)
        : url_(url), error_("Error descargando URL: " + url), t_(t), p_(p), r_(r), l_(l), progreso_(pr) {}

    void Ejecutar() {
        p_.Vaciar();
        int fallidos = 0;
        for (;;) {
            ComprobarPlazo();
            const uint64_t antes = p_.Tamano();
            std::optional<Fallo> f = Intento();
            t_.Soltar();
            if (!f) return;
            if (f->gravedad == Gravedad::NoEncontrada) throw EDescargaNoEncontrada(error_);
            if (f->gravedad != Gravedad::Transitoria) {
                Anotar("Descarga rechazada (" + f->motivo + "): " + url_);
                if (f->gravedad == Gravedad::Excedida) throw EDescargaExcedida(error_);
                throw Exception(error_);
            }
            const uint64_t despues = p_.Tamano();
            if (despues < antes + kAvanceQueRenuevaReintentos) ++fallidos;
            if (fallidos > l_.reintentos) throw Exception(error_);
            Pausar(std::max(fallidos, 1), f->motivo);
        }
    }

private:
    // Gives up when the handler cancels.
    void Avisar(uint64_t hecho, uint64_t total, Etapa etapa, const std::string& texto = {}) {
        if (progreso_ && progreso_(hecho, total, etapa, texto)) {
            t_.Soltar();
            throw Exception(error_);
        }
    }

    [[noreturn]] void PlazoAgotado() {
        t_.Soltar();
        Anotar("Descarga abandonada (plazo de la ejecución agotado): " + url_);
        throw Exception(error_);
    }

    void ComprobarPlazo() {
        if (l_.plazo != 0 && r_.AhoraMs() >= l_.plazo) PlazoAgotado();
    }

    void Pausar(int reintento, const std::string& motivo) {
        const uint32_t pausa = r_.Azar(VentanaPausa(reintento, l_));
        const uint64_t fin = r_.AhoraMs() + pausa;
        if (l_.plazo != 0 && fin >= l_.plazo) PlazoAgotado();
        Anotar("Descarga fallida (" + motivo + "): " + url_ + "; reintento " + std::to_string(reintento) + " de " +
               std::to_string(l_.reintentos) + " en " + std::to_string(pausa) + " ms" +
               (p_.Tamano() ? ", desde el byte " + std::to_string(p_.Tamano()) : std::string()));
        // The handler is asked before every step, so that a cancel pressed
        // during the pause ends it at once.
        for (uint64_t ahora = r_.AhoraMs();; ahora = r_.AhoraMs()) {
            Avisar(p_.Tamano(), 0, Etapa::EsperandoReintento);
            if (ahora >= fin) break;
            r_.Dormir(static_cast<uint32_t>(std::min<uint64_t>(kPasoPausaMs, fin - ahora)));
        }
    }

    // One request of the file (the redirects allowed followed) and its body
    // into the partial file. Nothing when the file is complete.
    std::optional<Fallo> Intento() {
        uint64_t tengo = p_.Tamano();
        if (tengo != 0 && validador_.Vacio()) {
            // Bytes of a version nobody can name again: they cannot be resumed.
            p_.Vaciar();
            tengo = 0;
        }
        std::string actual = url_;
        Cabeceras c;
        for (int saltos = 0;; ++saltos) {
            Avisar(tengo, 0, saltos == 0 ? Etapa::Conectando : Etapa::Redirigiendo, actual);
            c = t_.Pedir(actual, CabecerasPeticion(tengo, validador_), l_.sinProgresoMs);
            if (!EsRedireccion(c.estado)) break;
            t_.Soltar();
            if (!RedireccionPermitida(c.ubicacion))
                return Fallo{Gravedad::Definitiva, "redirección a " + c.ubicacion + " rechazada: no es HTTPS"};
            if (saltos >= kRedireccionesMaximas) return Fallo{Gravedad::Definitiva, "demasiadas redirecciones"};
            actual = c.ubicacion;
        }
        if (c.estado == 0) return Fallo{Gravedad::Transitoria, "sin respuesta del servidor"};
        if (c.estado == 404) return Fallo{Gravedad::NoEncontrada, "HTTP 404"};
        const std::string http = "HTTP " + std::to_string(c.estado);
        if (EsPasajero(c.estado)) return Fallo{Gravedad::Transitoria, http};

        std::optional<uint64_t> total;  // the whole file's size, when told
        if (c.estado == 206) {
            const std::optional<RangoContenido> r = LeerRangoContenido(c.rango);
            const Validador suyo = ValidadorDe(c.etag, c.ultimaModificacion);
            if (tengo == 0 || !r || r->primero != tengo || (!suyo.Vacio() && suyo.ParaIfRange() != validador_.ParaIfRange())) {
                // Not the rest that was asked for: the bytes held are of no use.
                p_.Vaciar();
                validador_ = {};
                return Fallo{Gravedad::Transitoria, http + " con otro rango (" + c.rango + ")"};
            }
            // Without the whole size, the rest ends where the range says.
            total = r->total ? *r->total : r->ultimo + 1;
            Anotar("Descarga reanudada en el byte " + std::to_string(tengo) + ": " + url_);
        } else if (c.estado == 200) {
            if (tengo != 0) Anotar("El fichero cambió en el servidor; se descarga entero: " + url_);
            p_.Vaciar();
            // A decoded body has neither the announced size nor offsets a
            // range could name.
            validador_ = c.codificada ? Validador{} : ValidadorDe(c.etag, c.ultimaModificacion);
            if (!c.codificada) total = c.longitud;
        } else if (c.estado == 416) {
            p_.Vaciar();
            validador_ = {};
            return Fallo{Gravedad::Transitoria, http};
        } else {
            return Fallo{Gravedad::Definitiva, http};
        }
        if (total && *total > l_.tamanoMaximo)
            return Fallo{Gravedad::Excedida, "anuncia " + std::to_string(*total) + " bytes, más de los " +
                                                   std::to_string(l_.tamanoMaximo) + " esperados"};
        return Cuerpo(total);
    }

    std::optional<Fallo> Cuerpo(std::optional<uint64_t> total) {
        // Never more than the file has, nor than the caller allows.
        const uint64_t limite = total.value_or(l_.tamanoMaximo);
        std::string trozo(kTrozo, '\0');
        // A system may report a wait that ran out as a plain cut: the clock
        // tells them apart.
        uint64_t ultimoDato = r_.AhoraMs();
        const auto cortada = [&] {
            const bool parada = r_.AhoraMs() - ultimoDato >= l_.sinProgresoMs;
            return Fallo{Gravedad::Transitoria, parada ? SinProgreso() : "transferencia cortada"};
        };
        for (;;) {
            Avisar(p_.Tamano(), total.value_or(0), Etapa::Descargando);
            size_t n = 0;
            const Lectura l = t_.Leer(&trozo[0], trozo.size(), n);
            if (n != 0) {
                if (n > limite - p_.Tamano())
                    return Fallo{Gravedad::Excedida,
                                 "más de los " + std::to_string(limite) + " bytes esperados"};
                p_.Anadir(trozo.data(), n);
                ultimoDato = r_.AhoraMs();
            }
            switch (l) {
                case Lectura::Datos:
                    ComprobarPlazo();
                    break;
                case Lectura::Fin:
                    if (total && p_.Tamano() != *total) return cortada();
                    Avisar(p_.Tamano(), p_.Tamano(), Etapa::Terminada);
                    return std::nullopt;
                case Lectura::SinProgreso:
                    return Fallo{Gravedad::Transitoria, SinProgreso()};
                case Lectura::Cortada:
                    return cortada();
            }
        }
    }

    std::string SinProgreso() const { return "sin progreso en " + std::to_string(l_.sinProgresoMs / 1000) + " s"; }

    const std::string url_, error_;
    ITransporte& t_;
    IParcial& p_;
    IReloj& r_;
    const Limites& l_;
    const Progreso& progreso_;
    Validador validador_;  // of the bytes held
};

}  // namespace

uint32_t VentanaPausa(int reintento, const Limites& limites) {
    const int desplazamiento = std::clamp(reintento - 1, 0, 31);
    const uint64_t ventana = uint64_t(limites.pausaPrimeraMs) << desplazamiento;
    return static_cast<uint32_t>(std::min<uint64_t>(ventana, limites.pausaMaximaMs));
}

bool RedireccionPermitida(const std::string& destino) {
    const std::string esquema = "https://";
    return destino.size() > esquema.size() && Minusculas(destino.substr(0, esquema.size())) == esquema;
}

std::optional<RangoContenido> LeerRangoContenido(const std::string& valor) {
    const std::string v = SinBlancos(valor);
    const std::string unidad = "bytes ";
    if (v.size() <= unidad.size() || Minusculas(v.substr(0, unidad.size())) != unidad) return std::nullopt;
    size_t pos = unidad.size();
    RangoContenido r;
    if (!LeerNumero(v, pos, r.primero) || pos >= v.size() || v[pos++] != '-') return std::nullopt;
    if (!LeerNumero(v, pos, r.ultimo) || pos >= v.size() || v[pos++] != '/') return std::nullopt;
    if (r.ultimo < r.primero) return std::nullopt;
    if (pos + 1 == v.size() && v[pos] == '*') return r;
    uint64_t total = 0;
    if (!LeerNumero(v, pos, total) || pos != v.size() || r.ultimo >= total) return std::nullopt;
    r.total = total;
    return r;
}

Validador ValidadorDe(const std::string& etag, const std::string& ultimaModificacion) {
    Validador v;
    const std::string e = SinBlancos(etag);
    if (e.size() >= 2 && e.front() == '"' && e.back() == '"') v.etag = e;
    v.fecha = SinBlancos(ultimaModificacion);
    return v;
}

std::string CabecerasPeticion(uint64_t tengo, const Validador& validador) {
    if (tengo == 0 || validador.Vacio()) return {};
    return "Range: bytes=" + std::to_string(tengo) + "-\r\nIf-Range: " + validador.ParaIfRange() + "\r\n";
}

void Descargar(const std::string& url, ITransporte& transporte, IParcial& parcial, IReloj& reloj,
               const Limites& limites, const Progreso& progreso) {
    Descarga(url, transporte, parcial, reloj, limites, progreso).Ejecutar();
}

}  // namespace descarga
