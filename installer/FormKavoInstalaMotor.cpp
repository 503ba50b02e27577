// The database engine page: the offer at the end of a first installation,
// the start of the engine's installer and the once-a-second watch over it.
#include "FormKavoInstala.h"

#include "AbrirShell.h"
#include "Application.h"
#include "Mensajes.h"
#include "MotorSistema.h"

void TFFormKavoInstala::OfrecerMotor() {
    Estado = esTerminado;
    // A server belongs on the computer that holds the data: a folder on
    // another one's share (also through a mapped drive) gets no engine page.
    std::string error = ErrorServidorMotor(RutaUniversal(Extractor1.ExtractPath), NombreEquipo(), Mayusculas);
    if (!error.empty()) {
        MensajeError(error);
        return;
    }
    MostrarPaginaMotor();
}

void TFFormKavoInstala::LanzarInstaladorMotor() {
    bool servidor = PaginaMotor->RadioGroup1->ItemIndex() == 0;
    // Not awaited and no message when it cannot start: the watch simply never
    // sees its window, and the user can still close ours.
    PeticionShell p{Handle(), RutaInstaladorMotor(Extractor1.ExtractPath, TipoMotor, servidor), "\"/s\"", ""};
    p.sinAvisos = true;
    AbrirConShell(p);
    Timer3.SetEnabled(true);
    bInstalar->SetEnabled(false);
}

void TFFormKavoInstala::Timer3Timer() {
    bool servidor = PaginaMotor && PaginaMotor->RadioGroup1->ItemIndex() == 0;
    VentanasEscritorio escritorio;
    switch (VigilarInstalador(Timer3.Enabled(), TipoMotor, servidor, EsperandoMotor, escritorio)) {
    case PasoVigilancia::Nada:
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
        return;
    case PasoVigilancia::InstaladorTerminado:
        Timer3.SetEnabled(false);
        PaginaMotor->LbMotor->SetCaption(kTextoMotorCompletado);
        if (servidor) FinInstalacionServidor();
        return;
    }
}

void TFFormKavoInstala::FinInstalacionServidor() {
    bCancelar->SetCaption("Salir");
    forms::Application().ProcessMessages();
    OfrecerAbrirPrograma();
}

void TFFormKavoInstala::OfrecerAbrirPrograma() {
    if (Mensaje(TextoOperacion() + " Correcta\n\r\n\r" + PreguntaFinal(), TipoMensaje::Informacion,
                BotonesMensaje::SiNo) != mrYes) {
        Close();  // no question: the run has finished
        return;
    }
    IniciarPrograma(RutaProgramaEjecutar(), "");
    TerminarSinPregunta();
}
