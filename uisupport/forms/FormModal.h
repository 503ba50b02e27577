// A dialog window shown modally: a fixed single border with only the system
// menu, owned by another window and centred on it. ShowModal disables the
// owner and runs its own message loop until ModalResult is set or the close
// box is used (which counts as mrCancel).
#pragma once
#include "Controls.h"

namespace forms {

class TFormModal : public TContenedor {
public:
    // ancho × alto is the client area. The window starts hidden.
    TFormModal(HWND propietario, const std::string& nombre, int ancho, int alto, const std::string& caption);
    ~TFormModal() override = default;

    // Shows the window and returns its ModalResult once it is set (or mrCancel
    // when the close box, or a request to end the program, ended it).
    int ShowModal();
    // A non-zero result ends ShowModal.
    void SetModalResult(int resultado) { resultado_ = resultado; }
    int ModalResult() const { return resultado_; }

    // The window's outer height (frame and caption included), as a form's
    // Height property gives it.
    int Alto() const;
    void SetAlto(int alto);
    SIZE AreaCliente() const;

    static void RegistrarClase();
    static constexpr const wchar_t* kClaseDialogo = L"KvDialogo";

protected:
    LRESULT Procesar(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HWND propietario_;
    int resultado_ = 0;
};

}  // namespace forms
