// The accounting product's decisions, as tables: which program packages an
// installation or update writes, where the data files of the product's own
// kinds go and when, the shortcut, the obsolete files, the updater's
// arguments and the folders of an installation.
#include <gtest/gtest.h>

#include <map>

#include "ProductoConta.h"

using namespace conta;

namespace {

TypeVersion V(uint16_t major, uint16_t minor, uint16_t release = 0) {
    TypeVersion v;
    v.Major = major;
    v.Minor = minor;
    v.Release = release;
    return v;
}

// A versions record with every tracked file at the same version.
TypeVersionesConta Registro(uint16_t major, uint16_t minor) {
    TypeVersionesConta r;
    for (int c = 99; c <= 108; ++c)
        if (c != 101 && c != 102) r.FijarVersionFichero(c, V(major, minor));
    for (int c = 10; c <= 32; ++c) r.FijarModulo(c, V(major, minor), 1);
    return r;
}

TEST(AceptarPaquete, PorCodigoYVersion) {
    struct Caso {
        const char* nombre;
        bool actualizacion;
        TypeVersionesConta web, instalada;
        DecisionPaquete esperada;
    };
    const TypeVersionesConta v1204 = Registro(12, 4), v1205 = Registro(12, 5), v1300 = Registro(13, 0);
    TypeVersionesConta v1205Release = v1205;
    v1205Release.FijarVersionFichero(99, V(12, 5, 9));
    const Caso casos[] = {
        // Unknown to the module table, whatever the mode; names are upper case.
        {"NOEXISTE.BPL", false, v1205, v1205, DecisionPaquete::Desconocido},
        {"NOEXISTE.BPL", true, v1205, v1205, DecisionPaquete::Desconocido},
        {"conta.exe", true, v1205, v1205, DecisionPaquete::Desconocido},
        // A first installation writes every known package.
        {"CONTA.EXE", false, v1204, v1205, DecisionPaquete::Aceptar},
        {"MODIVA.BPL", false, v1204, v1205, DecisionPaquete::Aceptar},
        // The program: an older copy is not written, an equal one is.
        {"CONTA.EXE", true, v1204, v1205, DecisionPaquete::Rechazar},
        {"CONTA.EXE", true, v1205, v1205Release, DecisionPaquete::Aceptar},
        {"CONTA.EXE", true, v1300, v1205, DecisionPaquete::Aceptar},
        {"EDITOR.EXE", true, v1204, v1205, DecisionPaquete::Rechazar},
        {"EDITOR.EXE", true, v1205, v1205, DecisionPaquete::Aceptar},
        // Module packages (codes 10..50) by their module entry.
        {"MODIVA.BPL", true, v1204, v1205, DecisionPaquete::Rechazar},
        {"MODAUDITORIA.BPL", true, v1300, v1205, DecisionPaquete::Aceptar},
        // Core packages (codes 103..108) by their slot.
        {"KVBASE.BPL", true, v1204, v1205, DecisionPaquete::Rechazar},
        {"KVCONTAB.BPL", true, v1205, v1205, DecisionPaquete::Aceptar},
        // Other executables and libraries carry no version test.
        {"ACTUALIZADOR.EXE", true, v1204, v1205, DecisionPaquete::Aceptar},
        {"KVREPARA.EXE", true, v1204, v1205, DecisionPaquete::Aceptar},
        {"KVFIRMA.DLL", true, v1204, v1205, DecisionPaquete::Aceptar},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(DecidirPaquete(c.nombre, c.actualizacion, c.web, c.instalada), c.esperada)
            << c.nombre << (c.actualizacion ? " (actualización)" : " (instalación)");
}

TEST(AceptarPaquete, MensajeNombraElFichero) {
    EXPECT_EQ(MensajePaqueteDesconocido("ModNuevo.bpl"),
              "El Fichero ModNuevo.bpl no se ha posido instalar correctamente.\n\r"
              "Es posible que sea necesario actualizar el actualizador.\n\r\n\rPonte en contacto con Kavo");
}

TEST(AceptarFicheroDatos, CarpetaYCondicionPorTipo) {
    const CarpetasDatos carpetas{"D:\\Bal\\", "D:\\Est\\", "D:\\Dep\\", "D:\\Gen\\"};
    const double dia = 46000.5;  // the entry's date
    // What is on disk.
    const std::map<std::string, EstadoFichero> disco = {
        {"D:\\Bal\\HAY.DAT", {true, dia - 100}},   {"D:\\Est\\HAY.DAT", {true, dia + 100}},
        {"D:\\Dep\\HAY.DAT", {true, dia}},         {"D:\\Gen\\HAY.DAT", {true, dia - 1}},
        {"D:\\Gen\\VIEJO.RPT", {true, dia - 1}},   {"D:\\Gen\\IGUAL.RPT", {true, dia + 0.2 / 86400}},
        {"D:\\Gen\\NUEVO.RPT", {true, dia + 1}},   {"C:\\Prog\\HAY.DAT", {true, dia - 100}},
    };
    ConsultaFichero consultar = [&](const std::string& ruta) {
        auto i = disco.find(ruta);
        return i == disco.end() ? EstadoFichero{} : i->second;
    };
    struct Caso {
        uint8_t tipo;
        const char* nombre;
        std::optional<bool> acepta;
        const char* carpeta;
    };
    const Caso casos[] = {
        // Kinds 14..17: only when missing, whatever the dates.
        {tcBalances, "HAY.DAT", false, "D:\\Bal\\"},
        {tcBalances, "FALTA.DAT", true, "D:\\Bal\\"},
        {tcEstructurasMemoria, "HAY.DAT", false, "D:\\Est\\"},
        {tcEstructurasMemoria, "FALTA.DAT", true, "D:\\Est\\"},
        {tcConfigDeposito, "HAY.DAT", false, "D:\\Dep\\"},
        {tcGenerador, "HAY.DAT", false, "D:\\Gen\\"},
        {tcGenerador, "FALTA.DAT", true, "D:\\Gen\\"},
        // Kind 19: only over an older copy; the same second is not older.
        {tcGeneradorSiMasViejo, "VIEJO.RPT", true, "D:\\Gen\\"},
        {tcGeneradorSiMasViejo, "IGUAL.RPT", false, "D:\\Gen\\"},
        {tcGeneradorSiMasViejo, "NUEVO.RPT", false, "D:\\Gen\\"},
        {tcGeneradorSiMasViejo, "FALTA.RPT", true, "D:\\Gen\\"},
        // Every other kind is the base class's, the folder untouched.
        {teSiempre, "HAY.DAT", std::nullopt, "C:\\Prog\\"},
        {teDatos, "HAY.DAT", std::nullopt, "C:\\Prog\\"},
        {18, "HAY.DAT", std::nullopt, "C:\\Prog\\"},
        {tePaqueteAdicional, "HAY.DAT", std::nullopt, "C:\\Prog\\"},
    };
    for (const Caso& c : casos) {
        std::string carpeta = "C:\\Prog\\";
        EXPECT_EQ(AceptarFicheroDatos(c.tipo, c.nombre, dia, carpetas, carpeta, consultar), c.acepta)
            << int(c.tipo) << " " << c.nombre;
        EXPECT_EQ(carpeta, c.carpeta) << int(c.tipo) << " " << c.nombre;
    }
}

TEST(AccesoDirecto, NuncaSustituyeUnoExistente) {
    auto ninguno = [](const std::string&) { return false; };
    auto todos = [](const std::string&) { return true; };
    EXPECT_EQ(AccesoAEscribir("C:\\Users\\ana\\Desktop\\", ninguno), "C:\\Users\\ana\\Desktop\\ContaKavo.lnk");
    EXPECT_EQ(AccesoAEscribir("C:\\Users\\ana\\Desktop\\", todos), std::nullopt);
    EXPECT_EQ(AccesoAEscribir("", ninguno), std::nullopt);
}

TEST(FicherosObsoletos, SoloTrasElProgramaDeUnaActualizacion) {
    const std::vector<std::string> diez = ObsoletosABorrar(kPasoPrograma, true, true);
    EXPECT_EQ(diez, (std::vector<std::string>{
                        "Conta001.Bpl", "Conta002.Bpl", "ContaRTF.Bpl",
                        "_ 2014 07 08 _ NO SE USA - Pais201.txt", "_ 2014 07 08 _ NO SE USA - PAISES.TAB",
                        "_ 2014 07 08 _ NO SE USA - Paises201.txt", "_ 2015 10 09 _ NO SE USA - CODMUNI.TAB",
                        "Pais201.txt _ 2014 07 08 _ NO SE USA", "PAISES.TAB _ 2014 07 08 _ NO SE USA",
                        "Paises201.txt _ 2014 07 08 _ NO SE USA"}));
    EXPECT_TRUE(ObsoletosABorrar(1, true, true).empty()) << "the engine archive";
    EXPECT_TRUE(ObsoletosABorrar(2, true, true).empty()) << "the support archive";
    EXPECT_TRUE(ObsoletosABorrar(kPasoPrograma, false, true).empty()) << "a first installation";
    EXPECT_TRUE(ObsoletosABorrar(kPasoPrograma, true, false).empty()) << "no program folder";
}

TEST(ArgumentosActualizador, LasBarrasSonOpciones) {
    struct Caso {
        std::vector<std::string> args;
        const char* fichero;
        std::optional<int> x, y;
        bool relanzado = false;
    };
    const Caso casos[] = {
        {{}, "", {}, {}},
        {{"CLI4711.VER"}, "CLI4711.VER", {}, {}},
        // A relaunched updater: no record named, the window's place given.
        {{"/ACT", "/YPOS120", "/XPOS-8"}, "", -8, 120, true},
        {{"/ACT"}, "", {}, {}, true},
        {{"/ACT", "/YPOSx", "/XPOS"}, "", {}, {}, true},
        // Only the first argument names the record.
        {{"/ACT", "CLI4711.VER"}, "", {}, {}, true},
        {{"CLI4711.VER", "/XPOS10", "/YPOS20"}, "CLI4711.VER", 10, 20},
        // As the relaunch writes it, after its predecessor's record.
        {{"CLI4711.VER", "/ACT", "/YPOS1", "/XPOS2"}, "CLI4711.VER", 2, 1, true},
        {{"CLI4711.VER", "/ACTUALIZAR"}, "CLI4711.VER", {}, {}},
    };
    for (const Caso& c : casos) {
        ArgumentosActualizador a = InterpretarArgumentos(c.args);
        std::string todos;
        for (const auto& s : c.args) todos += s + " ";
        EXPECT_EQ(a.ficheroCliente, c.fichero) << todos;
        EXPECT_EQ(a.x, c.x) << todos;
        EXPECT_EQ(a.y, c.y) << todos;
        EXPECT_EQ(a.relanzado, c.relanzado) << todos;
    }
}

// The record is deleted at exit from the folder it was read from: a name
// that leads anywhere else is refused before anything is read or deleted.
TEST(ArgumentosActualizador, NombreDelRegistroConfinado) {
    for (const char* nombre :
         {"C:\\Temp\\Kavo\\Conta\\CLI4711.VER", "..\\..\\victima.txt", "sub\\CLI.VER", "../CLI.VER", "C:CLI.VER",
          "\\\\srv\\recurso\\CLI.VER", "\\\\.\\pipe\\x", "CLI.VER:flujo", "..", "NUL", "con.ver", "COM1.VER",
          "CLI.VER.", "CLI.VER ", "CLI*.VER"}) {
        try {
            InterpretarArgumentos({nombre});
            ADD_FAILURE() << nombre;
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("El nombre del fichero de la instalación no es válido:\r\n\r\n") + nombre);
        }
    }
    // A switch in first place is no name, and a later argument is not read.
    EXPECT_EQ(InterpretarArgumentos({"/ACT", "..\\x"}).ficheroCliente, "");
    EXPECT_EQ(InterpretarArgumentos({"CLI.VER", "..\\x"}).ficheroCliente, "CLI.VER");
}

TEST(CarpetasInstalacion, DesdeLaCarpetaDelActualizador) {
    struct Caso {
        const char *programa, *base, *producto;
    };
    for (const Caso& c : {Caso{"C:\\Kavo\\Conta\\Programa\\", "C:\\Kavo", "Conta"},
                          Caso{"D:\\Apps\\Contab\\Programa\\", "D:\\Apps", "Contab"},
                          Caso{"\\\\SRV01\\datos\\Kavo\\Conta\\Programa\\", "\\\\SRV01\\datos\\Kavo", "Conta"}}) {
        CarpetasInstalacion r = CarpetasDesdePrograma(c.programa);
        EXPECT_EQ(r.base, c.base) << c.programa;
        EXPECT_EQ(r.producto, c.producto) << c.programa;
    }
}

}  // namespace

namespace {

// A local update never guesses its release: the message names the file to
// fetch, where from and where to, or says how it is named when no customer
// is known.
TEST(RegistroLocal, FaltaElFicheroDeLaInstalacion) {
    const std::string url = "http://k/_descargas_/externos/Conta/clientes/";
    EXPECT_EQ(MensajeFaltaFicheroCliente("CLI4711.VER", "C:\\Kavo\\Conta\\Programa\\", url, "QTR.KAV"),
              "Para actualizar en local falta el fichero CLI4711.VER de esta instalación.\r\n\r\nDescárgalo de:\r\n"
              "http://k/_descargas_/externos/Conta/clientes/CLI4711.VER\r\n\r\ny guárdalo junto al actualizador, con "
              "QTR.KAV, en la carpeta:\r\nC:\\Kavo\\Conta\\Programa\\\r\n\r\nNo se ha modificado ningún fichero.");
    const std::string sinCliente = MensajeFaltaFicheroCliente("", "C:\\P\\", url, "QTR.KAV");
    EXPECT_NE(sinCliente.find("el fichero de esta instalación (CLI, su código de cliente y .VER)"), std::string::npos);
    EXPECT_NE(sinCliente.find("\r\n" + url + "\r\n"), std::string::npos) << "the folder to look in";
}

}  // namespace
