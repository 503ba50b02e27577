// The extraction phase: the check of every archive before the first
// change, the backup, the steps in order, and the extractor's events.
#include "Ejecucion.h"

#include "EjecucionApoyo.h"
#include "Exception.h"
#include "FormatoTexto.h"
#include "Rutas.h"

using namespace ejecucion;

bool TEjecucion::Extraer() {
    bool resultado = false;
    v_.PaginaInstalando();
    e_.proceso.ProcesarMensajes();
    v_.HabilitarCancelar(false);
    auto alTerminar = [&] {
        v_.HabilitarCancelar(true);
        v_.MostrarCopiar();
        PaginaEnReposo(d_.CancelarPedido);
    };
    try {
        try {
            resultado = ExtraerPasos();
        } catch (...) {
            d_.CancelarPedido = true;
            d_.Resultado = rsError;
            SinErrores([&] { e_.extraccion.CerrarArchivo(); });
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
    const std::string instalado = p_.RutaProgramaInstalado();
    if (!e_.ficheros.FicheroExiste(instalado)) {
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
    if (e_.ficheros.FicheroSoloLectura(instalado))
        throw Exception("El Fichero " + instalado + "\r\n\r\nes de Sólo Lectura. " + d_.TextoOperacion() +
                        " Cancelada");
    if (e_.ficheros.FicheroEnUso(instalado))
        throw EFinEjecucion(TFinEjecucion::FicheroEnUso,
                            "El Fichero " + instalado + "\r\n\r\nestá en Uso. " + d_.TextoOperacion() + " Cancelada");
    const TypeVersion v = e_.ficheros.VersionFichero(instalado, true);
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
    if (e_.ficheros.FicheroExiste(ConBarraFinal(d_.DirCopias) + kFicheroDiario))
        throw Exception("Una actualización anterior no se pudo deshacer y su copia de seguridad sigue en:\r\n\r\n" +
                        d_.DirCopias + "\r\n\r\n" + d_.TextoOperacion() + " Cancelada");
    // A folder of that name that leads elsewhere is not emptied: what it
    // leads to is not the installation's.
    if (e_.ficheros.PuntoDeReparse(QuitarBarraFinal(d_.DirCopias)))
        throw Exception(QuitarBarraFinal(d_.DirCopias) + " es un enlace a otro lugar. " + d_.TextoOperacion() +
                        " Cancelada");
    // Without one, the folder is what a finished update left behind.
    if (e_.ficheros.DirectorioExiste(d_.DirCopias)) e_.ficheros.BorrarDirectorio(d_.DirCopias);
    copia_.Iniciar(d_.DirCopias, CarpetaDe(p_.RutaProgramaInstalado()), e_.extraccion.DestinoExtraccion(),
                   d_.ProgramaPropio, p_.CarpetasInstalacion().permitidas);
    const std::string ini = v_.IniPrograma();
    copia_.AntesDeModificar(ini);
    e_.ficheros.EscribirIni(ini, "ACTUALIZACION", "ACTUALIZAR", "1");
}

// A file that cannot go stays: the program does not use it, and an update
// is no reason to fail for it.
void TEjecucion::RetirarObsoletos() {
    for (const std::string& ruta : p_.FicherosObsoletos()) {
        if (!e_.ficheros.FicheroExiste(ruta)) continue;
        SinErrores([&] {
            if (copia_.Activa())
                copia_.Retirar(ruta);
            else
                e_.ficheros.BorrarFichero(ruta, true);
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
        if (!ArchivoPresente(archivo)) continue;  // the extraction loop says what follows
        e_.extraccion.RetenerArchivo(ruta);
        v_.FijarDeRuta("Comprobando: ", ruta);
        e_.proceso.ProcesarMensajes();
        if (d_.CancelarPedido) return;
        std::vector<kav::TFileEntry> entradas;
        try {
            // The archive rebuilt from the differences was made a moment ago
            // from results whose digests were checked: reading it whole again
            // would repeat that check (the extraction still checks every block).
            // Otherwise as long as an extraction: the window shows how far it
            // is and stays alive, and a cancel confirmed meanwhile stops the
            // reading.
            entradas = archivo == reconstruido_
                           ? entradasReconstruido_
                           : e_.extraccion.ComprobarArchivo(ruta, [this](int porcentaje, bool& cancelar) {
                                 ProgresoFichero(porcentaje);
                                 e_.proceso.ProcesarMensajes();
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
            if (entrada.FileType == teActualizador) ComprobarActualizador(ruta, entrada);
        }
        entradas_.insert(entradas_.end(), entradas.begin(), entradas.end());
        Anotar("Archivo comprobado: " + ruta + ", " + std::to_string(entradas.size()) + " entradas, " +
               std::to_string(bytes) + " bytes");
    }
}

// The archive rebuilt from the differences is held in memory, not on disk.
bool TEjecucion::ArchivoPresente(const std::string& archivo) {
    return (!reconstruido_.empty() && archivo == reconstruido_) || e_.ficheros.FicheroExiste(DirDescargas() + archivo);
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
    e_.extraccion.FijarDestinoExtraccion(v_.DirPrograma());
    int primerPaso = peMotor;
    ComprobarInstalado(primerPaso);
    p_.LeerRutasDatos(v_.DirPrograma());  // the data folder is a destination the check must know
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
        if (!ArchivoPresente(archivo)) {
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
            e_.proceso.TerminarAplicacion();
            return false;
        }
        e_.extraccion.FijarDestinoExtraccion(v_.DirPrograma());
        v_.FijarDirInstalar(e_.extraccion.DestinoExtraccion());
        v_.FijarDeRuta("Extrayendo de: ", ruta);
        e_.proceso.ProcesarMensajes();
        p_.AntesDeExtraer();
        // The engine forgets an abort asked for before it starts: a cancel
        // confirmed between archives stops the run here.
        TResultadoExtractor extraido = TResultadoExtractor::Fallido;
        if (!d_.CancelarPedido) {
            Anotar("Extrayendo " + ruta + " en " + e_.extraccion.DestinoExtraccion());
            ficherosEscritos_ = 0;
            extraido = e_.extraccion.ExtraerArchivo(ruta, *this);
            Anotar("Extracción de " + archivo + " terminada con el código " +
                   std::to_string(static_cast<int32_t>(extraido)) + ", " + std::to_string(ficherosEscritos_) +
                   " ficheros escritos");
        }
        // A cancel confirmed during the archive's last progress report came
        // too late for the engine, which ends as if it had finished: the
        // user's word wins.
        if (extraido != TResultadoExtractor::Fallido && d_.CancelarPedido) {
            SinErrores([&] { e_.extraccion.CerrarArchivo(); });
            extraido = TResultadoExtractor::Fallido;
        }
        if (extraido == TResultadoExtractor::Fallido) {
            Terminar(d_.CancelarPedido ? TFinEjecucion::Cancelada : TFinEjecucion::Error);
            d_.CancelarPedido = true;
            d_.Resultado = rsError;
            Mensaje(d_.TextoOperacion() + " Incorrecta", TipoMensaje::Informacion, BotonesMensaje::Ok);
            v_.MostrarCopiar();
            return false;
        }
        if (extraido == TResultadoExtractor::Terminado) {
            e_.extraccion.CerrarArchivo();
            copia_.ColocarPrograma();
            p_.TrasExtraer();
            RetirarObsoletos();
            if (paso == pePrograma) {
                if (!d_.ModoActualizacion && !d_.HayExternos) {
                    if (!e_.ficheros.DirectorioExiste(d_.DirDatos)) e_.ficheros.CrearCarpeta(d_.DirDatos);
                    p_.CrearAccesos();
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
    const std::string carpeta = QuitarBarraFinal(CarpetaDe(p_.RutaProgramaInstalado()));
    if (!e_.ficheros.DirectorioExiste(carpeta)) e_.ficheros.CrearCarpeta(carpeta);
    const permisos::TUsuario usuario = e_.ficheros.UsuarioActual();
    const std::string error = e_.ficheros.FijarPermisos(carpeta, permisos::PermisosCarpetaPrograma(usuario));
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
    const std::string carpeta = QuitarBarraFinal(CarpetaDe(p_.RutaProgramaInstalado()));
    std::vector<permisos::TAce> lista;
    std::string error;
    if (!e_.ficheros.LeerPermisos(carpeta, lista, error)) {
        Anotar("No se pudieron leer los permisos de " + carpeta + ": " + error);
        return;
    }
    const auto escritura = permisos::EscrituraDeTodos(lista);
    if (!escritura.empty())
        Anotar("Aviso: todos los usuarios pueden modificar la carpeta del programa " + carpeta + ": " +
               permisos::DescribirEscritura(escritura));
}

void TEjecucion::ExtraerFichero(const kav::TFileEntry& entrada, std::string& carpeta, bool& aceptar) {
    carpeta = CarpetaDestino(carpeta);
    const std::string nombre = NombreDe(entrada.Name);
    if (entrada.FileType == teActualizador) {
        const std::string ruta = ConBarraFinal(carpeta) + nombre;
        if (d_.NuevoActualizador.empty()) {
            d_.NuevoActualizador = ruta;
            d_.VersionPrevia = e_.ficheros.VersionFichero(ruta, false);
        }
    } else {
        aceptar = DecidirDestino(entrada.FileType, nombre, entrada.Date, carpeta, true);
    }
    const std::string fichero = ConBarraFinal(carpeta) + nombre;
    const bool existia = aceptar && e_.ficheros.FicheroExiste(fichero);
    // Every kind: an update that fails must find each file as it was.
    // The running updater's own file is written aside, and takes its place
    // once whole.
    if (aceptar && d_.ModoActualizacion && copia_.Activa()) carpeta = copia_.AntesDeEscribir(fichero);
    if (aceptar) {
        Anotar((existia ? "Reemplazando " : "Escribiendo ") + fichero);
        v_.FijarFichero(fichero);
    }
    e_.proceso.ProcesarMensajes();
}

void TEjecucion::FicheroExtraido(const kav::TFileEntry& entrada, const std::string& carpeta) {
    ++ficherosEscritos_;
    p_.FicheroExtraido(entrada, carpeta);
}

void TEjecucion::ProgresoFichero(int porcentaje) {
    v_.FijarPosicionBarra(porcentaje);
    e_.proceso.ProgresoBarraTareas(v_.PosicionBarra(), v_.MaximoBarra());
}

void TEjecucion::FinOperacion(TResultadoExtractor resultado) {
    d_.Estado = esExtraccionTerminada;
    if (resultado == TResultadoExtractor::Fallido) d_.Resultado = rsError;
}

void TEjecucion::ErrorExtraccion(const std::string& texto) {
    Mensaje(texto, TipoMensaje::Error, BotonesMensaje::Ok);
    d_.Resultado = rsError;
}
