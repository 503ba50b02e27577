// The real Actualizador.exe, started as a separate process and driven
// through its window: installer and updater start-up, the release labels,
// the pages, the beta choice, the check box rule, the fade-in and the exit
// question. Screenshots land in the test's build folder.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "Automatizacion.h"
#include "InstallerBuilder.h"
#include "TestServer.h"
#include "TextCodec.h"
#include "Versiones.h"

using namespace prueba;

namespace {

std::string Programa() {
    std::string p = "Z:" KV_ACTUALIZADOR_EXE;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

// The vendor's server as the tests publish it: the beta description of the
// accounting product, and the per-installation records of customers.
struct Vendedor {
    const TestServer& http = TestServer::Get();

    explicit Vendedor(const std::string& seriesBeta) {
        Publicar("QTRBETA.INI", "[ACTUALIZACION]\r\nULTIMA_BETA=01/12/2026 10:00:00\r\n[10.05]\r\nSERIES=" +
                                    seriesBeta + "\r\n");
        std::string url = http.Url();
        url.pop_back();  // the program adds the paths' "/"
        SetEnvironmentVariableW(L"KAVO_SERVIDOR", text::Wide(url).c_str());
    }
    void Publicar(const std::string& nombre, const std::string& bytes) const {
        http.Put("_descargas_/externos/Conta/" + nombre, bytes);
    }
};

struct Ventana {
    std::unique_ptr<Proceso> proceso;
    HWND h = nullptr;
};

Ventana Arrancar(const std::string& exe, const std::vector<std::string>& args, const std::string& carpeta) {
    Ventana v;
    v.proceso = std::make_unique<Proceso>(exe, args, carpeta);
    v.h = EsperarVentana(v.proceso->Id(), L"KvFormulario");
    return v;
}

// Waits for the fade-in to end, recording the opacities seen on the way.
std::vector<int> Fundido(HWND h) {
    std::vector<int> vistos;
    for (int i = 0; i < 400; ++i) {
        int a = Opacidad(h);
        if (vistos.empty() || vistos.back() != a) vistos.push_back(a);
        if (a == 255) break;
        Sleep(10);
    }
    return vistos;
}

void CerrarConPregunta(Ventana& v, const std::string& pregunta) {
    PulsarTecla(v.h, VK_ESCAPE);
    auto d = EsperarDialogo(v.proceso->Id());
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->titulo, "Confirmación");
    EXPECT_EQ(d->texto, pregunta);
    EXPECT_EQ(std::set<std::string>(d->botones.begin(), d->botones.end()),
              (std::set<std::string>{"Vale", "Cancelar"}));
    Responder(*d, "Cancelar");
    Sleep(500);
    EXPECT_TRUE(IsWindow(v.h)) << "Cancelar keeps the window";
    PulsarTecla(v.h, VK_ESCAPE);
    d = EsperarDialogo(v.proceso->Id());
    ASSERT_TRUE(d.has_value());
    Responder(*d, "Vale");
    EXPECT_TRUE(v.proceso->EsperarFin());
}

// A beta list of more than 4 KiB: cut to 4095 characters it would end in
// "...;47" out of "4711" and offer the beta to customer 47 as well.
const char* ListaBetaLarga() {
    static const std::string lista = [] {
        std::string l = "12;";
        while (l.size() < 4093) l += "1;";
        return l + "4711;";
    }();
    return lista.c_str();
}

struct CasoInstalador {
    const char* nombre;
    std::array<uint8_t, 128> datos;
    const char* seriesBeta;
    const char* fecha;
    const char* version;
    const char* serie;
    bool paginaMotor;
};

class Instalador : public ::testing::TestWithParam<CasoInstalador> {};

TEST_P(Instalador, ArrancaConElRegistroDelLanzamiento) {
    const CasoInstalador& c = GetParam();
    Vendedor vendedor(c.seriesBeta);
    std::string carpeta = CarpetaNueva(std::string("instalador_") + c.nombre);
    std::string exe = carpeta + "INSTALAR.EXE";
    ConstruirInstalador(Programa(), exe, c.datos);

    Ventana v = Arrancar(exe, {}, carpeta);
    ASSERT_NE(v.h, nullptr);
    std::vector<int> fundido = Fundido(v.h);
    EXPECT_EQ(Texto(v.h), "Instalación Conta Kavo");
    EXPECT_EQ(TextoDe(v.h, "LabelFecha"), c.fecha);
    EXPECT_EQ(TextoDe(v.h, "LabelVersion"), c.version);
    EXPECT_EQ(TextoDe(v.h, "LSerie"), c.serie);
    EXPECT_EQ(TextoDe(v.h, "LabelPrograma"), "");
    EXPECT_EQ(TextoDe(v.h, "LVersionAct"), "Versión Instalador 1.00");
    EXPECT_EQ(TextoDe(v.h, "bInstalar"), "Instalar");
    EXPECT_EQ(TextoDe(v.h, "bCancelar"), "Salir");
    EXPECT_EQ(TextoDe(v.h, "eDirPrograma"), "C:\\Kavo");
    EXPECT_NE(Control(v.h, "FrameProgramaConta"), nullptr);
    EXPECT_NE(Control(v.h, "FrameInstalar"), nullptr);
    EXPECT_EQ(Control(v.h, "Framepsql") != nullptr, c.paginaMotor);

    // Every opacity seen belongs to the fade-in's steps, rising to full.
    const std::set<int> pasos{0, 40, 80, 120, 160, 200, 240, 255};
    for (int a : fundido) EXPECT_TRUE(pasos.count(a)) << a;
    EXPECT_TRUE(std::is_sorted(fundido.begin(), fundido.end()));
    EXPECT_EQ(fundido.back(), 255);

    GuardarCaptura(v.h, carpeta + "pagina0_instalador.bmp");
    CerrarConPregunta(v, "Confirma Salida del Instalador");
}

INSTANTIATE_TEST_SUITE_P(
    Lanzamientos, Instalador,
    ::testing::Values(
        CasoInstalador{"psql", DatosLanzamiento(2026, 11, 20, 4711, 10, 5, 0), "120;47", "20 de noviembre del 2026",
                       "Versión 10.05", "Serie 4711", true},
        CasoInstalador{"beta", DatosLanzamiento(2026, 11, 20, 4711, 10, 5, 1), "120;4711",
                       "20 de noviembre del 2026", "Versión 10.05 BETA", "Serie 4711", true},
        CasoInstalador{"beta_lista_larga", DatosLanzamiento(2026, 11, 20, 4711, 10, 5, 0), ListaBetaLarga(),
                       "20 de noviembre del 2026", "Versión 10.05 BETA", "Serie 4711", true},
        CasoInstalador{"beta_lista_larga_otro", DatosLanzamiento(2026, 11, 20, 47, 10, 5, 0), ListaBetaLarga(),
                       "20 de noviembre del 2026", "Versión 10.05", "Serie 47", true},
        CasoInstalador{"btrieve6", DatosLanzamiento(2025, 2, 3, 7, 9, 12, 2), "", "3 de febrero del 2025",
                       "Versión 9.12", "Serie 7", false},
        CasoInstalador{"sinversion", DatosLanzamiento(2025, 13, 1, 0, 0, 0, 0), ";", "1 de  del 2025", "", "Serie 0",
                       true}),
    [](const auto& info) { return std::string(info.param.nombre); });

// The executable's own INI: local mode with its archive beside the program
// fetches nothing at start-up; with the archive missing the user is told and
// the program goes online, but the named archive is kept, so no beta is
// chosen for it.
struct CasoIniLocal {
    const char* nombre;
    const char* ini;
    bool archivoAlLado;
    const char* aviso;  // the plain message, or nullptr
    int descripcionesPedidas;
    const char* version;
};

class InstaladorLocal : public ::testing::TestWithParam<CasoIniLocal> {};

TEST_P(InstaladorLocal, IniDelEjecutable) {
    const CasoIniLocal& c = GetParam();
    Vendedor vendedor("4711");
    vendedor.http.Reset();
    std::string carpeta = CarpetaNueva(std::string("instalador_ini_") + c.nombre);
    ConstruirInstalador(Programa(), carpeta + "INSTALAR.EXE", DatosLanzamiento(2026, 11, 20, 4711, 10, 5, 0));
    EscribirFichero(carpeta + "INSTALAR.INI", c.ini);
    if (c.archivoAlLado) EscribirFichero(carpeta + "LOCAL.KAV", "x");
    const std::string descripcion = "/_descargas_/externos/Conta/QTRBETA.INI";
    const int antes = vendedor.http.Gets(descripcion);

    Proceso p(carpeta + "INSTALAR.EXE", {}, carpeta);
    if (c.aviso) {
        auto d = EsperarDialogo(p.Id());
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->titulo, "Instalación Contabilidad Kavo");
        EXPECT_EQ(d->texto, c.aviso);
        Responder(*d, "Vale");
    }
    HWND h = EsperarVentana(p.Id(), L"KvFormulario");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(TextoDe(h, "LabelVersion"), c.version);
    EXPECT_EQ(vendedor.http.Gets(descripcion) - antes, c.descripcionesPedidas);
}

INSTANTIATE_TEST_SUITE_P(
    Ini, InstaladorLocal,
    ::testing::Values(
        CasoIniLocal{"sin_ini", "", false, nullptr, 1, "Versión 10.05 BETA"},
        CasoIniLocal{"local", "[PATH]\r\nLOCAL=1\r\nFICHERO=LOCAL.KAV\r\n", true, nullptr, 0, "Versión 10.05"},
        CasoIniLocal{"local_sin_archivo", "[PATH]\r\nLOCAL=1\r\nFICHERO=LOCAL.KAV\r\n", false,
                     "No se encuentran los Datos de Instalación.\n\r\n\rSe procederá a la descarga de los mismos "
                     "durante el proceso de Instalación",
                     0, "Versión 10.05"}),
    [](const auto& info) { return std::string(info.param.nombre); });

// A damaged appended archive stops the start-up: the standard error display
// shows the engine's message with the application's title, and the program
// ends without its window.
TEST(InstaladorDanado, TerminaConElErrorDeLaCabecera) {
    Vendedor vendedor("");
    std::string carpeta = CarpetaNueva("instalador_danado");
    std::string exe = carpeta + "INSTALAR.EXE";
    ConstruirInstalador(Programa(), exe, DatosLanzamiento(2026, 1, 1, 1, 10, 0, 0));
    {
        // The signature is the header's first int32, where SFXCODES points.
        std::string bytes = ReadFile(exe);
        auto pos = kav::sfx::ReadSfxCodes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        ASSERT_TRUE(pos.has_value());
        bytes.replace(static_cast<size_t>(*pos), 4, "XXXX");
        WriteFile(exe, bytes);
    }
    Proceso p(exe, {}, carpeta);
    auto d = EsperarDialogo(p.Id());
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->titulo, "Instalación Contabilidad Kavo");
    EXPECT_EQ(d->texto.rfind("Firma Erronea: el archivo \"", 0), 0u) << d->texto;
    EXPECT_NE(d->texto.find("INSTALAR.EXE\" no es valido"), std::string::npos) << d->texto;
    Responder(*d, "Vale");
    EXPECT_TRUE(p.EsperarFin());
}

// A vendor server that has not published the beta description means no
// beta, and the start-up goes on; any other download error still ends it.
TEST(InstaladorDescripcionBeta, SinPublicarNoHayBetaYOtroErrorTermina) {
    Vendedor vendedor("4711");
    struct Limpieza {
        const TestServer& http;
        ~Limpieza() { http.Reset(); }
    } limpieza{vendedor.http};
    const std::string ruta = "/_descargas_/externos/Conta/QTRBETA.INI";
    std::string carpeta = CarpetaNueva("instalador_sin_descripcion");
    std::string exe = carpeta + "INSTALAR.EXE";
    ConstruirInstalador(Programa(), exe, DatosLanzamiento(2026, 11, 20, 4711, 10, 5, 0));

    vendedor.http.SetFault(ruta, "404");
    {
        Ventana v = Arrancar(exe, {}, carpeta);
        ASSERT_NE(v.h, nullptr);
        EXPECT_EQ(TextoDe(v.h, "LabelVersion"), "Versión 10.05");
        CerrarConPregunta(v, "Confirma Salida del Instalador");
    }

    vendedor.http.SetFault(ruta, "500");
    Proceso p(exe, {}, carpeta);
    auto d = EsperarDialogo(p.Id());
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->texto, "Error descargando URL: " + vendedor.http.Url(ruta.substr(1)));
    Responder(*d, "Vale");
    EXPECT_TRUE(p.EsperarFin());
}

// The program gives its window's taskbar button to the system's taskbar
// object, and lets it go before COM goes. Wine's object says so on its
// debug channel, which Wine writes to the Unix standard error of the
// program; the ctest entry window_taskbar_tests runs this test with that
// error in a file (KV_REGISTRO_WINE) and the channels on.
TEST(BarraDeTareas, ElProgramaLaIniciaYLaSueltaAntesQueCom) {
    const char* unix = std::getenv("KV_REGISTRO_WINE");
    if (!unix) GTEST_SKIP() << "runs as window_taskbar_tests";
    std::string registro = std::string("Z:") + unix;
    std::replace(registro.begin(), registro.end(), '/', '\\');

    Vendedor vendedor("");
    std::string carpeta = CarpetaNueva("barra_de_tareas");
    std::string exe = carpeta + "INSTALAR.EXE";
    ConstruirInstalador(Programa(), exe, DatosLanzamiento(2026, 11, 20, 4711, 10, 5, 0));
    Ventana v = Arrancar(exe, {}, carpeta);
    ASSERT_NE(v.h, nullptr);
    CerrarConPregunta(v, "Confirma Salida del Instalador");

    // Lines start with the thread's id: "0104:trace:explorerframe:...".
    std::vector<std::string> lineas;
    {
        std::string log = ReadFile(registro), linea;
        for (char c : log) {
            if (c != '\n') {
                linea += c;
            } else {
                lineas.push_back(linea);
                linea.clear();
            }
        }
    }
    auto buscar = [&](size_t desde, const std::string& prefijo, const std::string& texto) {
        for (size_t i = desde; i < lineas.size(); ++i)
            if (lineas[i].rfind(prefijo, 0) == 0 && lineas[i].find(texto) != std::string::npos) return i;
        return lineas.size();
    };
    const size_t init = buscar(0, "", ":trace:explorerframe:taskbar_list_HrInit");
    ASSERT_LT(init, lineas.size()) << "the taskbar object was never initialised";
    const std::string hilo = lineas[init].substr(0, lineas[init].find(':'));
    const size_t suelta = buscar(init, hilo + ":trace:explorerframe:taskbar_list_Release", "refcount to 0");
    ASSERT_LT(suelta, lineas.size()) << "the taskbar object was never released";
    // The thread's last CoUninitialize, the one that ends COM, comes after.
    EXPECT_LT(buscar(suelta, hilo + ":trace:ole:CoUninitialize", ""), lineas.size()) << "released after COM";
}

// The check box is offered only where the program's INI asks for it, and it
// follows every change of the folder.
TEST(InstaladorPagina, ComprobarSigueAlIniDeLaCarpeta) {
    Vendedor vendedor("");
    std::string carpeta = CarpetaNueva("instalador_comprobar");
    std::string exe = carpeta + "INSTALAR.EXE";
    ConstruirInstalador(Programa(), exe, DatosLanzamiento(2026, 1, 2, 5, 10, 1, 0));
    for (const char* valor : {"2", "1"}) {
        std::string base = carpeta + "Base" + valor;
        CreateDirectoryW(text::Wide(base).c_str(), nullptr);
        CreateDirectoryW(text::Wide(base + "\\Conta").c_str(), nullptr);
        CreateDirectoryW(text::Wide(base + "\\Conta\\Programa").c_str(), nullptr);
        EscribirFichero(base + "\\Conta\\Programa\\CONTA.INI",
                        std::string("[ACTUALIZACION]\r\nCOMPROBAR=") + valor + "\r\n");
    }
    Ventana v = Arrancar(exe, {}, carpeta);
    ASSERT_NE(v.h, nullptr);
    HWND edit = Control(v.h, "eDirPrograma"), cb = Control(v.h, "cbComprobarActualizaciones");
    ASSERT_TRUE(edit && cb);
    EXPECT_FALSE(IsWindowVisible(cb));
    Escribir(edit, carpeta + "Base2");
    EXPECT_TRUE(IsWindowVisible(cb));
    Escribir(edit, carpeta + "Base1");
    EXPECT_FALSE(IsWindowVisible(cb));
    Escribir(edit, carpeta + "Base2");
    EXPECT_TRUE(IsWindowVisible(cb));
}

struct CasoActualizador {
    const char* nombre;
    bool conArgumento;
};

class Actualizador : public ::testing::TestWithParam<CasoActualizador> {};

// The updater in an installed copy: the release record comes from the file
// named by the accounting program, or, without it, from the vendor's server
// for the customer code that the installation recorded.
TEST_P(Actualizador, ArrancaConElRegistroDeLaInstalacion) {
    const CasoActualizador& c = GetParam();
    Vendedor vendedor("1;2");
    std::string raiz = CarpetaNueva(std::string("actualizador_") + c.nombre);
    std::string programa = raiz + "Contab\\Programa\\";
    CreateDirectoryW(text::Wide(raiz + "Contab").c_str(), nullptr);
    CreateDirectoryW(text::Wide(programa).c_str(), nullptr);
    CopyFileW(text::Wide(Programa()).c_str(), text::Wide(programa + "Actualizador.exe").c_str(), FALSE);
    std::string registro = RegistroComprimido(2026, 10, 9, 4711, 12, 6);
    std::string temporal = CarpetaTemporalWindows() + "Kavo\\Conta\\";
    CreateDirectoryW(text::Wide(CarpetaTemporalWindows() + "Kavo").c_str(), nullptr);
    CreateDirectoryW(text::Wide(temporal).c_str(), nullptr);
    std::vector<std::string> args;
    if (c.conArgumento) {
        // Fetched by the accounting program, and published signed by the
        // vendor: the updater checks the one against the other.
        EscribirFichero(temporal + "PRUEBA.VER", registro);
        vendedor.Publicar("clientes/PRUEBA.VER", registro);
        args.push_back("PRUEBA.VER");
    } else {
        EscribirFichero(programa + "CONTA.INI", "[ACTUALIZACION]\r\nCODIGOCLIENTE=4711\r\n");
        vendedor.Publicar("clientes/CLI4711.VER", registro);
    }
    Ventana v = Arrancar(programa + "Actualizador.exe", args, programa);
    ASSERT_NE(v.h, nullptr);
    Fundido(v.h);
    EXPECT_EQ(Texto(v.h), "Actualización Conta Kavo");
    EXPECT_EQ(TextoDe(v.h, "LabelPrograma"), "Actualización ");
    EXPECT_EQ(TextoDe(v.h, "LabelFecha"), "9 de octubre del 2026");
    EXPECT_EQ(TextoDe(v.h, "LabelVersion"), "Versión 12.06");
    EXPECT_EQ(TextoDe(v.h, "LSerie"), "Serie 4711");
    EXPECT_EQ(TextoDe(v.h, "LVersionAct"), "Versión Actualizador 1.00");
    EXPECT_EQ(TextoDe(v.h, "bInstalar"), "Actualizar");
    EXPECT_EQ(TextoDe(v.h, "eDirPrograma"), raiz.substr(0, raiz.size() - 1));
    EXPECT_EQ(Control(v.h, "Framepsql"), nullptr) << "two pages when updating";
    GuardarCaptura(v.h, raiz + "pagina0_actualizador.bmp");
    CerrarConPregunta(v, "Confirma Salida del Actualizador");
    // The record named by the accounting program is deleted at exit.
    EXPECT_EQ(GetFileAttributesW(text::Wide(temporal + "PRUEBA.VER").c_str()), INVALID_FILE_ATTRIBUTES);
}

INSTANTIATE_TEST_SUITE_P(Arranques, Actualizador,
                         ::testing::Values(CasoActualizador{"con_argumento", true},
                                           CasoActualizador{"sin_argumento", false}),
                         [](const auto& info) { return std::string(info.param.nombre); });

// A newer updater started by the one it replaces gets "/ACT /YPOS.. /XPOS..":
// switches, not the name of a release record. It starts through the
// recorded customer code and comes up where the previous window was.
TEST(Actualizador, RelanzadoArrancaDondeEstabaLaVentana) {
    Vendedor vendedor("");
    std::string raiz = CarpetaNueva("actualizador_relanzado");
    std::string programa = raiz + "Conta\\Programa\\";
    CreateDirectoryW(text::Wide(raiz + "Conta").c_str(), nullptr);
    CreateDirectoryW(text::Wide(programa).c_str(), nullptr);
    CopyFileW(text::Wide(Programa()).c_str(), text::Wide(programa + "Actualizador.exe").c_str(), FALSE);
    EscribirFichero(programa + "CONTA.INI", "[ACTUALIZACION]\r\nCODIGOCLIENTE=4712\r\n");
    vendedor.Publicar("clientes/CLI4712.VER", RegistroComprimido(2026, 12, 1, 4712, 12, 7));

    Ventana v = Arrancar(programa + "Actualizador.exe", {"/ACT", "/YPOS97", "/XPOS61"}, programa);
    ASSERT_NE(v.h, nullptr);
    EXPECT_EQ(TextoDe(v.h, "LabelVersion"), "Versión 12.07");
    EXPECT_EQ(TextoDe(v.h, "LSerie"), "Serie 4712");
    EXPECT_EQ(TextoDe(v.h, "eDirPrograma"), raiz.substr(0, raiz.size() - 1));
    RECT r;
    GetWindowRect(v.h, &r);
    EXPECT_EQ(r.left, 61);
    EXPECT_EQ(r.top, 97);
    CerrarConPregunta(v, "Confirma Salida del Actualizador");
}

}  // namespace
