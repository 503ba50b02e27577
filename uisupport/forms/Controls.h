// The house's window toolkit: thin owners of Win32 windows with the few
// properties and events the program's windows use. Every control is a real
// child window whose text is its caption (so automation can read it) and
// whose component name is published as the window property "KvNombre" (a
// global atom), so tests find controls by the names the code uses.
//
// Contracts:
// - A control belongs to its container; destroying the container destroys the
//   windows of its children (Win32 does) and the objects (the container owns
//   them).
// - Events are plain std::function members run on the UI thread. No exception
//   leaves a window procedure: it is caught there and handed to the
//   application's error display.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Win32Handle.h"

namespace forms {

struct Limites {
    int x = 0, y = 0, ancho = 0, alto = 0;
};

struct Fuente {
    int alto = 11;  // character height in pixels at 96 dpi
    bool negrita = false;
    COLORREF color = RGB(0, 0, 0);
    bool subrayada = false;
};

class TContenedor;

class TControl {
public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    HWND Handle() const { return hwnd_; }
    const std::string& Nombre() const { return nombre_; }
    TContenedor* Padre() const { return padre_; }

    void SetCaption(const std::string& utf8);
    std::string Caption() const;
    void SetEnabled(bool activo);
    bool Enabled() const;
    void SetVisible(bool visible);
    bool Visible() const;
    void BringToFront();
    void SendToBack();
    Limites Posicion() const { return limites_; }
    void SetPosicion(const Limites& l);
    void SetFuente(const Fuente& f);
    // The tip shown while the mouse rests on the control.
    void SetHint(const std::string& utf8);
    const Fuente& FuenteActual() const { return fuente_; }
    HFONT FuenteHandle() const { return static_cast<HFONT>(hfont_.get()); }

    // A press of any mouse button on the control (labels, pictures, panels).
    std::function<void()> OnMouseDown;

    // Routing from the container's window procedure.
    virtual void Notificacion(WORD /*codigo*/) {}
    static TControl* Desde(HWND hwnd);

protected:
    TControl() = default;
    // Creates the window; every control calls it once from its constructor.
    void CrearVentana(const wchar_t* clase, DWORD estilo, DWORD estiloEx, TContenedor* padre,
                      const std::string& nombre, const Limites& l, const std::string& caption);
    HWND hwnd_ = nullptr;

private:
    friend class TContenedor;
    friend class TLabel;
    friend class TImage;
    std::string nombre_;
    TContenedor* padre_ = nullptr;
    Limites limites_;
    Fuente fuente_;
    win::GdiHandle hfont_;
    ATOM atomoNombre_ = 0;
};

// A window of ours that holds other controls and paints its own background:
// panels, frames, group boxes, option groups and the form itself.
class TContenedor : public TControl {
public:
    // Creates a child control owned by this container.
    template <typename T, typename... Args>
    T* Crear(Args&&... args) {
        auto c = std::make_unique<T>(this, std::forward<Args>(args)...);
        T* p = c.get();
        hijos_.push_back(std::move(c));
        return p;
    }
    // The child (at any depth) with this component name, nullptr when none.
    TControl* Buscar(const std::string& nombre) const;
    template <typename T>
    T* Componente(const std::string& nombre) const {
        return dynamic_cast<T*>(Buscar(nombre));
    }

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF c);
    // Paints this container's background (colour and any picture among its
    // children) for the area r given in this container's coordinates. A
    // transparent label asks its parent for this before drawing its text.
    virtual void PintarFondo(HDC dc, const RECT& r);
    HBRUSH Pincel();

    static void RegistrarClase();
    static constexpr const wchar_t* kClase = L"KvContenedor";

protected:
    TContenedor() = default;
    virtual void Pintar(HDC dc);
    virtual LRESULT Procesar(UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK Procedimiento(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

    std::vector<std::unique_ptr<TControl>> hijos_;

private:
    COLORREF color_ = GetSysColor(COLOR_BTNFACE);
    win::GdiHandle pincel_;
};

class TPanel : public TContenedor {
public:
    // `marco`: a thin sunken edge around the panel.
    TPanel(TContenedor* padre, const std::string& nombre, const Limites& l, COLORREF color, bool marco = false);
};

// A frame: a page hosted in a panel (white background, the window font).
class TFrame : public TContenedor {
public:
    TFrame(TContenedor* padre, const std::string& nombre, const Limites& l);
};

class TGroupBox : public TContenedor {
public:
    TGroupBox(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption);

protected:
    void Pintar(HDC dc) override;
};

class TLabel : public TControl {
public:
    enum class Alineacion { Izquierda, Centro };
    TLabel(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption,
           const Fuente& f = {}, Alineacion a = Alineacion::Izquierda, bool transparente = false,
           bool ajusteLineas = false);

    static void RegistrarClase();

private:
    static LRESULT CALLBACK Procedimiento(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void Pintar(HDC dc);
    Alineacion alineacion_;
    bool transparente_;
    bool ajusteLineas_;
};

// A picture stretched to the control's size; decoded once from JPEG bytes.
class TImage : public TControl {
public:
    TImage(TContenedor* padre, const std::string& nombre, const Limites& l);
    void CargarJpeg(const std::vector<unsigned char>& bytes);
    // Paints the picture with its top-left corner at the DC's origin.
    void PintarEn(HDC dc);
    bool TieneImagen() const { return static_cast<bool>(mapa_); }

    static void RegistrarClase();

private:
    static LRESULT CALLBACK Procedimiento(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    win::GdiHandle mapa_;  // already stretched to the control's size
};

class TButton : public TControl {
public:
    TButton(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption);
    void SetDefault(bool predeterminado);
    bool Default() const { return predeterminado_; }
    // Shows the shell's small folder symbol instead of a caption (flat look).
    void MostrarIconoCarpeta();
    // Shows one of the shell's stock icons (a SHSTOCKICONID) beside the caption.
    void MostrarIconoSistema(int idIcono);
    // A caption too long for one line wraps.
    void SetAjusteLineas();
    void Click();
    std::function<void()> OnClick;
    void Notificacion(WORD codigo) override;

private:
    bool predeterminado_ = false;
};

class TEdit : public TControl {
public:
    TEdit(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& texto);
    void SetText(const std::string& t) { SetCaption(t); }
    std::string Text() const { return Caption(); }
    std::function<void()> OnChange;
    // Key code in/out: set it to 0 to swallow the key.
    std::function<void(WORD& tecla)> OnKeyDown;
    void Notificacion(WORD codigo) override;

private:
    static LRESULT CALLBACK Subclase(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
};

class TCheckBox : public TControl {
public:
    TCheckBox(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption);
    void SetChecked(bool marcado);
    bool Checked() const;
};

class TRadioGroup : public TContenedor {
public:
    TRadioGroup(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption,
                const std::vector<std::string>& opciones, int columnas);
    int ItemIndex() const { return indice_; }
    void SetItemIndex(int i);
    std::function<void()> OnClick;

protected:
    void Pintar(HDC dc) override;
    LRESULT Procesar(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::vector<HWND> botones_;
    int indice_ = -1;
};

class TProgressBar : public TControl {
public:
    TProgressBar(TContenedor* padre, const std::string& nombre, const Limites& l);
    void SetPosition(int p);
    int Position() const;
    void SetMax(int m);
    int Max() const;
};

// Read-only, multi-line rich text.
class TRichEdit : public TControl {
public:
    TRichEdit(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& texto);
    void SetText(const std::string& t) { SetCaption(t); }
};

// Registers one of the toolkit's window classes.
void RegistrarClaseVentana(const wchar_t* nombre, WNDPROC procedimiento, HICON icono = nullptr);
// The group-box look: white-or-parent background, etched frame, the caption
// at the top left. Shared by group boxes and option groups.
void PintarMarcoGrupo(TContenedor& grupo, HDC dc);

// Registers the window classes and common controls (once per process).
void IniciarToolkit();

}  // namespace forms
