#include "ModoLocalLogica.h"

#include "DialogSeam.h"
#include "Exception.h"
#include "TextCodec.h"
#include "TiposMensaje.h"
#include "platform/Platform.h"

namespace {

std::string LineaEnlace(const std::string& url) { return "    <A Href =" + url + ">" + url + "</> <BR>"; }

std::string ConFinesDeLinea(const std::vector<std::string>& lineas) {
    std::string texto;
    for (const auto& l : lineas) texto += l + "\r\n";
    return texto;
}

}  // namespace

std::vector<std::string> LineasPaginaEnlaces(const std::string& urlPrograma, const std::string& urlBase) {
    return {
        "<HTML>",
        "<HEAD>",
        "  <TITLE>Rolda Kavo - Descarga ficheros Instalación</TITLE>",
        "</HEAD>",
        "<BODY>",
        "  <SPAN style=\"font-size:12pt;\"><BR>Descarga los ficheros de abajo y guardalos en el pendrive.<BR>"
        "Despues vuelve al equipo sin Internet, pegalas en la ruta de programa y ejecuta el actualizador.<BR><BR>",
        LineaEnlace(urlPrograma),
        LineaEnlace(urlBase + kFicheroActualizador),
        "  </SPAN>",
        "</BODY>",
        "</HTML>",
    };
}

// --- the portable system -----------------------------------------------------

bool TSistemaModoLocal::Existe(const std::string& ruta) { return kav::os::FileExists(ruta); }

void TSistemaModoLocal::Escribir(const std::string& ruta, const std::string& bytes) {
    kav::os::File f;
    if (!f.Open(ruta, kav::os::Access::ReadWrite, kav::os::Share::DenyWrite, kav::os::Disposition::CreateAlways) ||
        !f.Write(bytes.data(), bytes.size()))
        throw Exception("No se pudo Crear el Fichero\r\n\r\n" + ruta);
}

std::string TSistemaModoLocal::Ansi(const std::string& utf8) { return text::Utf8ToAnsi(utf8); }

bool TSistemaModoLocal::GuardarComo(std::string& nombre) {
    auto respuesta = ui::ScriptedAnswer({"GuardarComo", "", "", {}, nombre});
    // IDOK: the user confirmed a name.
    if (!respuesta || respuesta->result != 1) return false;
    nombre = respuesta->value;
    return true;
}

void TSistemaModoLocal::Mensaje(const std::string& texto) { ui::ScriptedAnswer({"MostrarMensaje", "", texto, {"Vale"}, ""}); }

void TSistemaModoLocal::Abrir(const std::string&) {}

// --- the decisions -------------------------------------------------------------

std::optional<bool> RespuestaGuionModoLocal(const DatosModoLocal& datos, TSistemaModoLocal& sistema) {
    auto respuesta = ui::ScriptedAnswer({kDialogoModoLocal, "Actualizador Kavo", datos.error,
                                         {"Iniciar Instalación Local", "Cerrar Instalador"}, datos.RutaArchivo()});
    if (!respuesta) return std::nullopt;
    return respuesta->result == mrOk && sistema.Existe(datos.RutaArchivo());
}

TModoLocalLogica::TModoLocalLogica(DatosModoLocal datos, TSistemaModoLocal& sistema)
    : datos_(std::move(datos)), sistema_(sistema) {}

void TModoLocalLogica::Solucion(int tag) {
    if (tag == kSolucionLocal) panel_ = PanelModoLocal::Local;
    if (tag == kSolucionNoInternet) panel_ = PanelModoLocal::NoInternet;
}

void TModoLocalLogica::Iniciar() {
    const std::string ruta = datos_.RutaArchivo();
    if (sistema_.Existe(ruta)) {
        fin_ = FinModoLocal::Instalar;
        return;
    }
    sistema_.Mensaje("No se encuentra el Fichero " + ruta);
}

void TModoLocalLogica::GuardarEnlaces() {
    const auto lineas = LineasPaginaEnlaces(datos_.UrlPrograma(), datos_.urlBase);
    std::string nombre = nombrePagina_;
    if (!sistema_.GuardarComo(nombre)) return;
    nombrePagina_ = nombre;
    sistema_.Escribir(nombre, sistema_.Ansi(ConFinesDeLinea(lineas)));
    // "\n\r" (LF then CR) is how the message has always been written.
    sistema_.Mensaje(
        "Ahora el programa de instalación se cerrara.\n\rVete al otro equipo, descarga los ficheros y cuando los "
        "hayas copiado en este equipo,\n\rejecuta el actualizador de nuevo y pincha en \"Iniciar Instalación "
        "Local\".");
    fin_ = FinModoLocal::Cerrado;
}

void TModoLocalLogica::AbrirEnlace(const std::string& caption) { sistema_.Abrir(caption); }
