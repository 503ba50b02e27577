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
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "x"}};
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
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "x"}};
    std::vector<TEstado> vistos;
    f.alProcesar = [&] { vistos.push_back(f.d.Estado); };
    f.run.Descargar();
    ASSERT_FALSE(vistos.empty());
    for (TEstado e : vistos) EXPECT_EQ(e, esDescargando);
}

// The one door for cancel and close, for each state of the run, each way
// the user asks and each answer: what the user is asked, whether the window
// may close, the run is cancelled and the extraction aborted. The window's
// own close keeps the rows of the Windows table.
TEST(Cancelar, EstadoPuertaYRespuesta) {
    using O = TOrigenCierre;
    struct Caso {
        TEstado estado;
        O origen;
        bool actualizacion;
        int respuesta;
        std::vector<std::string> dialogos;
        bool cierra, cancela, aborta;
    };
    const std::string salidaI = "Confirma Salida del Instalador", salidaA = "Confirma Salida del Actualizador";
    const std::string cancelarI = "Cancelar Instalación", cancelarA = "Cancelar Actualización";
    const std::string incorrectaI = "Instalación Incorrecta", incorrectaA = "Actualización Incorrecta";
    const Caso casos[] = {
        {esReposo, O::Ventana, false, mrOk, {salidaI}, true, false, false},
        {esReposo, O::Ventana, true, mrCancel, {salidaA}, false, false, false},
        {esTerminado, O::Ventana, false, mrCancel, {}, true, false, false},
        {esDescargando, O::Ventana, false, mrOk, {cancelarI}, false, true, false},
        {esDescargando, O::Ventana, true, mrCancel, {cancelarA}, false, false, false},
        {esExtrayendo, O::Ventana, true, mrOk, {cancelarA, incorrectaA}, false, true, true},
        // Between two archives: the next one must not start.
        {esExtraccionTerminada, O::Ventana, false, mrOk, {cancelarI, incorrectaI}, false, true, true},
        // Escape is the window's close.
        {esReposo, O::Escape, true, mrOk, {salidaA}, true, false, false},
        {esTerminado, O::Escape, false, mrOk, {}, true, false, false},
        {esDescargando, O::Escape, false, mrOk, {cancelarI}, false, true, false},
        {esExtrayendo, O::Escape, false, mrOk, {cancelarI, incorrectaI}, false, true, true},
        {esExtrayendo, O::Escape, false, mrCancel, {cancelarI}, false, false, false},
        // The button, "Salir" while nothing runs; disabled during the
        // extraction, it would abort it without a word.
        {esReposo, O::BotonCancelar, false, mrOk, {salidaI}, true, false, false},
        {esReposo, O::BotonCancelar, false, mrCancel, {salidaI}, false, false, false},
        {esTerminado, O::BotonCancelar, true, mrCancel, {}, true, false, false},
        {esDescargando, O::BotonCancelar, true, mrOk, {cancelarA}, false, true, false},
        {esExtrayendo, O::BotonCancelar, false, mrOk, {cancelarI}, false, true, true},
        {esExtraccionTerminada, O::BotonCancelar, true, mrCancel, {cancelarA}, false, false, false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(::testing::Message() << "estado " << c.estado << ", origen " << static_cast<int>(c.origen)
                                          << ", respuesta " << c.respuesta);
        Falso f;
        f.d.ModoActualizacion = c.actualizacion;
        f.d.Estado = c.estado;
        f.respuestas = {c.respuesta};
        const TDecisionCierre decision = f.run.PedirCierre(c.origen);
        std::vector<std::string> dialogos;
        for (const std::string& l : f.log)
            if (l.rfind("Mensaje:", 0) == 0) dialogos.push_back(l.substr(8));
        EXPECT_EQ(dialogos, c.dialogos);
        EXPECT_EQ(decision == TDecisionCierre::Cerrar, c.cierra);
        EXPECT_EQ(f.d.CancelarPedido, c.cancela);
        EXPECT_EQ(f.Vio("Abortar"), c.aborta);
        EXPECT_EQ(f.d.Resultado, c.aborta ? rsCancelado : rsNinguno);
        EXPECT_EQ(f.d.Estado, c.estado) << "the phase moves the state, not the door";
        EXPECT_FALSE(f.Vio("Cerrar ventana")) << "the window closes on the answer, not under the run";
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
            f.servidor["PSQL.KAV"] = {{"Externos\\P\\P.DLL", teMotorPsql, "p"}};
            f.servidor["SOPORTE.KAV"] = {{"Conta\\Soporte\\S.TXT", teSinMasNuevo, "s"}};
            f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta"}};
            const std::string enCurso = (antesDeEmpezar ? "De:Extrayendo de: " : "Extraer:") + kTemporal + cancelado;
            bool hecho = false;
            f.alProcesar = [&] {
                if (hecho || std::find(f.log.begin(), f.log.end(), enCurso) == f.log.end()) return;
                hecho = true;
                f.respuestas = {mrOk};
                f.run.PedirCierre(TOrigenCierre::Ventana);  // the button is disabled
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
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "nuevo"}};
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
