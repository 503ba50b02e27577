// The program entry: the application, its title, the main window; the loop
// runs only when the window's start-up succeeded.
#include <objbase.h>
#include <windows.h>

#include "Application.h"
#include "main.h"

namespace {
// COM for the main thread for the whole life of the process.
struct ComMainThread {
    ComMainThread() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComMainThread() { CoUninitialize(); }
} g_com;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    forms::TApplication& app = forms::Application();
    app.Initialize();
    app.SetTitle("Instalación Contabilidad Kavo");
    std::unique_ptr<TFMain> form;
    app.Proteger([&] {
        form = std::make_unique<TFMain>();
        app.SetMainForm(form.get());
        form->FormCreate();
    });
    if (FormularioListo) {
        form->Show();
        // A window shown while another program holds the foreground is not
        // activated; without this it would stay at opacity 0, invisible.
        app.Proteger([&] { form->FormActivate(); });
        app.Run();
    }
    app.SetMainForm(nullptr);
    form.reset();
    return 0;
}
