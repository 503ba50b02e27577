#include "ModoLocal.h"

#include <shellapi.h>

#include "AbrirShell.h"
#include "Dialogos.h"
#include "Mensajes.h"
#include "TextCodec.h"

using namespace forms;

namespace {

constexpr COLORREF kBlanco = RGB(255, 255, 255);
constexpr COLORREF kColorError = RGB(128, 0, 64);
constexpr COLORREF kColorAviso = RGB(255, 128, 0);
// The window font is Segoe UI 8 pt: 11 pixels at 96 dpi; 10 pt is 13.
constexpr int kAltoLetra = 11;
constexpr int kAltoLetraAviso = 13;

// The lower panels lie in the same place, just below the compact window's edge.
constexpr Limites kLugarPanel{8, TFModoLocal::kAltoCompacto + 4, TFModoLocal::kAncho - 16, 172};
constexpr int kAnchoTexto = TFModoLocal::kAncho - 16 - 16;

const Fuente kNormal{kAltoLetra};
const Fuente kError{kAltoLetra, false, kColorError};
const Fuente kAviso{kAltoLetraAviso, true, kColorAviso};

TLabel* Parrafo(TContenedor* padre, const std::string& nombre, int y, int alto, const std::string& texto,
                const Fuente& f = kNormal, TLabel::Alineacion a = TLabel::Alineacion::Izquierda) {
    return padre->Crear<TLabel>(nombre, Limites{8, y, kAnchoTexto, alto}, texto, f, a, false, true);
}

}  // namespace

TFModoLocal::TFModoLocal(HWND propietario, DatosModoLocal datos)
    : TFormModal(propietario, "FModoLocal", kAncho, kAltoCompacto, "Actualizador Kavo"),
      sistema_(*this),
      logica_(std::move(datos), sistema_) {
    CrearParteSuperior();
    CrearPanelLocal();
    CrearPanelNoInternet();
    BtIniciar = Crear<TButton>("BtIniciar", Limites{(kAncho - 200) / 2, 408, 200, 28}, "Iniciar Instalación Local");
    BtIniciar->OnClick = [this] { BtIniciarClick(); };
    Label6 = Crear<TLabel>("Label6", Limites{8, 442, kAncho - 16, 16},
                           "Una vez terminada la instalación no se te olvide borrar los ficheros de la carpeta donde "
                           "los has descargado.",
                           kNormal, TLabel::Alineacion::Centro);
    Reflejar();
}

void TFModoLocal::CrearParteSuperior() {
    Panel2 = Crear<TPanel>("Panel2", Limites{8, 8, kAncho - 16, 136}, kBlanco, true);
    Label1 = Parrafo(Panel2, "Label1", 8, 30,
                     "Vaya.. Parece que hay algún problema para descargar un fichero. Al intentar descargarlo ha "
                     "surgido el siguiente error:",
                     kNormal, TLabel::Alineacion::Centro);
    LbError = Parrafo(Panel2, "LbError", 40, 58, logica_.Datos().error, kError);
    Label3 = Parrafo(Panel2, "Label3", 104, 22,
                     "Recuerda parar el antivirus e intentar instalar el programa desde el servidor.", kAviso,
                     TLabel::Alineacion::Centro);

    btnLocal = Crear<TButton>("btnLocal", Limites{8, 152, 256, 64},
                              "He parado el antivirus, he intentado instalarlo desde el servidor, pero el problema "
                              "persiste.");
    btnCerrar = Crear<TButton>("btnCerrar", Limites{(kAncho - 130) / 2, 169, 130, 30}, "Cerrar Instalador");
    btnNoInternet = Crear<TButton>("btnNoInternet", Limites{kAncho - 8 - 256, 152, 256, 64},
                                   "Si no tienes Internet en este equipo pincha aqui.");
    btnLocal->SetAjusteLineas();
    btnNoInternet->SetAjusteLineas();
    btnLocal->OnClick = [this] { btnSoluciontClick(kSolucionLocal); };
    btnNoInternet->OnClick = [this] { btnSoluciontClick(kSolucionNoInternet); };
    btnCerrar->OnClick = [this] { btnCerrarClick(); };
}

void TFModoLocal::CrearPanelLocal() {
    const DatosModoLocal& d = logica_.Datos();
    PanelLocal = Crear<TPanel>("PanelLocal", kLugarPanel, kBlanco, true);
    Label2 = Parrafo(PanelLocal, "Label2", 8, 30,
                     "Bien vamos a probar con la instalación en local. ¿Qué significa esto?. Que deberás descargarte "
                     "los ficheros desde tu navegador de internet y guardarlos en la carpeta de programa de kavo.");
    Label4 = Parrafo(PanelLocal, "Label4", 46, 16,
                     "Empecemos, pincha en los enlaces de abajo se te abrirá el navegador para descargar el fichero.");
    OvcURLPrograma = PanelLocal->Crear<TOvcURL>("OvcURLPrograma", Limites{24, 68, kAnchoTexto, 16}, d.UrlPrograma(),
                                                kNormal);
    Label5 = Parrafo(PanelLocal, "Label5", 98, 16, "Los ficheros descargados guárdalos en la carpeta:");
    OvcURLPath = PanelLocal->Crear<TOvcURL>("OvcURLPath", Limites{24, 120, kAnchoTexto, 16}, d.carpeta, kNormal);
    for (TOvcURL* enlace : {OvcURLPrograma, OvcURLPath})
        enlace->OnClick = [this, enlace] { OvcURLComunClick(*enlace); };
}

void TFModoLocal::CrearPanelNoInternet() {
    PanelNoInternet = Crear<TPanel>("PanelNoInternet", kLugarPanel, kBlanco, true);
    Label7 = Parrafo(PanelNoInternet, "Label7", 8, 30,
                     "Bien vamos a probar con la instalación en local. ¿Qué significa esto?. Que deberás descargarte "
                     "los ficheros desde otro equipo  mediante tu navegador de internet y guardarlos en la carpeta de "
                     "programa de kavo.");
    Label8 = Parrafo(PanelNoInternet, "Label8", 42, 30,
                     "Pulsa el botón de abajo y guarda el fichero Kavo.Html en el pendrive (memoria USB). Luego abre "
                     "ese fichero en el otro equipo, pincha en sus enlaces, descarga los ficheros y guárdalos en el "
                     "pendrive.");
    btEnlaces = PanelNoInternet->Crear<TButton>("btEnlaces", Limites{(kAncho - 16 - 320) / 2, 78, 320, 32},
                                                "Guardar Fichero con los enlaces a un pendrive");
    btEnlaces->MostrarIconoSistema(SIID_DRIVEREMOVE);
    btEnlaces->OnClick = [this] { btEnlacesClick(); };
    Label9 = Parrafo(PanelNoInternet, "Label9", 120, 16,
                     "Los ficheros descargados en el otro equipo y que tienes en el pendrive debes guardarlos en la "
                     "carpeta:");
    OvcURLPath2 = PanelNoInternet->Crear<TOvcURL>("OvcURLPath2", Limites{24, 142, kAnchoTexto, 16},
                                                  logica_.Datos().carpeta, kNormal);
    OvcURLPath2->OnClick = [this] { OvcURLComunClick(*OvcURLPath2); };
}

void TFModoLocal::Reflejar() {
    PanelLocal->SetVisible(logica_.Panel() == PanelModoLocal::Local);
    PanelNoInternet->SetVisible(logica_.Panel() == PanelModoLocal::NoInternet);
    BtIniciar->SetEnabled(logica_.IniciarActivo());
    if (logica_.Ampliado() && Alto() != TModoLocalLogica::kAltoAmpliado) SetAlto(TModoLocalLogica::kAltoAmpliado);
    if (logica_.Fin() == FinModoLocal::Instalar) SetModalResult(mrOk);
    if (logica_.Fin() == FinModoLocal::Cerrado) SetModalResult(mrCancel);
}

void TFModoLocal::btnSoluciontClick(int tag) {
    logica_.Solucion(tag);
    Reflejar();
}

void TFModoLocal::OvcURLComunClick(const TOvcURL& enlace) { logica_.AbrirEnlace(enlace.Caption()); }

void TFModoLocal::btEnlacesClick() {
    logica_.GuardarEnlaces();
    Reflejar();
}

void TFModoLocal::BtIniciarClick() {
    logica_.Iniciar();
    Reflejar();
}

void TFModoLocal::btnCerrarClick() {
    logica_.Cerrar();
    Reflejar();
}

// --- the real system -------------------------------------------------------

std::string TFModoLocal::TSistemaVentana::Ansi(const std::string& utf8) {
    const std::wstring w = text::Wide(utf8);
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), ansi.data(), n, nullptr, nullptr);
    return ansi;
}

bool TFModoLocal::TSistemaVentana::GuardarComo(std::string& nombre) {
    // No filter, no default extension, no overwrite prompt.
    TSaveDialog dialogo;
    dialogo.FileName = nombre;
    dialogo.Owner = dialogo_.Handle();
    if (!::GuardarComo(dialogo)) return false;
    nombre = dialogo.FileName;
    return true;
}

void TFModoLocal::TSistemaVentana::Mensaje(const std::string& texto) { MostrarMensaje(texto); }

void TFModoLocal::TSistemaVentana::Abrir(const std::string& destino) {
    AbrirConShell({dialogo_.Handle(), destino, "", ""});
}

bool MostrarModoLocal(HWND propietario, const std::string& mensaje, const std::string& carpeta,
                      const std::string& fichero, const std::string& url) {
    DatosModoLocal datos{mensaje, carpeta, fichero, url};
    TSistemaModoLocal sistema;
    if (std::optional<bool> guion = RespuestaGuionModoLocal(datos, sistema)) return *guion;
    TFModoLocal dialogo(propietario, std::move(datos));
    return dialogo.ShowModal() == mrOk;
}
