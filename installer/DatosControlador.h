// The installer controller's state, apart from its window so that the run of
// an installation or update can be driven and checked without one. The
// window (TFFormKavoInstala) derives from it; the run (TEjecucion) moves it.
// Portable.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "Desatendido.h"
#include "FinEjecucion.h"
#include "Versiones.h"

// What the controller is doing. The values are those the vendor's other
// updaters share.
enum TEstado : int32_t {
    esTerminado = -1,           // the run succeeded: the window closes without asking
    esReposo = 0,               // nothing running
    esDescargando = 1,          // download phase
    esExtrayendo = 2,           // extraction steps
    esExtraccionTerminada = 3,  // one archive's extraction run has ended
};

// How the running operation is going.
enum TResultado : uint8_t { rsNinguno = 0, rsCancelado = 1, rsError = 2 };

// The database engine of the release.
enum TTipoMotor : uint8_t { tmPsql12 = 0, tmBtrieve12 = 1, tmBtrieve6 = 2 };

// The wizard pages, by index.
enum TPagina : int { pgPrograma = 0, pgInstalacion = 1, pgMotor = 2 };

// The extraction steps, in the order they run.
enum TPasoExtraccion : uint8_t { peNinguno = 0, peMotor = 1, peSoporte = 2, pePrograma = 3 };

struct TDatosControlador {
    std::string DirEjecutable;  // with "\"; the target program folder once a run starts
    std::string NombreEjecutable;
    std::string ProgramaPropio;  // the running executable's own path
    int32_t PosicionArchivo = 0;
    bool ModoActualizacion = false;
    bool ModoLocal = false;
    bool DescargarExternos = true;
    bool HayExternos = false;
    TTipoMotor TipoMotor = tmPsql12;
    int PaginaActual = pgPrograma;
    TEstado Estado = esReposo;
    TResultado Resultado = rsNinguno;
    bool CancelarPedido = false;
    TFinEjecucion Fin = TFinEjecucion::EnCurso;
    TPasoExtraccion PasoExtraccion = peNinguno;
    int32_t Plataforma = 0;
    // Every downloaded file (deleted at exit); absent in local mode.
    std::unique_ptr<std::set<std::string>> ListaDescargas;
    std::string NuevoActualizador;
    TypeVersion VersionPrevia;
    // The newer updater was started: this run's per-installation file (and,
    // in local mode, its archive) are its own now, not this one's to delete.
    bool Relanzado = false;
    // This run was started so by an older updater, on the release it brought.
    bool IniciadoPorRelanzamiento = false;
    std::string CarpetaPrograma;
    std::string DirDatos;
    std::string DirCopias;
    std::string ArchivoPrincipal;
    std::string UrlBaseProgramas;
    std::string UrlBaseExternos;
    std::string NombreFicheroCliente;
    std::array<uint8_t, 128> DatosArchivo{};
    TypeVersionesConta VersionesInstaladas;
    TypeVersionesConta DatosWeb;
    uint32_t CodigoCliente = 0;
    // A support technician asked for an older release on purpose
    // (/RETROCEDER); the log records it.
    bool PermitirRetroceso = false;
    // An unattended run's engine choice (/MOTOR): the engine page is answered
    // by it, and its installer watched until it ends, with no one to ask.
    std::optional<desatendido::Motor> MotorDesatendido;
    // The newest signed release this run could get is older than the
    // build's limit: the network may be keeping it on an old release.
    bool PosibleCongelacion = false;
    // The URL of the per-installation record the accounting program handed
    // over when its published statement could not be fetched at start-up
    // (no server, a timeout, a 5xx): the run fetches it before any archive,
    // where a network failure is a failed download and a refusal ends the
    // run. Empty when the record was checked (or needs no check).
    std::string RegistroPorComprobar;

    std::string TextoPrograma() const { return ModoActualizacion ? "Actualización" : "Programa"; }
    std::string TextoProgramaMayusculas() const { return ModoActualizacion ? "ACTUALIZACIÓN" : "PROGRAMA"; }
    std::string TextoOperacion() const { return ModoActualizacion ? "Actualización" : "Instalación"; }
    std::string RutaEjecutable() const { return DirEjecutable + NombreEjecutable; }
    std::string SubdirPrograma() const { return CarpetaPrograma + "\\Programa\\"; }
};
