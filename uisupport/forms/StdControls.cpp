#include <windows.h>

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include "Application.h"
#include "Controls.h"
#include "Exception.h"
#include "Form.h"
#include "FormModal.h"
#include "Jpeg.h"
#include "TextCodec.h"

namespace forms {

namespace {

// Our own painted classes keep the object pointer from WM_NCCREATE on.
template <typename T>
T* Enlazar(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* control = static_cast<TControl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    }
    return dynamic_cast<T*>(TControl::Desde(hwnd));
}

bool EsPulsacionRaton(UINT msg) {
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
}

}  // namespace

// --- TLabel ----------------------------------------------------------------

TLabel::TLabel(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption,
               const Fuente& f, Alineacion a, bool transparente, bool ajusteLineas)
    : alineacion_(a), transparente_(transparente), ajusteLineas_(ajusteLineas) {
    CrearVentana(L"KvEtiqueta", WS_VISIBLE, 0, padre, nombre, l, caption);
    SetFuente(f);
}

void TLabel::Pintar(HDC dc) {
    RECT r;
    GetClientRect(hwnd_, &r);
    TContenedor* padre = Padre();
    if (transparente_ && padre) {
        // The parent paints what lies under the label (colour and picture).
        Limites l = Posicion();
        POINT antes;
        OffsetViewportOrgEx(dc, -l.x, -l.y, &antes);
        RECT enPadre{l.x, l.y, l.x + l.ancho, l.y + l.alto};
        padre->PintarFondo(dc, enPadre);
        SetViewportOrgEx(dc, antes.x, antes.y, nullptr);
    } else if (padre) {
        FillRect(dc, &r, padre->Pincel());
    }
    std::wstring t = text::Wide(Caption());
    HGDIOBJ antes = SelectObject(dc, FuenteHandle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(hwnd_) ? FuenteActual().color : GetSysColor(COLOR_GRAYTEXT));
    UINT formato = DT_NOPREFIX | (alineacion_ == Alineacion::Centro ? DT_CENTER : DT_LEFT) |
                   (ajusteLineas_ ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &r, formato);
    SelectObject(dc, antes);
}

LRESULT CALLBACK TLabel::Procedimiento(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    auto* self = Enlazar<TLabel>(hwnd, msg, lp);
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Application().Proteger([&] { self->Pintar(dc); });
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, FALSE);
        return r;
    }
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    }
    if (EsPulsacionRaton(msg) && self->OnMouseDown) {
        Application().Proteger(self->OnMouseDown);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void TLabel::RegistrarClase() { RegistrarClaseVentana(L"KvEtiqueta", &TLabel::Procedimiento); }

// --- TImage ----------------------------------------------------------------

TImage::TImage(TContenedor* padre, const std::string& nombre, const Limites& l) {
    CrearVentana(L"KvImagen", WS_VISIBLE, 0, padre, nombre, l, "");
}

void TImage::CargarJpeg(const std::vector<unsigned char>& bytes) {
    ImagenRgb img = DecodificarJpeg(bytes);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = img.ancho;
    bi.bmiHeader.biHeight = -img.alto;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    Limites l = Posicion();
    HDC pantalla = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(pantalla);
    win::GdiHandle mapa(CreateCompatibleBitmap(pantalla, l.ancho, l.alto));
    ReleaseDC(nullptr, pantalla);
    HGDIOBJ antes = SelectObject(dc, mapa.get());
    // Stretched once, here; painting is a plain copy afterwards.
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, 0, 0, l.ancho, l.alto, 0, 0, img.ancho, img.alto, img.bgr.data(), &bi, DIB_RGB_COLORS,
                  SRCCOPY);
    SelectObject(dc, antes);
    DeleteDC(dc);
    mapa_ = std::move(mapa);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void TImage::PintarEn(HDC dc) {
    if (!mapa_) return;
    Limites l = Posicion();
    HDC origen = CreateCompatibleDC(dc);
    HGDIOBJ antes = SelectObject(origen, mapa_.get());
    BitBlt(dc, 0, 0, l.ancho, l.alto, origen, 0, 0, SRCCOPY);
    SelectObject(origen, antes);
    DeleteDC(origen);
}

LRESULT CALLBACK TImage::Procedimiento(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    auto* self = Enlazar<TImage>(hwnd, msg, lp);
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (self->mapa_)
            self->PintarEn(dc);
        else if (self->Padre())
            FillRect(dc, &ps.rcPaint, self->Padre()->Pincel());
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (EsPulsacionRaton(msg) && self->OnMouseDown) {
        Application().Proteger(self->OnMouseDown);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void TImage::RegistrarClase() { RegistrarClaseVentana(L"KvImagen", &TImage::Procedimiento); }

// --- TButton ---------------------------------------------------------------

TButton::TButton(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption) {
    CrearVentana(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, padre, nombre, l, caption);
}

void TButton::SetDefault(bool predeterminado) {
    predeterminado_ = predeterminado;
    SendMessageW(hwnd_, BM_SETSTYLE, predeterminado ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::MostrarIconoCarpeta() {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(SHGetStockIconInfo(SIID_FOLDER, SHGSI_ICON | SHGSI_SMALLICON, &info))) return;
    // The icon stays with the button for the life of the process.
    SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | BS_ICON | BS_FLAT);
    SendMessageW(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(info.hIcon));
}

void TButton::MostrarIconoSistema(int idIcono) {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(SHGetStockIconInfo(static_cast<SHSTOCKICONID>(idIcono), SHGSI_ICON | SHGSI_SMALLICON, &info))) return;
    // Without BS_ICON the button draws the picture and its caption; the icon
    // stays with the button for the life of the process.
    SendMessageW(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(info.hIcon));
}

void TButton::SetAjusteLineas() {
    SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | BS_MULTILINE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TButton::Click() {
    if (OnClick) OnClick();
}

void TButton::Notificacion(WORD codigo) {
    if (codigo == BN_CLICKED) Click();
}

// --- TEdit -----------------------------------------------------------------

TEdit::TEdit(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& texto) {
    CrearVentana(L"EDIT", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, padre, nombre, l, texto);
    SetWindowSubclass(hwnd_, &TEdit::Subclase, 1, reinterpret_cast<DWORD_PTR>(this));
}

void TEdit::Notificacion(WORD codigo) {
    if (codigo == EN_CHANGE && OnChange) OnChange();
}

LRESULT CALLBACK TEdit::Subclase(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR datos) noexcept {
    auto* self = reinterpret_cast<TEdit*>(datos);
    if (msg == WM_KEYDOWN && self->OnKeyDown) {
        WORD tecla = static_cast<WORD>(wp);
        Application().Proteger([&] { self->OnKeyDown(tecla); });
        if (tecla == 0) return 0;
    }
    // A single-line edit beeps at Enter; the key was handled above.
    if (msg == WM_CHAR && wp == VK_RETURN) return 0;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &TEdit::Subclase, 1);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// --- TCheckBox -------------------------------------------------------------

TCheckBox::TCheckBox(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption) {
    CrearVentana(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, padre, nombre, l, caption);
}

void TCheckBox::SetChecked(bool marcado) {
    SendMessageW(hwnd_, BM_SETCHECK, marcado ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// --- TRadioGroup -----------------------------------------------------------

TRadioGroup::TRadioGroup(TContenedor* padre, const std::string& nombre, const Limites& l,
                         const std::string& caption, const std::vector<std::string>& opciones, int columnas) {
    SetColor(padre->Color());
    CrearVentana(kClase, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, padre, nombre, l, caption);
    if (columnas < 1) columnas = 1;
    int filas = (static_cast<int>(opciones.size()) + columnas - 1) / columnas;
    int anchoColumna = (l.ancho - 16) / columnas;
    int altoFila = filas > 0 ? (l.alto - 20) / filas : 0;
    for (size_t i = 0; i < opciones.size(); ++i) {
        int col = static_cast<int>(i) / filas, fila = static_cast<int>(i) % filas;
        HWND b = CreateWindowExW(0, L"BUTTON", text::Wide(opciones[i]).c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0),
                                 8 + col * anchoColumna, 16 + fila * altoFila, anchoColumna - 4, altoFila, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), GetModuleHandleW(nullptr),
                                 nullptr);
        SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(FuenteHandle()), FALSE);
        botones_.push_back(b);
    }
}

void TRadioGroup::SetItemIndex(int i) {
    indice_ = i;
    for (size_t k = 0; k < botones_.size(); ++k)
        SendMessageW(botones_[k], BM_SETCHECK, static_cast<int>(k) == i ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioGroup::Pintar(HDC dc) { PintarMarcoGrupo(*this, dc); }

LRESULT TRadioGroup::Procesar(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        int i = LOWORD(wp) - 100;
        if (i >= 0 && i < static_cast<int>(botones_.size())) {
            indice_ = i;
            if (OnClick) OnClick();
        }
        return 0;
    }
    return TContenedor::Procesar(msg, wp, lp);
}

// --- TProgressBar ----------------------------------------------------------

TProgressBar::TProgressBar(TContenedor* padre, const std::string& nombre, const Limites& l) {
    CrearVentana(PROGRESS_CLASSW, WS_VISIBLE, 0, padre, nombre, l, "");
    SetMax(100);
}

void TProgressBar::SetPosition(int p) { SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(p), 0); }
int TProgressBar::Position() const { return static_cast<int>(SendMessageW(hwnd_, PBM_GETPOS, 0, 0)); }
void TProgressBar::SetMax(int m) { SendMessageW(hwnd_, PBM_SETRANGE32, 0, m); }
int TProgressBar::Max() const { return static_cast<int>(SendMessageW(hwnd_, PBM_GETRANGE, FALSE, 0)); }

// --- TRichEdit -------------------------------------------------------------

namespace {
const wchar_t* ClaseTextoEnriquecido() {
    // Loaded once from System32 and kept for the life of the process.
    static win::Library msftedit = win::LoadSystemLibrary(L"Msftedit.dll");
    static win::Library riched = msftedit ? win::Library() : win::LoadSystemLibrary(L"Riched20.dll");
    if (msftedit) return MSFTEDIT_CLASS;
    if (riched) return RICHEDIT_CLASSW;
    return L"EDIT";
}
}  // namespace

TRichEdit::TRichEdit(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& texto) {
    CrearVentana(ClaseTextoEnriquecido(), WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_BORDER, 0, padre, nombre,
                 l, texto);
}

// ---------------------------------------------------------------------------

void IniciarToolkit() {
    static bool hecho = false;
    if (hecho) return;
    hecho = true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    TContenedor::RegistrarClase();
    TLabel::RegistrarClase();
    TImage::RegistrarClase();
    TForm::RegistrarClase();
    TFormModal::RegistrarClase();
}

}  // namespace forms
