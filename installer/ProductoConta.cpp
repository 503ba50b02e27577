#include "ProductoConta.h"

#include <cstdlib>

#include "Confinamiento.h"
#include "Exception.h"
#include "TablaModulos.h"

namespace conta {

std::string NombreFicheroCliente(uint32_t codigo) { return "CLI" + std::to_string(codigo) + ".VER"; }

std::string MensajeFaltaFicheroCliente(const std::string& nombre, const std::string& carpeta,
                                       const std::string& urlClientes, const std::string& archivo) {
    const std::string fichero = nombre.empty() ? "de esta instalación (CLI, su código de cliente y .VER)"
                                               : nombre + " de esta instalación";
    return "Para actualizar en local falta el fichero " + fichero + ".\r\n\r\nDescárgalo de:\r\n" + urlClientes +
           nombre + "\r\n\r\ny guárdalo junto al actualizador, con " + archivo + ", en la carpeta:\r\n" + carpeta +
           "\r\n\r\nNo se ha modificado ningún fichero.";
}

namespace {
// Slots of the versions record that stand for a named executable.
constexpr int kSlotPrograma = 99, kSlotEditor = 100;
constexpr int kPrimerPaqueteNucleo = 101, kUltimoPaqueteNucleo = 110;
constexpr int kPrimerCodigoVersionado = 10;
}  // namespace

DecisionPaquete DecidirPaquete(const std::string& nombre, bool actualizacion, const TypeVersionesConta& w,
                               const TypeVersionesConta& i) {
    int c = CodigoModulo(nombre);
    if (c == kSinCodigoModulo) return DecisionPaquete::Desconocido;
    if (c < kPrimerCodigoVersionado || !actualizacion) return DecisionPaquete::Aceptar;
    auto alMenos = [](const TypeVersion& web, const TypeVersion& instalada) {
        return VersionMayor(web, instalada, false) ? DecisionPaquete::Aceptar : DecisionPaquete::Rechazar;
    };
    if (c >= TypeVersionesConta::kPrimerModulo && c <= TypeVersionesConta::kUltimoModulo)
        return alMenos(w.VersionModulo(c), i.VersionModulo(c));
    if (c >= kPrimerPaqueteNucleo && c <= kUltimoPaqueteNucleo) return alMenos(w.VersionFichero(c), i.VersionFichero(c));
    if (nombre == kPrograma) return alMenos(w.VersionFichero(kSlotPrograma), i.VersionFichero(kSlotPrograma));
    if (nombre == kEditor) return alMenos(w.VersionFichero(kSlotEditor), i.VersionFichero(kSlotEditor));
    return DecisionPaquete::Aceptar;
}

std::string MensajePaqueteDesconocido(const std::string& nombre) {
    return "El Fichero " + nombre + " no se ha posido instalar correctamente." + "\n\r" +
           "Es posible que sea necesario actualizar el actualizador." + "\n\r" + "\n\r" + "Ponte en contacto con Kavo";
}

std::optional<bool> AceptarFicheroDatos(uint8_t tipo, const std::string& nombre, double fechaEntrada,
                                        const CarpetasDatos& c, std::string& destino,
                                        const ConsultaFichero& consultar) {
    switch (tipo) {
    case tcBalances: destino = c.Balances; break;
    case tcEstructurasMemoria: destino = c.EstructurasMemoria; break;
    case tcConfigDeposito: destino = c.ConfigDeposito; break;
    case tcGenerador:
    case tcGeneradorSiMasViejo: destino = c.Generador; break;
    default: return std::nullopt;
    }
    EstadoFichero e = consultar(destino + nombre);
    if (tipo != tcGeneradorSiMasViejo) return !e.existe;
    return !e.existe || FechaAnterior(e.fecha, fechaEntrada);
}

std::optional<std::string> AccesoAEscribir(const std::string& escritorio,
                                           const std::function<bool(const std::string&)>& existe) {
    if (escritorio.empty()) return std::nullopt;
    std::string acceso = escritorio + kAccesoDirecto + ".lnk";
    if (existe(acceso)) return std::nullopt;
    return acceso;
}

std::vector<std::string> ObsoletosABorrar(uint8_t paso, bool actualizacion, bool carpetaExiste) {
    if (paso != kPasoPrograma || !actualizacion || !carpetaExiste) return {};
    return {kFicherosObsoletos.begin(), kFicherosObsoletos.end()};
}

ArgumentosActualizador InterpretarArgumentos(const std::vector<std::string>& argumentos) {
    ArgumentosActualizador r;
    auto numero = [](const std::string& a, size_t desde) -> std::optional<int> {
        const char* p = a.c_str() + desde;
        char* fin = nullptr;
        long v = std::strtol(p, &fin, 10);
        if (fin == p || *fin != '\0' || v < -100000 || v > 100000) return std::nullopt;
        return static_cast<int>(v);
    };
    for (size_t i = 0; i < argumentos.size(); ++i) {
        const std::string& a = argumentos[i];
        if (a.empty()) continue;
        if (a[0] != '/') {
            // Only the first argument names the release record, as the
            // accounting program starts the updater.
            if (i == 0 && !NombreSimple(a))
                throw Exception("El nombre del fichero de la instalación no es válido:\r\n\r\n" + a);
            if (i == 0) r.ficheroCliente = a;
            continue;
        }
        if (a == "/ACT") r.relanzado = true;
        if (a.compare(0, 5, "/XPOS") == 0) r.x = numero(a, 5);
        if (a.compare(0, 5, "/YPOS") == 0) r.y = numero(a, 5);
    }
    return r;
}

CarpetasInstalacion CarpetasDesdePrograma(const std::string& dirPrograma) {
    auto quitarUltimo = [](const std::string& p) {
        size_t i = p.find_last_of('\\');
        return i == std::string::npos ? std::string() : p.substr(0, i);
    };
    std::string p = quitarUltimo(quitarUltimo(dirPrograma));
    size_t i = p.find_last_of('\\');
    return {quitarUltimo(p), i == std::string::npos ? p : p.substr(i + 1)};
}

}  // namespace conta
