// The window's side of the run: the install and cancel buttons and Enter in
// the folder edit, handed to TEjecucion; and the adapter through which the
// run sees the pages and the product's operations.
#include "Application.h"
#include "EfectosWin32.h"
#include "FormKavoInstala.h"
#include "Rutas.h"
#include "LibActualizadorComun.h"

namespace {

class TVentanaFormulario : public TVentanaEjecucion {
public:
    explicit TVentanaFormulario(TFFormKavoInstala& f) : f_(f) {}

    void PaginaDescargando() override { f_.PaginaDescargando(); }
    void PaginaInstalando() override { f_.PaginaInstalando(); }
    void PaginaEnReposo(bool reiniciar) override { f_.PaginaEnReposo(reiniciar); }
    void MostrarPagina(int indice, bool desactivarActual) override { f_.MostrarPagina(indice, desactivarActual); }
    std::string TextoDirPrograma() override { return f_.PaginaDirectorio->eDirPrograma->Text(); }
    std::string DirPrograma() override { return f_.DirPrograma(); }
    bool ComprobarActualizaciones() override { return f_.PaginaDirectorio->cbComprobarActualizaciones->Checked(); }
    std::string IniPrograma() override { return f_.IniPrograma(); }
    void FijarDirInstalar(const std::string& texto) override { Pagina().eDirInstalar->SetText(texto); }
    void FijarTituloProgreso(const std::string& texto) override {
        Pagina().gbInstalar2->SetCaption(texto);
        Pagina().Label1->SetCaption(texto);
    }
    void FijarDescargado(uint32_t progreso, uint32_t maximo) override {
        Pagina().stDe->SetCaption("Descargado " + FormatoTamano(progreso) + " de " + FormatoTamano(maximo));
    }
    void FijarDeRuta(const std::string& prefijo, const std::string& ruta) override {
        forms::TLabel& l = *Pagina().stDe;
        l.SetCaption(prefijo + AcortarRuta(ruta, l.FuenteHandle(), 219));
    }
    void FijarFichero(const std::string& ruta) override {
        forms::TLabel& l = *Pagina().stText;
        l.SetCaption(AcortarRuta(ruta, l.FuenteHandle(), l.Posicion().ancho));
    }
    void MostrarCopiar() override { Pagina().stCopiar->SetVisible(true); }
    void HabilitarCancelar(bool activo) override { f_.bCancelar->SetEnabled(activo); }
    void DeshabilitarInstalar() override { f_.bInstalar->SetEnabled(false); }
    int PosicionBarra() override { return Pagina().ProgressBar1->Position(); }
    int MaximoBarra() override { return Pagina().ProgressBar1->Max(); }
    void FijarMaximoBarra(int maximo) override { Pagina().ProgressBar1->SetMax(maximo); }
    void FijarPosicionBarra(int posicion) override { ::PosicionBarra(Pagina().ProgressBar1->Handle(), posicion); }
    void CerrarVentana() override { f_.Close(); }
    std::string VersionInformada() override { return f_.VersionInformada(); }
    bool RelanzarActualizador() override { return f_.RelanzarActualizador(); }

    void OfrecerMotor() override { f_.OfrecerMotor(); }
    void LanzarInstaladorMotor() override { f_.LanzarInstaladorMotor(); }
    void RegistrarCodigoCliente(uint32_t codigo) override {
        ::RegistrarCodigoCliente(CarpetaPrograma(), f_.Producto().NombreIniPrograma(), codigo);
    }
    uint32_t CodigoClienteRegistrado() override {
        return LeerCodigoClienteRegistrado(CarpetaPrograma(), f_.Producto().NombreIniPrograma());
    }

private:
    TFFrameInstalar& Pagina() { return *f_.PaginaInstalacion; }
    std::string CarpetaPrograma() { return CarpetaDe(f_.Producto().RutaProgramaInstalado()); }
    TFFormKavoInstala& f_;
};

}  // namespace

TEfectos TFFormKavoInstala::Efectos() {
    // Lent, never the window itself: a recovery at start-up comes before
    // the pages, so the bar is asked for when the taskbar is.
    if (!efectos_)
        efectos_ = std::make_unique<TEfectosWin32>(
            Extractor1, ManejadorBloqueo, CarpetaDescargas,
            [this]() -> HWND { return PaginaInstalacion ? PaginaInstalacion->ProgressBar1->Handle() : nullptr; },
            [this] { TerminarSinPregunta(); });
    return efectos_->Efectos();
}

TEjecucion& TFFormKavoInstala::Ejecucion() {
    if (!ventana_) ventana_ = std::make_unique<TVentanaFormulario>(*this);
    if (!ejecucion_) ejecucion_ = std::make_unique<TEjecucion>(*this, *ventana_, Producto(), Efectos());
    return *ejecucion_;
}

void TFFormKavoInstala::TerminarSinPregunta() {
    cierreSinPregunta_ = true;
    forms::Application().Terminate();
}

void TFFormKavoInstala::Instalar() { Ejecucion().Instalar(); }

void TFFormKavoInstala::bInstalarClick() { Instalar(); }
void TFFormKavoInstala::bCancelarClick() { CerrarSegun(Ejecucion().PedirCierre(TOrigenCierre::BotonCancelar)); }

void TFFormKavoInstala::eDirProgramaKeyDown(WORD& tecla) {
    if (tecla != VK_RETURN) return;
    tecla = 0;
    if (auto* principal = dynamic_cast<TFFormKavoInstala*>(forms::Application().MainForm()))
        principal->Instalar();
    else
        Instalar();
}
