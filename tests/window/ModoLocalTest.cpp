// The local installation dialog driven from outside as a user would: the
// compact window, the two panels, a link under the pointer, the links,
// the start check before and after the archive is copied, the links page
// through the real save dialog, and the ways of closing. The dialog runs in
// a program of its own that exits with its answer; one case reaches it
// through the updater itself. Screenshots land in the cases' folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Automatizacion.h"
#include "TextCodec.h"

using namespace prueba;

namespace {

constexpr const char* kTitulo = "Instalación Contabilidad Kavo";
constexpr const char* kError = "Error descargando URL: http://www.kavo.es/_descargas_/externos/Conta/clientes/"
                               "CLI4711.VER";
constexpr const char* kUrlBase = "http://www.kavo.es/_descargas_/externos/Conta/";
constexpr COLORREF kAzul = RGB(0, 0, 255);
constexpr COLORREF kNaranja = RGB(255, 207, 159);

std::string RutaWindows(std::string p) {
    std::replace(p.begin(), p.end(), '/', '\\');
    return "Z:" + p;
}

std::string Leer(const std::string& ruta) {
    std::ifstream f(std::filesystem::path(text::Wide(ruta)), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

bool Existe(const std::string& ruta) { return GetFileAttributesW(text::Wide(ruta).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Visible(HWND raiz, const std::string& nombre) {
    HWND h = Control(raiz, nombre);
    return h && IsWindowVisible(h);
}

int AltoVentana(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return r.bottom - r.top;
}

// Waits (up to 2 s) until the link shows some pixels of the colour.
bool EsperarColor(HWND enlace, COLORREF color) {
    for (int i = 0; i < 40; ++i) {
        if (PixelesDeColor(enlace, color) > 0) return true;
        Sleep(50);
    }
    return false;
}

// The dialog in its own program, in a fresh program folder.
struct DialogoLocal {
    std::string carpeta;  // the program folder, with trailing backslash
    std::string registro;
    std::unique_ptr<Proceso> proceso;
    HWND h = nullptr;

    explicit DialogoLocal(const std::string& nombre) : carpeta(CarpetaNueva(nombre)), registro(carpeta + "enlaces.txt") {
        proceso = std::make_unique<Proceso>(RutaWindows(KV_MODO_LOCAL_EXE),
                                            std::vector<std::string>{carpeta, "QTR.KAV", kUrlBase, kError, registro},
                                            carpeta);
        h = EsperarVentana(proceso->Id(), L"KvDialogo");
    }
    std::string Archivo() const { return carpeta + "QTR.KAV"; }
    // The dialog's answer once its program has ended; -1 when it did not end.
    int Respuesta() { return proceso->EsperarFin() ? static_cast<int>(proceso->CodigoSalida()) : -1; }
    void Captura(const std::string& estado) const { GuardarCaptura(h, carpeta + "modo_local_" + estado + ".bmp"); }
    void Pulsar(const std::string& boton) const { prueba::Pulsar(Control(h, boton)); }
    // The panel for a computer without Internet, and its button: the save dialog.
    std::optional<prueba::Dialogo> GuardarEnlaces() const {
        Pulsar("btnNoInternet");
        Pulsar("btEnlaces");
        return EsperarDialogo(proceso->Id());
    }
};

TEST(ModoLocal, PanelesEnlacesYComprobacionDeInicio) {
    DialogoLocal d("modo_local_inicio");
    ASSERT_NE(d.h, nullptr);
    EXPECT_EQ(Texto(d.h), "Actualizador Kavo");
    RECT cliente;
    GetClientRect(d.h, &cliente);
    EXPECT_EQ(cliente.right, 679);
    EXPECT_EQ(cliente.bottom, 225);
    HWND principal = GetWindow(d.h, GW_OWNER);
    ASSERT_NE(principal, nullptr) << "owned by the main form";
    EXPECT_FALSE(IsWindowEnabled(principal)) << "modal";
    EXPECT_EQ(TextoDe(d.h, "LbError"), kError);
    EXPECT_FALSE(IsWindowEnabled(Control(d.h, "BtIniciar")));
    EXPECT_FALSE(Visible(d.h, "PanelLocal"));
    EXPECT_FALSE(Visible(d.h, "PanelNoInternet"));
    d.Captura("compacto");

    d.Pulsar("btnLocal");
    Sleep(300);
    EXPECT_EQ(AltoVentana(d.h), 500);
    EXPECT_TRUE(Visible(d.h, "PanelLocal"));
    EXPECT_FALSE(Visible(d.h, "PanelNoInternet"));
    EXPECT_TRUE(IsWindowEnabled(Control(d.h, "BtIniciar")));
    EXPECT_EQ(TextoDe(d.h, "OvcURLPrograma"), std::string(kUrlBase) + "QTR.KAV");
    EXPECT_EQ(TextoDe(d.h, "OvcURLPath"), d.carpeta);
    d.Captura("con_internet");

    // The pointer over a link turns it light orange; away, it is blue again.
    HWND enlace = Control(d.h, "OvcURLPrograma");
    MoverPuntero(0, 0);
    EXPECT_TRUE(EsperarColor(enlace, kAzul));
    EXPECT_EQ(PixelesDeColor(enlace, kNaranja), 0);
    MoverPuntero(enlace);
    EXPECT_TRUE(EsperarColor(enlace, kNaranja));
    EXPECT_EQ(PixelesDeColor(enlace, kAzul), 0);
    d.Captura("enlace_bajo_el_puntero");
    MoverPuntero(0, 0);
    EXPECT_TRUE(EsperarColor(enlace, kAzul));
    EXPECT_EQ(PixelesDeColor(enlace, kNaranja), 0);

    Clic(enlace);
    Clic(Control(d.h, "OvcURLPath"));

    d.Pulsar("btnNoInternet");
    Sleep(300);
    EXPECT_EQ(AltoVentana(d.h), 500);
    EXPECT_FALSE(Visible(d.h, "PanelLocal"));
    EXPECT_TRUE(Visible(d.h, "PanelNoInternet"));
    EXPECT_EQ(TextoDe(d.h, "OvcURLPath2"), d.carpeta);
    d.Captura("sin_internet");
    Clic(Control(d.h, "OvcURLPath2"));
    Sleep(300);
    EXPECT_EQ(Leer(d.registro), std::string(kUrlBase) + "QTR.KAV\n" + d.carpeta + "\n" + d.carpeta + "\n");

    // Before the archive is copied: the message, and the dialog stays.
    d.Pulsar("BtIniciar");
    auto m = EsperarDialogo(d.proceso->Id());
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->titulo, kTitulo);
    EXPECT_EQ(m->texto, "No se encuentra el Fichero " + d.Archivo());
    EXPECT_EQ(m->botones, std::vector<std::string>{"Vale"});
    GuardarCaptura(m->h, d.carpeta + "modo_local_falta_el_archivo.bmp");
    Responder(*m, "Vale");
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(d.h));
    EXPECT_FALSE(d.proceso->EsperarFin(0ms));

    // After: the dialog closes with true.
    EscribirFichero(d.Archivo(), "archivo");
    d.Pulsar("BtIniciar");
    EXPECT_EQ(d.Respuesta(), 1);
}

// The links page through the real save dialog, over an older file of the
// same name, byte for byte in the system's ANSI code page; then the message
// and the dialog closes with false. The browser test reads this page.
TEST(ModoLocal, PaginaDeEnlaces) {
    const std::string destino = CarpetaNueva("modo_local_enlaces");
    const std::string pagina = destino + "Kavo.Html";
    EscribirFichero(pagina, std::string(4000, 'x'));
    DialogoLocal d("modo_local_pagina");
    ASSERT_NE(d.h, nullptr);
    auto guardar = d.GuardarEnlaces();
    ASSERT_TRUE(guardar.has_value());
    GuardarCaptura(guardar->h, d.carpeta + "modo_local_guardar.bmp");
    // The file name box: the combo of the explorer look, or the old edit.
    const std::wstring nombre = text::Wide(pagina);
    if (!SetDlgItemTextW(guardar->h, 0x47c, nombre.c_str())) SetDlgItemTextW(guardar->h, 0x480, nombre.c_str());
    PostMessageW(guardar->h, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(guardar->h); ++i) Sleep(50);

    auto m = EsperarDialogo(d.proceso->Id());
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->titulo, kTitulo);
    EXPECT_EQ(m->texto,
              "Ahora el programa de instalación se cerrara.\n\rVete al otro equipo, descarga los ficheros y cuando "
              "los hayas copiado en este equipo,\n\rejecuta el actualizador de nuevo y pincha en \"Iniciar "
              "Instalación Local\".");
    GuardarCaptura(m->h, d.carpeta + "modo_local_enlaces_guardados.bmp");
    Responder(*m, "Vale");
    EXPECT_EQ(d.Respuesta(), 0);

    const std::string programa = std::string(kUrlBase) + "QTR.KAV";
    const std::string actualizador = std::string(kUrlBase) + "Actualizador.exe";
    EXPECT_EQ(Leer(pagina),
              "<HTML>\r\n"
              "<HEAD>\r\n"
              "  <TITLE>Rolda Kavo - Descarga ficheros Instalaci\xF3n</TITLE>\r\n"
              "</HEAD>\r\n"
              "<BODY>\r\n"
              "  <SPAN style=\"font-size:12pt;\"><BR>Descarga los ficheros de abajo y guardalos en el pendrive.<BR>"
              "Despues vuelve al equipo sin Internet, pegalas en la ruta de programa y ejecuta el actualizador."
              "<BR><BR>\r\n"
              "    <A Href =" + programa + ">" + programa + "</> <BR>\r\n"
              "    <A Href =" + actualizador + ">" + actualizador + "</> <BR>\r\n"
              "  </SPAN>\r\n"
              "</BODY>\r\n"
              "</HTML>\r\n");
}

// A cancelled save dialog writes nothing and keeps the dialog open.
TEST(ModoLocal, GuardarCanceladoNoEscribeNada) {
    DialogoLocal d("modo_local_cancelado");
    ASSERT_NE(d.h, nullptr);
    auto guardar = d.GuardarEnlaces();
    ASSERT_TRUE(guardar.has_value());
    PostMessageW(guardar->h, WM_COMMAND, IDCANCEL, 0);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(d.h));
    EXPECT_FALSE(d.proceso->EsperarFin(0ms));
    EXPECT_FALSE(Existe(d.carpeta + "Kavo.Html"));
    d.Pulsar("btnCerrar");
    EXPECT_EQ(d.Respuesta(), 0);
}

// Closing without installing answers false, by the button and by the close
// box, compact or expanded.
struct CasoCierre {
    const char* nombre;
    const char* solucion;  // pressed first, or nullptr
    bool cajaDeCierre;
};

class ModoLocalCierre : public ::testing::TestWithParam<CasoCierre> {};

TEST_P(ModoLocalCierre, RespondeQueNo) {
    const CasoCierre& c = GetParam();
    DialogoLocal d(std::string("modo_local_cierre_") + c.nombre);
    ASSERT_NE(d.h, nullptr);
    EscribirFichero(d.Archivo(), "archivo");  // even with the archive in place
    if (c.solucion) d.Pulsar(c.solucion);
    if (c.cajaDeCierre)
        PostMessageW(d.h, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        d.Pulsar("btnCerrar");
    EXPECT_EQ(d.Respuesta(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cierres, ModoLocalCierre,
                         ::testing::Values(CasoCierre{"boton", nullptr, false},
                                           CasoCierre{"caja", nullptr, true},
                                           CasoCierre{"caja_ampliado", "btnLocal", true},
                                           CasoCierre{"boton_ampliado", "btnNoInternet", false}),
                         [](const auto& info) { return std::string(info.param.nombre); });

// The updater that cannot learn its customer's record shows the dialog over
// its window with the reason; closing it ends the updater.
TEST(ModoLocal, ElActualizadorLoOfreceCuandoNoTieneSuRegistro) {
    std::string programa = CarpetaNueva("modo_local_actualizador");
    CopyFileW(text::Wide(RutaWindows(KV_ACTUALIZADOR_EXE)).c_str(), text::Wide(programa + "Actualizador.exe").c_str(),
              FALSE);
    Proceso p(programa + "Actualizador.exe", {}, programa);
    HWND h = EsperarVentana(p.Id(), L"KvDialogo");
    ASSERT_NE(h, nullptr);
    HWND principal = GetWindow(h, GW_OWNER);
    wchar_t clase[32] = L"";
    GetClassNameW(principal, clase, 32);
    EXPECT_STREQ(clase, L"KvFormulario");
    EXPECT_NE(TextoDe(h, "LbError").find("Código de Cliente"), std::string::npos) << TextoDe(h, "LbError");
    EXPECT_EQ(TextoDe(h, "OvcURLPath"), programa);
    GuardarCaptura(h, programa + "modo_local_actualizador.bmp");
    PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(p.EsperarFin());
}

}  // namespace
