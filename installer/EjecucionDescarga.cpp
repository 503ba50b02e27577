// The download phase: what is fetched (or, in local mode, checked beside
// the updater), its progress and its failures.
#include "Ejecucion.h"

#include "EjecucionApoyo.h"
#include "Exception.h"
#include "FormatoTexto.h"
#include "Rutas.h"

using namespace ejecucion;

namespace {

std::string Segundos(uint32_t milisegundos) {
    return std::to_string(milisegundos / 1000) + "," + FormatoCerosFijo(milisegundos % 1000, 3) + " s";
}

}  // namespace

std::string TEjecucion::DirDescargas() { return d_.ModoLocal ? d_.DirEjecutable : e_.ficheros.CarpetaDescargas(); }

bool TEjecucion::Descargar() {
    if (d_.ModoLocal) {
        // Busy from here, as a download would be: a close asked for in a
        // pump before the extraction must cancel the run, not close the
        // window under it.
        d_.CancelarPedido = false;
        d_.Resultado = rsNinguno;
        d_.Estado = esDescargando;
        if (ComprobarFirmasLocales()) return true;
        PaginaEnReposo(true);
        return false;
    }
    if (!e_.servidor.HayConexionInternet()) {
        Terminar(TFinEjecucion::SinConexion);
        Mensaje("Imposible realizar conexión con el Servidor de KAVO.\n\rRevisa tu configuración de Conexión a "
                   "Internet.",
                   TipoMensaje::Error, BotonesMensaje::Ok);
        return false;
    }
    d_.CancelarPedido = false;
    d_.Resultado = rsNinguno;
    // Busy before the first pump: a close asked for now must cancel the run,
    // not close the window under it.
    d_.Estado = esDescargando;
    v_.PaginaDescargando();
    e_.proceso.ProcesarMensajes();
    bool resultado = false;
    auto reposo = [&] { PaginaEnReposo(d_.CancelarPedido); };
    try {
        const bool externos = !d_.ModoActualizacion && !d_.HayExternos;
        const std::string motor = PalabraMotor(d_.TipoMotor);
        try {
            ComprobarRegistroPendiente();
            if (externos) DescargarArchivo(d_.UrlBaseExternos, motor + ".KAV", motor);
            DescargarPrograma();
            if (externos) DescargarArchivo(d_.UrlBaseExternos, "SOPORTE.KAV", "SOPORTE KAVO");
            // A cancel confirmed while the last transfer was ending came too
            // late to stop it, but the user still asked to stop the run.
            e_.proceso.ProcesarMensajes();
            VigilarCongelacion();
            if (!d_.CancelarPedido) {
                p_.TrasDescargar();
                resultado = true;
            } else {
                Terminar(TFinEjecucion::Cancelada);
            }
        } catch (const std::exception& e) {
            // A cancelled transfer fails too; the user asked for it.
            Terminar(d_.CancelarPedido ? TFinEjecucion::Cancelada : FinDeError(e, TFinEjecucion::DescargaFallida));
            if (!d_.CancelarPedido) MensajePlano(e.what());
        }
        if (!resultado) {
            d_.CancelarPedido = true;
            const std::string parcial = DirDescargas() + NombreDe(d_.ArchivoPrincipal);
            if (e_.ficheros.FicheroExiste(parcial)) e_.ficheros.BorrarFichero(parcial, true);
        }
    } catch (...) {
        reposo();
        throw;
    }
    reposo();
    return resultado;
}

// An update between consecutive releases first asks for the vendor's
// differences from the installed release: a fraction of the archive's bytes
// when a release changes little inside its executables. Anything that keeps
// them from being used falls back to the whole archive, as before.
void TEjecucion::DescargarPrograma() {
    const std::string nombre = DiferenciasAplicables();
    if (!nombre.empty()) {
        try {
            DescargarArchivo(d_.UrlBaseProgramas, nombre, d_.TextoProgramaMayusculas());
            if (PrepararDiferencias(nombre)) return;
        } catch (const EFicheroNoPublicado&) {
            Anotar("Diferencias " + nombre + " no publicadas: se descarga " + d_.ArchivoPrincipal);
        } catch (const firma::EFirmaRechazada&) {
            throw;  // a refusal, not a reason to take another file
        } catch (const std::exception& e) {
            // Cut for good, over their cap, an answer the download refuses:
            // the archive may still come. Not when the user cancelled.
            if (d_.CancelarPedido) throw;
            Anotar("Diferencias " + nombre + " no descargadas (" + e.what() + "): se descarga " +
                   d_.ArchivoPrincipal);
        }
    }
    DescargarArchivo(d_.UrlBaseProgramas, d_.ArchivoPrincipal, d_.TextoProgramaMayusculas());
}

// The archives of a local run come from a folder the user filled: each is
// checked as a download would be, before anything of the installation is
// touched.
bool TEjecucion::ComprobarFirmasLocales() {
    try {
        for (int p = peMotor; p <= pePrograma; ++p) {
            const std::string ruta = DirDescargas() + ArchivoDelPaso(static_cast<TPasoExtraccion>(p));
            if (!e_.ficheros.FicheroExiste(ruta)) continue;
            e_.extraccion.RetenerArchivo(ruta);
            e_.servidor.ComprobarFirma(ruta, p == pePrograma ? CarpetaPublicada::Programas : CarpetaPublicada::Externos);
        }
    } catch (const Exception& e) {
        Terminar(FinDeError(e, TFinEjecucion::Error));
        Mensaje(e.what(), TipoMensaje::Error, BotonesMensaje::Ok);
        return false;
    }
    return true;
}

// The record the run's versions come from is checked before any archive is
// fetched for it. Here, unlike at start-up, a server that cannot be reached
// is what it is for the archives: a failed download.
void TEjecucion::ComprobarRegistroPendiente() {
    if (d_.RegistroPorComprobar.empty()) return;
    v_.FijarPosicionBarra(0);
    v_.FijarTituloProgreso(" COMPROBANDO " + d_.NombreFicheroCliente + " ");
    try {
        e_.servidor.ComprobarFirmaPublicada(d_.RegistroPorComprobar,
                                            e_.ficheros.CarpetaFicheroCliente() + d_.NombreFicheroCliente);
    } catch (const std::exception& e) {
        Anotar("Comprobación fallida de " + d_.RegistroPorComprobar + ": " + e.what());
        throw;
    }
    Anotar("Comprobado " + d_.RegistroPorComprobar + " con su firma publicada");
    d_.RegistroPorComprobar.clear();
}

void TEjecucion::DescargarArchivo(const std::string& base, const std::string& nombre, const std::string& etiqueta) {
    v_.FijarPosicionBarra(0);
    v_.FijarTituloProgreso(" DESCARGANDO " + etiqueta + " ");
    const std::string carpeta = DirDescargas();
    const uint32_t inicio = e_.proceso.TickCount();
    try {
        e_.servidor.DescargarFichero(base, nombre, carpeta,
                            [this](uint32_t p, uint32_t m, bool& cancelar) { ProgresoDescarga(p, m, cancelar); });
    } catch (const std::exception& e) {
        Anotar("Descarga fallida de " + base + nombre + ": " + e.what());
        throw;
    }
    const std::string ruta = ConBarraFinal(carpeta) + nombre;
    if (d_.ListaDescargas) d_.ListaDescargas->insert(ruta);
    // Held from just after the download checked its signature (in a folder
    // only this user may write to) until the run ends.
    e_.extraccion.RetenerArchivo(ruta);
    Anotar("Descargado " + base + nombre + ": " + std::to_string(e_.ficheros.TamanoFichero(ruta)) + " bytes en " +
           Segundos(e_.proceso.TickCount() - inicio));
}

void TEjecucion::ProgresoDescarga(uint32_t progreso, uint32_t maximo, bool& cancelar) {
    if (maximo > 0 && static_cast<int64_t>(v_.PosicionBarra()) < static_cast<int64_t>(maximo)) {
        const int max = static_cast<int>(maximo);
        if (v_.MaximoBarra() != max) {
            v_.FijarMaximoBarra(max);
            e_.proceso.BarraTareas(EstadoBarraTareas::Normal);
            e_.proceso.ProgresoBarraTareas(v_.PosicionBarra(), v_.MaximoBarra());
        }
        // The labels move in steps of 100000 bytes, not on every report.
        if (static_cast<int64_t>(progreso) >= static_cast<int64_t>(v_.PosicionBarra()) + 100000) {
            v_.FijarDescargado(progreso, maximo);
            v_.FijarPosicionBarra(static_cast<int>(progreso));
            e_.proceso.ProgresoBarraTareas(v_.PosicionBarra(), v_.MaximoBarra());
        }
        e_.proceso.ProcesarMensajes();
    }
    cancelar = d_.CancelarPedido;
}
