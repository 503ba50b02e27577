// The wizard pages in a page host of the window's size: positions to the
// pixel, the page-switching rules for the install button, and a screenshot
// of each page in the build folder.
#include <gtest/gtest.h>

#include "Application.h"
#include "Automatizacion.h"
#include "Form.h"
#include "FrameInstalar.h"
#include "FrameProgramaConta.h"
#include "Framepsql.h"
#include "Jpeg.h"

using namespace forms;

namespace {

Limites Relativa(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Bombear(int ms) {
    DWORD fin = GetTickCount() + static_cast<DWORD>(ms);
    while (GetTickCount() < fin) {
        Application().ProcessMessages();
        Sleep(10);
    }
}

TEST(Paginas, DisposicionYCapturas) {
    TForm form("Prueba", 586, 481, "Conta Kavo");
    TPanel* fondo = form.Crear<TPanel>("PanelKavo2", Limites{1, 1, 584, 479}, RGB(20, 60, 120));
    TPanel* host = fondo->Crear<TPanel>("PanelFrame", Limites{233, 178, 340, 245}, RGB(20, 60, 120));
    auto* programa = host->Crear<TFFrameProgramaConta>();
    auto* instalar = host->Crear<TFFrameInstalar>();
    auto* motor = host->Crear<TFFramepsql>();
    form.Show();
    form.SetAlphaBlendValue(255);

    struct Caso {
        TControl* control;
        Limites esperado;
    };
    const Caso casos[] = {
        {programa, {0, 0, 340, 245}},
        {programa->gbEditPrograma, {10, 90, 320, 49}},
        {programa->bDirPrograma, {288, 16, 23, 24}},
        {programa->lbDirPrograma, {8, 0, 218, 13}},
        {programa->eDirPrograma, {12, 17, 271, 21}},
        {programa->cbComprobarActualizaciones, {10, 213, 166, 17}},
        {instalar, {0, 0, 340, 245}},
        {instalar->gbInstalar1, {10, 40, 320, 49}},
        {instalar->eDirInstalar, {12, 17, 271, 21}},
        {instalar->gbInstalar2, {10, 105, 320, 107}},
        {instalar->stText, {85, 42, 219, 17}},
        {instalar->stDe, {11, 23, 300, 13}},
        {instalar->stCopiar, {22, 41, 61, 17}},
        {instalar->ProgressBar1, {16, 64, 289, 16}},
        {instalar->Label1, {8, 0, 135, 13}},
        {motor, {0, 0, 344, 245}},
        {motor->RadioGroup1, {8, 9, 322, 56}},
        {motor->RichEdit1, {8, 70, 321, 59}},
        {motor->LbMotor, {14, 144, 305, 26}},
    };
    for (const Caso& c : casos) {
        Limites l = Relativa(c.control->Handle());
        EXPECT_EQ(l.x, c.esperado.x) << c.control->Nombre();
        EXPECT_EQ(l.y, c.esperado.y) << c.control->Nombre();
        EXPECT_EQ(l.ancho, c.esperado.ancho) << c.control->Nombre();
        EXPECT_EQ(l.alto, c.esperado.alto) << c.control->Nombre();
    }
    EXPECT_EQ(programa->eDirPrograma->Text(), "C:\\Kavo");
    EXPECT_FALSE(programa->cbComprobarActualizaciones->Visible());
    EXPECT_FALSE(instalar->eDirInstalar->Enabled());
    EXPECT_EQ(motor->RadioGroup1->ItemIndex(), 0);

    // The option group's explanation changes with each choice.
    std::string inicial = motor->RichEdit1->Caption();
    motor->RadioGroup1->SetItemIndex(1);
    motor->RadioGroup1Click();
    std::string cliente = motor->RichEdit1->Caption();
    motor->RadioGroup1->SetItemIndex(0);
    motor->RadioGroup1Click();
    EXPECT_EQ(motor->RichEdit1->Caption(), "El Servidor debe instalarse en el Ordenador donde estan los datos.");
    EXPECT_NE(cliente, motor->RichEdit1->Caption());
    EXPECT_NE(inicial, cliente);

    std::string carpeta = prueba::CarpetaNueva("capturas");
    const std::pair<TControl*, const char*> paginas[] = {
        {programa, "pagina0.bmp"}, {instalar, "pagina1.bmp"}, {motor, "pagina2.bmp"}};
    for (const auto& [pagina, fichero] : paginas) {
        pagina->BringToFront();
        Bombear(300);
        prueba::GuardarCaptura(form.Handle(), carpeta + fichero);
    }
}

TEST(Jpeg, DatosDanadosSeRechazan) {
    EXPECT_THROW(DecodificarJpeg({}), std::exception);
    EXPECT_THROW(DecodificarJpeg({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}), std::exception);
    std::vector<uint8_t> basura(1000, 0x55);
    EXPECT_THROW(DecodificarJpeg(basura), std::exception);
}

}  // namespace
