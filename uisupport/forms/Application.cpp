#include "Application.h"

#include <windows.h>

#include "DialogSeam.h"
#include "Exception.h"
#include "Form.h"
#include "Mensajes.h"
#include "ProcessMessages.h"
#include "TextCodec.h"

namespace forms {

TApplication& Application() {
    static TApplication app;
    return app;
}

void TApplication::Initialize() { IniciarToolkit(); }

int TApplication::Run() {
    MSG msg;
    while (!terminado_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (ui::FilterMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    terminado_ = true;
    return 0;
}

void TApplication::Terminate() {
    terminado_ = true;
    PostQuitMessage(0);
}

void TApplication::ProcessMessages() { ui::ProcessMessages(); }

void TApplication::HandleException(std::exception_ptr e) {
    std::string texto;
    try {
        std::rethrow_exception(e);
    } catch (const EAbort&) {
        return;  // the silent stop: the user was already told
    } catch (const std::exception& x) {
        texto = x.what();
    } catch (...) {
        texto = "Error desconocido";
    }
    ui::DialogRequest pedido{"ErrorAplicacion", titulo_, texto, {"Vale"}, ""};
    if (ui::ScriptedAnswer(pedido)) return;
    MostrarDialogo(texto, titulo_, MB_ICONERROR, BotonesMensaje::Ok);
}

void TApplication::Proteger(const std::function<void()>& manejador) noexcept {
    try {
        manejador();
    } catch (...) {
        try {
            HandleException(std::current_exception());
        } catch (...) {
            // Nothing may cross back into Win32.
        }
    }
}

}  // namespace forms
