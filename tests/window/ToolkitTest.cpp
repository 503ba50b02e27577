// The window toolkit in-process: the application's error display, timers,
// key preview, the close query, the hyperlink label and the modal dialog.
#include <gtest/gtest.h>

#include "Application.h"
#include "DialogSeam.h"
#include "Exception.h"
#include "Form.h"
#include "FormModal.h"
#include "Mensajes.h"
#include "OvcURL.h"
#include "Timer.h"

using namespace forms;

namespace {

void Bombear(int ms) {
    DWORD fin = GetTickCount() + static_cast<DWORD>(ms);
    while (GetTickCount() < fin) {
        Application().ProcessMessages();
        Sleep(5);
    }
}

TEST(Aplicacion, ErroresDeLosManejadores) {
    std::vector<ui::DialogRequest> vistos;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        vistos.push_back(r);
        return ui::DialogAnswer{1, ""};
    });
    Application().SetTitle("Instalación Contabilidad Kavo");
    Application().Proteger([] { Abort(); });
    EXPECT_TRUE(vistos.empty()) << "the silent stop shows nothing";
    Application().Proteger([] { throw Exception("No se pudo Crear el Fichero KAVO.KAVO"); });
    Application().Proteger([] { throw 7; });
    ASSERT_EQ(vistos.size(), 2u);
    EXPECT_EQ(vistos[0].kind, "ErrorAplicacion");
    EXPECT_EQ(vistos[0].caption, "Instalación Contabilidad Kavo");
    EXPECT_EQ(vistos[0].text, "No se pudo Crear el Fichero KAVO.KAVO");
    EXPECT_EQ(vistos[0].buttons, std::vector<std::string>{"Vale"});
    EXPECT_FALSE(vistos[1].text.empty());
}

TEST(Temporizador, TicsMientrasEstaActivo) {
    TTimer t(20);
    int tics = 0;
    t.OnTimer = [&] {
        if (++tics == 3) t.SetEnabled(false);
    };
    t.SetEnabled(true);
    Bombear(400);
    EXPECT_EQ(tics, 3);
    EXPECT_FALSE(t.Enabled());
    // An error in a tick goes to the error display; the timer goes on.
    std::vector<std::string> errores;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        errores.push_back(r.text);
        return ui::DialogAnswer{1, ""};
    });
    t.OnTimer = [&] {
        if (++tics == 5) t.SetEnabled(false);
        throw Exception("tic");
    };
    t.SetEnabled(true);
    Bombear(400);
    EXPECT_EQ(tics, 5);
    EXPECT_EQ(errores, (std::vector<std::string>{"tic", "tic"}));
}

TEST(Formulario, VistaPreviaDeTeclasYCierre) {
    TForm form("Prueba", 200, 100, "Prueba");
    TEdit* edit = form.Crear<TEdit>("e", Limites{10, 10, 100, 21}, "");
    std::vector<WORD> teclasForm, teclasEdit;
    form.OnKeyDown = [&](WORD& t) {
        teclasForm.push_back(t);
        if (t == VK_ESCAPE) t = 0;
    };
    edit->OnKeyDown = [&](WORD& t) { teclasEdit.push_back(t); };
    bool permitir = false;
    int preguntas = 0;
    form.OnCloseQuery = [&](bool& puede) {
        ++preguntas;
        puede = permitir;
    };
    form.Show();
    form.SetAlphaBlendValue(255);
    PostMessageW(edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(edit->Handle(), WM_KEYDOWN, 'A', 1);
    Bombear(100);
    EXPECT_EQ(teclasForm, (std::vector<WORD>{VK_ESCAPE, 'A'}));
    EXPECT_EQ(teclasEdit, std::vector<WORD>{'A'}) << "the form swallowed Escape";

    form.Close();
    Bombear(100);
    EXPECT_EQ(preguntas, 1);
    EXPECT_TRUE(IsWindow(form.Handle()));
    permitir = true;
    form.Close();
    Bombear(100);
    EXPECT_EQ(preguntas, 2);
    EXPECT_FALSE(IsWindow(form.Handle()));
}

TEST(Enlace, ColorBajoElPunteroCursorYClic) {
    TForm form("Prueba", 400, 100, "Prueba");
    TOvcURL* e = form.Crear<TOvcURL>("e", Limites{10, 10, 380, 16}, "http://www.kavo.es/");
    form.Show();
    form.SetAlphaBlendValue(255);
    int clics = 0;
    e->OnClick = [&] { ++clics; };
    EXPECT_EQ(e->ColorTexto(), TOvcURL::kColorEnlace);
    EXPECT_TRUE(e->FuenteActual().subrayada);
    RECT r;
    GetWindowRect(e->Handle(), &r);
    const POINT dentro{r.left + 20, (r.top + r.bottom) / 2};
    // Only the text reacts, not the rest of the label.
    SetCursorPos(r.right - 5, dentro.y);
    Bombear(300);
    EXPECT_FALSE(e->PunteroEncima());
    EXPECT_EQ(e->ColorTexto(), TOvcURL::kColorEnlace);

    // Over it: light orange; away: the colour it had before, whichever.
    for (COLORREF antes : {TOvcURL::kColorEnlace, RGB(0, 128, 0)}) {
        e->SetColorTexto(antes);
        SetCursorPos(dentro.x, dentro.y);
        Bombear(300);
        EXPECT_TRUE(e->PunteroEncima());
        EXPECT_EQ(e->ColorTexto(), TOvcURL::kColorEncima);
        SetCursorPos(0, 0);
        Bombear(300);
        EXPECT_FALSE(e->PunteroEncima());
        EXPECT_EQ(e->ColorTexto(), antes);
    }

    SetCursorPos(dentro.x, dentro.y);
    EXPECT_TRUE(SendMessageW(e->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(e->Handle()), HTCLIENT));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

    const LPARAM centro = MAKELPARAM(5, 5), fuera = MAKELPARAM(370, 5);
    SendMessageW(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centro);
    SendMessageW(e->Handle(), WM_LBUTTONUP, 0, centro);
    EXPECT_EQ(clics, 1);
    // Released away from the link: no click.
    SendMessageW(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centro);
    SendMessageW(e->Handle(), WM_LBUTTONUP, 0, fuera);
    EXPECT_EQ(clics, 1);
}

// The modal dialog: its owner is disabled while it runs and enabled again
// after; the close box answers mrCancel, a set result ends it with that.
TEST(DialogoModal, ResultadoYPropietario) {
    TForm principal("Principal", 300, 200, "Principal");
    principal.Show();
    for (bool cajaDeCierre : {true, false}) {
        TFormModal d(principal.Handle(), "D", 200, 100, "Dialogo");
        EXPECT_EQ(GetWindow(d.Handle(), GW_OWNER), principal.Handle());
        SIZE cliente = d.AreaCliente();
        EXPECT_EQ(cliente.cx, 200);
        EXPECT_EQ(cliente.cy, 100);
        bool propietarioActivo = true;
        TTimer t(50);
        t.OnTimer = [&] {
            t.SetEnabled(false);
            propietarioActivo = IsWindowEnabled(principal.Handle());
            if (cajaDeCierre)
                SendMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                d.SetModalResult(mrOk);
        };
        t.SetEnabled(true);
        EXPECT_EQ(d.ShowModal(), cajaDeCierre ? mrCancel : mrOk);
        EXPECT_FALSE(propietarioActivo);
        EXPECT_TRUE(IsWindowEnabled(principal.Handle()));
        EXPECT_FALSE(IsWindowVisible(d.Handle()));
        d.SetAlto(300);
        EXPECT_EQ(d.Alto(), 300);
    }
}

}  // namespace
