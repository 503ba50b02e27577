// The run's downloads: what a failed or missing transfer leaves, and what
// the window shows while one goes on.
#include "EjecucionFalsa.h"

namespace {

TEST(Descargas, FallosYCancelaciones) {
    struct Caso {
        const char* nombre;
        const char* fallo;  // the program archive's download error, or nullptr
        int cancelarEn;     // progress report at which the user cancels
        const char* mensaje;
    };
    const Caso casos[] = {
        {"404", "Error descargando URL: http://v/QTR.KAV", -1, "Plano:Error descargando URL: http://v/QTR.KAV"},
        {"cancelar al 1%", nullptr, 1, nullptr},
        {"cancelar al 50%", nullptr, 2, nullptr},
        {"cancelar al 100%", nullptr, 3, nullptr},
    };
    for (const Caso& c : casos) {
        Falso f;
        f.d.ModoActualizacion = false;
        f.d.TipoMotor = tmBtrieve6;
        f.servidor["BTRIEVE6.KAV"] = {};
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "x"}};
        if (c.fallo) f.fallosDescarga["QTR.KAV"] = c.fallo;
        f.progresos = {{0, 0}, {10000, 1000000}, {500000, 1000000}, {1000000, 1000000}};
        f.cancelarEn = c.cancelarEn;
        f.ficheros[kTemporal + "QTR.KAV"] = "parcial";  // what the transfer left
        f.run.Instalar();
        std::vector<std::string> vistos;
        for (const auto& l : f.log)
            if (l.rfind("Plano:", 0) == 0 || l.rfind("Mensaje:", 0) == 0) vistos.push_back(l);
        EXPECT_EQ(vistos, c.mensaje ? std::vector<std::string>{c.mensaje} : std::vector<std::string>{}) << c.nombre;
        EXPECT_FALSE(f.ficheros.count(kTemporal + "QTR.KAV")) << c.nombre;
        EXPECT_FALSE(f.Vio("Descargar:SOPORTE.KAV")) << c.nombre;
        EXPECT_TRUE(f.Bajo("C:\\Kavo\\").empty()) << c.nombre;
        EXPECT_EQ(f.d.Estado, esReposo) << c.nombre;
        EXPECT_TRUE(f.Vio("Reposo:reiniciar")) << c.nombre;
        EXPECT_EQ(f.log.back(), "Tareas:ninguno") << c.nombre;
        EXPECT_TRUE(f.Vio("Desbloquear")) << c.nombre;
    }
}

TEST(Descargas, SinConexion) {
    Falso f;
    f.conexion = false;
    f.run.Instalar();
    EXPECT_TRUE(f.Vio("Mensaje:Imposible realizar conexión con el Servidor de KAVO.\n\rRevisa tu configuración de "
                      "Conexión a Internet."));
    EXPECT_FALSE(f.Vio("PaginaDescargando"));
    EXPECT_TRUE(f.Vio("Desbloquear"));
}

// The labels follow the transfer in steps of 100000 bytes.
TEST(Descargas, ProgresoPorPasosDeCienMil) {
    struct Paso {
        uint32_t progreso, maximo;
        int barra, maximoBarra;
        bool etiqueta;
        const char* tareas;  // what the taskbar button is told
    };
    const Paso pasos[] = {
        {0, 0, 0, 100, false, ""},  // size unknown: nothing moves
        // The maximum is taken, the bar stays, the button shows progress.
        {50000, 250000, 0, 250000, false, "Tareas:normal|Tareas:0/250000"},
        {99999, 250000, 0, 250000, false, ""},
        {100000, 250000, 100000, 250000, true, "Tareas:100000/250000"},
        {199999, 250000, 100000, 250000, false, ""},
        {250000, 250000, 250000, 250000, true, "Tareas:250000/250000"},
        {250000, 250000, 250000, 250000, false, ""},  // at the end: no further report
    };
    Falso f;
    for (const Paso& p : pasos) {
        f.log.clear();
        bool cancelar = true;
        f.run.ProgresoDescarga(p.progreso, p.maximo, cancelar);
        EXPECT_FALSE(cancelar);
        EXPECT_EQ(f.barra, p.barra) << p.progreso;
        EXPECT_EQ(f.maximo, p.maximoBarra) << p.progreso;
        EXPECT_EQ(f.Vio("Descargado:" + std::to_string(p.progreso) + "/" + std::to_string(p.maximo)), p.etiqueta)
            << p.progreso;
        std::string tareas;
        for (const auto& l : f.log)
            if (l.rfind("Tareas:", 0) == 0) tareas += (tareas.empty() ? "" : "|") + l;
        EXPECT_EQ(tareas, p.tareas) << p.progreso;
    }
    f.d.CancelarPedido = true;
    bool cancelar = false;
    f.run.ProgresoDescarga(1, 1, cancelar);
    EXPECT_TRUE(cancelar);
}

}  // namespace
