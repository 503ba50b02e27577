// The local installation dialog's decisions without its window, on the
// portable system: the panels, the start check before and after the archive
// is copied, and the links page, with the save dialog and the messages
// answered through the dialog seam.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "DialogSeam.h"
#include "Exception.h"
#include "ModoLocalLogica.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUrlBase = "http://www.kavo.es/_descargas_/externos/Conta/";

struct Carpeta {
    fs::path ruta = fs::temp_directory_path() / ("modo_local_" + std::to_string(::getpid()));
    Carpeta() {
        fs::remove_all(ruta);
        fs::create_directories(ruta);
    }
    ~Carpeta() { fs::remove_all(ruta); }
    std::string Texto() const { return ruta.string() + "/"; }
};

std::string Leer(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

// Answers the save dialog with `guardarEn` (empty: cancelled) and records
// every request.
struct Usuario {
    std::string guardarEn;
    std::vector<ui::DialogRequest> vistos;
    ui::ScopedDialogScript guion{[this](const ui::DialogRequest& r) {
        vistos.push_back(r);
        if (r.kind == "GuardarComo") return ui::DialogAnswer{guardarEn.empty() ? 2 : 1, guardarEn};
        return ui::DialogAnswer{1, ""};
    }};
    std::vector<std::string> Mensajes() const {
        std::vector<std::string> m;
        for (const auto& r : vistos)
            if (r.kind == "MostrarMensaje") m.push_back(r.text);
        return m;
    }
};

TEST(ModoLocalLogica, ElUltimoBotonPulsadoDecideElPanel) {
    struct Caso {
        std::vector<int> pulsados;
        PanelModoLocal panel;
    };
    const Caso casos[] = {
        {{}, PanelModoLocal::Ninguno},
        {{kSolucionLocal}, PanelModoLocal::Local},
        {{kSolucionNoInternet}, PanelModoLocal::NoInternet},
        {{kSolucionLocal, kSolucionNoInternet}, PanelModoLocal::NoInternet},
        {{kSolucionNoInternet, kSolucionLocal, kSolucionLocal}, PanelModoLocal::Local},
        {{kSolucionLocal, kSolucionNoInternet, kSolucionLocal, kSolucionNoInternet}, PanelModoLocal::NoInternet},
    };
    TSistemaModoLocal sistema;
    for (const Caso& c : casos) {
        TModoLocalLogica l({"error", "/nada/", "QTR.KAV", kUrlBase}, sistema);
        for (int tag : c.pulsados) l.Solucion(tag);
        EXPECT_EQ(l.Panel(), c.panel) << c.pulsados.size();
        EXPECT_EQ(l.Ampliado(), !c.pulsados.empty());
        EXPECT_EQ(l.IniciarActivo(), !c.pulsados.empty());
        EXPECT_EQ(l.Fin(), FinModoLocal::Abierto);
    }
}

TEST(ModoLocalLogica, IniciarSoloConElArchivoEnLaCarpeta) {
    Carpeta c;
    Usuario u;
    TSistemaModoLocal sistema;
    TModoLocalLogica l({"error", c.Texto(), "QTR.KAV", kUrlBase}, sistema);
    l.Solucion(kSolucionLocal);
    l.Iniciar();
    EXPECT_EQ(l.Fin(), FinModoLocal::Abierto);
    EXPECT_EQ(u.Mensajes(), std::vector<std::string>{"No se encuentra el Fichero " + c.Texto() + "QTR.KAV"});
    // A folder of that name is not the archive.
    fs::create_directory(c.ruta / "QTR.KAV");
    l.Iniciar();
    EXPECT_EQ(l.Fin(), FinModoLocal::Abierto);
    fs::remove(c.ruta / "QTR.KAV");
    std::ofstream(c.ruta / "QTR.KAV") << "archivo";
    l.Iniciar();
    EXPECT_EQ(l.Fin(), FinModoLocal::Instalar);
    EXPECT_EQ(u.Mensajes().size(), 2u);
}

TEST(ModoLocalLogica, PaginaDeEnlacesSustituyeLaAnterior) {
    Carpeta c;
    const fs::path pagina = c.ruta / "Kavo.Html";
    std::ofstream(pagina) << std::string(3000, 'x');
    Usuario u;
    u.guardarEn = pagina.string();
    TSistemaModoLocal sistema;
    TModoLocalLogica l({"error", "C:\\Kavo\\Conta\\Programa\\", "QTR.KAV", kUrlBase}, sistema);
    l.Solucion(kSolucionNoInternet);
    l.GuardarEnlaces();

    ASSERT_FALSE(u.vistos.empty());
    EXPECT_EQ(u.vistos[0].kind, "GuardarComo");
    EXPECT_EQ(u.vistos[0].value, "Kavo.Html") << "the proposed name";
    const std::string programa = std::string(kUrlBase) + "QTR.KAV";
    const std::string actualizador = std::string(kUrlBase) + "Actualizador.exe";
    EXPECT_EQ(Leer(pagina),
              "<HTML>\r\n<HEAD>\r\n  <TITLE>Rolda Kavo - Descarga ficheros Instalaci\xF3n</TITLE>\r\n</HEAD>\r\n"
              "<BODY>\r\n  <SPAN style=\"font-size:12pt;\"><BR>Descarga los ficheros de abajo y guardalos en el "
              "pendrive.<BR>Despues vuelve al equipo sin Internet, pegalas en la ruta de programa y ejecuta el "
              "actualizador.<BR><BR>\r\n"
              "    <A Href =" + programa + ">" + programa + "</> <BR>\r\n"
              "    <A Href =" + actualizador + ">" + actualizador + "</> <BR>\r\n"
              "  </SPAN>\r\n</BODY>\r\n</HTML>\r\n");
    EXPECT_EQ(u.Mensajes(),
              std::vector<std::string>{
                  "Ahora el programa de instalación se cerrara.\n\rVete al otro equipo, descarga los ficheros y "
                  "cuando los hayas copiado en este equipo,\n\rejecuta el actualizador de nuevo y pincha en "
                  "\"Iniciar Instalación Local\"."});
    EXPECT_EQ(l.Fin(), FinModoLocal::Cerrado);
}

// Cancelled, refused (no one to answer) or unwritable: nothing is written or
// lost, and the dialog stays open.
TEST(ModoLocalLogica, SinPaginaElDialogoSigueAbierto) {
    Carpeta c;
    TSistemaModoLocal sistema;
    {
        TModoLocalLogica l({"error", c.Texto(), "QTR.KAV", kUrlBase}, sistema);
        l.GuardarEnlaces();
        EXPECT_EQ(l.Fin(), FinModoLocal::Abierto);
    }
    {
        Usuario u;
        TModoLocalLogica l({"error", c.Texto(), "QTR.KAV", kUrlBase}, sistema);
        l.GuardarEnlaces();
        EXPECT_EQ(l.Fin(), FinModoLocal::Abierto);
        EXPECT_TRUE(u.Mensajes().empty());
    }
    {
        Usuario u;
        u.guardarEn = (c.ruta / "no existe" / "Kavo.Html").string();
        TModoLocalLogica l({"error", c.Texto(), "QTR.KAV", kUrlBase}, sistema);
        try {
            l.GuardarEnlaces();
            ADD_FAILURE() << "an unwritable page must raise";
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find(u.guardarEn), std::string::npos) << e.what();
        }
        EXPECT_EQ(l.Fin(), FinModoLocal::Abierto);
        EXPECT_TRUE(u.Mensajes().empty());
    }
    EXPECT_TRUE(fs::is_empty(c.ruta));
}

// A script answers the whole dialog (an unattended run has nobody to show it
// to): a start counts only with the archive in the folder; without a
// script the window is shown.
TEST(ModoLocalLogica, UnGuionContestaElDialogoEntero) {
    Carpeta c;
    TSistemaModoLocal sistema;
    const DatosModoLocal datos{"error", c.Texto(), "QTR.KAV", kUrlBase};
    EXPECT_FALSE(RespuestaGuionModoLocal(datos, sistema).has_value());
    int respuesta = 1;
    std::vector<ui::DialogRequest> vistos;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        vistos.push_back(r);
        return ui::DialogAnswer{respuesta, ""};
    });
    EXPECT_EQ(RespuestaGuionModoLocal(datos, sistema), false) << "no archive to start from";
    std::ofstream(c.ruta / "QTR.KAV") << "archivo";
    EXPECT_EQ(RespuestaGuionModoLocal(datos, sistema), true);
    respuesta = 2;
    EXPECT_EQ(RespuestaGuionModoLocal(datos, sistema), false);
    ASSERT_EQ(vistos.size(), 3u);
    EXPECT_EQ(vistos[0].kind, kDialogoModoLocal);
    EXPECT_EQ(vistos[0].text, "error");
}

}  // namespace
