#include "ProgramaInstalador.h"

#include "Application.h"
#include "FirmaFicheros.h"
#include "ProgramaPropio.h"
#include "Registro.h"
#include "Unit_Win7Taskbar.h"

namespace {

// For the script that started us, when it kept our standard error: a GUI
// program has none otherwise, and then this says nothing.
void AvisarErrorEstandar(const std::string& texto) {
    HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
    const std::string linea = texto + "\r\n";
    DWORD escritos = 0;
    WriteFile(h, linea.data(), static_cast<DWORD>(linea.size()), &escritos, nullptr);
}

}  // namespace

ProgramaInstalador::ProgramaInstalador() {
    forms::TApplication& app = forms::Application();
    app.Initialize();
    app.SetTitle("Instalación Contabilidad Kavo");
    opciones_ = desatendido::InterpretarSwitches(ArgumentosPrograma());
    if (opciones_.registro) Registro().FijarRuta(*opciones_.registro);
    if (!opciones_.error.empty()) {
        // A script with a bad switch must not end up asking someone, nor
        // installing anywhere but where it meant.
        opciones_.silencio = desatendido::Silencio::MuySilencioso;
        Anotar("Argumentos: " + opciones_.error);
        AvisarErrorEstandar(opciones_.error);
        fallo_ = desatendido::csOtroError;
        return;
    }
    // Installed before the window starts: its start-up asks and tells too.
    if (opciones_.Desatendido()) ui::SetDialogScript([this](const ui::DialogRequest& p) { return Contestar(p); });
    app.Proteger([&] {
        form_ = std::make_unique<TFMain>();
        AplicarOpciones(opciones_, *form_);
        app.SetMainForm(form_.get());
        try {
            form_->FormCreate();
        } catch (const firma::EFirmaRechazada&) {
            // A file refused at start-up (the release record, a release
            // description) ends the program as the refusal it is.
            form_->Ejecucion().RechazarArranque();
            throw;
        }
    });
    if (!FormularioListo || opciones_.silencio == desatendido::Silencio::MuySilencioso) return;
    form_->Show();
    // A window shown while another program holds the foreground is not
    // activated; without this it would stay at opacity 0, invisible.
    app.Proteger([&] { form_->FormActivate(); });
}

ProgramaInstalador::~ProgramaInstalador() {
    forms::Application().SetMainForm(nullptr);
    form_.reset();
    // The taskbar is a shell object: released here, while COM still lives.
    FinalizarTaskbar();
}

ui::DialogAnswer ProgramaInstalador::Contestar(const ui::DialogRequest& pedido) {
    const ui::DialogAnswer respuesta = desatendido::RespuestaSegura(pedido, opciones_);
    Anotar("Desatendido: " + pedido.kind + " \"" + pedido.caption + "\": " + pedido.text + " -> " +
           std::to_string(respuesta.result));
    return respuesta;
}

int ProgramaInstalador::Ejecutar() {
    if (!opciones_.Desatendido()) {
        if (FormularioListo) forms::Application().Run();
        return 0;
    }
    if (FormularioListo && !fallo_) {
        if (opciones_.carpeta) form_->PaginaDirectorio->eDirPrograma->SetText(*opciones_.carpeta);
        forms::Application().Proteger([&] { form_->Instalar(); });
        // The engine's installer is watched by a timer, which needs the loop.
        while (form_->InstalandoMotor() && !forms::Application().Terminated()) {
            WaitMessage();
            forms::Application().ProcessMessages();
        }
    }
    // The run's named end; a start-up that failed before naming one is any
    // other error. A run that ended well on an old release tells a possible
    // freeze.
    int codigo = fallo_.value_or(form_ ? desatendido::CodigoDeFin(form_->Fin) : desatendido::csOtroError);
    if (codigo == desatendido::csHecho && form_ && form_->PosibleCongelacion)
        codigo = desatendido::csPosibleCongelacion;
    Anotar("Desatendido: fin, código de salida " + std::to_string(codigo));
    return codigo;
}
