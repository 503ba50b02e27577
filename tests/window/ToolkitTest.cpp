// The window toolkit in-process: the application's error display, timers,
// key preview and the close query.
#include <gtest/gtest.h>

#include "Application.h"
#include "DialogSeam.h"
#include "Exception.h"
#include "Form.h"
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

}  // namespace
