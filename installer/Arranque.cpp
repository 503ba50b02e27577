#include "Arranque.h"

#include "Exception.h"
#include "FirmaFicheros.h"
#include "Registro.h"
#include "ReglasInstalador.h"

namespace {
// The main program's row in the versions record.
constexpr int kCodigoProgramaPrincipal = 99;
}  // namespace

TRol RolSegunArchivo(int32_t posicionArchivo) {
    return posicionArchivo == 0 ? TRol::Actualizador : TRol::Instalador;
}

bool PlataformaAdmitida(int32_t plataforma) { return plataforma == plWindows9x || plataforma == plWindowsNT; }

TInicio DecidirInicio(TRol rol, const TNombresLanzamiento& nombres, const std::string& dirEjecutable,
                      const TIniPropio& ini, const std::function<bool(const std::string&)>& existe) {
    TInicio r;
    r.rol = rol;
    r.archivoPrincipal = nombres.ficheroPrograma;
    r.urlBaseProgramas = nombres.urlProgramas;
    r.urlBaseExternos = nombres.urlExternos;
    // The updater's INI beside it is the installed program's business.
    if (rol == TRol::Actualizador) return r;
    r.descargarExternos = ini.descargarExternos;
    if (!ini.local) return r;
    // The archive named keeps its name: without it here, it is downloaded.
    if (!ini.fichero.empty()) r.archivoPrincipal = ini.fichero;
    if (!existe(dirEjecutable + r.archivoPrincipal)) {
        r.aviso = kMensajeSinDatosLocales;
        return r;
    }
    r.modoLocal = true;
    r.urlBaseProgramas = r.urlBaseExternos = dirEjecutable;
    return r;
}

void FijarRol(TRol rol, TDatosControlador& d) { d.ModoActualizacion = rol == TRol::Actualizador; }

void AplicarInicio(const TInicio& inicio, const std::string& carpetaPrograma, TDatosControlador& d) {
    FijarRol(inicio.rol, d);
    d.ModoLocal = inicio.modoLocal;
    d.DescargarExternos = inicio.descargarExternos;
    d.PasoExtraccion = peNinguno;
    d.Fin = TFinEjecucion::EnCurso;
    d.CarpetaPrograma = carpetaPrograma;
    d.ArchivoPrincipal = inicio.archivoPrincipal;
    d.UrlBaseProgramas = inicio.urlBaseProgramas;
    d.UrlBaseExternos = inicio.urlBaseExternos;
    // Downloads are listed to go at exit; local mode downloads nothing.
    if (!d.ModoLocal) d.ListaDescargas = std::make_unique<std::set<std::string>>();
}

void ActivarModoLocal(TDatosControlador& d) {
    d.ModoLocal = true;
    d.UrlBaseProgramas = d.DirEjecutable;
    d.UrlBaseExternos = d.DirEjecutable;
}

void AplicarOpciones(const desatendido::Opciones& opciones, TDatosControlador& d) {
    if (opciones.retroceder) {
        d.PermitirRetroceso = true;
        Anotar("Retroceso permitido con /RETROCEDER: se instalará una versión anterior si es la que se ofrece");
    }
    // No engine unless the script asks for one: an engine is installed once
    // per computer, and the safe answer is to leave it alone.
    if (opciones.Desatendido()) d.MotorDesatendido = opciones.motor.value_or(desatendido::Motor::No);
}

TLanzamientoAMano LanzamientoDeRegistro(const RegistroLanzamiento& r) { return {r.major, r.minor, r.codigoCliente}; }

RegistroLanzamiento AplicarDatosArchivo(const TDatosArchivo& datosArchivo, TDatosControlador& d) {
    const RegistroLanzamiento r = InterpretarDatosArchivo(datosArchivo);
    d.DatosArchivo = datosArchivo;
    d.TipoMotor = r.tipoMotor;
    d.CodigoCliente = r.codigoCliente;
    return r;
}

TLanzamientoAMano LanzamientoDeDatosWeb(const TypeVersionesConta& w) {
    const TypeVersion v = w.VersionFichero(kCodigoProgramaPrincipal);
    return {v.Major, v.Minor, w.CodigoCliente()};
}

TEtiquetasLanzamiento EtiquetasDeRegistro(const RegistroLanzamiento& r, const std::string& nombreMes) {
    return {TextoFecha(r.dia, nombreMes, r.anio), TextoVersion(r.major, r.minor, true), r.codigoCliente};
}

TEtiquetasLanzamiento EtiquetasDeDatosWeb(const TypeVersionesConta& w, const std::string& nombreMes) {
    const TypeVersion v = w.VersionFichero(kCodigoProgramaPrincipal);
    return {TextoFecha(w.Dia(), nombreMes, w.Anio()), TextoVersion(v.Major, v.Minor, false), w.CodigoCliente()};
}

std::string ArchivoDeActualizacion(const std::string& archivoPrincipal, const TNombresLanzamiento& nombres,
                                   bool iniciadoConArgumento, bool modoLocal, bool esVersionSiguiente) {
    // A local update takes the archive the local dialog asked for.
    if (iniciadoConArgumento && !modoLocal && esVersionSiguiente) return nombres.ficheroActualizacion;
    return archivoPrincipal;
}

bool HayBeta(const std::string& iniBeta, const TLanzamientoAMano& l, TDescripcionesPublicadas& d) {
    if (!d.Descargar(iniBeta)) return false;
    const double instalada = d.UltimaBetaInstalada();
    const auto secciones = SeccionesBeta(l.major, l.minor);
    const std::string& seccion = d.ExisteSeccion(iniBeta, secciones[0]) ? secciones[0] : secciones[1];
    const double publicada = LeerFechaHora(d.Leer(iniBeta, "ACTUALIZACION", "ULTIMA_BETA"));
    return EnListaClientes(d.Leer(iniBeta, seccion, "SERIES"), l.codigoCliente) && publicada > instalada;
}

bool HayV2(const std::string& iniV2, const TLanzamientoAMano& l, TDescripcionesPublicadas& d) {
    if (iniV2.empty() || !d.Descargar(iniV2)) return false;
    return EnListaClientes(d.Leer(iniV2, "PROGRAMA", "SERIES"), l.codigoCliente);
}

TEleccionLanzamiento EleccionLanzamiento(const std::string& archivoPrincipal, const TNombresLanzamiento& n,
                                         const TLanzamientoAMano& l, TDescripcionesPublicadas& d) {
    if (archivoPrincipal != n.ficheroPrograma && archivoPrincipal != n.ficheroActualizacion)
        return {archivoPrincipal, ""};
    if (HayV2(n.iniV2, l, d)) return {n.ficheroV2, " V2"};
    if (HayBeta(n.iniBeta, l, d)) return {n.ficheroBeta, " BETA"};
    return {archivoPrincipal, ""};
}

TRegistroCliente ObtenerRegistroCliente(const std::string& argumento, const std::string& iniRegistrado,
                                        const std::function<std::string(uint32_t)>& nombreDeCodigo,
                                        TFuenteRegistroCliente& fuente) {
    TRegistroCliente r;
    r.nombre = argumento;
    r.iniciadoConArgumento = !argumento.empty();
    if (r.iniciadoConArgumento) {
        // Started by a local update that brought this updater: the release
        // it read is still beside it, archive and all.
        r.modoLocal = !fuente.EnCarpetaTemporal(argumento) && fuente.AlLado(argumento);
        r.comprobacion = r.modoLocal ? TComprobacionRegistro::AlLado : TComprobacionRegistro::ConFirmaPublicada;
        return r;
    }
    try {
        const uint32_t codigo = fuente.CodigoRegistrado();
        if (codigo == 0) throw Exception(kMensajeSinCodigoCliente + iniRegistrado);
        // Named before the download: a local update looks for it under this name.
        r.nombre = nombreDeCodigo(codigo);
        fuente.Descargar(r.nombre);
    } catch (const EAbort&) {
        throw;
    } catch (const firma::EFirmaRechazada&) {
        // A record the vendor did not sign for this installation is an
        // attack, not a failed download: the local mode, which asks the user
        // to fetch files by hand, is never offered for it.
        throw;
    } catch (const std::exception& e) {
        if (fuente.OfrecerModoLocal(e.what())) {
            r.modoLocal = true;
            r.comprobacion = TComprobacionRegistro::AlLado;
        } else {
            r.fin = TFinEjecucion::SinConexion;
        }
    }
    return r;
}

void AplicarRegistroCliente(const TRegistroCliente& registro, TDatosControlador& d) {
    d.NombreFicheroCliente = registro.nombre;
    d.Fin = registro.fin;
    if (registro.modoLocal) ActivarModoLocal(d);
}
