// What the installer asks the vendor's web server: the release descriptions
// that choose a beta or V2 release, and the report after a successful run.
#include "Application.h"
#include "FormKavoInstala.h"

namespace {

// A description the vendor has not published (404) means no such release;
// every other download error still stops the caller.
bool DescargarDescripcion(const std::string& urlBase, const std::string& nombre, const std::string& carpeta,
                          const TProgresoDescarga& progreso) {
    try {
        DescargarFichero(urlBase, nombre, carpeta, progreso);
        return true;
    } catch (const EDescargaNoEncontrada&) {
        return false;
    }
}

}  // namespace

// Start-up downloads: the window stays alive, and a close confirmed meanwhile
// stops them.
TProgresoDescarga TFFormKavoInstala::ProgresoArranque() {
    return [this](void*, uint32_t, uint32_t, TEstadoDescarga, const std::string&, bool& cancelar) {
        forms::Application().ProcessMessages();
        cancelar = CancelarPedido;
    };
}

std::string Servidor() {
    std::string s = ServidorKavo();
    while (!s.empty() && s.back() == '/') s.pop_back();
    return s;
}

std::string TFFormKavoInstala::UrlExternos() const { return Servidor() + "/_descargas_/externos/"; }

std::string TFFormKavoInstala::VersionInformada() const { return ::VersionInformada(LabelVersion->Caption()); }

bool TFFormKavoInstala::HayBeta() {
    const std::string nombre = IniBeta();
    if (!DescargarDescripcion(UrlBaseProgramas, nombre, DirDescargas(), ProgresoArranque())) return false;
    const std::string descripcion = DirDescargas() + nombre;
    // A download like the archives: it goes at exit, however the run ends.
    AnadirDescarga(descripcion);
    if (!FicheroExiste(descripcion)) return false;
    double instalada = LeerFechaHora(LeerIniTexto(IniPrograma(), "ACTUALIZACION", "ULTIMA_BETA", "0"));
    unsigned major, minor;
    uint32_t codigo;
    if (ModoActualizacion) {
        TypeVersion v = DatosWeb.VersionFichero(99);
        major = v.Major, minor = v.Minor, codigo = DatosWeb.CodigoCliente();
    } else {
        RegistroLanzamiento r = InterpretarDatosArchivo(DatosArchivo);
        major = r.major, minor = r.minor, codigo = r.codigoCliente;
    }
    auto secciones = SeccionesBeta(major, minor);
    const std::string& seccion = ExisteSeccionIni(descripcion, secciones[0]) ? secciones[0] : secciones[1];
    std::string series = LeerIniTexto(descripcion, seccion, "SERIES", "");
    double publicada = LeerFechaHora(LeerIniTexto(descripcion, "ACTUALIZACION", "ULTIMA_BETA", "0"));
    return EnListaClientes(series, codigo) && publicada > instalada;
}

bool TFFormKavoInstala::HayV2() {
    const std::string nombre = IniV2();
    if (nombre.empty()) return false;
    if (!DescargarDescripcion(UrlBaseProgramas, nombre, DirDescargas(), ProgresoArranque())) return false;
    const std::string descripcion = DirDescargas() + nombre;
    AnadirDescarga(descripcion);
    if (!FicheroExiste(descripcion)) return false;
    uint32_t codigo = ModoActualizacion ? DatosWeb.CodigoCliente() : InterpretarDatosArchivo(DatosArchivo).codigoCliente;
    return EnListaClientes(LeerIniTexto(descripcion, "PROGRAMA", "SERIES", ""), codigo);
}

void TFFormKavoInstala::AvisarServidor(const std::string& url) { EnviarPeticion(url); }
