// The database engine page in the real installer window under Wine, driven
// as a user would: the offer at the end of a first installation, the choice
// of server or client, the engine's installer (our stand-in, copied under the
// vendor's file names into the engine folders) started and watched until it
// ends or gives up, the closing question, and the folder on a share.
// Screenshots of each state land in each case's folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "Automatizacion.h"
#include "MotorBaseDatos.h"
#include "TextCodec.h"

using namespace prueba;
using text::Wide;

namespace {

const char* const kEsperando = "Esperando que finalice la instalación del motor de la base de datos.";
const char* const kCompletada = "Instalación del motor del base de datos completada.";

std::string Ruta(const char* deCMake) {
    std::string p = std::string("Z:") + deCMake;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

std::string Leer(const std::string& ruta) {
    std::ifstream f(std::filesystem::path(Wide(ruta)), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool Existe(const std::string& ruta) { return GetFileAttributesW(Wide(ruta).c_str()) != INVALID_FILE_ATTRIBUTES; }

template <typename F>
bool Hasta(F condicion, std::chrono::milliseconds limite = 20s) {
    auto fin = std::chrono::steady_clock::now() + limite;
    while (!condicion()) {
        if (std::chrono::steady_clock::now() > fin) return false;
        Sleep(100);
    }
    return true;
}

// A first installation's folder with the engine's installers in place (or
// not), the accounting program as a stand-in too, and the test program of
// the installer window at the end of its run over that folder.
class Instalacion {
public:
    // `recurso`: the tests' folder as a network share names it (the base
    // folder is then reached through the share); `unidadMapeada`: the
    // universal name the system reports for the base folder.
    Instalacion(const std::string& nombre, int tipoMotor, bool conInstaladores, const std::string& recurso = "",
                const std::string& unidadMapeada = "")
        : carpeta_(CarpetaNueva("motor_" + nombre)),
          base_((recurso.empty() ? carpeta_ : recurso + "\\motor_" + nombre + "\\") + "Kavo\\"),
          tipo_(uint8_t(tipoMotor)) {
        const std::string instalador = carpeta_ + "instalador\\";
        CreateDirectoryW(Wide(instalador).c_str(), nullptr);
        ConstruirInstalador(Ruta(KV_MOTOR_PRUEBA_EXE), instalador + "MOTOR.EXE",
                            DatosLanzamiento(2026, 11, 20, 4711, 10, 5, tipoMotor));
        // Local mode with its archive beside it: the start-up asks no server.
        EscribirFichero(instalador + "MOTOR.INI", "[PATH]\r\nLOCAL=1\r\nFICHERO=QTR.KAV\r\n");
        EscribirFichero(instalador + "QTR.KAV", "x");
        for (std::string sub : {std::string(), std::string("Externos\\"), CarpetaMotor(tipo_), std::string("Conta\\"),
                                std::string("Conta\\Programa\\")})
            CreateDirectoryW(Wide(base_ + sub).c_str(), nullptr);
        if (conInstaladores)
            for (bool servidor : {true, false}) Simulador(Instalador(servidor));
        Simulador(Conta());
        Ordenar(Conta(), "titulo=Conta\r\naccion=fin\r\nsegundos=0\r\n");

        std::vector<std::string> args{base_.substr(0, base_.size() - 1)};
        if (!unidadMapeada.empty()) args.push_back(unidadMapeada);
        proceso_ = std::make_unique<Proceso>(instalador + "MOTOR.EXE", args, instalador);
        h = EsperarVentana(proceso_->Id(), L"KvFormulario");
    }

    std::string Instalador(bool servidor) const { return RutaInstaladorMotor(base_, tipo_, servidor); }
    std::string Titulo(bool servidor) const { return *TituloInstaladorMotor(tipo_, servidor); }
    std::string Conta() const { return base_ + "Conta\\Programa\\CONTA.EXE"; }
    // What the stand-in does when it is started next.
    static void Ordenar(const std::string& programa, const std::string& orden) { EscribirFichero(programa + ".orden", orden); }
    // The command lines it was started with, one a line.
    static std::string Arranques(const std::string& programa) { return Leer(programa + ".args"); }

    std::string TextoDe(const char* control) const { return prueba::TextoDe(h, control); }
    bool Activo(const char* control) const { return IsWindowEnabled(Control(h, control)) != FALSE; }
    void Pulsar(const char* control) const { prueba::Pulsar(Control(h, control)); }
    void Captura(const std::string& estado) const { GuardarCaptura(h, carpeta_ + "motor_" + estado + ".bmp"); }
    DWORD Pid() const { return proceso_->Id(); }
    bool Fin() { return proceso_->EsperarFin(); }

    HWND h = nullptr;

private:
    static void Simulador(const std::string& copia) {
        ASSERT_TRUE(CopyFileW(Wide(Ruta(KV_SIMULADOR_EXE)).c_str(), Wide(copia).c_str(), FALSE)) << copia;
    }
    std::string carpeta_, base_;
    uint8_t tipo_;
    std::unique_ptr<Proceso> proceso_;
};

// The option buttons inside the option group, in order.
std::vector<HWND> Opciones(HWND grupo) {
    std::vector<HWND> r;
    for (HWND b = GetWindow(grupo, GW_CHILD); b; b = GetWindow(b, GW_HWNDNEXT)) r.push_back(b);
    return r;
}

void EsperarOfrecida(Instalacion& i, const char* caption) {
    ASSERT_NE(i.h, nullptr);
    ASSERT_TRUE(Hasta([&] { return i.Activo("Framepsql"); }));
    EXPECT_EQ(i.TextoDe("RadioGroup1"), caption);
    EXPECT_EQ(i.TextoDe("RichEdit1"), "El Servidor de Base de Datos debe instalarse en el \r\nOrdenador, donde estan los datos ");
    EXPECT_FALSE(i.Activo("RichEdit1"));
    EXPECT_EQ(i.TextoDe("LbMotor"), "");
    EXPECT_EQ(i.TextoDe("bCancelar"), "Cancelar");
    EXPECT_TRUE(i.Activo("bInstalar"));
}

struct CasoInstalacion {
    const char* nombre;
    int tipoMotor;
    bool servidor;
    const char* respuesta;  // to the closing question (server only)
};

class PaginaMotor : public ::testing::TestWithParam<CasoInstalacion> {};

// The whole way: offered, the choice, waiting for the installer's window,
// running, done; a server installation then asks whether to open the program.
TEST_P(PaginaMotor, InstalaYVigila) {
    const CasoInstalacion& c = GetParam();
    Instalacion i(c.nombre, c.tipoMotor, true);
    EsperarOfrecida(i, c.tipoMotor == 0 ? " Pervasive Sql 12 " : " Btrieve 12 ");
    i.Captura("ofrecida");
    const std::string textoServidor = "El Servidor debe instalarse en el Ordenador donde estan los datos.";
    const std::string textoCliente =
        "El Cliente debe instalarse en todos los Ordenadores que van a acceder a los datos. (Excepto el Servidor)";
    std::vector<HWND> opciones = Opciones(Control(i.h, "RadioGroup1"));
    ASSERT_EQ(opciones.size(), 2u);
    prueba::Pulsar(opciones[1]);
    ASSERT_TRUE(Hasta([&] { return i.TextoDe("RichEdit1") == textoCliente; }));
    if (c.servidor) {
        prueba::Pulsar(opciones[0]);
        ASSERT_TRUE(Hasta([&] { return i.TextoDe("RichEdit1") == textoServidor; }));
    }
    // The installer's window comes up late: the first ticks find nothing. Its
    // title is the one the stand-in takes from its file name.
    const std::string instalador = i.Instalador(c.servidor);
    Instalacion::Ordenar(instalador, "accion=fin\r\nsegundos=4\r\ndemora=1500\r\n");
    i.Pulsar("bInstalar");
    ASSERT_TRUE(Hasta([&] { return !i.Activo("bInstalar"); }));
    EXPECT_EQ(i.TextoDe("LbMotor"), "");
    i.Captura("lanzada");
    ASSERT_TRUE(Hasta([&] { return i.TextoDe("LbMotor") == kEsperando; }));
    EXPECT_FALSE(i.Activo("bInstalar"));
    i.Captura("esperando");
    // Started silently, with the switch quoted, exactly once.
    EXPECT_EQ(Instalacion::Arranques(instalador), "\"/s\"\n");
    if (c.tipoMotor == 0) {
        EXPECT_FALSE(Existe(i.Instalador(!c.servidor) + ".args"));
    }

    ASSERT_TRUE(Hasta([&] { return i.TextoDe("LbMotor") == kCompletada; }));
    if (!c.servidor) {
        // The page stays: nothing more to do but close the window, without a question.
        EXPECT_FALSE(EsperarDialogo(i.Pid(), 2s).has_value());
        EXPECT_FALSE(i.Activo("bInstalar"));
        EXPECT_EQ(i.TextoDe("bCancelar"), "Cancelar");
        i.Captura("completada");
        i.Pulsar("bCancelar");
        EXPECT_FALSE(EsperarDialogo(i.Pid(), 2s).has_value());
        EXPECT_TRUE(i.Fin());
        EXPECT_FALSE(Existe(i.Conta() + ".args"));
        return;
    }
    auto d = EsperarDialogo(i.Pid());
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->titulo, "Información");
    EXPECT_EQ(d->texto, "Instalación Correcta\n\r\n\r¿Abrimos la Conta?");
    EXPECT_EQ(std::set<std::string>(d->botones.begin(), d->botones.end()), (std::set<std::string>{"&Sí", "&No"}));
    EXPECT_EQ(i.TextoDe("bCancelar"), "Salir");
    i.Captura("pregunta");
    Responder(*d, c.respuesta);
    // No exit question either way.
    EXPECT_TRUE(i.Fin());
    bool abierta = std::string(c.respuesta) == "&Sí";
    EXPECT_TRUE(Hasta([&] { return Existe(i.Conta() + ".args") == abierta; }, 5s));
}

INSTANTIATE_TEST_SUITE_P(Motores, PaginaMotor,
                         ::testing::Values(CasoInstalacion{"psql_servidor", 0, true, "&Sí"},
                                           CasoInstalacion{"psql_cliente", 0, false, ""},
                                           CasoInstalacion{"btrieve_servidor", 1, true, "&No"},
                                           CasoInstalacion{"btrieve_cliente", 1, false, ""}),
                         [](const auto& info) { return std::string(info.param.nombre); });

HWND VentanaInstalador(const std::string& titulo) { return FindWindowW(nullptr, Wide(titulo).c_str()); }

// The installer gives up ("Your system has not been modified" in its second
// static control): the button comes back, and a second attempt goes the
// whole way.
TEST(PaginaMotorAbandono, ElBotonVuelveYSeReintenta) {
    Instalacion i("abandono", 0, true);
    EsperarOfrecida(i, " Pervasive Sql 12 ");
    const std::string instalador = i.Instalador(true);
    Instalacion::Ordenar(instalador, "titulo=" + i.Titulo(true) + "\r\naccion=segundo\r\nsegundos=3\r\n");
    i.Pulsar("bInstalar");
    ASSERT_TRUE(Hasta([&] { return i.TextoDe("LbMotor") == kEsperando; }));
    ASSERT_TRUE(Hasta([&] { return i.Activo("bInstalar"); }));
    EXPECT_EQ(i.TextoDe("LbMotor"), "");
    i.Captura("abandono");
    HWND abandonado = VentanaInstalador(i.Titulo(true));
    ASSERT_NE(abandonado, nullptr);
    PostMessageW(abandonado, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Hasta([&] { return VentanaInstalador(i.Titulo(true)) == nullptr; }));

    Instalacion::Ordenar(instalador, "titulo=" + i.Titulo(true) + "\r\naccion=fin\r\nsegundos=2\r\n");
    i.Pulsar("bInstalar");
    ASSERT_TRUE(Hasta([&] { return i.TextoDe("LbMotor") == kEsperando; }));
    ASSERT_TRUE(Hasta([&] { return i.TextoDe("LbMotor") == kCompletada; }));
    EXPECT_EQ(Instalacion::Arranques(instalador), "\"/s\"\n\"/s\"\n");
    auto d = EsperarDialogo(i.Pid());
    ASSERT_TRUE(d.has_value());
    Responder(*d, "&No");
    EXPECT_TRUE(i.Fin());
}

// The same closing text in the first static control is no sign: the page
// keeps waiting until the window goes.
TEST(PaginaMotorAbandono, TextoEnElPrimerStaticNoCuenta) {
    Instalacion i("primer_static", 1, true);
    EsperarOfrecida(i, " Btrieve 12 ");
    prueba::Pulsar(Opciones(Control(i.h, "RadioGroup1"))[1]);
    const std::string instalador = i.Instalador(false);
    Instalacion::Ordenar(instalador, "titulo=" + i.Titulo(false) + "\r\naccion=primero\r\nsegundos=1\r\n");
    i.Pulsar("bInstalar");
    ASSERT_TRUE(Hasta([&] { return i.TextoDe("LbMotor") == kEsperando; }));
    HWND ventana = VentanaInstalador(i.Titulo(false));
    ASSERT_NE(ventana, nullptr);
    ASSERT_TRUE(Hasta([&] { return Texto(FindWindowExW(ventana, nullptr, L"Static", nullptr)).find("Your system has not been modified") != std::string::npos; }));
    Sleep(2500);  // more than two ticks
    EXPECT_EQ(i.TextoDe("LbMotor"), kEsperando);
    EXPECT_FALSE(i.Activo("bInstalar"));
    i.Captura("primer_static");
    PostMessageW(ventana, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Hasta([&] { return i.TextoDe("LbMotor") == kCompletada; }));
    i.Pulsar("bCancelar");
    EXPECT_TRUE(i.Fin());
}

// A missing installer says nothing: no window ever comes, the page keeps
// waiting, and Cancelar closes the window without a question.
TEST(PaginaMotorSinInstalador, SigueEsperandoYCancelarCierra) {
    Instalacion i("sin_instalador", 0, false);
    EsperarOfrecida(i, " Pervasive Sql 12 ");
    i.Pulsar("bInstalar");
    ASSERT_TRUE(Hasta([&] { return !i.Activo("bInstalar"); }));
    EXPECT_FALSE(EsperarDialogo(i.Pid(), 3s).has_value());
    EXPECT_FALSE(i.Activo("bInstalar"));
    EXPECT_EQ(i.TextoDe("LbMotor"), "");
    i.Captura("sin_instalador");
    i.Pulsar("bCancelar");
    EXPECT_FALSE(EsperarDialogo(i.Pid(), 2s).has_value());
    EXPECT_TRUE(i.Fin());
}

std::string EsteEquipoEnMinusculas() {
    wchar_t buf[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD n = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(buf, &n)) return {};
    std::string r = text::Narrow(std::wstring(buf, n));
    std::transform(r.begin(), r.end(), r.begin(), [](char ch) { return char(std::tolower(ch)); });
    return r;
}

struct CasoRecurso {
    const char* nombre;
    bool otroEquipo;     // SRV01's share, or this computer's own (its name in lower case)
    bool unidadMapeada;  // through a drive letter mapped to the share, or the share's own path
};

class PaginaMotorRecurso : public ::testing::TestWithParam<CasoRecurso> {};

// The program folder on another computer's share: the error names that
// computer and the page is not offered; the window closes without a question.
// On this computer's own share the page is offered and the installer runs.
TEST_P(PaginaMotorRecurso, SoloEnElEquipoDeLosDatos) {
    const CasoRecurso& c = GetParam();
    const std::string equipo = EsteEquipoEnMinusculas();
    ASSERT_FALSE(equipo.empty());
    // The test folder is shared as "datos" under both names (a test fixture).
    const std::string recurso = "\\\\" + std::string(c.otroEquipo ? "SRV01" : equipo) + "\\datos";
    Instalacion i = c.unidadMapeada ? Instalacion(c.nombre, 0, true, "", recurso + "\\Kavo")
                                    : Instalacion(c.nombre, 0, true, recurso);
    ASSERT_NE(i.h, nullptr);
    if (c.otroEquipo) {
        auto d = EsperarDialogo(i.Pid());
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->titulo, "Error");
        EXPECT_EQ(d->texto, "El Motor de Base de Datos debe Instalarse en el Servidor: SRV01");
        i.Captura("otro_equipo");
        Responder(*d, "Vale");
        Sleep(500);
        EXPECT_FALSE(i.Activo("Framepsql"));
        EXPECT_EQ(i.TextoDe("bCancelar"), "Salir");
        PulsarTecla(i.h, VK_ESCAPE);
        EXPECT_FALSE(EsperarDialogo(i.Pid(), 2s).has_value());
        EXPECT_TRUE(i.Fin());
        return;
    }
    EsperarOfrecida(i, " Pervasive Sql 12 ");
    EXPECT_FALSE(EsperarDialogo(i.Pid(), 1s).has_value());
    i.Captura("propio_equipo");
    if (!c.unidadMapeada) {
        // Wine starts no program from a share's path: the installer's run is
        // seen through the mapped drive.
        i.Pulsar("bCancelar");
        EXPECT_FALSE(EsperarDialogo(i.Pid(), 2s).has_value());
        EXPECT_TRUE(i.Fin());
        return;
    }
    Instalacion::Ordenar(i.Instalador(true), "titulo=" + i.Titulo(true) + "\r\naccion=fin\r\nsegundos=2\r\n");
    i.Pulsar("bInstalar");
    ASSERT_TRUE(Hasta([&] { return i.TextoDe("LbMotor") == kCompletada; }));
    EXPECT_EQ(Instalacion::Arranques(i.Instalador(true)), "\"/s\"\n");
    auto d = EsperarDialogo(i.Pid());
    ASSERT_TRUE(d.has_value());
    Responder(*d, "&No");
    EXPECT_TRUE(i.Fin());
}

INSTANTIATE_TEST_SUITE_P(Recursos, PaginaMotorRecurso,
                         ::testing::Values(CasoRecurso{"otro_equipo", true, false},
                                           CasoRecurso{"otro_equipo_unidad", true, true},
                                           CasoRecurso{"propio_equipo", false, false},
                                           CasoRecurso{"propio_equipo_unidad", false, true}),
                         [](const auto& info) { return std::string(info.param.nombre); });

}  // namespace
