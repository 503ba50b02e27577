#include "Ejecucion.h"

#include <map>
#include <set>

#include "Exception.h"
#include "FirmaFicheros.h"
#include "FormatoTexto.h"
#include "PoliticaFirmas.h"
#include "Registro.h"
#include "Rutas.h"
#include "CustExtractor.h"
#include "ReglasInstalador.h"
#include "platform/Platform.h"

namespace {

const char* kNoSeEncuentra = "No se encuentra el Fichero:\n\r";

std::string ReemplazarSinMayusculas(const std::string& texto, const std::string& buscado,
                                    const std::string& nuevo) {
    if (buscado.empty()) return texto;
    const std::string t = Minusculas(texto), b = Minusculas(buscado);
    std::string r;
    size_t desde = 0;
    for (size_t p = t.find(b); p != std::string::npos; p = t.find(b, desde)) {
        r += texto.substr(desde, p - desde) + nuevo;
        desde = p + b.size();
    }
    return r + texto.substr(desde);
}

const char* NombreRespuesta(int respuesta) {
    switch (respuesta) {
    case mrOk: return "Vale";
    case mrCancel: return "Cancelar";
    case mrYes: return "Sí";
    case mrNo: return "No";
    }
    return "ninguna";
}

// Sizes for the user, rounded up: never less than what is needed.
std::string Tamano(int64_t bytes) {
    if (bytes < 10240) return std::to_string(bytes) + " bytes";
    if (bytes < 10485760) return std::to_string((bytes + 1023) / 1024) + " KB";
    const int64_t decimas = (bytes * 10 + 1048575) / 1048576;
    return std::to_string(decimas / 10) + "," + std::to_string(decimas % 10) + " MB";
}

// "C:" of a drive path, "\\servidor\recurso" of a network path.
std::string Unidad(const std::string& ruta) {
    if (ruta.size() >= 2 && ruta[1] == ':') return ruta.substr(0, 2);
    if (ruta.rfind("\\\\", 0) == 0) {
        const size_t servidor = ruta.find('\\', 2);
        const size_t recurso = servidor == std::string::npos ? servidor : ruta.find('\\', servidor + 1);
        return ruta.substr(0, recurso);
    }
    return ruta;
}

std::string Segundos(uint32_t milisegundos) {
    return std::to_string(milisegundos / 1000) + "," + FormatoCerosFijo(milisegundos % 1000, 3) + " s";
}

// The end an error stands for: its own when it names one, a refused
// signature as such, otherwise `otro`.
TFinEjecucion FinDeError(const std::exception& e, TFinEjecucion otro) {
    if (auto* f = dynamic_cast<const EFinEjecucion*>(&e)) return f->Fin();
    if (dynamic_cast<const firma::EFirmaRechazada*>(&e)) return TFinEjecucion::FirmaRechazada;
    return otro;
}

// Runs a step whose errors the run ignores on purpose.
template <typename F>
void SinErrores(F&& paso) {
    try {
        paso();
    } catch (...) {
    }
}

}  // namespace

std::string PalabraMotor(TTipoMotor tipo) {
    switch (tipo) {
    case tmPsql12: return "PSQL";
    case tmBtrieve12: return "BTRIEVE12";
    case tmBtrieve6: return "BTRIEVE6";
    }
    return "PSQL";
}

bool ReglaAceptarFichero(TEfectos& efectos, const std::string& dirDatos, uint8_t tipo, const std::string& nombre,
                         double fecha, std::string& carpeta) {
    switch (tipo) {
    case 1:
        return true;
    case 8: {
        // Only an older copy is replaced.
        std::optional<double> actual = efectos.FechaFichero(ConBarraFinal(carpeta) + nombre);
        return !actual || FechaAnterior(*actual, fecha);
    }
    case 9:
        carpeta = dirDatos;
        return !efectos.FicheroExiste(ConBarraFinal(dirDatos) + nombre);
    default:
        return !efectos.FicheroExiste(ConBarraFinal(carpeta) + nombre);
    }
}

void TEjecucion::Recuperar(const std::string& carpetaPrograma) {
    if (e_.BuscarDiarios(carpetaPrograma).empty()) return;
    const TCarpetasInstalacion carpetas = v_.CarpetasInstalacion();
    // Under the lock, as a run: another updater at work on this installation
    // keeps its journal and its files, and two never walk one back at once.
    try {
        e_.BloquearCarpeta(carpetas.bloqueo);
    } catch (const std::exception& error) {
        Anotar(std::string("Actualización interrumpida sin recuperar, la instalación está bloqueada: ") + error.what());
        return;
    }
    try {
        for (const std::string& diario : e_.BuscarDiarios(carpetaPrograma)) {
            Anotar("Actualización interrumpida encontrada: " + diario);
            std::string motivo;
            switch (TCopiaSeguridad::DeshacerDiario(e_, diario, carpetas.permitidas, d_.ProgramaPropio, motivo)) {
            case ResultadoDeshacer::Restaurada:
                Mensaje("La última " + d_.TextoOperacion() + " no terminó.\r\n\r\nSe ha restaurado la instalación "
                        "tal como estaba antes. Ya puedes actualizar de nuevo.",
                        TipoMensaje::Informacion, BotonesMensaje::Ok);
                break;
            case ResultadoDeshacer::Incompleta:
                Mensaje("La última " + d_.TextoOperacion() + " no terminó y no se han podido restaurar todos los "
                        "ficheros.\r\n\r\nLa copia de seguridad se conserva en:\r\n\r\n" +
                            QuitarBarraFinal(CarpetaDe(diario)),
                        TipoMensaje::Error, BotonesMensaje::Ok);
                break;
            case ResultadoDeshacer::Rechazada:
                Mensaje("Se ha encontrado un diario de actualización que no se ha seguido:\r\n\r\n" + diario +
                            "\r\n\r\n" + motivo +
                            ".\r\n\r\nNo se ha cambiado ningún fichero; el diario se conserva para el servicio "
                            "técnico.",
                        TipoMensaje::Error, BotonesMensaje::Ok);
                break;
            case ResultadoDeshacer::Ocupada:
                break;
            }
        }
    } catch (...) {
        SinErrores([&] { e_.Bloquear(false); });
        throw;
    }
    e_.Bloquear(false);
}

std::string TEjecucion::DirDescargas() { return d_.ModoLocal ? d_.DirEjecutable : e_.CarpetaDescargas(); }

// --- the run --------------------------------------------------------------------

void TEjecucion::Instalar() {
    if (d_.PaginaActual == pgMotor) {
        v_.LanzarInstaladorMotor();
        return;
    }
    d_.Fin = TFinEjecucion::EnCurso;
    if (d_.ModoActualizacion || !d_.ModoLocal)
        d_.DirEjecutable = ConBarraFinal(v_.TextoDirPrograma()) + d_.SubdirPrograma();
    v_.AntesDeInstalar();
    if (d_.ModoActualizacion) {
        const std::string programa = v_.RutaProgramaEjecutar();
        if (!e_.FicheroExiste(programa)) {
            Terminar(TFinEjecucion::Error);
            Mensaje(kNoSeEncuentra + programa, TipoMensaje::Error, BotonesMensaje::Ok);
            Abort();
        }
        if (!SinRetroceso()) Abort();
    }
    if (!d_.DescargarExternos || d_.ModoLocal) {
        d_.HayExternos = e_.DirectorioExiste(ConBarraFinal(v_.TextoDirPrograma()) + "Externos");
        if (d_.HayExternos && d_.ModoLocal) d_.DescargarExternos = false;
    }
    v_.FijarDirInstalar(v_.TextoDirPrograma());
    Anotar("Inicio de la " + d_.TextoOperacion() + " en " + d_.DirEjecutable + (d_.ModoLocal ? " (modo local)" : ""));
    // A backup of an earlier run in this process is not this run's.
    d_.DirCopias.clear();
    copiasPorHacer_.clear();
    reconstruido_.clear();
    entradasReconstruido_.clear();
    copia_.Olvidar();
    try {
        e_.Bloquear(true);
    } catch (const std::exception& e) {
        Terminar(FinDeError(e, TFinEjecucion::Error));
        throw;
    }
    bool completada = false;
    try {
        if (Descargar()) {
            d_.Resultado = rsNinguno;
            if (!Extraer()) {
                v_.PaginaInstalando();  // the last status stays visible
            } else {
                // From here on the update stands: a newer updater started by
                // Completar must find nothing to undo.
                copia_.Confirmar();
                // Named before the closing steps: the engine's installer they
                // may start can still fail the run.
                Terminar(TFinEjecucion::Correcta);
                Completar();
                completada = true;
            }
        }
    } catch (const std::exception& e) {
        if (d_.Fin == TFinEjecucion::EnCurso || d_.Fin == TFinEjecucion::Correcta)
            d_.Fin = FinDeError(e, TFinEjecucion::Error);
        // The run's own error is the one the user must see.
        SinErrores([&] { Limpiar(); });
        Anotar("Fin: " + d_.TextoOperacion() +
               (dynamic_cast<const EAbort*>(&e) ? " interrumpida" : std::string(" fallida: ") + e.what()));
        throw;
    } catch (...) {
        d_.Fin = TFinEjecucion::Error;
        SinErrores([&] { Limpiar(); });
        throw;
    }
    // Every way of not finishing names its end where it happens; this is
    // only the backstop.
    Terminar(d_.CancelarPedido && d_.Resultado != rsError ? TFinEjecucion::Cancelada : TFinEjecucion::Error);
    Limpiar();
    Anotar("Fin: " + d_.TextoOperacion() + (completada ? " Correcta" : " sin completar"));
}

// Never backwards, decided before anything is downloaded: an older release
// (replayed by a hostile network, a stale mirror or a proxy's cache) would
// write its older files over the installed ones. A local run is checked
// against the installed file itself once its archive is read.
bool TEjecucion::SinRetroceso() {
    if (d_.ModoLocal) return true;
    const TypeVersion instalada = d_.VersionesInstaladas.VersionFichero(99);
    const TypeVersion ofrecida = d_.DatosWeb.VersionFichero(99);
    if (ofrecida.MayorMenor() >= instalada.MayorMenor()) return true;
    const std::string versiones = "(instalada " + firma::TextoVersionFirma(instalada.MayorMenor()) + ", ofrecida " +
                                  firma::TextoVersionFirma(ofrecida.MayorMenor()) + ")";
    if (d_.PermitirRetroceso) {
        Anotar("Retroceso deliberado a una versión anterior, pedido con /RETROCEDER " + versiones);
        return true;
    }
    Terminar(TFinEjecucion::VersionMasNueva);
    Mensaje("La Versión Instalada es Mayor que la que ofrece el servidor " + versiones +
                ".\r\n\r\nNo se instala una versión anterior. " + d_.TextoOperacion() +
                " Cancelada. No se ha modificado ningún fichero.",
            TipoMensaje::Error, BotonesMensaje::Ok);
    return false;
}

// Never backwards for the updater either: one older than the running copy
// would be written over it, and the next update would run the older one.
void TEjecucion::ComprobarActualizador(const std::string& archivo, const kav::TFileEntry& entrada) {
    const TypeVersion propia = e_.VersionFichero(d_.ProgramaPropio, false);
    const TypeVersion traida = e_.VersionEnArchivo(archivo, entrada);
    if (traida.MayorMenor() >= propia.MayorMenor()) return;
    const std::string versiones = "(" + firma::TextoVersionFirma(traida.MayorMenor()) + " en el archivo, " +
                                  firma::TextoVersionFirma(propia.MayorMenor()) + " en ejecución)";
    if (d_.PermitirRetroceso) {
        Anotar("Retroceso deliberado del Actualizador, pedido con /RETROCEDER " + versiones);
        return;
    }
    throw EFinEjecucion(TFinEjecucion::VersionMasNueva,
                        "El Actualizador del archivo " + archivo + " es más antiguo que el que se está ejecutando " +
                            versiones + ".\r\n\r\n" + d_.TextoOperacion() +
                            " Cancelada. No se ha modificado ningún fichero.");
}

// The newest signed release the run could get tells whether the network
// keeps this office on an old one: the log says so, and an unattended run
// tells its script through its exit code.
void TEjecucion::VigilarCongelacion() {
    const firma::TPolitica& p = firma::Politica();
    if (!firma::PosibleCongelacion(p, e_.Ahora())) return;
    d_.PosibleCongelacion = true;
    Anotar("Posible congelación: la firma más reciente que da el servidor es del " + firma::TextoFecha(p.fechaMasNueva) +
           ", más de " + std::to_string(firma::SegundosCongelacion() / 86400) + " días antes de hoy");
}

void TEjecucion::Terminar(TFinEjecucion fin) {
    if (d_.Fin == TFinEjecucion::EnCurso) d_.Fin = fin;
}

int TEjecucion::Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones) {
    Anotar("Mensaje: " + texto);
    const int respuesta = e_.Mensaje(texto, tipo, botones);
    if (botones != BotonesMensaje::Ok) Anotar(std::string("Respuesta: ") + NombreRespuesta(respuesta));
    return respuesta;
}

void TEjecucion::MensajePlano(const std::string& texto) {
    Anotar("Mensaje: " + texto);
    e_.MensajePlano(texto);
}

void TEjecucion::Completar() {
    e_.BarraTareas(EstadoBarraTareas::Ninguno);
    const std::string version = v_.VersionInformada();
    const std::string ini = v_.IniPrograma();
    // The report, the relaunch and the settings keys are independent: a
    // server that does not take the report must not keep a newer updater
    // from starting or leave the keys unwritten.
    SinErrores([&] {
        if (d_.ModoActualizacion)
            e_.AvisarServidor(e_.Servidor() +
                              RutaInformeActualizacion(d_.NombreFicheroCliente, d_.CodigoCliente, version));
        else
            e_.AvisarServidor(e_.Servidor() + RutaInformeInstalacion(d_.CodigoCliente, version));
    });
    if (d_.ModoActualizacion) SinErrores([&] { d_.Relanzado = v_.RelanzarActualizador(); });
    SinErrores([&] {
        if (d_.Resultado == rsNinguno && v_.ComprobarActualizaciones())
            e_.EscribirIni(ini, "ACTUALIZACION", "COMPROBAR", "0");
        e_.EscribirIni(ini, "ACTUALIZACION", "ULTIMA_BETA",
                       d_.ArchivoPrincipal == v_.FicheroBeta() ? e_.FechaHoraActual() : "0");
    });
    // The updater started later without arguments finds its customer here.
    if (!d_.ModoActualizacion) SinErrores([&] { v_.RegistrarCodigoCliente(d_.CodigoCliente); });
    v_.TrasInstalar();
    if (!d_.ModoActualizacion && !d_.HayExternos && (d_.TipoMotor == tmPsql12 || d_.TipoMotor == tmBtrieve12)) {
        v_.OfrecerMotor();
        return;
    }
    d_.Estado = esTerminado;
    v_.MostrarPagina(pgPrograma, true);
    if (d_.ModoActualizacion) {
        OfrecerAbrirPrograma();
    } else {
        Mensaje(d_.TextoOperacion() + " Correcta", TipoMensaje::Informacion, BotonesMensaje::Ok);
        v_.DeshabilitarInstalar();
    }
}

void TEjecucion::OfrecerAbrirPrograma() {
    if (Mensaje(d_.TextoOperacion() + " Correcta\n\r\n\r" + v_.PreguntaFinal(), TipoMensaje::Informacion,
                BotonesMensaje::SiNo) != mrYes) {
        v_.CerrarVentana();  // no question: the run has finished
        return;
    }
    // The program where the run put it: a local first installation keeps
    // DirEjecutable at the installer's own folder, which holds only archives.
    const std::string programa = v_.RutaProgramaInstalado();
    if (!e_.IniciarPrograma(programa)) Anotar("No se pudo iniciar " + programa);
    e_.TerminarAplicacion();
}

void TEjecucion::Limpiar() {
    e_.SoltarArchivos();
    if (copia_.Activa() && !copia_.Deshacer()) {
        // What could not be put back is still only in the backup.
        Mensaje("No se han podido restaurar todos los ficheros reemplazados.\r\n\r\n"
                "La copia de seguridad se conserva en:\r\n\r\n" + copia_.Carpeta(),
                TipoMensaje::Error, BotonesMensaje::Ok);
    }
    if (d_.ModoActualizacion && d_.ModoLocal && !d_.Relanzado) {
        // Their signatures go with them: left behind, they would be taken
        // for a release waiting beside the updater. A newer updater started
        // by this run updates from them next, and deletes them then.
        for (const std::string& nombre : {d_.ArchivoPrincipal, d_.NombreFicheroCliente}) {
            e_.BorrarFichero(d_.DirEjecutable + nombre, false);
            e_.BorrarFichero(d_.DirEjecutable + nombre + firma::kExtensionFirma, false);
        }
    }
    e_.Bloquear(false);
    e_.BarraTareas(EstadoBarraTareas::Ninguno);
}

// --- downloads --------------------------------------------------------------------

bool TEjecucion::Descargar() {
    if (d_.ModoLocal) {
        // Busy from here, as a download would be: a close asked for in a
        // pump before the extraction must cancel the run, not close the
        // window under it.
        d_.CancelarPedido = false;
        d_.Resultado = rsNinguno;
        d_.Estado = esDescargando;
        if (ComprobarFirmasLocales()) return true;
        v_.PaginaEnReposo(true);
        return false;
    }
    if (!e_.HayConexionInternet()) {
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
    e_.ProcesarMensajes();
    bool resultado = false;
    auto reposo = [&] { v_.PaginaEnReposo(d_.CancelarPedido); };
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
            e_.ProcesarMensajes();
            VigilarCongelacion();
            if (!d_.CancelarPedido) {
                v_.TrasDescargar();
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
            if (e_.FicheroExiste(parcial)) e_.BorrarFichero(parcial, true);
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

// The differences' name when this run could use them: an update from the
// server (not local, not a beta) to a later release than the installed one.
std::string TEjecucion::DiferenciasAplicables() {
    if (!d_.ModoActualizacion || d_.ModoLocal || d_.ArchivoPrincipal == v_.FicheroBeta()) return {};
    const TypeVersion desde = d_.VersionesInstaladas.VersionFichero(99);
    const TypeVersion hasta = d_.DatosWeb.VersionFichero(99);
    if (desde.EsCero() || desde.MayorMenor() >= hasta.MayorMenor()) return {};
    return diferencias::NombreDiferencias(v_.CodigoProducto(), desde.Major, desde.Minor, hasta.Major, hasta.Minor);
}

// Rebuilds, beside the downloads, the archive the update extracts: every
// patched file from its installed copy, checked against the manifest before
// anything of the installation changes. False, with the reason in the log,
// when they cannot be used.
bool TEjecucion::PrepararDiferencias(const std::string& nombre) {
    const std::string ruta = DirDescargas() + nombre;
    e_.FijarDestinoExtraccion(v_.DirPrograma());
    auto instalado = [&](const std::string& guardado) -> std::optional<std::string> {
        const std::string carpeta = CarpetaDestino(kav::EntryDestinationFolder(guardado, e_.DestinoExtraccion(), true));
        const std::string fichero = ConBarraFinal(carpeta) + NombreDe(guardado);
        if (!e_.FicheroExiste(fichero)) return std::nullopt;
        return e_.LeerFichero(fichero);
    };
    try {
        v_.FijarDeRuta("Comprobando: ", ruta);
        e_.ProcesarMensajes();
        const std::vector<diferencias::TEntradaLeida> entradas = e_.LeerArchivo(ruta);
        diferencias::TArchivoReconstruido archivo = diferencias::ConstruirArchivo(entradas, instalado);
        const std::string reconstruido = NombreDe(nombre).substr(0, NombreDe(nombre).rfind('.')) + "_ARCHIVO.KAV";
        // Listed first: a write that fails halfway leaves nothing behind.
        if (d_.ListaDescargas) d_.ListaDescargas->insert(DirDescargas() + reconstruido);
        e_.EscribirFichero(DirDescargas() + reconstruido, archivo.bytes);
        reconstruido_ = reconstruido;
        entradasReconstruido_ = std::move(archivo.entradas);
        Anotar("Diferencias " + nombre + " aplicadas: " + std::to_string(entradas.size() - 1) + " ficheros en " +
               DirDescargas() + reconstruido);
        return true;
    } catch (const std::exception& e) {
        Anotar("Diferencias " + nombre + " no aplicables (" + e.what() + "): se descarga " + d_.ArchivoPrincipal);
        return false;
    }
}

// The archives of a local run come from a folder the user filled: each is
// checked as a download would be, before anything of the installation is
// touched.
bool TEjecucion::ComprobarFirmasLocales() {
    try {
        for (int p = peMotor; p <= pePrograma; ++p) {
            const std::string ruta = DirDescargas() + ArchivoDelPaso(static_cast<TPasoExtraccion>(p));
            if (!e_.FicheroExiste(ruta)) continue;
            e_.RetenerArchivo(ruta);
            e_.ComprobarFirma(ruta);
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
        e_.ComprobarFirmaPublicada(d_.RegistroPorComprobar, e_.CarpetaFicheroCliente() + d_.NombreFicheroCliente);
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
    const uint32_t inicio = kav::os::TickCount();
    try {
        e_.DescargarFichero(base, nombre, carpeta,
                            [this](uint32_t p, uint32_t m, bool& cancelar) { ProgresoDescarga(p, m, cancelar); });
    } catch (const std::exception& e) {
        Anotar("Descarga fallida de " + base + nombre + ": " + e.what());
        throw;
    }
    const std::string ruta = ConBarraFinal(carpeta) + nombre;
    if (d_.ListaDescargas) d_.ListaDescargas->insert(ruta);
    // Held from just after the download checked its signature (in a folder
    // only this user may write to) until the run ends.
    e_.RetenerArchivo(ruta);
    Anotar("Descargado " + base + nombre + ": " + std::to_string(e_.TamanoFichero(ruta)) + " bytes en " +
           Segundos(kav::os::TickCount() - inicio));
}

void TEjecucion::ProgresoDescarga(uint32_t progreso, uint32_t maximo, bool& cancelar) {
    if (maximo > 0 && static_cast<int64_t>(v_.PosicionBarra()) < static_cast<int64_t>(maximo)) {
        const int max = static_cast<int>(maximo);
        if (v_.MaximoBarra() != max) {
            v_.FijarMaximoBarra(max);
            e_.BarraTareas(EstadoBarraTareas::Normal);
            e_.ProgresoBarraTareas(v_.PosicionBarra(), v_.MaximoBarra());
        }
        // The labels move in steps of 100000 bytes, not on every report.
        if (static_cast<int64_t>(progreso) >= static_cast<int64_t>(v_.PosicionBarra()) + 100000) {
            v_.FijarDescargado(progreso, maximo);
            v_.FijarPosicionBarra(static_cast<int>(progreso));
            e_.ProgresoBarraTareas(v_.PosicionBarra(), v_.MaximoBarra());
        }
        e_.ProcesarMensajes();
    }
    cancelar = d_.CancelarPedido;
}

void TEjecucion::Cancelar() {
    if (d_.Estado >= esDescargando) {
        if (Mensaje("Cancelar " + d_.TextoOperacion(), TipoMensaje::Confirmacion, BotonesMensaje::OkCancelar) ==
            mrOk) {
            d_.CancelarPedido = true;
            // Between two archives too: the next one must not start.
            if (d_.Estado == esExtrayendo || d_.Estado == esExtraccionTerminada) {
                e_.AbortarExtraccion();
                d_.Resultado = rsCancelado;
            }
        }
        return;
    }
    v_.CerrarVentana();
}

// --- extraction -------------------------------------------------------------------

bool TEjecucion::Extraer() {
    bool resultado = false;
    v_.PaginaInstalando();
    e_.ProcesarMensajes();
    v_.HabilitarCancelar(false);
    auto alTerminar = [&] {
        v_.HabilitarCancelar(true);
        v_.MostrarCopiar();
        v_.PaginaEnReposo(d_.CancelarPedido);
    };
    try {
        try {
            resultado = ExtraerPasos();
        } catch (...) {
            d_.CancelarPedido = true;
            d_.Resultado = rsError;
            SinErrores([&] { e_.CerrarArchivo(); });
            throw;
        }
    } catch (...) {
        alTerminar();
        throw;
    }
    alTerminar();
    return resultado;
}

void TEjecucion::ComprobarInstalado(int& primerPaso) {
    const std::string instalado = v_.RutaProgramaInstalado();
    if (!e_.FicheroExiste(instalado)) {
        if (d_.ModoActualizacion) {
            Terminar(TFinEjecucion::Error);
            Mensaje(kNoSeEncuentra + instalado, TipoMensaje::Error, BotonesMensaje::Ok);
            Abort();
        }
        if (d_.HayExternos) primerPaso = pePrograma;
        return;
    }
    if (!d_.ModoActualizacion) {
        if (d_.HayExternos) primerPaso = pePrograma;
        return;
    }
    primerPaso = pePrograma;
    if (e_.FicheroSoloLectura(instalado))
        throw Exception("El Fichero " + instalado + "\r\n\r\nes de Sólo Lectura. " + d_.TextoOperacion() +
                        " Cancelada");
    if (e_.FicheroEnUso(instalado))
        throw EFinEjecucion(TFinEjecucion::FicheroEnUso,
                            "El Fichero " + instalado + "\r\n\r\nestá en Uso. " + d_.TextoOperacion() + " Cancelada");
    const TypeVersion v = e_.VersionFichero(instalado, true);
    const uint32_t registrado = v_.CodigoClienteRegistrado();
    d_.CodigoCliente = registrado != 0 ? registrado : d_.DatosWeb.CodigoCliente();
    if (d_.ModoLocal && v.MayorMenor() > d_.DatosWeb.VersionFichero(99).MayorMenor() && !d_.PermitirRetroceso) {
        Terminar(TFinEjecucion::VersionMasNueva);
        Mensaje("La Versión Instalada es Mayor que la Version de la WEB, asegurate que te has descargado los dos "
                   "ficheros para la instalacion local.",
                   TipoMensaje::Error, BotonesMensaje::Ok);
        Abort();
    }
    const TypeVersion inicial = d_.VersionesInstaladas.VersionFichero(99);
    if (v.MayorMenor() > inicial.MayorMenor() &&
        Mensaje("La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar?", TipoMensaje::Aviso,
                   BotonesMensaje::OkCancelar) != mrOk) {
        Terminar(TFinEjecucion::VersionMasNueva);
        Abort();
    }
    // Set only when the run starts changing things: until then the clean-up
    // must not take this folder for this run's backup.
    copiasPorHacer_ = CarpetaDe(instalado) + FormatoCerosFijo(inicial.Major, 2) + "." + FormatoCerosFijo(inicial.Minor, 2);
}

// The first changes of an update, made only once every check has passed.
void TEjecucion::PrepararCopias() {
    if (copiasPorHacer_.empty()) return;
    d_.DirCopias = std::exchange(copiasPorHacer_, std::string());
    // A journal there is an update that could not be undone: its backup
    // holds the only copy of files, and stays.
    if (e_.FicheroExiste(ConBarraFinal(d_.DirCopias) + kFicheroDiario))
        throw Exception("Una actualización anterior no se pudo deshacer y su copia de seguridad sigue en:\r\n\r\n" +
                        d_.DirCopias + "\r\n\r\n" + d_.TextoOperacion() + " Cancelada");
    // A folder of that name that leads elsewhere is not emptied: what it
    // leads to is not the installation's.
    if (e_.PuntoDeReparse(QuitarBarraFinal(d_.DirCopias)))
        throw Exception(QuitarBarraFinal(d_.DirCopias) + " es un enlace a otro lugar. " + d_.TextoOperacion() +
                        " Cancelada");
    // Without one, the folder is what a finished update left behind.
    if (e_.DirectorioExiste(d_.DirCopias)) e_.BorrarDirectorio(d_.DirCopias);
    copia_.Iniciar(d_.DirCopias, CarpetaDe(v_.RutaProgramaInstalado()), e_.DestinoExtraccion(), d_.ProgramaPropio,
                   v_.CarpetasInstalacion().permitidas);
    const std::string ini = v_.IniPrograma();
    copia_.AntesDeModificar(ini);
    e_.EscribirIni(ini, "ACTUALIZACION", "ACTUALIZAR", "1");
}

// A file that cannot go stays: the program does not use it, and an update
// is no reason to fail for it.
void TEjecucion::RetirarObsoletos() {
    for (const std::string& ruta : v_.FicherosObsoletos()) {
        if (!e_.FicheroExiste(ruta)) continue;
        SinErrores([&] {
            if (copia_.Activa())
                copia_.Retirar(ruta);
            else
                e_.BorrarFichero(ruta, true);
            Anotar("Retirado el fichero obsoleto " + ruta);
        });
    }
}

// A damaged or cut download must be found before the first file changes,
// not halfway through the extraction.
void TEjecucion::ComprobarArchivos(int primerPaso) {
    entradas_.clear();
    for (int p = primerPaso; p <= pePrograma; ++p) {
        const std::string archivo = ArchivoDelPaso(static_cast<TPasoExtraccion>(p));
        const std::string ruta = DirDescargas() + archivo;
        if (!e_.FicheroExiste(ruta)) continue;  // the extraction loop says what follows
        e_.RetenerArchivo(ruta);
        v_.FijarDeRuta("Comprobando: ", ruta);
        e_.ProcesarMensajes();
        if (d_.CancelarPedido) return;
        std::vector<kav::TFileEntry> entradas;
        try {
            // The archive rebuilt from the differences was made a moment ago
            // from results whose digests were checked: reading it whole again
            // would repeat that check (the extraction still checks every block).
            // Otherwise as long as an extraction: the window shows how far it
            // is and stays alive, and a cancel confirmed meanwhile stops the
            // reading.
            entradas = archivo == reconstruido_ ? entradasReconstruido_
                                                : e_.ComprobarArchivo(ruta, [this](int porcentaje, bool& cancelar) {
                                                      ProgresoFichero(porcentaje);
                                                      e_.ProcesarMensajes();
                                                      cancelar = d_.CancelarPedido;
                                                  });
        } catch (const EAbort&) {
            if (d_.CancelarPedido) return;
            throw;
        } catch (const std::exception& e) {
            Anotar("Archivo dañado: " + ruta + ": " + e.what());
            throw EFinEjecucion(TFinEjecucion::ArchivoDanado,
                                "El archivo " + ruta + "\r\n\r\nestá dañado o incompleto:\r\n\r\n" + e.what() +
                                    "\r\n\r\n" + d_.TextoOperacion() +
                                    " Cancelada. No se ha modificado ningún fichero.");
        }
        int64_t bytes = 0;
        for (const kav::TFileEntry& entrada : entradas) {
            bytes += entrada.Size;
            if (entrada.FileType == kTipoActualizador) ComprobarActualizador(ruta, entrada);
        }
        entradas_.insert(entradas_.end(), entradas.begin(), entradas.end());
        Anotar("Archivo comprobado: " + ruta + ", " + std::to_string(entradas.size()) + " entradas, " +
               std::to_string(bytes) + " bytes");
    }
}

std::string TEjecucion::ArchivoDelPaso(TPasoExtraccion paso) {
    switch (paso) {
    case peMotor: return PalabraMotor(d_.TipoMotor) + ".KAV";
    case peSoporte: return "SOPORTE.KAV";
    default: return reconstruido_.empty() ? d_.ArchivoPrincipal : reconstruido_;
    }
}

bool TEjecucion::ExtraerPasos() {
    bool resultado = false;
    e_.FijarDestinoExtraccion(v_.DirPrograma());
    int primerPaso = peMotor;
    ComprobarInstalado(primerPaso);
    v_.LeerRutasDatos();  // the data folder is a destination the check must know
    ComprobarArchivos(primerPaso);
    // A cancel confirmed while the archives were read stops the run before
    // the first file changes.
    if (d_.CancelarPedido) {
        d_.Resultado = rsCancelado;
        Terminar(TFinEjecucion::Cancelada);
        return false;
    }
    ComprobarDestino();
    if (d_.ModoActualizacion) AvisarCarpetaDeTodos();
    else ProtegerCarpetaPrograma();
    PrepararCopias();
    for (int p = primerPaso; p <= pePrograma; ++p) {
        const auto paso = static_cast<TPasoExtraccion>(p);
        // Extracting again before each archive: the end of the previous one
        // left "extraction run ended", where a cancel stopped nothing.
        d_.Estado = esExtrayendo;
        d_.PasoExtraccion = paso;
        const std::string archivo = ArchivoDelPaso(paso);
        const std::string ruta = DirDescargas() + archivo;
        if (!e_.FicheroExiste(ruta)) {
            if (paso == peMotor)
                Mensaje(std::string(kNoSeEncuentra) + "\n\r" + archivo, TipoMensaje::Informacion,
                           BotonesMensaje::Ok);
            if (paso != pePrograma) continue;
            Mensaje(std::string(kNoSeEncuentra) + "\n\r" + archivo + "\n\r\n\rSe procederá a la cancelación de la "
                                                                        "instalación",
                       TipoMensaje::Error, BotonesMensaje::Ok);
            d_.CancelarPedido = true;
            d_.Resultado = rsError;
            Terminar(TFinEjecucion::Error);
            e_.TerminarAplicacion();
            return false;
        }
        e_.FijarDestinoExtraccion(v_.DirPrograma());
        v_.FijarDirInstalar(e_.DestinoExtraccion());
        v_.FijarDeRuta("Extrayendo de: ", ruta);
        e_.ProcesarMensajes();
        v_.AntesDeExtraer();
        // The engine forgets an abort asked for before it starts: a cancel
        // confirmed between archives stops the run here.
        int32_t codigo = -1;
        if (!d_.CancelarPedido) {
            Anotar("Extrayendo " + ruta + " en " + e_.DestinoExtraccion());
            codigo = e_.ExtraerArchivo(ruta);
            Anotar("Extracción de " + archivo + " terminada con el código " + std::to_string(codigo));
        }
        // A cancel confirmed during the archive's last progress report came
        // too late for the engine, which ends with 1: the user's word wins.
        if (codigo != -1 && d_.CancelarPedido) {
            SinErrores([&] { e_.CerrarArchivo(); });
            codigo = -1;
        }
        if (codigo == -1) {
            // -1 is the engine's own error or the abort a confirmed cancel
            // asked for.
            Terminar(d_.CancelarPedido ? TFinEjecucion::Cancelada : TFinEjecucion::Error);
            d_.CancelarPedido = true;
            d_.Resultado = rsError;
            Mensaje(d_.TextoOperacion() + " Incorrecta", TipoMensaje::Informacion, BotonesMensaje::Ok);
            v_.MostrarCopiar();
            return false;
        }
        if (codigo == 1) {
            e_.CerrarArchivo();
            copia_.ColocarPrograma();
            v_.TrasExtraer();
            RetirarObsoletos();
            if (paso == pePrograma) {
                if (!d_.ModoActualizacion && !d_.HayExternos) {
                    if (!e_.DirectorioExiste(d_.DirDatos)) e_.CrearCarpeta(d_.DirDatos);
                    v_.CrearAccesos();
                }
                resultado = true;
            }
        }
    }
    return resultado;
}

// The program folder of a first installation: only administrators and
// SYSTEM may change the programs an elevated updater will later run.
// Inherited from C:\, it would let every user replace them. A drive or a
// share that keeps no access lists cannot refuse anyone: the run goes on.
void TEjecucion::ProtegerCarpetaPrograma() {
    const std::string carpeta = QuitarBarraFinal(CarpetaDe(v_.RutaProgramaInstalado()));
    if (!e_.DirectorioExiste(carpeta)) e_.CrearCarpeta(carpeta);
    const permisos::TUsuario usuario = e_.UsuarioActual();
    const std::string error = e_.FijarPermisos(carpeta, permisos::PermisosCarpetaPrograma(usuario));
    if (!error.empty()) {
        Anotar("No se pudieron fijar los permisos de " + carpeta + ": " + error);
        return;
    }
    Anotar("Permisos de " + carpeta + ": la modifican los administradores y SYSTEM, los usuarios la leen y ejecutan");
    if (!usuario.administrador)
        Anotar("Instalación sin derechos de administrador: el usuario " + usuario.sid + " también puede modificar " +
               carpeta + ", para poder actualizarla");
}

// An update cannot fix who may change the folder (that is the
// administrator's to decide), but support must know when anyone could have
// replaced the programs it is about to run.
void TEjecucion::AvisarCarpetaDeTodos() {
    const std::string carpeta = QuitarBarraFinal(CarpetaDe(v_.RutaProgramaInstalado()));
    std::vector<permisos::TAce> lista;
    std::string error;
    if (!e_.LeerPermisos(carpeta, lista, error)) {
        Anotar("No se pudieron leer los permisos de " + carpeta + ": " + error);
        return;
    }
    const auto escritura = permisos::EscrituraDeTodos(lista);
    if (!escritura.empty())
        Anotar("Aviso: todos los usuarios pueden modificar la carpeta del programa " + carpeta + ": " +
               permisos::DescribirEscritura(escritura));
}

// Every file this run will write, checked before the first one changes:
// none held open or read-only, the program folder writable, and room on the
// drive for the new files beside the backup of the old ones.
void TEjecucion::ComprobarDestino() {
    const std::string base = ConBarraFinal(e_.DestinoExtraccion());
    const std::string cancelada = d_.TextoOperacion() + " Cancelada";
    // The bytes each drive must take, with a folder on it to ask. The
    // backup moves a replaced file within its drive, which takes no room;
    // it takes the old size on the backup's drive only where it copies
    // (the running updater's own file) or crosses drives.
    std::map<std::string, std::pair<std::string, int64_t>> porUnidad;
    auto anadir = [&](const std::string& carpeta, int64_t bytes) {
        auto& u = porUnidad[Minusculas(Unidad(carpeta))];
        if (u.first.empty()) u.first = carpeta;
        u.second += bytes;
    };
    anadir(base, 0);
    const std::string copias = copiasPorHacer_.empty() ? base : copiasPorHacer_;
    std::set<std::string> vistos;
    for (const kav::TFileEntry& entrada : entradas_) {
        for (bool alternativo : {false, true}) {
            const std::string guardado = alternativo ? entrada.AltName : entrada.Name;
            if (guardado.empty()) continue;
            std::string carpeta =
                CarpetaDestino(kav::EntryDestinationFolder(guardado, e_.DestinoExtraccion(), true));
            const std::string nombre = NombreDe(guardado);
            if (!DecidirDestino(alternativo ? entrada.AltFileType : entrada.FileType, nombre, entrada.Date, carpeta,
                                false))
                continue;
            const std::string ruta = ConBarraFinal(carpeta) + nombre;
            if (!vistos.insert(Minusculas(ruta)).second) continue;
            anadir(carpeta, entrada.Size);
            if (!e_.FicheroExiste(ruta)) continue;
            if (!copiasPorHacer_.empty() &&
                (MismaRuta(ruta, d_.ProgramaPropio) || Minusculas(Unidad(ruta)) != Minusculas(Unidad(copias))))
                anadir(copias, e_.TamanoFichero(ruta));
            if (e_.FicheroSoloLectura(ruta))
                throw Exception("El Fichero " + ruta + "\r\n\r\nes de Sólo Lectura. " + cancelada);
            // The running updater's own file is in use by this very run, and
            // is set aside rather than overwritten.
            if (!MismaRuta(ruta, d_.ProgramaPropio) && e_.FicheroEnUso(ruta)) {
                const std::string programas = e_.ProgramasQueUsan(ruta);
                throw EFinEjecucion(TFinEjecucion::FicheroEnUso, "El Fichero " + ruta + "\r\n\r\nestá en Uso" +
                                                                     (programas.empty() ? "" : " por " + programas) +
                                                                     ". " + cancelada);
            }
        }
    }
    const std::string programa = d_.ModoActualizacion ? CarpetaDe(v_.RutaProgramaInstalado()) : std::string();
    if (!programa.empty() && !e_.CarpetaEscribible(programa))
        throw Exception("No se puede escribir en la carpeta " + programa + "\r\n\r\n" + cancelada);
    for (const auto& [unidad, falta] : porUnidad) {
        const auto& [carpeta, necesario] = falta;
        const int64_t libre = e_.EspacioLibre(carpeta);
        Anotar("Espacio necesario en " + Unidad(carpeta) + ": " + Tamano(necesario) +
               "; libre: " + (libre < 0 ? "desconocido" : Tamano(libre)));
        if (libre >= 0 && libre < necesario)
            throw Exception("No hay espacio suficiente en la unidad " + Unidad(carpeta) + "\r\n\r\nSe necesitan " +
                            Tamano(necesario) + " y quedan libres " + Tamano(libre) + ". " + cancelada);
    }
}

// --- the extractor's events ---------------------------------------------------------

bool TEjecucion::NingunoMasViejo(const std::string& ruta, double fecha) {
    std::optional<double> actual = e_.FechaFichero(ruta);
    return !actual || !FechaAnterior(*actual, fecha);
}

// Archives store the program under the product's word; the entries land in
// the folder the user chose.
std::string TEjecucion::CarpetaDestino(std::string carpeta) {
    const std::string destino = ConBarraFinal(e_.DestinoExtraccion());
    const std::string producto = destino + v_.NombreProducto();
    if (carpeta.compare(0, producto.size(), producto) == 0)
        carpeta = ReemplazarSinMayusculas(carpeta, producto, destino + d_.CarpetaPrograma);
    return carpeta;
}

bool TEjecucion::DecidirDestino(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta,
                                bool avisar) {
    const std::string ruta = ConBarraFinal(carpeta) + nombre;
    switch (tipo) {
    case 3: return d_.TipoMotor == tmBtrieve6 && NingunoMasViejo(ruta, fecha);
    case 4: return (d_.TipoMotor == tmPsql12 || d_.TipoMotor == tmBtrieve12) && NingunoMasViejo(ruta, fecha);
    case 11: return NingunoMasViejo(ruta, fecha);
    case 5:
    case 6: return v_.AceptarPaquete(nombre, avisar);
    case 13: return v_.AceptarPaqueteAdicional(nombre);
    case 7:
    case 12: return false;
    case 10: return true;  // the engine's proposal
    default: return v_.AceptarFichero(tipo, nombre, fecha, carpeta);
    }
}

void TEjecucion::ExtraerFichero(const kav::TFileEntry& entrada, std::string& carpeta, bool& aceptar) {
    carpeta = CarpetaDestino(carpeta);
    const std::string nombre = NombreDe(entrada.Name);
    if (entrada.FileType == kTipoActualizador) {
        const std::string ruta = ConBarraFinal(carpeta) + nombre;
        if (d_.NuevoActualizador.empty()) {
            d_.NuevoActualizador = ruta;
            d_.VersionPrevia = e_.VersionFichero(ruta, false);
        }
    } else {
        aceptar = DecidirDestino(entrada.FileType, nombre, entrada.Date, carpeta, true);
    }
    const std::string fichero = ConBarraFinal(carpeta) + nombre;
    const bool existia = aceptar && e_.FicheroExiste(fichero);
    // Every kind: an update that fails must find each file as it was.
    // The running updater's own file is written aside, and takes its place
    // once whole.
    if (aceptar && d_.ModoActualizacion && copia_.Activa()) carpeta = copia_.AntesDeEscribir(fichero);
    if (aceptar) {
        Anotar((existia ? "Reemplazando " : "Escribiendo ") + fichero);
        v_.FijarFichero(fichero);
    }
    e_.ProcesarMensajes();
}

void TEjecucion::ProgresoFichero(int porcentaje) {
    v_.FijarPosicionBarra(porcentaje);
    e_.ProgresoBarraTareas(v_.PosicionBarra(), v_.MaximoBarra());
}

void TEjecucion::FinOperacion(int32_t codigoResultado) {
    d_.Estado = esExtraccionTerminada;
    if (codigoResultado == -1) d_.Resultado = rsError;
}

void TEjecucion::ErrorExtraccion(const std::string& texto) {
    Mensaje(texto, TipoMensaje::Error, BotonesMensaje::Ok);
    d_.Resultado = rsError;
}
