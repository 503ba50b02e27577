// The installer window and its controller: start-up (installer or updater
// role), the wizard pages, the release choice, window behaviour, the lock
// file and the clean-up at exit. A product specialisation fills in the
// virtual operations (the accounting product: TFMain).
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Arranque.h"
#include "Bloqueo.h"
#include "CarpetaPrivada.h"
#include "DatosControlador.h"
#include "Desatendido.h"
#include "DescripcionesWin32.h"
#include "EfectosWin32.h"
#include "Ejecucion.h"
#include "ExtractorInstalador.h"
#include "Form.h"
#include "FrameInstalar.h"
#include "FramePrograma.h"
#include "Framepsql.h"
#include "RegistroLanzamiento.h"
#include "ReglasInstalador.h"
#include "ModoLocal.h"
#include "LibActualizadorComun.h"
#include "LibActualizadorConta.h"
#include "Timer.h"

class TFFrameBase;

// Set by the last step of a successful FormCreate; the program entry only
// runs the message loop when it is true.
extern bool FormularioListo;

class TFFormKavoInstala : public forms::TForm, public TDatosControlador {
public:
    TFFormKavoInstala();
    ~TFFormKavoInstala() override;

    // --- virtual operations -------------------------------------------------
    // The product's names, folders and decisions (TProducto); the pages and
    // the start-up preparation stay the window's.
    virtual TProducto& Producto() = 0;
    virtual TFFrameBase* PaginaPrograma();
    virtual TFFramePrograma* CrearPaginaPrograma();
    virtual bool Preparar() = 0;

    // --- published handlers ---------------------------------------------
    virtual void FormCreate();
    void FormActivate();
    void FormCloseQuery(bool& puedeCerrar);
    void FormKeyDown(WORD& tecla);
    void MoverPantalla();
    void Timer1Timer();
    void Timer2Timer();
    void Extractor1AfterOpen();
    void eDirProgramaChange();
    void bCancelarClick();
    void bInstalarClick();
    void eDirProgramaKeyDown(WORD& tecla);

    // --- non-virtual operations -------------------------------------------
    std::string DirPrograma() const;
    std::string DirDescargas() const;
    // Where the per-installation record is read from and deleted at exit.
    std::string DirFicheroCliente() const;
    std::string IniPrograma();
    std::string UrlExternos() const;
    bool EsVersionSiguiente() const;
    // The install button's run (and Enter in the folder edit).
    void Instalar();
    bool RelanzarActualizador();
    bool HayBeta();
    bool HayV2();
    std::string VersionInformada() const;
    void AvisarServidor(const std::string& url);

    // --- pages -------------------------------------------------------------
    void MostrarPagina(int indice, bool desactivarActual);
    void PaginaDescargando();
    void PaginaInstalando();
    void PaginaEnReposo(bool reiniciar);
    void MostrarPaginaMotor();

    // --- the database engine page -------------------------------------------
    void OfrecerMotor();
    void LanzarInstaladorMotor();
    void Timer3Timer();
    // Asks whether to open the installed program: on yes it is started and
    // the application ends without the exit question, otherwise the window
    // closes.
    void OfrecerAbrirPrograma();

    // --- components -------------------------------------------------------
    forms::TPanel* PanelKavo1;
    forms::TPanel* PanelKavo2;
    forms::TImage* Image1;
    forms::TLabel* LabelPrograma;
    forms::TLabel* LabelFecha;
    forms::TLabel* LabelVersion;
    forms::TLabel* LSerie;
    forms::TLabel* kvLabel10;
    forms::TLabel* kvLabel12;
    forms::TLabel* kvLabel13;
    forms::TLabel* LVersionAct;
    forms::TPanel* PanelFrame;
    forms::TButton* bInstalar;
    forms::TButton* bCancelar;
    TExtractorInstalador Extractor1;
    forms::TTimer Timer1{80};
    forms::TTimer Timer2{100};
    forms::TTimer Timer3{1000};

    // The state the run moves is TDatosControlador's.
    TBloqueo ManejadorBloqueo;
    // Where this process downloads, made at first use, gone at exit.
    mutable TCarpetaPrivada CarpetaDescargas;
    std::vector<TFFrameBase*> Paginas;
    TFFramePrograma* PaginaDirectorio = nullptr;
    TFFrameInstalar* PaginaInstalacion = nullptr;
    TFFramepsql* PaginaMotor = nullptr;
    bool EsperandoMotor = false;
    // Whether an engine installer is still being watched.
    bool InstalandoMotor() const { return Timer3.Enabled(); }

    // The run of the install button.
    TEjecucion& Ejecucion();
    // The system's side of the run, lent to the product too.
    TEfectos Efectos();
    // Ends the application with no exit question.
    void TerminarSinPregunta();

protected:
    // The button looks of the pages.
    void BotonesEnReposo();
    void BotonesTrabajando();
    void BotonesMotor();
    void CrearPaginas();
    // The release choice, outside local mode: the descriptions the vendor
    // published decide between the archive at hand, the V2 and the beta.
    void EleccionLanzamiento();
    TIniPropio LeerIniEjecutable() const;
    TNombresLanzamiento NombresLanzamiento();
    void MostrarEtiquetas(const TEtiquetasLanzamiento& etiquetas);
    // The executable's own INI: its path with the extension ".INI".
    std::string IniEjecutable() const;
    void PrepararPoliticaFirmas();
    void AnadirDescarga(const std::string& ruta);
    TProgresoDescarga ProgresoArranque();
    TDescripcionesWin32 Descripciones();
    // The release the beta and V2 descriptions are checked against, known
    // once the installer has read its record or the updater the
    // per-installation one.
    TLanzamientoAMano Lanzamiento;

private:
    void CrearComponentes();
    void FinInstalacionServidor();
    void BorrarProgramaApartado();
    std::unique_ptr<TEfectosWin32> efectos_;
    std::unique_ptr<TVentanaEjecucion> ventana_;
    std::unique_ptr<TEjecucion> ejecucion_;
    void FundidoSalida();
    void CerrarSegun(TDecisionCierre decision);
    bool cierreSinPregunta_ = false;
    // The run answered Escape or the cancel button with a close.
    bool cierreDecidido_ = false;
    // Ticks of the watch while the installer's window has not come up.
    int segundosSinInstalador_ = 0;
};

// Where the updater keeps the moment of the newest release record it
// accepted (its own INI).
inline constexpr const char* kSeccionFirmas = "FIRMAS";
inline constexpr const char* kClaveUltimaFirma = "ULTIMA_REGISTRO";


