// The installer's Windows-side decisions, in-process: the window's close
// question (answered through the dialog seam), the message captions, the
// lock file and the report request.
#include <gtest/gtest.h>

#include "Automatizacion.h"
#include "Bloqueo.h"
#include "DialogSeam.h"
#include "Exception.h"
#include "FormKavoInstala.h"
#include "Mensajes.h"
#include "main.h"
#include "ReglasInstalador.h"
#include "TestServer.h"
#include "TextCodec.h"

namespace {

// The real window's close question, answered through the dialog seam: what
// is asked, and what the answer does for each state of the operation.
TEST(CierreVentana, PreguntasYDecisiones) {
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
        // Between two archives, the next one must not start.
        {3, false, mrOk, {"Cancelar Instalación", "Instalación Incorrecta"}, false, true, true},
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
        TFMain ventana;
        ventana.ModoActualizacion = c.actualizacion;
        ventana.Estado = static_cast<TEstado>(c.estado);
        bool cerrar = true;
        ventana.FormCloseQuery(cerrar);
        EXPECT_EQ(vistas, c.preguntas) << "estado " << c.estado;
        EXPECT_EQ(cerrar, c.cerrar) << "estado " << c.estado;
        EXPECT_EQ(ventana.CancelarPedido, c.cancelar) << "estado " << c.estado;
        // The extraction is aborted together with the cancelled result.
        EXPECT_EQ(ventana.Resultado == rsCancelado, c.abortar) << "estado " << c.estado;
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
    EnviarPeticion(servidor.Url(ruta.substr(1)));
    EXPECT_EQ(servidor.Gets(ruta), 1);
    EXPECT_THROW(EnviarPeticion("http://127.0.0.1:1/nadie"), Exception);
}

}  // namespace
