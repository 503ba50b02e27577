// The hyperlink label: its caption drawn in blue and underlined, with the
// hand-shaped cursor. While the mouse pointer is over it the text turns light
// orange, and the colour it had before comes back once the pointer has left.
// What a click opens is the owner's business (OnClick).
#pragma once
#include "Controls.h"
#include "Timer.h"

namespace forms {

class TOvcURL : public TLabel {
public:
    static constexpr COLORREF kColorEnlace = RGB(0, 0, 255);
    static constexpr COLORREF kColorEncima = RGB(255, 207, 159);
    // How often the pointer's position is checked, in milliseconds.
    static constexpr unsigned kIntervaloVigilancia = 100;

    TOvcURL(TContenedor* padre, const std::string& nombre, const Limites& l, const std::string& caption,
            const Fuente& f = {});
    ~TOvcURL() override;

    // A press and release of the left button over the link.
    std::function<void()> OnClick;

    bool PunteroEncima() const { return encima_; }
    COLORREF ColorTexto() const { return FuenteActual().color; }
    // Measures the caption, so that only the text reacts to the pointer and
    // the mouse (the constructor does it for the first caption).
    void MedirTexto();
    // Sets the text colour (the one that returns after a hover, too).
    void SetColorTexto(COLORREF c);

private:
    static LRESULT CALLBACK Subclase(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
    void Vigilar();
    bool SobreElTexto(POINT enPantalla) const;
    void PintarConColor(COLORREF c);
    TTimer vigilancia_{kIntervaloVigilancia};
    COLORREF colorAnterior_ = kColorEnlace;
    bool encima_ = false;
    int anchoTexto_ = 0;
    bool pulsado_ = false;
};

}  // namespace forms
