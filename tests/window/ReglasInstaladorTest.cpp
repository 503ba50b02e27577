// The installer's decisions that need no window, in-process: the release
// record, the customer lists, report values, dates of the beta check, the
// fade steps, the close question (answered through the dialog seam), the
// lock file and the report request.
#include <gtest/gtest.h>

#include "Automatizacion.h"
#include "Bloqueo.h"
#include "DialogSeam.h"
#include "Exception.h"
#include "FormKavoInstala.h"
#include "Mensajes.h"
#include "ReglasInstalador.h"
#include "TestServer.h"
#include "TextCodec.h"

namespace {

TEST(RegistroLanzamiento, CamposYMotor) {
    struct Caso {
        int motor;
        uint8_t longitudParametro, selector;
        uint8_t tipoMotor;
    };
    for (const Caso& c : {Caso{0, 7, 0, 0}, Caso{1, 7, 1, 1}, Caso{2, 0, 1, 2}, Caso{2, 0, 0, 2}}) {
        auto d = prueba::DatosLanzamiento(2026, 11, 20, 4000000000u, 10, 5, c.motor);
        d[26] = c.longitudParametro;
        d[127] = c.selector;
        RegistroLanzamiento r = InterpretarDatosArchivo(d);
        EXPECT_EQ(r.tipoMotor, c.tipoMotor);
        EXPECT_EQ(r.anio, 2026u);
        EXPECT_EQ(r.mes, 11u);
        EXPECT_EQ(r.dia, 20u);
        EXPECT_EQ(r.codigoCliente, 4000000000u);
        EXPECT_EQ(r.major, 10u);
        EXPECT_EQ(r.minor, 5u);
    }
    EXPECT_EQ(TextoVersion(10, 5, true), "Versión 10.05");
    EXPECT_EQ(TextoVersion(3, 123, true), "Versión 3.123");
    EXPECT_EQ(TextoVersion(0, 5, true), "");
    EXPECT_EQ(TextoVersion(0, 5, false), "Versión 0.05");
    EXPECT_EQ(TextoFecha(9, "octubre", 2026), "9 de octubre del 2026");
}

TEST(EnListaClientes, Tabla) {
    struct Caso {
        const char* lista;
        uint32_t codigo;
        bool esta;
    };
    for (const Caso& c : {Caso{"120;4711", 4711, true}, Caso{"120;4711", 47, false}, Caso{"4711", 4711, true},
                          Caso{";", 0, false}, Caso{"", 0, false}, Caso{"4711;", 4711, true},
                          Caso{" 4711;", 4711, false}, Caso{";;4711", 4711, true}, Caso{"04711", 4711, false},
                          Caso{"47110", 4711, false}})
        EXPECT_EQ(EnListaClientes(c.lista, c.codigo), c.esta) << c.lista << " / " << c.codigo;
}

TEST(VersionInformada, UltimaPalabraDeLaEtiqueta) {
    EXPECT_EQ(VersionInformada("Versión 10.05"), "10.05");
    EXPECT_EQ(VersionInformada("Versión 10.05 BETA"), "BETA");
    EXPECT_EQ(VersionInformada("Versión 10.05 V2"), "V2");
    EXPECT_EQ(VersionInformada("Versión 100.123"), "100.1");
    EXPECT_EQ(VersionInformada(""), "");
    EXPECT_EQ(VersionInformada("sinblancos"), "sinbl");
    EXPECT_EQ(RutaInformeInstalacion(4711, "10.05"), "/roldawindows/instalacion.php?codcli=4711&kavoversion=10.05");
    EXPECT_EQ(RutaInformeActualizacion("CLI1.VER", 7, "BETA"),
              "/roldawindows/actualizarolda.php?filename=CLI1.VER&codcli=7&kavoversion=BETA");
    auto s = SeccionesBeta(10, 5);
    EXPECT_EQ(s[0], "10.05");
    EXPECT_EQ(s[1], "1.05");
    s = SeccionesBeta(9, 12);
    EXPECT_EQ(s[0], "09.12");
    EXPECT_EQ(s[1], "9.12");
}

TEST(FechaHora, LeerYEscribir) {
    EXPECT_EQ(LeerFechaHora("0"), 0);
    EXPECT_EQ(LeerFechaHora(""), 0);
    EXPECT_EQ(LeerFechaHora("basura"), 0);
    EXPECT_EQ(LeerFechaHora("31/02/2026 10:00:00"), 0) << "no such day";
    EXPECT_DOUBLE_EQ(LeerFechaHora("30/12/1899"), 0);
    EXPECT_DOUBLE_EQ(LeerFechaHora("01/01/1900"), 2);
    EXPECT_DOUBLE_EQ(LeerFechaHora("01/12/2026 12:00:00"), LeerFechaHora("2026-12-01 12:00:00"));
    double f = LeerFechaHora("01/12/2026 10:30:15");
    EXPECT_EQ(FormatoFechaHora(f), "01/12/2026 10:30:15");
    EXPECT_LT(LeerFechaHora("01/12/2026 10:30:15"), LeerFechaHora("01/12/2026 10:30:16"));
    EXPECT_LT(LeerFechaHora("31/12/2025 23:59:59"), LeerFechaHora("01/01/2026"));
    EXPECT_EQ(FormatoFechaHora(0), "0");
}

TEST(Versiones, SiguienteSoloUnPasoMenor) {
    auto v = [](uint16_t major, uint16_t minor) {
        TypeVersion r;
        r.Major = major;
        r.Minor = minor;
        return r;
    };
    EXPECT_TRUE(EsVersionSiguiente(v(10, 6), v(10, 5)));
    EXPECT_FALSE(EsVersionSiguiente(v(11, 0), v(10, 99)));
    EXPECT_FALSE(EsVersionSiguiente(v(10, 5), v(10, 5)));
    EXPECT_FALSE(EsVersionSiguiente(v(10, 7), v(10, 5)));
}

TEST(Fundido, SecuenciasDeEntradaYSalida) {
    std::vector<int> entrada{0};
    bool parar = false;
    while (!parar) entrada.push_back(SiguienteOpacidadEntrada(entrada.back(), parar));
    EXPECT_EQ(entrada, (std::vector<int>{0, 40, 80, 120, 160, 200, 240, 255}));
    EXPECT_EQ(SecuenciaSalida(), (std::vector<int>{255, 215, 175, 135, 95, 55, 15, 0}));
}

// The close question, answered through the dialog seam: what is asked, and
// what the answer does for each state of the operation.
TEST(ConsultarCierre, PreguntasYDecisiones) {
    struct Caso {
        int estado;
        bool actualizacion;
        int respuesta;
        std::vector<std::string> preguntas;
        bool cerrar, cancelar, abortar;
    };
    const Caso casos[] = {
        {0, false, mrOk, {"Confirma Salida del Instalador"}, true, false, false},
        {0, true, mrCancel, {"Confirma Salida del Actualizador"}, false, false, false},
        {-1, false, mrCancel, {}, true, false, false},
        {1, false, mrOk, {"Cancelar Instalación"}, false, true, false},
        {1, true, mrCancel, {"Cancelar Actualización"}, false, false, false},
        {2, true, mrOk, {"Cancelar Actualización", "Actualización Incorrecta"}, false, true, true},
        {3, false, mrOk, {"Cancelar Instalación"}, false, true, false},
    };
    for (const Caso& c : casos) {
        std::vector<std::string> vistas;
        ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
            vistas.push_back(r.text);
            if (r.text.find("Incorrecta") != std::string::npos) {
                EXPECT_EQ(r.caption, "Información");
                EXPECT_EQ(r.buttons, std::vector<std::string>{"Vale"});
            } else {
                EXPECT_EQ(r.caption, "Confirmación");
                EXPECT_EQ(r.buttons, (std::vector<std::string>{"Vale", "Cancelar"}));
            }
            return ui::DialogAnswer{c.respuesta, ""};
        });
        DecisionCierre d = ConsultarCierre(c.estado, c.actualizacion);
        EXPECT_EQ(vistas, c.preguntas) << "estado " << c.estado;
        EXPECT_EQ(d.cerrar, c.cerrar) << "estado " << c.estado;
        EXPECT_EQ(d.cancelar, c.cancelar) << "estado " << c.estado;
        EXPECT_EQ(d.abortarExtraccion, c.abortar) << "estado " << c.estado;
    }
}

TEST(Mensajes, TitulosYBotones) {
    std::vector<ui::DialogRequest> vistos;
    ui::ScopedDialogScript guion([&](const ui::DialogRequest& r) {
        vistos.push_back(r);
        return ui::DialogAnswer{mrYes, ""};
    });
    EXPECT_EQ(Mensaje("¿Abrimos la Conta?", TipoMensaje::Informacion, BotonesMensaje::SiNo), mrYes);
    MensajeError("e");
    MensajeAviso("a");
    ASSERT_EQ(vistos.size(), 3u);
    EXPECT_EQ(vistos[0].caption, "Información");
    EXPECT_EQ(vistos[0].buttons, (std::vector<std::string>{"&Sí", "&No"}));
    EXPECT_EQ(vistos[1].caption, "Error");
    EXPECT_EQ(vistos[2].caption, "Advertencia");
    EXPECT_EQ(vistos[2].buttons, std::vector<std::string>{"Vale"});
}

// The lock file: a second holder on the same folder is refused with the
// message of its role; the folder is created; releasing deletes the file.
TEST(Bloqueo, SegundoUsuarioRechazado) {
    std::string carpeta = prueba::CarpetaNueva("bloqueo") + "Kavo\\Nueva";
    for (bool actualizacion : {false, true}) {
        TBloqueo primero, segundo;
        primero.Tomar(carpeta, actualizacion);
        try {
            segundo.Tomar(carpeta, actualizacion);
            ADD_FAILURE() << "the second lock was granted";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), actualizacion ? "Ya hay otro usuario Actualizando el programa."
                                                 : "Ya hay otro usuario Instalando el programa.");
        }
        EXPECT_FALSE(segundo.Tomado());
        primero.Liberar();
        EXPECT_EQ(GetFileAttributesW(text::Wide(carpeta + "\\KAVO.KAVO").c_str()), INVALID_FILE_ATTRIBUTES);
        segundo.Tomar(carpeta, actualizacion);
        segundo.Liberar();
    }
}

TEST(Bloqueo, CarpetaImposible) {
    std::string fichero = prueba::CarpetaNueva("bloqueo_fichero") + "noescarpeta";
    prueba::EscribirFichero(fichero, "x");
    TBloqueo b;
    try {
        b.Tomar(fichero, false);
        ADD_FAILURE() << "a lock inside a file";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind("No se pudo Crear el Fichero KAVO.KAVO\r\n\r\n", 0), 0u) << e.what();
    }
}

// The report is one plain GET of the given URL; the answer is not needed.
TEST(Informe, UnaPeticionGet) {
    const TestServer& servidor = TestServer::Get();
    std::string ruta = RutaInformeInstalacion(4711, "10.05");
    PeticionInforme(servidor.Url(ruta.substr(1)));
    EXPECT_EQ(servidor.Gets(ruta), 1);
    EXPECT_THROW(PeticionInforme("http://127.0.0.1:1/nadie"), Exception);
}

}  // namespace
