// How a run ends, as an unattended run reports it in its exit code.
#include "EjecucionFalsa.h"

namespace {

// An unattended run's exit code is the run's own end, named where the run
// decides it: whatever the message says ("... Cancelada" is written on many
// failures the user never asked for).
TEST(Fin, CadaFinalConSuCodigoDeSalida) {
    struct Caso {
        const char* nombre;
        std::function<void(Falso&)> preparar;
        int codigo;
    };
    const Caso casos[] = {
        {"correcta", [](Falso&) {}, 0},
        {"programa de sólo lectura", [](Falso& f) { f.soloLectura.insert(kPrograma + "CONTA.EXE"); }, 9},
        {"fichero a reemplazar de sólo lectura", [](Falso& f) { f.soloLectura.insert(kPrograma + "A.DLL"); }, 9},
        {"disco lleno", [](Falso& f) { f.libre = 1; }, 9},
        {"copia anterior sin deshacer", [](Falso& f) { f.ficheros[kPrograma + "10.05\\" + kFicheroDiario] = "x"; }, 9},
        {"sin escritura en la carpeta", [](Falso& f) { f.sinEscritura.insert(kPrograma); }, 9},
        {"entrada dañada al extraer",
         [](Falso& f) { f.servidor["QTR.KAV"].push_back({"Conta\\Programa\\MALA.DLL", teSiempre, "m", 100, true}); }, 9},
        {"en uso", [](Falso& f) { f.enUso.insert(kPrograma + "A.DLL"); }, 6},
        {"programa en uso", [](Falso& f) { f.enUso.insert(kPrograma + "CONTA.EXE"); }, 6},
        {"archivo dañado", [](Falso& f) { f.corruptos["QTR.KAV"] = "CRC incorrecto"; }, 4},
        {"firma local",
         [](Falso& f) {
             f.d.ModoLocal = true;
             f.d.DirEjecutable = kPrograma;
             f.ficheros[kPrograma + "QTR.KAV"] = "x";
             f.firmasMalas.insert(kPrograma + "QTR.KAV");
         },
         5},
        {"descarga", [](Falso& f) { f.fallosDescarga["QTR.KAV"] = "Error descargando URL: http://v/QTR.KAV"; }, 3},
        {"descarga cancelada",
         [](Falso& f) {
             f.progresos = {{0, 0}, {10000, 1000000}};
             f.cancelarEn = 1;
         },
         1},
        {"cancelada mientras se comprueba",
         [](Falso& f) {
             f.alProcesar = [&f] {
                 if (!f.log.empty() && f.log.back().rfind("De:Comprobando: ", 0) == 0) f.d.CancelarPedido = true;
             };
         },
         1},
        {"sin conexión", [](Falso& f) { f.conexion = false; }, 2},
        {"instalada más nueva, no sigue",
         [](Falso& f) {
             f.versiones[kPrograma + "CONTA.EXE"] = TypeVersion{0, 0, 9, 10};
             f.respuestas = {mrCancel};
         },
         7},
        {"bloqueada", [](Falso& f) { f.ocupada = true; }, 8},
        {"falta el archivo del programa", [](Falso& f) { f.servidor.erase("QTR.KAV"); }, 9},
    };
    for (const Caso& c : casos) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"},
                                 {"Conta\\Programa\\A.DLL", teSiempre, "a nuevo"}};
        f.respuestas = {mrNo};
        c.preparar(f);
        try {
            f.run.Instalar();
        } catch (const std::exception&) {
        }
        EXPECT_EQ(desatendido::CodigoDeFin(f.d.Fin), c.codigo) << c.nombre;
    }
}

// Ends named outside the install button's run, through the run: the
// engine a script asked for that was not installed fails a first
// installation that had ended well, and a release file refused at start-up
// ends the program as that refusal.
TEST(Fin, DelMotorYDelArranque) {
    Falso f;
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "x"}};
    f.run.Instalar();
    ASSERT_TRUE(f.Vio("OfrecerMotor"));
    ASSERT_EQ(f.d.Fin, TFinEjecucion::Correcta);
    f.run.MotorNoInstalado("El instalador del motor de la base de datos no ha aparecido.");
    EXPECT_EQ(desatendido::CodigoDeFin(f.d.Fin), 9);
    EXPECT_TRUE(f.Vio("Mensaje:El instalador del motor de la base de datos no ha aparecido."));

    Falso arranque;
    arranque.run.RechazarArranque();
    EXPECT_EQ(desatendido::CodigoDeFin(arranque.d.Fin), 5);
}

}  // namespace
