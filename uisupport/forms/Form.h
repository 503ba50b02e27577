// A borderless top-level window (the installer's one form), centred on the
// screen, with window opacity, key preview and a close query.
#pragma once
#include "Controls.h"

namespace forms {

class TForm : public TContenedor {
public:
    // ancho × alto is the client area. The form starts hidden with opacity 0.
    TForm(const std::string& nombre, int ancho, int alto, const std::string& caption);
    ~TForm() override;

    void Show();
    // Asks OnCloseQuery; when the close is allowed, destroys the window (the
    // main form's destruction ends the message loop).
    void Close();
    // Sets the opacity 0..255 (a layered window).
    void SetAlphaBlendValue(BYTE valor);
    BYTE AlphaBlendValue() const { return alfa_; }
    Limites PosicionEnPantalla() const;
    // Places the window's top-left corner (screen pixels); the size stays.
    void MoverA(int x, int y);

    // In/out "may close" flag, true on entry.
    std::function<void(bool& puedeCerrar)> OnCloseQuery;
    std::function<void()> OnActivate;
    // Key preview: sees every key pressed in the form before the control
    // with the focus; set the key to 0 to swallow it.
    std::function<void(WORD& tecla)> OnKeyDown;

    // Starts moving the borderless window with the mouse (the caption drag).
    void ArrastrarVentana();

    static void RegistrarClase();
    static constexpr const wchar_t* kClaseForm = L"KvFormulario";

protected:
    LRESULT Procesar(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    static bool VistaPreviaTeclas(void* mensaje);
    BYTE alfa_ = 0;
    bool activada_ = false;
};

}  // namespace forms
