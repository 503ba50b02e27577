#include "FormModal.h"

#include "Mensajes.h"

namespace forms {

namespace {
constexpr DWORD kEstilo = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kEstiloEx = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
}  // namespace

TFormModal::TFormModal(HWND propietario, const std::string& nombre, int ancho, int alto,
                       const std::string& caption)
    : propietario_(propietario) {
    IniciarToolkit();
    RECT r{0, 0, ancho, alto};
    AdjustWindowRectEx(&r, kEstilo, FALSE, kEstiloEx);
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT centro;
    if (!propietario || !GetWindowRect(propietario, &centro)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &centro, 0);
    int x = centro.left + (centro.right - centro.left - w) / 2;
    int y = centro.top + (centro.bottom - centro.top - h) / 2;
    CrearVentana(kClaseDialogo, kEstilo, kEstiloEx, nullptr, nombre, {x, y, w, h}, caption);
    // A top-level window is owned through its parent argument: set it after
    // creation, since CrearVentana makes top-level windows unowned.
    if (propietario) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(propietario));
    SetFuente(Fuente{});
}

int TFormModal::Alto() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}

void TFormModal::SetAlto(int alto) {
    RECT r;
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, alto, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE TFormModal::AreaCliente() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return {r.right - r.left, r.bottom - r.top};
}

int TFormModal::ShowModal() {
    resultado_ = 0;
    const bool desactivar = propietario_ && IsWindowEnabled(propietario_);
    if (desactivar) EnableWindow(propietario_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
    MSG msg;
    while (resultado_ == 0) {
        BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) {
            // The program is ending: leave the request for the outer loop.
            if (r == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            resultado_ = mrCancel;
            break;
        }
        if (IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The owner is enabled before this window hides, so that activation
    // returns to it rather than to another program.
    if (desactivar) EnableWindow(propietario_, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    return resultado_;
}

LRESULT TFormModal::Procesar(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        resultado_ = mrCancel;
        return 0;
    }
    return TContenedor::Procesar(msg, wp, lp);
}

void TFormModal::RegistrarClase() {
    RegistrarClaseVentana(kClaseDialogo, &TContenedor::Procedimiento);
}

}  // namespace forms
