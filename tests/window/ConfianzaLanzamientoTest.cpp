// Trust in the release, not only in each file, end to end: the real
// Actualizador.exe under Wine, unattended, updating the installed copy of
// 10.05 from the test web server while the server (or the network before
// it) offers something else than the release the vendor signed for this
// installation. Each refusal comes before anything is written, with its exit
// code and its reason in the log.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>

#include "InstalacionPrueba.h"

using namespace prueba;
using kavmake::ArchiveBuilder;

namespace {

const int64_t kDia = 86400;

struct Escenario {
    Escenario(const Vendedor& v, const Instalada& i) : vendedor(v), inst(i) {}
    const Vendedor& vendedor;
    const Instalada& inst;
    ArchiveBuilder act;  // release 10.06 of the installed copy
};

struct Caso {
    const char* nombre;
    std::function<void(Escenario&)> preparar;  // after the good release is published
    std::vector<std::string> argumentos;       // besides /VERYSILENT and /LOG
    DWORD codigo;
    const char* enRegistro;
    bool actualiza;  // CONTA.EXE is 10.06 afterwards
};

Publicacion Firmada(int64_t fecha) {
    Publicacion p;
    p.fecha = fecha;
    return p;
}

TEST(ConfianzaLanzamiento, SoloElLanzamientoFirmadoParaEstaInstalacion) {
    const int64_t ahora = static_cast<int64_t>(std::time(nullptr));
    const std::string anterior =
        "La Versión Instalada es Mayor que la que ofrece el servidor (instalada 10.05, ofrecida 10.04).";
    const Caso casos[] = {
        {"correcta", [](Escenario&) {}, {"PRUEBA.VER"}, 0, "Actualización Correcta", true},
        {"lanzamiento_anterior",
         [](Escenario& e) { e.inst.Registro(RegistroComprimido(2026, 11, 20, 4711, 10, 4)); }, {"PRUEBA.VER"}, 7,
         anterior.c_str(), false},
        {"retroceso_pedido",
         [](Escenario& e) {
             e.inst.Registro(RegistroComprimido(2026, 11, 20, 4711, 10, 4));
             Publicacion p;
             p.version = Version(10, 4);
             ArchiveBuilder qtr;
             qtr.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 4), Tipo(1));
             e.vendedor.Conta("QTR.KAV", qtr.Bytes(), p);
         },
         {"PRUEBA.VER", "/RETROCEDER"}, 0, "Retroceso deliberado a una versión anterior", false},
        {"incremental_de_otra_pareja",
         [](Escenario& e) {
             Publicacion p;
             p.desde = Version(10, 4);
             e.vendedor.Conta("QTRACT.KAV", e.act.Bytes(), p);
         },
         {"PRUEBA.VER"}, 5,
         "Fichero QTRACT.KAV rechazado: la firma es la de una actualización de otra pareja de versiones (desde la "
         "10.04, no desde la 10.05).",
         false},
        {"incremental_de_otra_version",
         [](Escenario& e) {
             Publicacion p;
             p.version = Version(10, 7);
             p.desde = Version(10, 5);
             e.vendedor.Conta("QTRACT.KAV", e.act.Bytes(), p);
         },
         {"PRUEBA.VER"}, 5, "Fichero QTRACT.KAV rechazado: la firma es la de otra versión (10.07, no 10.06).",
         false},
        {"actualizador_anterior",
         [](Escenario& e) {
             // Signed for this release, but its updater is older than the
             // running one: found while the archive is checked, before the
             // first file changes.
             e.act.AddFile("Conta\\Programa\\Actualizador.exe", ProgramaConVersion(0, 9), Tipo(10));
             e.vendedor.Conta("QTRACT.KAV", e.act.Bytes());
         },
         {"PRUEBA.VER"}, 7, "es más antiguo que el que se está ejecutando (0.09 en el archivo, 1.00 en ejecución)",
         false},
        {"otro_producto",
         [](Escenario& e) {
             Publicacion p;
             p.producto = "NOM";
             e.vendedor.Conta("QTRACT.KAV", e.act.Bytes(), p);
         },
         {"PRUEBA.VER"}, 5, "Fichero QTRACT.KAV rechazado: la firma es la de otro producto (NOM, no QTR).", false},
        {"otro_canal",
         [](Escenario& e) {
             Publicacion p;
             p.canal = firma::Canal::Beta;
             e.vendedor.Conta("QTRACT.KAV", e.act.Bytes(), p);
         },
         {"PRUEBA.VER"}, 5, "Fichero QTRACT.KAV rechazado: la firma es la de otro canal (beta, no normal).", false},
        {"registro_repetido",
         [ahora](Escenario& e) {
             e.inst.Registro(RegistroComprimido(2026, 11, 20, 4711, 10, 6), Firmada(ahora - 10 * kDia));
             EscribirFichero(e.inst.programa + "Actualizador.INI",
                             "[FIRMAS]\r\nULTIMA_REGISTRO=" + firma::TextoFecha(ahora - 5 * kDia) + "\r\n");
         },
         {"PRUEBA.VER"}, 5, "Fichero PRUEBA.VER rechazado: su firma es anterior a la última aceptada", false},
        {"registro_sin_comprobar",
         [](Escenario& e) {
             // What the accounting program hands over is not what the vendor
             // published for this installation.
             e.inst.Registro(RegistroComprimido(2026, 11, 20, 4711, 10, 6));
             EscribirFichero(CarpetaTemporalWindows() + "Kavo\\Conta\\PRUEBA.VER",
                             RegistroComprimido(2026, 11, 20, 4711, 10, 7));
         },
         {"PRUEBA.VER"}, 5, "Fichero PRUEBA.VER rechazado: no coincide con su firma", false},
        {"registro_sin_comprobar_al_arrancar",
         [](Escenario& e) {
             // The statement cannot be had at start-up (the window opens, as
             // without a server); the run fetches it before any archive and
             // it does not match what the program handed over.
             e.inst.Registro(RegistroComprimido(2026, 11, 20, 4711, 10, 6));
             EscribirFichero(CarpetaTemporalWindows() + "Kavo\\Conta\\PRUEBA.VER",
                             RegistroComprimido(2026, 11, 20, 4711, 10, 7));
             e.vendedor.http.SetFault("/_descargas_/externos/Conta/clientes/PRUEBA.VER.firma", "500*4");
         },
         {"PRUEBA.VER"}, 5, "Fichero PRUEBA.VER rechazado: no coincide con su firma", false},
        {"registro_ajeno_sin_argumento",
         [](Escenario& e) {
             Publicacion p;
             p.producto = "NOM";
             e.vendedor.Conta("clientes/CLI4711.VER", RegistroComprimido(2026, 11, 20, 4711, 10, 6), p);
         },
         {}, 5, "Fichero CLI4711.VER rechazado: la firma es la de otro producto (NOM, no QTR).", false},
        {"congelada",
         [ahora](Escenario& e) {
             e.inst.Registro(RegistroComprimido(2026, 11, 20, 4711, 10, 6), Firmada(ahora - 100 * kDia));
             e.vendedor.Conta("QTRACT.KAV", e.act.Bytes(), Firmada(ahora - 100 * kDia));
             e.vendedor.Conta("QTRBETA.INI", "[ACTUALIZACION]\r\nULTIMA_BETA=0\r\n", Firmada(ahora - 100 * kDia));
         },
         {"PRUEBA.VER"}, 10, "Posible congelación: la firma más reciente que da el servidor es del ", true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        Instalada inst(std::string("confianza_") + c.nombre);
        Escenario e(vendedor, inst);
        e.act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
        vendedor.Conta("QTRACT.KAV", e.act.Bytes());
        vendedor.Conta("clientes/CLI4711.VER", RegistroComprimido(2026, 11, 20, 4711, 10, 6));
        c.preparar(e);
        const std::string instalado = ReadFile(inst.programa + "CONTA.EXE");
        const int antes = vendedor.http.Gets("/_descargas_/externos/Conta/QTRACT.KAV") +
                          vendedor.http.Gets("/_descargas_/externos/Conta/QTR.KAV");

        const std::string registro = inst.raiz + "actualizacion.log";
        std::vector<std::string> args = c.argumentos;
        args.insert(args.end(), {"/VERYSILENT", "/LOG=" + registro});
        Proceso p(inst.programa + inst.ejecutable, args, inst.programa);
        ASSERT_TRUE(p.EsperarFin(120s));
        EXPECT_EQ(p.CodigoSalida(), c.codigo);
        const std::string log = ReadFile(registro);
        EXPECT_NE(log.find(c.enRegistro), std::string::npos) << log;
        if (std::string(c.nombre) == "registro_sin_comprobar_al_arrancar")
            EXPECT_NE(log.find("Sin comprobar todavía PRUEBA.VER"), std::string::npos) << log;
        const bool cambiado = ReadFile(inst.programa + "CONTA.EXE") != instalado;
        EXPECT_EQ(cambiado, c.actualiza || std::string(c.nombre) == "retroceso_pedido");
        EXPECT_EQ(ReadFile(inst.programa + "CONTA.EXE") == ProgramaConVersion(10, 6), c.actualiza);
        if ((c.codigo == 5 || c.codigo == 7) && std::string(c.nombre) != "actualizador_anterior") {
            // Refused before the program's archive was fetched.
            EXPECT_EQ(vendedor.http.Gets("/_descargas_/externos/Conta/QTRACT.KAV") +
                          vendedor.http.Gets("/_descargas_/externos/Conta/QTR.KAV"),
                      antes);
            EXPECT_EQ(log.find("modo local"), std::string::npos) << "a refusal is no failed download";
        }
        if (c.codigo == 0 && c.argumentos.size() == 1) {
            // The newest record accepted is kept for the next runs.
            EXPECT_NE(ReadFile(inst.programa + "Actualizador.INI").find("ULTIMA_REGISTRO=20"), std::string::npos);
        }
    }
}

}  // namespace
