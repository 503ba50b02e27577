// The database engine page: the offer at the end of a first installation,
// the start of the engine's installer and the once-a-second watch over it.
#include "FormKavoInstala.h"

#include "AbrirShell.h"
#include "Application.h"
#include "Mensajes.h"
#include "MotorSistema.h"
#include "Registro.h"

namespace {
// How long an unattended run waits for the installer's window to come up
// before it takes the start as failed: nobody would press Cancelar.
constexpr int kSegundosHastaVerInstalador = 120;
}  // namespace

// The window's part of the engine page; the run has marked itself finished.
void TFFormKavoInstala::OfrecerMotor() {
    if (MotorDesatendido == desatendido::Motor::No) {
        Anotar("Motor de la base de datos: no se instala");
        return;
    }
    // A server belongs on the computer that holds the data: a folder on
    // another one's share (also through a mapped drive) gets no engine page.
    std::string error = ErrorServidorMotor(RutaUniversal(Extractor1.ExtractPath), NombreEquipo(), Mayusculas);
    if (!error.empty()) {
        // Asked for by a script, an engine left out fails its run.
        if (MotorDesatendido)
            Ejecucion().MotorNoInstalado(error);
        else
            MensajeError(error);
        return;
    }
    MostrarPaginaMotor();
    if (!MotorDesatendido) return;
    PaginaMotor->RadioGroup1->SetItemIndex(*MotorDesatendido == desatendido::Motor::Servidor ? 0 : 1);
    PaginaMotor->RadioGroup1Click();
    LanzarInstaladorMotor();
}

void TFFormKavoInstala::LanzarInstaladorMotor() {
    bool servidor = PaginaMotor->RadioGroup1->ItemIndex() == 0;
    // Not awaited and no message when it cannot start: the watch simply never
    // sees its window, and the user can still close ours.
    PeticionShell p{Handle(), RutaInstaladorMotor(Extractor1.ExtractPath, TipoMotor, servidor), "\"/s\"", ""};
    p.sinAvisos = true;
    const bool iniciado = AbrirConShell(p);
    Anotar("Instalador del motor" + std::string(iniciado ? " iniciado: " : " no iniciado: ") + p.fichero);
    if (!iniciado && MotorDesatendido) {
        Ejecucion().MotorNoInstalado("No se ha podido iniciar el instalador del motor de la base de datos: " +
                                     p.fichero);
        return;
    }
    segundosSinInstalador_ = 0;
    Timer3.SetEnabled(true);
    bInstalar->SetEnabled(false);
}

void TFFormKavoInstala::Timer3Timer() {
    bool servidor = PaginaMotor && PaginaMotor->RadioGroup1->ItemIndex() == 0;
    VentanasEscritorio escritorio;
    switch (VigilarInstalador(Timer3.Enabled(), TipoMotor, servidor, EsperandoMotor, escritorio)) {
    case PasoVigilancia::Nada:
        if (MotorDesatendido && Timer3.Enabled() && !EsperandoMotor &&
            ++segundosSinInstalador_ >= kSegundosHastaVerInstalador) {
            Timer3.SetEnabled(false);
            Ejecucion().MotorNoInstalado("El instalador del motor de la base de datos no ha aparecido.");
        }
        return;
    case PasoVigilancia::MotorNoSoportado:
        // The modal message lets the timer tick on: stopped first, or every
        // second would stack one more message.
        Timer3.SetEnabled(false);
        MostrarMensaje("Motor no soportado");
        return;
    case PasoVigilancia::InstaladorVisto:
        EsperandoMotor = true;
        PaginaMotor->LbMotor->SetCaption(kTextoEsperandoMotor);
        return;
    case PasoVigilancia::InstaladorAbandona:
        Timer3.SetEnabled(false);
        EsperandoMotor = false;
        PaginaMotor->LbMotor->SetCaption("");
        bInstalar->SetEnabled(true);
        Anotar("El instalador del motor terminó sin cambios");
        // Attended, the user may try again; unattended, that is the end.
        if (MotorDesatendido)
            Ejecucion().MotorNoInstalado("La instalación del motor de la base de datos no se ha completado.");
        return;
    case PasoVigilancia::InstaladorTerminado:
        Timer3.SetEnabled(false);
        PaginaMotor->LbMotor->SetCaption(kTextoMotorCompletado);
        Anotar(kTextoMotorCompletado);
        if (servidor) FinInstalacionServidor();
        return;
    }
}

void TFFormKavoInstala::FinInstalacionServidor() {
    bCancelar->SetCaption("Salir");
    forms::Application().ProcessMessages();
    OfrecerAbrirPrograma();
}

void TFFormKavoInstala::OfrecerAbrirPrograma() { Ejecucion().OfrecerAbrirPrograma(); }
