#include "ProductoConta.h"

#include <cstdlib>

#include "Confinamiento.h"
#include "Exception.h"
#include "Rutas.h"
#include "FormatoTexto.h"
#include "TiposMensaje.h"
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

// --- the product class ----------------------------------------------------------

std::string TProductoConta::RutaProgramaInstalado() {
    std::string p = e_.extraccion.DestinoExtraccion();
    if (!p.empty() && p.back() != '\\') p += '\\';
    return p + d_.SubdirPrograma() + conta::kPrograma;
}

std::string TProductoConta::RutaPaqueteDatos() { return d_.DirEjecutable + DatosModulo(4).Nombre; }

void TProductoConta::LeerRutasDatos(const std::string& dirPrograma) {
    std::string dir = dirPrograma;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    const TypePathFilesConta t = s_.LeerRutasConta(dir, d_.SubdirPrograma(), conta::kIniPrograma);
    d_.DirDatos = t.PATHDATOS;
    DirBalances = t.PATHBALANCES;
    DirEstructurasMemoria = t.PATHESTRUCTURASMEMORIA;
    DirConfigDeposito = t.PAHTCONFIGDEPOSITO;
    DirGenerador = t.PATHGENERADOR;
}

// The updater runs from the installation's program folder: the product
// folder is above it, the lock in the base folder above that, and the data
// folders are those the program's settings file names.
TCarpetasInstalacion TProductoConta::CarpetasInstalacion() {
    const conta::CarpetasInstalacion c = conta::CarpetasDesdePrograma(d_.DirEjecutable);
    const std::string base = ConBarraFinal(c.base);
    const TypePathFilesConta t = s_.LeerRutasConta(base, c.producto + "\\Programa\\", conta::kIniPrograma);
    return {base,
            {base + c.producto, t.PATHDATOS, t.PATHBALANCES, t.PATHESTRUCTURASMEMORIA, t.PAHTCONFIGDEPOSITO,
             t.PATHGENERADOR}};
}

void TProductoConta::PrepararActualizacion() {
    d_.VersionesInstaladas = s_.LeerVersionesInstaladas(d_.DirEjecutable, conta::kActualizador);
}

std::vector<std::string> TProductoConta::FicherosObsoletos() {
    std::vector<std::string> r;
    for (const std::string& nombre : conta::ObsoletosABorrar(d_.PasoExtraccion, d_.ModoActualizacion,
                                                            e_.ficheros.DirectorioExiste(d_.DirEjecutable)))
        r.push_back(d_.DirEjecutable + nombre);
    return r;
}

void TProductoConta::CrearAccesos() {
    const std::optional<std::string> acceso = conta::AccesoAEscribir(
        s_.CarpetaEscritorio(), [this](const std::string& ruta) { return e_.ficheros.FicheroExiste(ruta); });
    if (!acceso) return;
    const std::string programa = RutaProgramaInstalado();
    s_.CrearAccesoDirecto(programa, conta::kAccesoDirecto, CarpetaDe(*acceso), CarpetaDe(programa) + conta::kIcono);
}

void TProductoConta::IniExtraido() {
    if (d_.TipoMotor != tmBtrieve6) s_.EscribirIniBtrieve(s_.RutaIni());
    // The settings file an archive delivers knows nothing of this customer:
    // the code goes back in, for an updater started without arguments.
    if (d_.CodigoCliente != 0)
        s_.GuardarCodigoCliente(CarpetaDe(RutaProgramaInstalado()), conta::kIniPrograma, d_.CodigoCliente);
}

bool TProductoConta::AceptarPaquete(const std::string& fichero, bool avisar) {
    switch (conta::DecidirPaquete(MayusculasAscii(fichero), d_.ModoActualizacion, d_.DatosWeb, d_.VersionesInstaladas)) {
    case conta::DecisionPaquete::Aceptar: return true;
    case conta::DecisionPaquete::Rechazar: return false;
    case conta::DecisionPaquete::Desconocido: break;
    }
    if (avisar) e_.usuario.Mensaje(conta::MensajePaqueteDesconocido(fichero), TipoMensaje::Error, BotonesMensaje::Ok);
    return false;
}

bool TProductoConta::AceptarFichero(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta) {
    const conta::CarpetasDatos datos{DirBalances, DirEstructurasMemoria, DirConfigDeposito, DirGenerador};
    auto consultar = [this](const std::string& ruta) {
        conta::EstadoFichero e;
        const std::optional<double> fecha = e_.ficheros.FechaFichero(ruta);
        e.existe = fecha.has_value();
        e.fecha = fecha.value_or(0);
        return e;
    };
    if (auto r = conta::AceptarFicheroDatos(tipo, nombre, fecha, datos, carpeta, consultar)) return *r;
    return TProducto::AceptarFichero(tipo, nombre, fecha, carpeta);
}

// Every time the settings file is written by an extraction, the engine's
// keys and the customer code go into it.
void TProductoConta::FicheroExtraido(const kav::TFileEntry& entrada, const std::string&) {
    if (MayusculasAscii(NombreDe(entrada.Name)) == conta::kIniPrograma) IniExtraido();
}
