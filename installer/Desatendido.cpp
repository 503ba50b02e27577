#include "Desatendido.h"

#include "Exception.h"
#include "ModoLocalLogica.h"
#include "TextCodec.h"
#include "TiposMensaje.h"

namespace desatendido {
namespace {

// "/DIR=value" -> "value" without the quotes a batch file may leave on it.
std::string Valor(const std::string& argumento, size_t desde) {
    std::string v = argumento.substr(desde);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return v;
}

// The updater's own switches, as its relaunch writes them: "/ACT", and
// "/XPOS" or "/YPOS" glued to a number.
bool SwitchPropio(const std::string& m) {
    if (m == "/ACT") return true;
    if (m.rfind("/XPOS", 0) != 0 && m.rfind("/YPOS", 0) != 0) return false;
    size_t i = 5;
    if (i < m.size() && m[i] == '-') ++i;
    return i < m.size() && m.find_first_not_of("0123456789", i) == std::string::npos;
}

}  // namespace

Opciones InterpretarSwitches(const std::vector<std::string>& argumentos) {
    Opciones o;
    std::string desconocido;
    auto rechazar = [&](const std::string& motivo) {
        if (o.error.empty()) o.error = motivo;
    };
    for (const std::string& a : argumentos) {
        if (a.empty() || a[0] != '/') continue;
        const std::string m = text::UpperAscii(a);
        if (m == "/SILENT") {
            if (o.silencio == Silencio::Ninguno) o.silencio = Silencio::Silencioso;
        } else if (m == "/VERYSILENT") {
            o.silencio = Silencio::MuySilencioso;
        } else if (m == "/RETROCEDER") {
            o.retroceder = true;
        } else if (m.rfind("/DIR=", 0) == 0) {
            o.carpeta = Valor(a, 5);
            if (o.carpeta->empty()) {
                o.carpeta.reset();
                rechazar("Falta la carpeta en " + a);
            }
        } else if (m.rfind("/LOG=", 0) == 0) {
            o.registro = Valor(a, 5);
            if (o.registro->empty()) {
                o.registro.reset();
                rechazar("Falta el fichero en " + a);
            }
        } else if (m.rfind("/MOTOR=", 0) == 0) {
            const std::string v = text::UpperAscii(Valor(a, 7));
            if (v == "SERVIDOR")
                o.motor = Motor::Servidor;
            else if (v == "CLIENTE")
                o.motor = Motor::Cliente;
            else if (v == "NO")
                o.motor = Motor::No;
            else
                rechazar("Valor no válido en " + a + ": se espera /MOTOR=servidor, cliente o no");
        } else if (!SwitchPropio(m) && desconocido.empty()) {
            desconocido = a;
        }
    }
    // Known only once every switch is read: /VERYSILENT may come last.
    if (o.Desatendido() && !desconocido.empty()) rechazar("Switch desconocido: " + desconocido);
    return o;
}

std::string SwitchesParaRelanzar(const Opciones& o) {
    if (!o.Desatendido()) return {};
    auto argumento = [](const std::string& a) {
        return a.find(' ') == std::string::npos ? " " + a : " \"" + a + "\"";
    };
    std::string r = argumento(o.silencio == Silencio::MuySilencioso ? "/VERYSILENT" : "/SILENT");
    if (o.registro) r += argumento("/LOG=" + *o.registro);
    if (o.motor) r += argumento(std::string("/MOTOR=") + (*o.motor == Motor::Servidor  ? "servidor"
                                                         : *o.motor == Motor::Cliente ? "cliente"
                                                                                      : "no"));
    return r;
}

CodigoSalida CodigoDeFin(TFinEjecucion fin) {
    switch (fin) {
    case TFinEjecucion::Correcta: return csHecho;
    case TFinEjecucion::Cancelada: return csCancelado;
    case TFinEjecucion::SinConexion: return csSinConexion;
    case TFinEjecucion::DescargaFallida: return csDescargaFallida;
    case TFinEjecucion::ArchivoDanado: return csArchivoDanado;
    case TFinEjecucion::FirmaRechazada: return csFirmaRechazada;
    case TFinEjecucion::FicheroEnUso: return csFicheroEnUso;
    case TFinEjecucion::VersionMasNueva: return csVersionMasNueva;
    case TFinEjecucion::Bloqueada: return csBloqueado;
    case TFinEjecucion::EnCurso:
    case TFinEjecucion::Error: break;
    }
    return csOtroError;
}

ui::DialogAnswer RespuestaSegura(const ui::DialogRequest& pedido, const Opciones& opciones) {
    if (pedido.kind == kDialogoModoLocal) return {mrCancel, {}};
    if (pedido.kind == "BuscarCarpeta") {
        if (opciones.carpeta) return {mrOk, *opciones.carpeta};
        return {mrCancel, {}};
    }
    if (pedido.buttons.size() <= 1) return {mrOk, {}};
    // Two buttons: the second is the negative one (Cancelar, No).
    return {pedido.buttons[0] == "&Sí" || pedido.buttons[0] == "Sí" ? mrNo : mrCancel, {}};
}

}  // namespace desatendido
