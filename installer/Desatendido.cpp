#include "Desatendido.h"

#include "Exception.h"
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

bool Contiene(const std::string& texto, const char* parte) { return texto.find(parte) != std::string::npos; }

}  // namespace

Opciones InterpretarSwitches(const std::vector<std::string>& argumentos) {
    Opciones o;
    for (const std::string& a : argumentos) {
        if (a.empty() || a[0] != '/') continue;
        const std::string m = text::UpperAscii(a);
        if (m == "/SILENT") {
            if (o.silencio == Silencio::Ninguno) o.silencio = Silencio::Silencioso;
        } else if (m == "/VERYSILENT") {
            o.silencio = Silencio::MuySilencioso;
        } else if (m.rfind("/DIR=", 0) == 0) {
            o.carpeta = Valor(a, 5);
            if (o.carpeta->empty()) throw Exception("Falta la carpeta en " + a);
        } else if (m.rfind("/LOG=", 0) == 0) {
            o.registro = Valor(a, 5);
            if (o.registro->empty()) throw Exception("Falta el fichero en " + a);
        } else if (m.rfind("/MOTOR=", 0) == 0) {
            const std::string v = text::UpperAscii(Valor(a, 7));
            if (v == "SERVIDOR")
                o.motor = Motor::Servidor;
            else if (v == "CLIENTE")
                o.motor = Motor::Cliente;
            else if (v == "NO")
                o.motor = Motor::No;
            else
                throw Exception("Valor no válido en " + a + ": se espera /MOTOR=servidor, cliente o no");
        }
    }
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

CodigoSalida CodigoDeMensaje(const std::string& texto) {
    if (Contiene(texto, " rechazado: ")) return csFirmaRechazada;
    if (Contiene(texto, "Imposible realizar conexión")) return csSinConexion;
    if (Contiene(texto, "Error descargando URL")) return csDescargaFallida;
    if (Contiene(texto, "dañado o incompleto") || Contiene(texto, "CRC")) return csArchivoDanado;
    if (Contiene(texto, "está en Uso") || Contiene(texto, "siendo usado")) return csFicheroEnUso;
    if (Contiene(texto, "Versión Instalada es Mayor")) return csVersionMasNueva;
    if (Contiene(texto, "Ya hay otro usuario")) return csBloqueado;
    if (Contiene(texto, "Cancelada") || Contiene(texto, "Cancelar")) return csCancelado;
    return csOtroError;
}

ui::DialogAnswer RespuestaSegura(const ui::DialogRequest& pedido, const Opciones& opciones) {
    if (pedido.kind == "BuscarCarpeta") {
        if (opciones.carpeta) return {mrOk, *opciones.carpeta};
        return {mrCancel, {}};
    }
    if (pedido.buttons.size() <= 1) return {mrOk, {}};
    // Two buttons: the second is the negative one (Cancelar, No).
    return {pedido.buttons[0] == "&Sí" || pedido.buttons[0] == "Sí" ? mrNo : mrCancel, {}};
}

}  // namespace desatendido
