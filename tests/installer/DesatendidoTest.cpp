// Unattended runs: the switches, the safe answer to each kind of question,
// and the exit code each of the run's failures ends with.
#include <gtest/gtest.h>

#include "Desatendido.h"
#include "Exception.h"
#include "TiposMensaje.h"

namespace {

using namespace desatendido;

TEST(Desatendido, ReadsTheSwitchesInAnyCaseAndLeavesTheRest) {
    const Opciones o = InterpretarSwitches(
        {"CLI4711.VER", "/verysilent", "/DIR=\"C:\\Mis Programas\\Kavo\"", "/Log=C:\\log.txt", "/MOTOR=Cliente",
         "/XPOS100", "/SILENT", "/retroceder"});
    EXPECT_EQ(o.silencio, Silencio::MuySilencioso) << "/SILENT never lowers /VERYSILENT";
    EXPECT_EQ(o.carpeta, "C:\\Mis Programas\\Kavo");
    EXPECT_EQ(o.registro, "C:\\log.txt");
    EXPECT_EQ(o.motor, Motor::Cliente);
    EXPECT_TRUE(o.retroceder);
    EXPECT_TRUE(o.Desatendido());

    EXPECT_EQ(o.error, "");

    const Opciones nada = InterpretarSwitches({"DIR=C:\\x", "SILENT"});
    EXPECT_FALSE(nada.Desatendido()) << "only arguments beginning with / are switches";
    EXPECT_FALSE(nada.carpeta);
    EXPECT_FALSE(nada.retroceder);
}

// A script's mistake stops the run before anything happens, and says which
// switch; the log still goes where the script asked.
TEST(Desatendido, RefusesWhatItDoesNotKnow) {
    struct Caso {
        std::vector<std::string> argumentos;
        const char* error;  // "" when accepted
    };
    const Caso casos[] = {
        {{"/VERYSILENT", "/DIRR=C:\\x"}, "Switch desconocido: /DIRR=C:\\x"},
        {{"/NOEXISTE", "/SILENT"}, "Switch desconocido: /NOEXISTE"},
        {{"/verysilent", "/LOG=C:\\l.txt", "/MOTOR=todo"},
         "Valor no válido en /MOTOR=todo: se espera /MOTOR=servidor, cliente o no"},
        {{"/DIR="}, "Falta la carpeta en /DIR="},
        {{"/LOG=\"\""}, "Falta el fichero en /LOG=\"\""},
        // The relaunch's own switches, also unattended.
        {{"CLI.VER", "/ACT", "/YPOS120", "/XPOS-8", "/VERYSILENT", "/LOG=C:\\l.txt"}, ""},
        {{"/ACTUALIZAR", "/VERYSILENT"}, "Switch desconocido: /ACTUALIZAR"},
        {{"/XPOS", "/VERYSILENT"}, "Switch desconocido: /XPOS"},
        {{"/YPOS1x", "/SILENT"}, "Switch desconocido: /YPOS1x"},
        // Attended, the user sees the folder: an unknown switch is left alone.
        {{"/DIRR=C:\\x", "/NOEXISTE"}, ""},
    };
    for (const Caso& c : casos) {
        const Opciones o = InterpretarSwitches(c.argumentos);
        EXPECT_EQ(o.error, c.error) << c.argumentos[0];
    }
    const Opciones o = InterpretarSwitches({"/VERYSILENT", "/DIR=C:\\x", "/MOTOR=todo", "/LOG=C:\\l.txt"});
    EXPECT_EQ(o.registro, "C:\\l.txt") << "read after the refused switch";
    EXPECT_NE(o.error, "");
}

// The newer updater an update brings is started again unattended, with the
// same log; the switches survive the round trip through its command line.
TEST(Desatendido, RelaunchedUpdaterStaysUnattended) {
    EXPECT_EQ(SwitchesParaRelanzar(InterpretarSwitches({"CLI.VER"})), "");
    const Opciones o = InterpretarSwitches({"/SILENT", "/LOG=C:\\Mis Datos\\act.log", "/MOTOR=no", "/DIR=C:\\x"});
    EXPECT_EQ(SwitchesParaRelanzar(o), " /SILENT \"/LOG=C:\\Mis Datos\\act.log\" /MOTOR=no");
    const Opciones vuelta = InterpretarSwitches({"/SILENT", "/LOG=C:\\Mis Datos\\act.log", "/MOTOR=no"});
    EXPECT_EQ(vuelta.registro, o.registro);
    EXPECT_EQ(SwitchesParaRelanzar(InterpretarSwitches({"/VERYSILENT"})), " /VERYSILENT");
}

TEST(Desatendido, AnswersEveryQuestionSafely) {
    Opciones o;
    struct Caso {
        ui::DialogRequest pedido;
        int resultado;
    };
    const Caso casos[] = {
        {{"Mensaje", "Información", "Instalación Correcta", {"Vale"}, ""}, mrOk},
        {{"Mensaje", "Advertencia", "La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar?",
          {"Vale", "Cancelar"}, ""},
         mrCancel},
        {{"Mensaje", "Información", "Actualización Correcta ¿Abrimos la Conta?", {"&Sí", "&No"}, ""}, mrNo},
        {{"ErrorAplicacion", "Kavo", "fallo", {"Vale"}, ""}, mrOk},
        {{"BuscarCarpeta", "Carpeta", "", {}, "C:\\"}, mrCancel},
        // The local installation dialog: no local archives.
        {{"ModoLocal", "Actualizador Kavo", "Error descargando URL", {"Iniciar Instalación Local", "Cerrar Instalador"},
          "C:\\Kavo\\QTR.KAV"},
         mrCancel},
    };
    for (const Caso& c : casos) EXPECT_EQ(RespuestaSegura(c.pedido, o).result, c.resultado) << c.pedido.text;

    o.carpeta = "D:\\Kavo";
    const ui::DialogAnswer r = RespuestaSegura({"BuscarCarpeta", "Carpeta", "", {}, "C:\\"}, o);
    EXPECT_EQ(r.result, mrOk);
    EXPECT_EQ(r.value, "D:\\Kavo");
}

// The codes are the README's; a script relies on each one.
TEST(Desatendido, EachEndHasItsExitCode) {
    const std::pair<TFinEjecucion, int> casos[] = {
        {TFinEjecucion::Correcta, 0},        {TFinEjecucion::Cancelada, 1},     {TFinEjecucion::SinConexion, 2},
        {TFinEjecucion::DescargaFallida, 3}, {TFinEjecucion::ArchivoDanado, 4}, {TFinEjecucion::FirmaRechazada, 5},
        {TFinEjecucion::FicheroEnUso, 6},    {TFinEjecucion::VersionMasNueva, 7}, {TFinEjecucion::Bloqueada, 8},
        {TFinEjecucion::Error, 9},           {TFinEjecucion::EnCurso, 9},
    };
    for (const auto& [fin, codigo] : casos) EXPECT_EQ(CodigoDeFin(fin), codigo) << static_cast<int>(fin);
}

}  // namespace
