#include "Mensajes.h"

#include <windows.h>

#include "Application.h"
#include "DialogSeam.h"
#include "Form.h"
#include "TextCodec.h"

namespace {

const char* kSi = "&Sí";
const char* kNo = "&No";
const char* kVale = "Vale";
const char* kCancelar = "Cancelar";

std::vector<std::string> Botones(BotonesMensaje b) {
    switch (b) {
    case BotonesMensaje::Ok: return {kVale};
    case BotonesMensaje::OkCancelar: return {kVale, kCancelar};
    case BotonesMensaje::SiNo: return {kSi, kNo};
    }
    return {};
}

// The system's message box speaks the system's language; a CBT hook puts the
// program's Spanish captions on its buttons before it is shown.
HHOOK g_gancho = nullptr;

LRESULT CALLBACK GanchoCbt(int codigo, WPARAM wp, LPARAM lp) noexcept {
    if (codigo == HCBT_ACTIVATE) {
        HWND dlg = reinterpret_cast<HWND>(wp);
        const std::pair<int, const char*> nombres[] = {
            {IDOK, kVale}, {IDCANCEL, kCancelar}, {IDYES, kSi}, {IDNO, kNo}};
        for (const auto& [id, texto] : nombres)
            if (HWND b = GetDlgItem(dlg, id)) SetWindowTextW(b, text::Wide(texto).c_str());
        UnhookWindowsHookEx(g_gancho);
        g_gancho = nullptr;
    }
    return CallNextHookEx(nullptr, codigo, wp, lp);
}

}  // namespace

int MostrarDialogo(const std::string& texto, const std::string& titulo, unsigned icono, BotonesMensaje botones) {
    UINT tipo = botones == BotonesMensaje::Ok ? MB_OK : botones == BotonesMensaje::OkCancelar ? MB_OKCANCEL : MB_YESNO;
    // The active window owns the box while it can take input (a modal dialog
    // over the main form); the message box re-enables its owner on closing,
    // so a form disabled under a dialog must not own it.
    forms::TForm* f = forms::Application().MainForm();
    HWND activa = GetActiveWindow();
    HWND propietario = activa && IsWindowEnabled(activa) ? activa
                       : f && IsWindow(f->Handle())      ? f->Handle()
                                                         : activa;
    g_gancho = SetWindowsHookExW(WH_CBT, &GanchoCbt, nullptr, GetCurrentThreadId());
    int r = MessageBoxW(propietario, text::Wide(texto).c_str(), text::Wide(titulo).c_str(), tipo | icono);
    if (g_gancho) {
        UnhookWindowsHookEx(g_gancho);
        g_gancho = nullptr;
    }
    // A dialog closed by a terminate request counts as Cancel.
    return r == 0 ? mrCancel : r;
}

std::string TituloMensaje(TipoMensaje tipo) {
    switch (tipo) {
    case TipoMensaje::Aviso: return "Advertencia";
    case TipoMensaje::Error: return "Error";
    case TipoMensaje::Informacion: return "Información";
    case TipoMensaje::Confirmacion: return "Confirmación";
    }
    return {};
}

int Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones) {
    std::string titulo = TituloMensaje(tipo);
    if (auto r = ui::ScriptedAnswer({"Mensaje", titulo, texto, Botones(botones), ""})) return r->result;
    UINT icono = tipo == TipoMensaje::Aviso         ? MB_ICONWARNING
                 : tipo == TipoMensaje::Error       ? MB_ICONERROR
                 : tipo == TipoMensaje::Informacion ? MB_ICONINFORMATION
                                                    : MB_ICONQUESTION;
    return MostrarDialogo(texto, titulo, icono, botones);
}

void MensajeError(const std::string& texto) { Mensaje(texto, TipoMensaje::Error, BotonesMensaje::Ok); }
void MensajeInfo(const std::string& texto) { Mensaje(texto, TipoMensaje::Informacion, BotonesMensaje::Ok); }
void MensajeAviso(const std::string& texto) { Mensaje(texto, TipoMensaje::Aviso, BotonesMensaje::Ok); }

void MostrarMensaje(const std::string& texto) {
    const std::string& titulo = forms::Application().Title();
    if (ui::ScriptedAnswer({"MostrarMensaje", titulo, texto, {kVale}, ""})) return;
    MostrarDialogo(texto, titulo, 0, BotonesMensaje::Ok);
}
