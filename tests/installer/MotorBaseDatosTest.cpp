// The database engine's installers: their paths and window titles, the check
// that a server is installed on the computer that holds the data, and every
// step of the watch over a running installer, against a scripted desktop.
#include <gtest/gtest.h>

#include <map>

#include "MotorBaseDatos.h"
#include "TextCodec.h"

namespace {

TEST(MotorBaseDatos, InstaladoresYTitulos) {
    struct Caso {
        uint8_t tipo;
        bool servidor;
        const char* ruta;
        const char* titulo;
    };
    const Caso casos[] = {
        {0, true, "C:\\Kavo\\Externos\\PSQL12\\Install_PSQL_Workgroup_Engine.exe", "Actian PSQL v12 Workgroup"},
        {0, false, "C:\\Kavo\\Externos\\PSQL12\\Install_PSQL_Client.exe", "Actian PSQL v12 Client"},
        {1, true, "C:\\Kavo\\Externos\\Btrieve12\\Install_Btrieve.exe", "Actian Btrieve 12"},
        {1, false, "C:\\Kavo\\Externos\\Btrieve12\\Install_Btrieve.exe", "Actian Btrieve 12"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(RutaInstaladorMotor("C:\\Kavo", c.tipo, c.servidor), c.ruta);
        EXPECT_EQ(RutaInstaladorMotor("C:\\Kavo\\", c.tipo, c.servidor), c.ruta);
        EXPECT_EQ(TituloInstaladorMotor(c.tipo, c.servidor), c.titulo);
    }
    for (uint8_t tipo : {2, 3, 255}) {
        EXPECT_FALSE(TituloInstaladorMotor(tipo, true).has_value());
        EXPECT_EQ(CarpetaMotor(tipo), "");
    }
}

// An update keeps the engine of the installation: the keys its settings file
// holds (as the user or an old installer left them) say which.
TEST(MotorBaseDatos, MotorDeUnaInstalacion) {
    struct Caso {
        const char* pervasive;
        const char* libreria;
        TTipoMotor motor;
    };
    const Caso casos[] = {
        {"1", "W3BTRV7", tmPsql12},   {"0", "WBTRV32", tmBtrieve6}, {"", "wbtrv32", tmBtrieve6},
        {"", " WBTRV32 ", tmBtrieve6}, {"0", "", tmBtrieve6},       {" 0", "", tmBtrieve6},
        {"1", "WBTRV32", tmBtrieve6},  // the library the program loads decides
        {"0", "W3BTRV7", tmPsql12},    {"1", "", tmPsql12},         {"", "", tmPsql12},
        {"x", "", tmPsql12},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(MotorInstalado(c.pervasive, c.libreria), c.motor) << c.pervasive << "|" << c.libreria;
}

TEST(MotorBaseDatos, UnidadYServidorDeLaRuta) {
    struct Caso {
        const char* ruta;
        const char* unidad;
        const char* servidor;
    };
    const Caso casos[] = {
        {"C:\\Kavo\\", "C:", ""},
        {"\\\\SRV01\\datos\\Kavo\\", "\\\\SRV01\\datos", "SRV01"},
        {"\\\\srv01\\datos", "\\\\srv01\\datos", "srv01"},
        {"\\\\SRV01", "\\\\SRV01", "SRV01"},
        {"\\\\", "\\\\", ""},
        {"Kavo\\Conta", "", ""},
        {"", "", ""},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(UnidadDeRuta(c.ruta), c.unidad) << c.ruta;
        EXPECT_EQ(ServidorDeRuta(c.ruta), c.servidor) << c.ruta;
    }
}

TEST(MotorBaseDatos, ServidorSoloDondeEstanLosDatos) {
    auto error = [](const char* ruta, const char* equipo) {
        return ErrorServidorMotor(ruta, equipo, [](const std::string& s) { return text::UpperAscii(s); });
    };
    EXPECT_EQ(error("\\\\SRV01\\datos\\Kavo\\", "PC07"),
              "El Motor de Base de Datos debe Instalarse en el Servidor: SRV01");
    // The server as the path writes it, compared ignoring case.
    EXPECT_EQ(error("\\\\Srv01\\datos\\Kavo\\", "PC07"),
              "El Motor de Base de Datos debe Instalarse en el Servidor: Srv01");
    EXPECT_EQ(error("\\\\Srv01\\datos\\Kavo\\", "SRV01"), "");
    EXPECT_EQ(error("\\\\SRV01\\datos\\Kavo\\", "srv01"), "");
    EXPECT_EQ(error("C:\\Kavo\\", "PC07"), "");
    EXPECT_EQ(error("C:\\Kavo\\", ""), "");
}

// A desktop where each tick shows what the script says: the installer's
// window or not, and the texts of its "Static" children.
class Escritorio : public VentanasSistema {
public:
    std::map<std::string, std::vector<std::string>> ventanas;  // title -> static texts
    std::string preguntado;
    bool Buscar(const std::string& titulo) override {
        preguntado = titulo;
        return ventanas.count(titulo) > 0;
    }
    std::optional<std::string> TextoSegundoStatic() override {
        const auto& textos = ventanas.at(preguntado);
        if (textos.size() < 2) return std::nullopt;
        return textos[1];
    }
};

TEST(MotorBaseDatos, PasosDeLaVigilancia) {
    const std::string titulo = "Actian PSQL v12 Workgroup";
    struct Caso {
        const char* nombre;
        bool timerActivo;
        uint8_t tipo;
        bool esperando;
        std::optional<std::vector<std::string>> ventana;  // the statics of the installer's window, if it is up
        PasoVigilancia paso;
    };
    const std::string sinCambios = "Your system has not been modified";
    const Caso casos[] = {
        {"tick tras parar", false, 0, true, std::vector<std::string>{"a", sinCambios}, PasoVigilancia::Nada},
        {"motor sin instalador", true, 2, false, std::nullopt, PasoVigilancia::MotorNoSoportado},
        {"aun no aparece", true, 0, false, std::nullopt, PasoVigilancia::Nada},
        {"aparece", true, 0, false, std::vector<std::string>{"Instalando"}, PasoVigilancia::InstaladorVisto},
        {"trabajando", true, 0, true, std::vector<std::string>{"Instalando", "Copiando"}, PasoVigilancia::Nada},
        {"un solo static", true, 0, true, std::vector<std::string>{sinCambios}, PasoVigilancia::Nada},
        {"abandona", true, 0, true, std::vector<std::string>{"Error", sinCambios}, PasoVigilancia::InstaladorAbandona},
        {"abandona con punto", true, 0, true, std::vector<std::string>{"", "Setup ended. " + sinCambios + "."},
         PasoVigilancia::InstaladorAbandona},
        {"texto en el primero", true, 0, true, std::vector<std::string>{sinCambios, "Fin"}, PasoVigilancia::Nada},
        {"visto y abandona a la vez", true, 0, false, std::vector<std::string>{"", sinCambios},
         PasoVigilancia::InstaladorVisto},
        {"termina", true, 0, true, std::nullopt, PasoVigilancia::InstaladorTerminado},
    };
    for (const Caso& c : casos) {
        Escritorio e;
        if (c.ventana) e.ventanas[titulo] = *c.ventana;
        e.ventanas["Actian PSQL v12 Client"] = {"", sinCambios};  // another installer's window is no concern
        EXPECT_EQ(VigilarInstalador(c.timerActivo, c.tipo, true, c.esperando, e), c.paso) << c.nombre;
    }
}

TEST(MotorBaseDatos, ClienteYBtrieveVigilanSuTitulo) {
    Escritorio e;
    e.ventanas["Actian Btrieve 12"] = {"x"};
    EXPECT_EQ(VigilarInstalador(true, 1, false, false, e), PasoVigilancia::InstaladorVisto);
    EXPECT_EQ(e.preguntado, "Actian Btrieve 12");
    EXPECT_EQ(VigilarInstalador(true, 1, true, false, e), PasoVigilancia::InstaladorVisto);
    EXPECT_EQ(VigilarInstalador(true, 0, false, true, e), PasoVigilancia::InstaladorTerminado);
    EXPECT_EQ(e.preguntado, "Actian PSQL v12 Client");
}

}  // namespace
