#include "ProgramaInstalador.h"

#include "Application.h"
#include "Unit_Win7Taskbar.h"

ProgramaInstalador::ProgramaInstalador() {
    forms::TApplication& app = forms::Application();
    app.Initialize();
    app.SetTitle("Instalación Contabilidad Kavo");
    app.Proteger([&] {
        form_ = std::make_unique<TFMain>();
        app.SetMainForm(form_.get());
        form_->FormCreate();
    });
    if (!FormularioListo) return;
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

void ProgramaInstalador::Ejecutar() {
    if (FormularioListo) forms::Application().Run();
}
