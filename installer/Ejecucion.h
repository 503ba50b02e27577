// One run of an installation or update, in one place: the folder is fixed and
// locked, the archives are downloaded, extracted one after another (deciding
// entry by entry what is written, with a backup of replaced executables when
// updating), the vendor is told, and the run ends with a message, the engine
// page, or the backup put back. Portable: everything outside the controller's
// state goes through the seams of TEfectos (the system), TVentanaEjecucion
// (the window) and TProducto (the product's operations), so the decisions are checked
// natively with a recording fake and for real with the window under Wine.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ArchiverMisc.h"
#include "CopiaSeguridad.h"
#include "DatosControlador.h"
#include "Efectos.h"
#include "EntradasArchivo.h"
#include "Producto.h"
#include "Exception.h"
#include "TiposMensaje.h"
#include "Versiones.h"

// The window's pages, as the run needs them.
class TVentanaEjecucion {
public:
    virtual ~TVentanaEjecucion() = default;

    // Pages and their looks.
    virtual void PaginaDescargando() = 0;
    virtual void PaginaInstalando() = 0;
    virtual void PaginaEnReposo(bool reiniciar) = 0;
    virtual void MostrarPagina(int indice, bool desactivarActual) = 0;
    virtual std::string TextoDirPrograma() = 0;  // the folder edit as typed
    virtual std::string DirPrograma() = 0;       // the same made absolute
    virtual bool ComprobarActualizaciones() = 0;  // the check box is ticked
    // The program's settings file in the folder the edit names: the user's
    // own when there is one.
    virtual std::string IniPrograma() = 0;
    virtual void FijarDirInstalar(const std::string& texto) = 0;
    virtual void FijarTituloProgreso(const std::string& texto) = 0;  // group and its title label
    virtual void FijarDescargado(uint32_t progreso, uint32_t maximo) = 0;  // "Descargado X de Y"
    virtual void FijarDeRuta(const std::string& prefijo, const std::string& ruta) = 0;  // path shortened to fit
    virtual void FijarFichero(const std::string& ruta) = 0;  // shortened to fit
    virtual void MostrarCopiar() = 0;
    virtual void HabilitarCancelar(bool activo) = 0;
    virtual void DeshabilitarInstalar() = 0;
    virtual int PosicionBarra() = 0;
    virtual int MaximoBarra() = 0;
    virtual void FijarMaximoBarra(int maximo) = 0;
    virtual void FijarPosicionBarra(int posicion) = 0;
    virtual void CerrarVentana() = 0;                  // through the close query
    virtual std::string VersionInformada() = 0;
    // Starts a newer copy of the updater met in the archive and ends this
    // one; true when it was started.
    virtual bool RelanzarActualizador() = 0;

    virtual void OfrecerMotor() = 0;
    virtual void LanzarInstaladorMotor() = 0;
    // The customer code an installation keeps in its program folder for
    // the updater (0: none recorded).
    virtual void RegistrarCodigoCliente(uint32_t codigo) = 0;
    virtual uint32_t CodigoClienteRegistrado() = 0;
};

// The database engine's archive word by engine kind: "PSQL", "BTRIEVE12", "BTRIEVE6".
std::string PalabraMotor(TTipoMotor tipo);

// Where a request to stop came from: the cancel button ("Salir" while
// nothing runs), the Escape key, or the window's own close (its close box,
// the system, or the run itself once it has finished).
enum class TOrigenCierre { BotonCancelar, Escape, Ventana };

// What the window does once the run has answered such a request.
enum class TDecisionCierre { Seguir, Cerrar };

class TEjecucion : private TReceptorExtraccion {
public:
    TEjecucion(TDatosControlador& datos, TVentanaEjecucion& ventana, TProducto& producto, const TEfectos& efectos)
        : d_(datos), v_(ventana), p_(producto), e_(efectos), copia_(efectos.ficheros) {}

    // The install button (and Enter in the folder edit).
    void Instalar();
    bool Descargar();
    bool Extraer();
    void DescargarArchivo(const std::string& base, const std::string& nombre, const std::string& etiqueta);
    void ProgresoDescarga(uint32_t progreso, uint32_t maximo, bool& cancelar);
    // The one door for cancel and close. While a phase runs, the user is
    // asked whether to cancel it; on yes the phase is told and, during the
    // extraction, the engine aborted; the window stays. Otherwise the exit
    // question, unless the run has finished; Cerrar when the window may go.
    TDecisionCierre PedirCierre(TOrigenCierre origen);
    // Whether an entry of `tipo` named `nombre` is written, and into which
    // folder (`carpeta`: the archive's, with the product's folder word
    // already replaced; it may change): the one decision the check before
    // the first change and the extraction share. Asks, changes nothing;
    // `avisar` as for AceptarPaquete.
    bool DecidirDestino(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta, bool avisar);

    // The end of a first installation that brings the database engine: the
    // run has finished, and the engine's page takes over the window.
    void OfrecerMotor();
    // The engine an unattended run asked for was not installed: the run,
    // named correct before its closing steps, fails, and the user is told.
    void MotorNoInstalado(const std::string& texto);
    // A release file refused at start-up (the release record, a release
    // description) ends the program as the refusal it is.
    void RechazarArranque();

    // The closing question of an update, and of a first installation once
    // the engine's server is installed: on yes the installed program is
    // started and the application ends, otherwise the window closes.
    void OfrecerAbrirPrograma();

    // Where archives are downloaded to and read from.
    std::string DirDescargas();

    // At start-up, before anything else: an update that died halfway left
    // its journal in a backup folder beside the program; under the
    // installation's lock the installation is put back as it was, and the
    // user is told. A journal that is not this updater's, or names places
    // outside the installation, changes nothing and is kept.
    void Recuperar(const std::string& carpetaPrograma);

private:
    // The engine's events while an archive is extracted.
    void ExtraerFichero(const kav::TFileEntry& entrada, std::string& carpeta, bool& aceptar) override;
    void FicheroExtraido(const kav::TFileEntry& entrada, const std::string& carpeta) override;
    void ProgresoFichero(int porcentaje) override;
    void FinOperacion(TResultadoExtractor resultado) override;
    void ErrorExtraccion(const std::string& texto) override;
    // The run's lines of the log go through the process seam.
    void Anotar(const std::string& texto) noexcept { e_.proceso.Anotar(texto); }
    // Names how the run ends; the first end named stands.
    void Terminar(TFinEjecucion fin);
    // The page's idle look; `reiniciar`: the run did not finish and goes
    // back to the start.
    void PaginaEnReposo(bool reiniciar);
    // The user's dialogs, written to the log as they are shown.
    int Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones);
    void MensajePlano(const std::string& texto);
    bool ComprobarFirmasLocales();
    void ComprobarRegistroPendiente();
    bool SinRetroceso();
    void ComprobarActualizador(const std::string& archivo, const kav::TFileEntry& entrada);
    void VigilarCongelacion();
    bool ExtraerPasos();
    void ComprobarInstalado(int& primerPaso);
    void ComprobarArchivos(int primerPaso);
    void ComprobarDestino();
    void ProtegerCarpetaPrograma();
    void AvisarCarpetaDeTodos();
    std::string CarpetaDestino(std::string carpeta);
    void PrepararCopias();
    void RetirarObsoletos();
    std::string ArchivoDelPaso(TPasoExtraccion paso);
    void DescargarPrograma();
    std::string DiferenciasAplicables();
    bool ArchivoPresente(const std::string& archivo);
    bool PrepararDiferencias(const std::string& nombre);
    void Completar();
    void Limpiar();
    bool NingunoMasViejo(const std::string& ruta, double fecha);

    TDatosControlador& d_;
    TVentanaEjecucion& v_;
    TProducto& p_;
    TEfectos e_;
    // The entries of the archives this run extracts, as the check read them.
    std::vector<kav::TFileEntry> entradas_;
    // The archive rebuilt from the vendor's differences, extracted in place
    // of the program archive; empty when the update takes the whole archive.
    std::string reconstruido_;
    std::vector<kav::TFileEntry> entradasReconstruido_;  // as the engine will read them
    int ficherosEscritos_ = 0;  // by the archive being extracted
    // The backup folder of this update, before the first change.
    std::string copiasPorHacer_;
    TCopiaSeguridad copia_;
};
