#include "OvcURL.h"

#include <commctrl.h>

#include <algorithm>

#include "Application.h"
#include "TextCodec.h"

namespace forms {

namespace {
Fuente FuenteEnlace(Fuente f) {
    f.color = TOvcURL::kColorEnlace;
    f.subrayada = true;
    return f;
}
}  // namespace

TOvcURL::TOvcURL(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption,
                 const Fuente& f)
    : TLabel(padre, nombre, l, caption, FuenteEnlace(f)) {
    MedirTexto();
    SetWindowSubclass(hwnd_, &TOvcURL::Subclase, 1, reinterpret_cast<DWORD_PTR>(this));
    // The pointer may leave without a message reaching the link (over another
    // window, or out of the form), so its position is polled.
    vigilancia_.OnTimer = [this] { Vigilar(); };
    vigilancia_.SetEnabled(true);
}

TOvcURL::~TOvcURL() {
    vigilancia_.SetEnabled(false);
    if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &TOvcURL::Subclase, 1);
}

void TOvcURL::MedirTexto() {
    std::wstring t = text::Wide(Caption());
    HDC dc = GetDC(hwnd_);
    HGDIOBJ antes = SelectObject(dc, FuenteHandle());
    RECT medida{0, 0, 0, 0};
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &medida, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, antes);
    ReleaseDC(hwnd_, dc);
    anchoTexto_ = medida.right;
}

bool TOvcURL::SobreElTexto(POINT enPantalla) const {
    RECT r;
    if (!GetWindowRect(hwnd_, &r)) return false;
    r.right = std::min<LONG>(r.right, r.left + anchoTexto_);
    return PtInRect(&r, enPantalla) != FALSE;
}

void TOvcURL::SetColorTexto(COLORREF c) {
    if (encima_)
        colorAnterior_ = c;
    else
        PintarConColor(c);
}

void TOvcURL::PintarConColor(COLORREF c) {
    Fuente f = FuenteActual();
    if (f.color == c) return;
    f.color = c;
    SetFuente(f);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void TOvcURL::Vigilar() {
    POINT p;
    bool encima = IsWindowVisible(hwnd_) && GetCursorPos(&p) && SobreElTexto(p);
    if (encima == encima_) return;
    encima_ = encima;
    if (encima) {
        colorAnterior_ = FuenteActual().color;
        PintarConColor(kColorEncima);
    } else {
        PintarConColor(colorAnterior_);
    }
}

LRESULT CALLBACK TOvcURL::Subclase(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR datos) noexcept {
    auto* self = reinterpret_cast<TOvcURL*>(datos);
    switch (msg) {
    case WM_SETCURSOR: {
        POINT p;
        if (!GetCursorPos(&p) || !self->SobreElTexto(p)) break;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    case WM_MOUSEMOVE:
        Application().Proteger([self] { self->Vigilar(); });
        break;
    case WM_LBUTTONDOWN:
        self->pulsado_ = true;
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP: {
        bool pulsado = self->pulsado_;
        self->pulsado_ = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        ClientToScreen(hwnd, &p);
        if (pulsado && self->SobreElTexto(p) && self->OnClick) Application().Proteger(self->OnClick);
        return 0;
    }
    case WM_CAPTURECHANGED:
        self->pulsado_ = false;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &TOvcURL::Subclase, 1);
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace forms
