// The whole-archive check before an update reads every byte of the archives,
// as long as an extraction: it must show its progress, keep the window alive
// and let a confirmed cancel stop it before anything changes.
#include "EjecucionFalsa.h"

namespace {

Falso ConArchivoGrande() {
    Falso f = Actualizacion();
    for (int i = 0; i < 4; ++i)
        f.servidor["QTR.KAV"].push_back({"Conta\\Programa\\F" + std::to_string(i) + ".DLL", 1, "nuevo"});
    return f;
}

TEST(ComprobacionArchivos, InformaDelProgresoYAtiendeLaVentana) {
    Falso f = ConArchivoGrande();
    std::vector<std::string> alAtender;  // the last act before each pump while reading
    f.alProcesar = [&] {
        if (f.Vio("Comprobar:" + kTemporal + "QTR.KAV") && !f.Vio("De:Extrayendo de: " + kTemporal + "QTR.KAV"))
            alAtender.push_back(f.log.back());
    };
    f.respuestas = {mrNo};
    f.run.Instalar();
    EXPECT_EQ(alAtender, (std::vector<std::string>{"Tareas:25/100", "Tareas:50/100", "Tareas:75/100",
                                                   "Tareas:100/100"}));
    EXPECT_EQ(f.d.Fin, TFinEjecucion::Correcta);
}

// Whichever report the user's cancel lands on, the reading stops there, the
// run ends cancelled without calling the archive damaged, and the
// installation is untouched: no journal, no backup, no file written.
TEST(ComprobacionArchivos, CancelarDuranteLaLecturaNoCambiaNada) {
    for (int en : {25, 50, 100}) {
        Falso f = ConArchivoGrande();
        const auto antes = f.ficheros;
        f.alProcesar = [&] {
            if (f.log.back() == "Tareas:" + std::to_string(en) + "/100") f.d.CancelarPedido = true;
        };
        f.run.Instalar();
        EXPECT_EQ(f.d.Fin, TFinEjecucion::Cancelada) << en;
        EXPECT_FALSE(f.Vio("Tareas:" + std::to_string(en + 25) + "/100")) << en << ": read on after the cancel";
        EXPECT_FALSE(f.Vio("Extraer:" + kTemporal + "QTR.KAV")) << en;
        for (const std::string& l : f.log) EXPECT_EQ(l.find("dañado"), std::string::npos) << en << ": " << l;
        auto despues = f.ficheros;
        despues.erase(kTemporal + "QTR.KAV");
        EXPECT_EQ(despues, antes) << en;
        EXPECT_EQ(f.cambiosSinDiario, 0) << en;
        EXPECT_EQ(f.d.Estado, esReposo) << en;
        EXPECT_TRUE(f.Vio("Desbloquear")) << en;
    }
}

}  // namespace
