#include "MotorBaseDatos.h"

#include <iterator>

#include "FormatoTexto.h"
#include "Rutas.h"

namespace {

struct Motor {
    const char* carpeta;
    const char* servidor;
    const char* cliente;
    const char* tituloServidor;
    const char* tituloCliente;
};

// Indexed by the engine kind; Btrieve 6 (2) needs no installer.
const Motor kMotores[] = {
    {"Externos\\PSQL12\\", "Install_PSQL_Workgroup_Engine.exe", "Install_PSQL_Client.exe",
     "Actian PSQL v12 Workgroup", "Actian PSQL v12 Client"},
    {"Externos\\Btrieve12\\", "Install_Btrieve.exe", "Install_Btrieve.exe", "Actian Btrieve 12",
     "Actian Btrieve 12"},
};

const Motor* BuscarMotor(uint8_t tipo) {
    return tipo < std::size(kMotores) ? &kMotores[tipo] : nullptr;
}

}  // namespace

std::string CarpetaMotor(uint8_t tipo) {
    const Motor* m = BuscarMotor(tipo);
    return m ? m->carpeta : "";
}

std::string InstaladorMotor(uint8_t tipo, bool servidor) {
    const Motor* m = BuscarMotor(tipo);
    return m ? (servidor ? m->servidor : m->cliente) : "";
}

std::string RutaInstaladorMotor(const std::string& rutaExtraccion, uint8_t tipo, bool servidor) {
    return ConBarraFinal(rutaExtraccion) + CarpetaMotor(tipo) + InstaladorMotor(tipo, servidor);
}

std::optional<std::string> TituloInstaladorMotor(uint8_t tipo, bool servidor) {
    const Motor* m = BuscarMotor(tipo);
    if (!m) return std::nullopt;
    return std::string(servidor ? m->tituloServidor : m->tituloCliente);
}

std::string UnidadDeRuta(const std::string& ruta) {
    if (ruta.size() >= 2 && ruta[1] == ':') return ruta.substr(0, 2);
    if (ruta.rfind("\\\\", 0) != 0) return {};
    // \\server\share: up to the backslash after the share's name.
    size_t barraServidor = ruta.find('\\', 2);
    if (barraServidor == std::string::npos) return ruta;
    size_t barraRecurso = ruta.find('\\', barraServidor + 1);
    return ruta.substr(0, barraRecurso);
}

std::string ServidorDeRuta(const std::string& rutaUniversal) {
    std::string unidad = UnidadDeRuta(rutaUniversal);
    if (unidad.rfind("\\\\", 0) != 0) return {};
    return unidad.substr(2, unidad.find('\\', 2) - 2);
}

std::string ErrorServidorMotor(const std::string& rutaUniversal, const std::string& nombreEquipo,
                               const Mayusculador& mayusculas) {
    if (UnidadDeRuta(rutaUniversal).rfind("\\\\", 0) != 0) return {};
    std::string servidor = ServidorDeRuta(rutaUniversal);
    if (mayusculas(servidor) == mayusculas(nombreEquipo)) return {};
    return "El Motor de Base de Datos debe Instalarse en el Servidor: " + servidor;
}

PasoVigilancia VigilarInstalador(bool timerActivo, uint8_t tipo, bool servidor, bool esperando,
                                 VentanasSistema& ventanas) {
    // WM_TIMER messages already queued survive the timer's stop.
    if (!timerActivo) return PasoVigilancia::Nada;
    std::optional<std::string> titulo = TituloInstaladorMotor(tipo, servidor);
    if (!titulo) return PasoVigilancia::MotorNoSoportado;
    bool existe = ventanas.Buscar(*titulo);
    if (existe && !esperando) return PasoVigilancia::InstaladorVisto;
    if (existe) {
        std::optional<std::string> texto = ventanas.TextoSegundoStatic();
        bool abandona = texto && texto->find(kTextoSistemaSinCambios) != std::string::npos;
        return abandona ? PasoVigilancia::InstaladorAbandona : PasoVigilancia::Nada;
    }
    return esperando ? PasoVigilancia::InstaladorTerminado : PasoVigilancia::Nada;
}

TTipoMotor MotorInstalado(const std::string& pervasive, const std::string& libreria) {
    auto limpio = [](const std::string& t) {
        const size_t a = t.find_first_not_of(" \t"), b = t.find_last_not_of(" \t");
        return a == std::string::npos ? std::string() : Minusculas(t.substr(a, b - a + 1));
    };
    const std::string dll = limpio(libreria);
    if (!dll.empty()) return dll == Minusculas(kLibreriaBtrieve6) ? tmBtrieve6 : tmPsql12;
    return limpio(pervasive) == "0" ? tmBtrieve6 : tmPsql12;
}
