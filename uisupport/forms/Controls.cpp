#include "Controls.h"

#include <commctrl.h>

#include "Application.h"
#include "Exception.h"
#include "TextCodec.h"
#include "Win32Error.h"

namespace forms {

namespace {
constexpr const wchar_t* kPropNombre = L"KvNombre";
}

TControl::~TControl() {
    if (hwnd_ && IsWindow(hwnd_)) {
        RemovePropW(hwnd_, kPropNombre);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (atomoNombre_) GlobalDeleteAtom(atomoNombre_);
}

TControl* TControl::Desde(HWND hwnd) {
    return hwnd ? reinterpret_cast<TControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

void TControl::CrearVentana(const wchar_t* clase, DWORD estilo, DWORD estiloEx, TContenedor* padre,
                            const std::string& nombre, const Limites& l, const std::string& caption) {
    nombre_ = nombre;
    padre_ = padre;
    limites_ = l;
    HWND hpadre = padre ? padre->Handle() : nullptr;
    if (padre) estilo |= WS_CHILD | WS_CLIPSIBLINGS;
    // The object pointer travels in lpCreateParams so our own classes can
    // route messages from the very first one.
    hwnd_ = CreateWindowExW(estiloEx, clase, text::Wide(caption).c_str(), estilo, l.x, l.y, l.ancho, l.alto,
                            hpadre, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) win::RaiseLastOSError(nombre);
    // Win32 keeps the first child on top; the program's layouts expect each
    // new control above the ones created before it.
    if (padre) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    atomoNombre_ = GlobalAddAtomW(text::Wide(nombre).c_str());
    SetPropW(hwnd_, kPropNombre, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atomoNombre_)));
    if (padre) SetFuente(padre->FuenteActual());
}

void TControl::SetCaption(const std::string& utf8) { SetWindowTextW(hwnd_, text::Wide(utf8).c_str()); }

std::string TControl::Caption() const {
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd_, w.data(), n + 1);
    w.resize(static_cast<size_t>(n));
    return text::Narrow(w);
}

void TControl::SetEnabled(bool activo) { EnableWindow(hwnd_, activo); }
bool TControl::Enabled() const { return IsWindowEnabled(hwnd_); }
void TControl::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
bool TControl::Visible() const { return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

void TControl::BringToFront() {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TControl::SendToBack() {
    SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TControl::SetPosicion(const Limites& l) {
    limites_ = l;
    MoveWindow(hwnd_, l.x, l.y, l.ancho, l.alto, TRUE);
}

void TControl::SetFuente(const Fuente& f) {
    fuente_ = f;
    hfont_.reset(CreateFontW(-f.alto, 0, 0, 0, f.negrita ? FW_BOLD : FW_NORMAL, FALSE, f.subrayada, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, L"Segoe UI"));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(hfont_.get()), TRUE);
}

void TControl::SetHint(const std::string& utf8) {
    // One tip window for the whole program, created on first use.
    static HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0,
                                       0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tips) return;
    std::wstring w = text::Wide(utf8);
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = GetParent(hwnd_);
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    ti.lpszText = w.data();
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

// ---------------------------------------------------------------------------

TControl* TContenedor::Buscar(const std::string& nombre) const {
    for (const auto& h : hijos_) {
        if (h->Nombre() == nombre) return h.get();
        if (auto* c = dynamic_cast<TContenedor*>(h.get()))
            if (auto* r = c->Buscar(nombre)) return r;
    }
    return nullptr;
}

void TContenedor::SetColor(COLORREF c) {
    color_ = c;
    pincel_.reset();
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

HBRUSH TContenedor::Pincel() {
    if (!pincel_) pincel_.reset(CreateSolidBrush(color_));
    return static_cast<HBRUSH>(pincel_.get());
}

void TContenedor::PintarFondo(HDC dc, const RECT& r) {
    FillRect(dc, &r, Pincel());
    for (const auto& h : hijos_) {
        auto* imagen = dynamic_cast<TImage*>(h.get());
        if (!imagen || !imagen->Visible() || !imagen->TieneImagen()) continue;
        Limites l = imagen->Posicion();
        RECT ri{l.x, l.y, l.x + l.ancho, l.y + l.alto}, inter;
        if (!IntersectRect(&inter, &ri, &r)) continue;
        POINT antes;
        OffsetViewportOrgEx(dc, l.x, l.y, &antes);
        imagen->PintarEn(dc);
        SetViewportOrgEx(dc, antes.x, antes.y, nullptr);
    }
}

void TContenedor::Pintar(HDC dc) {
    RECT r;
    GetClientRect(hwnd_, &r);
    FillRect(dc, &r, Pincel());
}

LRESULT TContenedor::Procesar(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        Pintar(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_COMMAND:
        // Controls report to their parent; hand the report back to the object.
        if (auto* c = Desde(reinterpret_cast<HWND>(lp))) c->Notificacion(HIWORD(wp));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, color_);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(Pincel());
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (OnMouseDown) OnMouseDown();
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK TContenedor::Procedimiento(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* control = static_cast<TControl*>(cs->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
        control->hwnd_ = hwnd;
    }
    auto* self = dynamic_cast<TContenedor*>(Desde(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT r = 0;
    bool hecho = false;
    Application().Proteger([&] {
        r = self->Procesar(msg, wp, lp);
        hecho = true;
    });
    return hecho ? r : DefWindowProcW(hwnd, msg, wp, lp);
}

void RegistrarClaseVentana(const wchar_t* nombre, WNDPROC procedimiento, HICON icono) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedimiento;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = icono;
    wc.lpszClassName = nombre;
    RegisterClassExW(&wc);
}

void TContenedor::RegistrarClase() { RegistrarClaseVentana(kClase, &TContenedor::Procedimiento); }

TPanel::TPanel(TContenedor* padre, const std::string& nombre, const Limites& l, COLORREF color, bool marco) {
    SetColor(color);
    CrearVentana(kClase, WS_VISIBLE | WS_CLIPCHILDREN, marco ? WS_EX_STATICEDGE : 0, padre, nombre, l, "");
}

TFrame::TFrame(TContenedor* padre, const std::string& nombre, const Limites& l) {
    SetColor(RGB(255, 255, 255));
    CrearVentana(kClase, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, padre, nombre, l, "");
    SetFuente(Fuente{11, false, RGB(0, 0, 0)});
}

TGroupBox::TGroupBox(TContenedor* padre, const std::string& nombre, const Limites& l,
                     const std::string& caption) {
    SetColor(padre->Color());
    CrearVentana(kClase, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, padre, nombre, l, caption);
}

void PintarMarcoGrupo(TContenedor& grupo, HDC dc) {
    RECT r;
    GetClientRect(grupo.Handle(), &r);
    FillRect(dc, &r, grupo.Pincel());
    HGDIOBJ antes = SelectObject(dc, grupo.FuenteHandle());
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    RECT marco{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom};
    DrawEdge(dc, &marco, EDGE_ETCHED, BF_RECT);
    std::wstring t = text::Wide(grupo.Caption());
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, grupo.Color());
    SetTextColor(dc, grupo.Enabled() ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
    TextOutW(dc, 8, 0, t.c_str(), static_cast<int>(t.size()));
    SelectObject(dc, antes);
}

void TGroupBox::Pintar(HDC dc) { PintarMarcoGrupo(*this, dc); }

}  // namespace forms
