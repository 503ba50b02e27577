#include "Form.h"

#include "Application.h"
#include "ProcessMessages.h"
#include "TextCodec.h"
#include "Win32Error.h"

namespace forms {

namespace {
TForm* g_vistaPrevia = nullptr;  // the form whose key preview is active
}

TForm::TForm(const std::string& nombre, int ancho, int alto, const std::string& caption) {
    IniciarToolkit();
    RECT r{0, 0, ancho, alto};
    DWORD estilo = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&r, estilo, FALSE, WS_EX_LAYERED | WS_EX_APPWINDOW);
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT trabajo;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &trabajo, 0);
    int x = trabajo.left + (trabajo.right - trabajo.left - w) / 2;
    int y = trabajo.top + (trabajo.bottom - trabajo.top - h) / 2;
    CrearVentana(kClaseForm, estilo, WS_EX_LAYERED | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, nullptr, nombre,
                 {x, y, w, h}, caption);
    SetAlphaBlendValue(0);
    SetFuente(Fuente{11, false, RGB(0, 0, 0)});
    g_vistaPrevia = this;
    ui::SetMessageFilter(&TForm::VistaPreviaTeclas);
}

TForm::~TForm() {
    if (g_vistaPrevia == this) {
        g_vistaPrevia = nullptr;
        ui::SetMessageFilter(nullptr);
    }
}

void TForm::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
}

void TForm::Close() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TForm::SetAlphaBlendValue(BYTE valor) {
    alfa_ = valor;
    SetLayeredWindowAttributes(hwnd_, 0, valor, LWA_ALPHA);
}

Limites TForm::PosicionEnPantalla() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TForm::MoverA(int x, int y) {
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ArrastrarVentana() {
    ReleaseCapture();
    // SC_MOVE with the caption hit-test: the system's own window drag.
    SendMessageW(hwnd_, WM_SYSCOMMAND, 0xF012, 0);
}

bool TForm::VistaPreviaTeclas(void* mensaje) {
    auto* msg = static_cast<MSG*>(mensaje);
    TForm* f = g_vistaPrevia;
    if (!f || !f->OnKeyDown || msg->message != WM_KEYDOWN) return false;
    if (msg->hwnd != f->hwnd_ && !IsChild(f->hwnd_, msg->hwnd)) return false;
    WORD tecla = static_cast<WORD>(msg->wParam);
    Application().Proteger([&] { f->OnKeyDown(tecla); });
    return tecla == 0;
}

LRESULT TForm::Procesar(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE: {
        bool puede = true;
        if (OnCloseQuery) OnCloseQuery(puede);
        if (puede) DestroyWindow(hwnd_);
        return 0;
    }
    case WM_DESTROY:
        if (Application().MainForm() == this) PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && OnActivate) OnActivate();
        break;
    case WM_KEYDOWN:
        if (OnKeyDown) {
            WORD tecla = static_cast<WORD>(wp);
            OnKeyDown(tecla);
            return 0;
        }
        break;
    }
    return TContenedor::Procesar(msg, wp, lp);
}

void TForm::RegistrarClase() {
    RegistrarClaseVentana(kClaseForm, &TContenedor::Procedimiento, LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
}

}  // namespace forms
