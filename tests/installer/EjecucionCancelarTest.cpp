// A cancel asked for at every point of a run: what the user is asked, where
// the run stops, and what it leaves behind.
#include "EjecucionFalsa.h"

namespace {

// The last transfer has ended when the cancel is confirmed: the run stops
// all the same, and the archive it fetched goes.
TEST(Descargas, CancelarAlTerminarLaUltimaTransferencia) {
    Falso f;
    f.d.DescargarExternos = false;
    f.carpetas.insert("C:\\Kavo\\Externos\\");  // only the program archive is fetched
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "x"}};
    f.progresos = {{0, 0}, {1000000, 1000000}};
    f.cancelarEn = 2;
    f.run.Instalar();
    EXPECT_FALSE(f.Vio("Extraer:" + kTemporal + "QTR.KAV"));
    EXPECT_FALSE(f.ficheros.count(kTemporal + "QTR.KAV"));
    EXPECT_TRUE(f.Bajo("C:\\Kavo\\").empty());
    EXPECT_EQ(f.d.Estado, esReposo);
    EXPECT_TRUE(f.Vio("Desbloquear"));
    for (const auto& l : f.log) EXPECT_NE(l.rfind("Mensaje:", 0), 0u) << l;
}

// Whenever the run lets the window handle the user, it counts as busy: a
// close asked for then cancels, and never closes the window under the run.
TEST(Descargas, OcupadoEnCadaEsperaDeMensajes) {
    Falso f;
    f.d.TipoMotor = tmBtrieve6;
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "x"}};
    std::vector<TEstado> vistos;
    f.alProcesar = [&] { vistos.push_back(f.d.Estado); };
    f.run.Descargar();
    ASSERT_FALSE(vistos.empty());
    for (TEstado e : vistos) EXPECT_EQ(e, esDescargando);
}

TEST(Cancelar, SegunElEstado) {
    struct Caso {
        TEstado estado;
        int respuesta;
        bool cancela, aborta, cierra;
    };
    const Caso casos[] = {
        {esReposo, mrOk, false, false, true},          {esTerminado, mrOk, false, false, true},
        {esDescargando, mrOk, true, false, false},     {esDescargando, mrCancel, false, false, false},
        {esExtrayendo, mrOk, true, true, false},       {esExtrayendo, mrCancel, false, false, false},
        // Between two archives: the next one must not start.
        {esExtraccionTerminada, mrOk, true, true, false},
    };
    for (const Caso& c : casos) {
        Falso f;
        f.d.Estado = c.estado;
        f.respuestas = {c.respuesta};
        f.run.Cancelar();
        EXPECT_EQ(f.d.CancelarPedido, c.cancela) << c.estado;
        EXPECT_EQ(f.Vio("Abortar"), c.aborta) << c.estado;
        EXPECT_EQ(f.d.Resultado, c.aborta ? rsCancelado : rsNinguno) << c.estado;
        EXPECT_EQ(f.Vio("Cerrar ventana"), c.cierra) << c.estado;
        EXPECT_EQ(f.Vio("Mensaje:Cancelar Instalación"), c.estado >= esDescargando) << c.estado;
    }
}

// A first installation extracts three archives; a cancel confirmed during any
// of them, or in the pump before one starts, stops the run there, also when
// the engine had already passed its last report and ends with 1.
TEST(Cancelar, EnCadaArchivoDeUnaPrimeraInstalacion) {
    const char* archivos[] = {"PSQL.KAV", "SOPORTE.KAV", "QTR.KAV"};
    for (bool antesDeEmpezar : {false, true}) {
        for (const char* cancelado : archivos) {
            SCOPED_TRACE(std::string(cancelado) + (antesDeEmpezar ? ", antes de empezar" : ", durante"));
            Falso f;
            f.servidor["PSQL.KAV"] = {{"Externos\\P\\P.DLL", 4, "p"}};
            f.servidor["SOPORTE.KAV"] = {{"Conta\\Soporte\\S.TXT", 11, "s"}};
            f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "conta"}};
            const std::string enCurso = (antesDeEmpezar ? "De:Extrayendo de: " : "Extraer:") + kTemporal + cancelado;
            bool hecho = false;
            f.alProcesar = [&] {
                if (hecho || std::find(f.log.begin(), f.log.end(), enCurso) == f.log.end()) return;
                hecho = true;
                f.respuestas = {mrOk};
                f.run.Cancelar();
            };
            f.run.Instalar();
            ASSERT_TRUE(hecho);
            EXPECT_TRUE(f.Vio("Abortar"));
            EXPECT_TRUE(f.Vio("Mensaje:Instalación Incorrecta"));
            EXPECT_FALSE(f.Vio("Mensaje:Instalación Correcta"));
            EXPECT_FALSE(f.Vio("OfrecerMotor"));
            EXPECT_EQ(f.d.Fin, TFinEjecucion::Cancelada);
            // No archive after the cancelled one is opened.
            bool despues = false;
            for (const char* a : archivos) {
                EXPECT_EQ(f.Vio("Extraer:" + kTemporal + a), !despues && !(antesDeEmpezar && a == cancelado)) << a;
                if (a == cancelado) despues = true;
            }
        }
    }
}

// A close confirmed while the archives are checked, before the first file
// changes: the run is busy at every pump, stops without extracting, and
// leaves the installation as it was and the page idle, whether the archives
// were downloaded or taken from the folder.
TEST(Actualizacion, CancelarMientrasSeComprueban) {
    for (bool local : {false, true}) {
        Falso f = Actualizacion();
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", 1, "nuevo"}};
        if (local) {
            f.d.ModoLocal = true;
            f.d.DirEjecutable = kPrograma;
            f.ficheros[kPrograma + "QTR.KAV"] = "x";
        }
        std::vector<TEstado> vistos;
        f.alProcesar = [&] {
            vistos.push_back(f.d.Estado);
            if (!f.log.empty() && f.log.back().rfind("De:Comprobando: ", 0) == 0) f.d.CancelarPedido = true;
        };
        const auto antes = f.ficheros;
        f.run.Instalar();
        ASSERT_TRUE(f.d.CancelarPedido) << local;
        for (TEstado e : vistos) EXPECT_NE(e, esReposo) << local;
        EXPECT_FALSE(f.Vio("Extraer:" + f.run.DirDescargas() + "QTR.KAV")) << local;
        for (const auto& [ruta, bytes] : antes)
            if (ruta.find("QTR.KAV") == std::string::npos) {
                EXPECT_EQ(f.ficheros[ruta], bytes) << local << " " << ruta;
            }
        EXPECT_EQ(f.d.Estado, esReposo) << local;
        EXPECT_EQ(f.Vio("Bloquear"), f.Vio("Desbloquear")) << local;
    }
}

}  // namespace
