#include "Procesos.h"

#include <gtest/gtest.h>

#include "DialogSeam.h"
#include "Entorno.h"
#include "ProcessMessages.h"
#include "TextCodec.h"

namespace {

// A visible window of the "installer", and what the pump saw of it while a
// program ran.
HWND g_ventana = nullptr;
bool g_vistaOculta = false;
int g_bombeos = 0;

struct VentanaInstalador {
    VentanaInstalador() {
        g_ventana = CreateWindowExW(0, L"STATIC", L"Instalador", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                    200, 100, nullptr, nullptr, nullptr, nullptr);
        g_vistaOculta = false;
        g_bombeos = 0;
        anterior = ui::SetProcessMessagesHook([] {
            ++g_bombeos;
            if (!IsWindowVisible(g_ventana)) g_vistaOculta = true;
        });
    }
    ~VentanaInstalador() {
        ui::SetProcessMessagesHook(anterior);
        DestroyWindow(g_ventana);
    }
    ui::IdleHook anterior;
};

TEST(EjecutarYEsperar, WaitsForTheProgramWithTheWindowAlive) {
    VentanaInstalador ventana;
    ASSERT_NE(g_ventana, nullptr) << "no display";
    const std::string ayudante = prueba::Comillas(prueba::Fixture("ayudante_servicios.exe")) + " esperar 700";
    const ULONGLONG inicio = GetTickCount64();
    EXPECT_TRUE(EjecutarYEsperar(ayudante, false));
    EXPECT_GE(GetTickCount64() - inicio, 600u);
    EXPECT_GE(g_bombeos, 1);
    EXPECT_FALSE(g_vistaOculta);

    // Hidden while the program runs, shown again afterwards.
    EXPECT_TRUE(EjecutarYEsperar(ayudante, true));
    EXPECT_TRUE(g_vistaOculta);
    EXPECT_TRUE(IsWindowVisible(g_ventana));
    EXPECT_FALSE(IsIconic(g_ventana));
}

uint64_t TiempoCpu() {
    FILETIME creado, fin, nucleo, usuario;
    GetProcessTimes(GetCurrentProcess(), &creado, &fin, &nucleo, &usuario);
    auto valor = [](FILETIME f) { return (uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return (valor(nucleo) + valor(usuario)) / 10000;  // ms
}

TEST(EjecutarYEsperar, AQuitRequestDoesNotMakeTheWaitSpin) {
    PostQuitMessage(0);
    const uint64_t antes = TiempoCpu();
    EXPECT_TRUE(EjecutarYEsperar(prueba::Comillas(prueba::Fixture("ayudante_servicios.exe")) + " esperar 1500", false));
    EXPECT_LT(TiempoCpu() - antes, 500u) << "ms of processor time spent waiting";
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the request is kept";
}

TEST(EjecutarYEsperar, TellsTheUserWhenTheProgramCannotStart) {
    std::vector<ui::DialogRequest> mostrados;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        mostrados.push_back(r);
        return ui::DialogAnswer{IDOK, ""};
    });
    EXPECT_FALSE(EjecutarYEsperar("C:\\no\\existe\\programa.exe", true));
    ASSERT_EQ(mostrados.size(), 1u);
    EXPECT_EQ(mostrados[0].text, "No se puede Ejecutar la Aplicación");
    EXPECT_EQ(mostrados[0].buttons, std::vector<std::string>{"Vale"});
}

TEST(EjecutarComando, ReturnsTheWholeOutputOfBothStreams) {
    EXPECT_EQ(EjecutarComando("echo hola", ""), "hola\r\n");
    EXPECT_EQ(EjecutarComando("echo al error 1>&2", ""), "al error \r\n");

    // Far more than one 255-byte read, found by a relative name in the
    // working folder given.
    prueba::CarpetaPrueba dir;
    std::string largo;
    for (int i = 0; i < 40; ++i) largo += "linea " + std::to_string(i) + " del fichero de prueba\r\n";
    ASSERT_GT(largo.size(), 1000u);
    prueba::EscribirFichero(dir / "largo.txt", largo);
    EXPECT_EQ(EjecutarComando("type largo.txt", dir.Ruta()), largo);
}

// A folder with a blank: unquoted, the system would start "...\mi.exe" with
// the rest of the path as its arguments.
TEST(IniciarPrograma, QuotesTheProgramSoNoShorterNameStarts) {
    prueba::CarpetaPrueba dir;
    prueba::CrearCarpeta(dir / "mi programa");
    const std::string ayudante = prueba::Fixture("ayudante_servicios.exe");
    const std::string programa = dir / "mi programa\\ayudante.exe";
    ASSERT_TRUE(CopyFileW(text::Wide(ayudante).c_str(), text::Wide(programa).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(text::Wide(ayudante).c_str(), text::Wide(dir / "mi.exe").c_str(), FALSE));
    const std::string marca = dir / "iniciado.txt";

    EXPECT_TRUE(IniciarPrograma(programa, "crear " + prueba::Comillas(marca) + " 0"));
    for (int i = 0; i < 500 && !prueba::Existe(marca); ++i) Sleep(20);
    EXPECT_EQ(prueba::LeerFichero(marca), "tarde") << "the program itself ran, with its arguments";

    EXPECT_FALSE(IniciarPrograma(dir / "no existe.exe", ""));
    EXPECT_EQ(LineaPrograma("C:\\Program Files\\Kavo\\Actualizador.exe", "/ACT /YPOS10 /XPOS20"),
              "\"C:\\Program Files\\Kavo\\Actualizador.exe\" /ACT /YPOS10 /XPOS20");
    EXPECT_EQ(LineaPrograma("C:\\A.EXE", ""), "\"C:\\A.EXE\"");
}

// With a recorder in place nothing starts: the recorder sees each start and
// decides whether it succeeded.
TEST(GrabadorProgramas, RecordsEveryStartInsteadOfMakingIt) {
    prueba::CarpetaPrueba dir;
    const std::string marca = dir / "no debe existir.txt";
    std::vector<InicioPrograma> vistos;
    bool aceptar = true;
    std::vector<ui::DialogRequest> mostrados;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        mostrados.push_back(r);
        return ui::DialogAnswer{IDOK, ""};
    });
    {
        ScopedGrabadorProgramas grabador([&](const InicioPrograma& i) {
            vistos.push_back(i);
            return aceptar;
        });
        const std::string ayudante = prueba::Fixture("ayudante_servicios.exe");
        EXPECT_TRUE(IniciarPrograma(ayudante, "crear " + prueba::Comillas(marca) + " 0"));
        EXPECT_TRUE(EjecutarYEsperar("C:\\Kavo\\PSQL\\setup.exe /s", true));
        aceptar = false;
        EXPECT_FALSE(IniciarPrograma("C:\\X.EXE", "/A"));
        EXPECT_FALSE(EjecutarYEsperar("C:\\Y.EXE", false));
    }
    ASSERT_EQ(vistos.size(), 4u);
    EXPECT_EQ(vistos[0].lineaComando, LineaPrograma(prueba::Fixture("ayudante_servicios.exe"),
                                                    "crear " + prueba::Comillas(marca) + " 0"));
    EXPECT_FALSE(vistos[0].esperar);
    EXPECT_EQ(vistos[1].lineaComando, "C:\\Kavo\\PSQL\\setup.exe /s");
    EXPECT_TRUE(vistos[1].esperar);
    EXPECT_TRUE(vistos[1].ocultar);
    EXPECT_EQ(vistos[2].lineaComando, "\"C:\\X.EXE\" /A");
    EXPECT_FALSE(vistos[3].ocultar);
    // A refused wait is told to the user as a real one is; a refused start
    // without waiting is only the result.
    ASSERT_EQ(mostrados.size(), 1u);
    EXPECT_EQ(mostrados[0].text, "No se puede Ejecutar la Aplicación");
    Sleep(300);
    EXPECT_FALSE(prueba::Existe(marca));
}

}  // namespace
