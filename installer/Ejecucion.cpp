// The run from the install button to its end: the checks before anything
// is fetched, the phases in order, and how it ends.
#include "Ejecucion.h"

#include "EjecucionApoyo.h"
#include "Exception.h"
#include "FormatoTexto.h"
#include "PoliticaFirmas.h"
#include "ReglasInstalador.h"
#include "Rutas.h"

using namespace ejecucion;

namespace {

const char* NombreRespuesta(int respuesta) {
    switch (respuesta) {
    case mrOk: return "Vale";
    case mrCancel: return "Cancelar";
    case mrYes: return "Sí";
    case mrNo: return "No";
    }
    return "ninguna";
}


}  // namespace

void TEjecucion::Instalar() {
    if (d_.PaginaActual == pgMotor) {
        v_.LanzarInstaladorMotor();
        return;
    }
    d_.Fin = TFinEjecucion::EnCurso;
    if (d_.ModoActualizacion || !d_.ModoLocal)
        d_.DirEjecutable = ConBarraFinal(v_.TextoDirPrograma()) + d_.SubdirPrograma();
    p_.AntesDeInstalar();
    if (d_.ModoActualizacion) {
        const std::string programa = p_.RutaProgramaEjecutar();
        if (!e_.ficheros.FicheroExiste(programa)) {
            Terminar(TFinEjecucion::Error);
            Mensaje(kNoSeEncuentra + programa, TipoMensaje::Error, BotonesMensaje::Ok);
            Abort();
        }
        if (!SinRetroceso()) Abort();
    }
    if (!d_.DescargarExternos || d_.ModoLocal) {
        d_.HayExternos = e_.ficheros.DirectorioExiste(ConBarraFinal(v_.TextoDirPrograma()) + "Externos");
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
        e_.proceso.Bloquear(v_.DirPrograma(), d_.ModoActualizacion);
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
    const TypeVersion propia = e_.ficheros.VersionFichero(d_.ProgramaPropio, false);
    const TypeVersion traida = e_.extraccion.VersionEnArchivo(archivo, entrada);
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
    if (!firma::PosibleCongelacion(p, e_.proceso.Ahora())) return;
    d_.PosibleCongelacion = true;
    Anotar("Posible congelación: la firma más reciente que da el servidor es del " + firma::TextoFecha(p.fechaMasNueva) +
           ", más de " + std::to_string(firma::SegundosCongelacion() / 86400) + " días antes de hoy");
}

void TEjecucion::Terminar(TFinEjecucion fin) {
    if (d_.Fin == TFinEjecucion::EnCurso) d_.Fin = fin;
}

void TEjecucion::PaginaEnReposo(bool reiniciar) {
    if (reiniciar) d_.Estado = esReposo;
    v_.PaginaEnReposo(reiniciar);
}

int TEjecucion::Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones) {
    Anotar("Mensaje: " + texto);
    const int respuesta = e_.usuario.Mensaje(texto, tipo, botones);
    if (botones != BotonesMensaje::Ok) Anotar(std::string("Respuesta: ") + NombreRespuesta(respuesta));
    return respuesta;
}

void TEjecucion::MensajePlano(const std::string& texto) {
    Anotar("Mensaje: " + texto);
    e_.usuario.MensajePlano(texto);
}

void TEjecucion::Completar() {
    e_.proceso.BarraTareas(EstadoBarraTareas::Ninguno);
    const std::string version = v_.VersionInformada();
    const std::string ini = v_.IniPrograma();
    // The report, the relaunch and the settings keys are independent: a
    // server that does not take the report must not keep a newer updater
    // from starting or leave the keys unwritten.
    SinErrores([&] {
        if (d_.ModoActualizacion)
            e_.servidor.AvisarServidor(e_.servidor.Servidor() +
                              RutaInformeActualizacion(d_.NombreFicheroCliente, d_.CodigoCliente, version));
        else
            e_.servidor.AvisarServidor(e_.servidor.Servidor() + RutaInformeInstalacion(d_.CodigoCliente, version));
    });
    if (d_.ModoActualizacion) SinErrores([&] { d_.Relanzado = v_.RelanzarActualizador(); });
    SinErrores([&] {
        if (d_.Resultado == rsNinguno && v_.ComprobarActualizaciones())
            e_.ficheros.EscribirIni(ini, "ACTUALIZACION", "COMPROBAR", "0");
        e_.ficheros.EscribirIni(ini, "ACTUALIZACION", "ULTIMA_BETA",
                       d_.ArchivoPrincipal == p_.FicheroBeta() ? e_.proceso.FechaHoraActual() : "0");
    });
    // The updater started later without arguments finds its customer here.
    if (!d_.ModoActualizacion) SinErrores([&] { v_.RegistrarCodigoCliente(d_.CodigoCliente); });
    p_.TrasInstalar();
    if (!d_.ModoActualizacion && !d_.HayExternos && (d_.TipoMotor == tmPsql12 || d_.TipoMotor == tmBtrieve12)) {
        OfrecerMotor();
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

void TEjecucion::OfrecerMotor() {
    d_.Estado = esTerminado;
    v_.OfrecerMotor();
}

void TEjecucion::MotorNoInstalado(const std::string& texto) {
    d_.Fin = TFinEjecucion::Error;
    Mensaje(texto, TipoMensaje::Error, BotonesMensaje::Ok);
}

void TEjecucion::RechazarArranque() { d_.Fin = TFinEjecucion::FirmaRechazada; }

void TEjecucion::OfrecerAbrirPrograma() {
    if (Mensaje(d_.TextoOperacion() + " Correcta\n\r\n\r" + p_.PreguntaFinal(), TipoMensaje::Informacion,
                BotonesMensaje::SiNo) != mrYes) {
        v_.CerrarVentana();  // no question: the run has finished
        return;
    }
    // The program where the run put it: a local first installation keeps
    // DirEjecutable at the installer's own folder, which holds only archives.
    const std::string programa = p_.RutaProgramaInstalado();
    if (!e_.proceso.IniciarPrograma(programa)) Anotar("No se pudo iniciar " + programa);
    e_.proceso.TerminarAplicacion();
}

void TEjecucion::Limpiar() {
    e_.extraccion.SoltarArchivos();
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
            e_.ficheros.BorrarFichero(d_.DirEjecutable + nombre, false);
            e_.ficheros.BorrarFichero(d_.DirEjecutable + nombre + firma::kExtensionFirma, false);
        }
    }
    e_.proceso.Desbloquear();
    e_.proceso.BarraTareas(EstadoBarraTareas::Ninguno);
}
