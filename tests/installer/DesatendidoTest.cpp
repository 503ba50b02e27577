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
         "/XPOS100", "/SILENT"});
    EXPECT_EQ(o.silencio, Silencio::MuySilencioso) << "/SILENT never lowers /VERYSILENT";
    EXPECT_EQ(o.carpeta, "C:\\Mis Programas\\Kavo");
    EXPECT_EQ(o.registro, "C:\\log.txt");
    EXPECT_EQ(o.motor, Motor::Cliente);
    EXPECT_TRUE(o.Desatendido());

    const Opciones nada = InterpretarSwitches({"DIR=C:\\x", "SILENT"});
    EXPECT_FALSE(nada.Desatendido()) << "only arguments beginning with / are switches";
    EXPECT_FALSE(nada.carpeta);

    for (const char* malo : {"/MOTOR=todo", "/DIR=", "/LOG=\"\""})
        EXPECT_THROW(InterpretarSwitches({malo}), Exception) << malo;
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
    };
    for (const Caso& c : casos) EXPECT_EQ(RespuestaSegura(c.pedido, o).result, c.resultado) << c.pedido.text;

    o.carpeta = "D:\\Kavo";
    const ui::DialogAnswer r = RespuestaSegura({"BuscarCarpeta", "Carpeta", "", {}, "C:\\"}, o);
    EXPECT_EQ(r.result, mrOk);
    EXPECT_EQ(r.value, "D:\\Kavo");
}

TEST(Desatendido, EachFailureHasItsExitCode) {
    const std::pair<const char*, CodigoSalida> casos[] = {
        {"Fichero QTR.KAV rechazado: falta su firma.", csFirmaRechazada},
        {"Imposible realizar conexión con el Servidor de KAVO.\n\rRevisa tu configuración", csSinConexion},
        {"Error descargando URL: http://v/QTR.KAV", csDescargaFallida},
        {"El archivo T:\\QTR.KAV\r\n\r\nestá dañado o incompleto:\r\n\r\nCRC\r\n\r\nActualización Cancelada.",
         csArchivoDanado},
        {"El Fichero C:\\Kavo\\CONTA.EXE\r\n\r\nestá en Uso. Actualización Cancelada", csFicheroEnUso},
        {"La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar?", csVersionMasNueva},
        {"Ya hay otro usuario Actualizando el programa.", csBloqueado},
        {"Cancelar Actualización", csCancelado},
        {"No se pudo Crear el Fichero KAVO.KAVO", csOtroError},
    };
    for (const auto& [texto, codigo] : casos) EXPECT_EQ(CodigoDeMensaje(texto), codigo) << texto;
}

}  // namespace
