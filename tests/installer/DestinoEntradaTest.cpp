// Where each archive entry goes, and whether it is written: one decision for
// the check before the first change and for the extraction, with the
// accounting product's own decisions. The check must look at the file the
// extraction will write (a data file in its data folder, on its drive) and
// count the room the update really takes.
#include "EjecucionFalsa.h"

namespace {

const std::string kDatos = "D:\\Datos Conta\\";
const std::string kGenerador = kDatos + "Generador\\";

// Each drive with its own free room.
class ConProducto : public Falso {
public:
    std::map<std::string, int64_t> librePorUnidad;  // "C:" -> bytes; a drive not listed: unknown

    int64_t EspacioLibre(const std::string& c) override {
        const auto u = librePorUnidad.find(c.substr(0, 2));
        return u == librePorUnidad.end() ? -1 : u->second;
    }
};

TEST(DestinoEntrada, TipoEstadoMotorYModo) {
    enum Estado { Falta, MasViejo, Igual, MasNuevo };
    struct Caso {
        uint8_t tipo;
        const char* nombre;
        Estado estado;  // of the file where the entry would go
        TTipoMotor motor;
        bool actualizacion;
        bool escrita;
        std::string carpeta;  // where it goes when written
    };
    const std::string p = kPrograma, datos = "C:\\Kavo\\Conta\\Datos\\";
    const Caso casos[] = {
        {teSiempre, "A.TXT", MasNuevo, tmPsql12, true, true, p},
        {teSiFalta, "A.TXT", Falta, tmPsql12, true, true, p},
        {teSiFalta, "A.TXT", MasViejo, tmPsql12, true, false, p},
        {teMotorBtrieve6, "W3.DLL", Falta, tmBtrieve6, false, true, p},
        {teMotorBtrieve6, "W3.DLL", Falta, tmPsql12, false, false, p},
        {teMotorPsql, "W4.DLL", Falta, tmBtrieve12, false, true, p},
        {teMotorPsql, "W4.DLL", MasViejo, tmPsql12, false, false, p},
        {teMotorPsql, "W4.DLL", Falta, tmBtrieve6, false, false, p},
        {teSiMasViejo, "A.TXT", MasViejo, tmPsql12, true, true, p},
        {teSiMasViejo, "A.TXT", Igual, tmPsql12, true, false, p},
        {teDatos, "D.DAT", Falta, tmPsql12, true, true, datos},
        {teDatos, "D.DAT", MasViejo, tmPsql12, true, false, datos},
        {teSinMasNuevo, "A.TXT", MasNuevo, tmPsql12, true, true, p},
        {teSinMasNuevo, "A.TXT", MasViejo, tmPsql12, true, false, p},
        {conta::tcBalances, "B.TXT", Falta, tmPsql12, true, true, kDatos + "Balances\\"},
        {conta::tcBalances, "B.TXT", MasViejo, tmPsql12, true, false, kDatos + "Balances\\"},
        {conta::tcGenerador, "G.TXT", Falta, tmPsql12, false, true, kGenerador},
        {conta::tcGeneradorSiMasViejo, "G.TXT", MasViejo, tmPsql12, true, true, kGenerador},
        {conta::tcGeneradorSiMasViejo, "G.TXT", Igual, tmPsql12, true, false, kGenerador},
        {tePaquete, "CONTA.EXE", MasViejo, tmPsql12, false, true, p},   // a first installation takes every package
        {tePaquete, "CONTA.EXE", MasViejo, tmPsql12, true, false, p},   // the release's copy is older than the installed
        {tePaqueteSerie, "RARO.BPL", Falta, tmPsql12, true, false, p},       // unknown to the module table
        {tePaqueteAdicional, "EXTRA.BPL", Falta, tmPsql12, true, true, p},
        {teOmitido, "A.TXT", Falta, tmPsql12, false, false, p},
        {teOmitidoOtro, "A.TXT", Falta, tmPsql12, false, false, p},
        {teActualizador, "Actualizador.exe", MasViejo, tmPsql12, true, true, p},
    };
    const double fecha = 46000;
    for (const Caso& c : casos) {
        ConProducto f;
        f.d.TipoMotor = c.motor;
        f.d.ModoActualizacion = c.actualizacion;
        f.producto.LeerRutasDatos(f.textoDir);
        f.d.VersionesInstaladas.FijarVersionFichero(99, TypeVersion{0, 0, 5, 10});
        f.d.DatosWeb.FijarVersionFichero(99, TypeVersion{0, 0, 4, 10});
        const std::string ruta = c.carpeta + c.nombre;
        if (c.estado != Falta) {
            f.ficheros[ruta] = "antes";
            f.fechas[ruta] = fecha + (c.estado == MasViejo ? -1 : c.estado == Igual ? 0 : 1);
        }
        std::string carpeta = p;
        const auto antes = f.ficheros;
        const bool escrita = f.run.DecidirDestino(c.tipo, c.nombre, fecha, carpeta, false);
        const std::string caso = std::to_string(c.tipo) + " " + c.nombre + " " + std::to_string(c.estado);
        EXPECT_EQ(escrita, c.escrita) << caso;
        if (escrita) EXPECT_EQ(ConBarraFinal(carpeta), c.carpeta) << caso;
        EXPECT_EQ(f.ficheros, antes) << caso << ": the decision changed a file";
        EXPECT_TRUE(f.log.empty()) << caso << ": the decision told someone: " << f.log.front();
    }
}

// A package the product does not know is told to the user once, by the
// extraction; the check before it asks quietly.
TEST(DestinoEntrada, PaqueteDesconocidoSeAvisaUnaVez) {
    ConProducto f;
    ComoActualizacion(f);
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", tePaquete, "conta 10.06"}, {"Conta\\Programa\\RARO.BPL", tePaquete, "r"}};
    f.respuestas = {mrOk, mrNo};
    f.run.Instalar();
    const std::string aviso = "Mensaje:" + conta::MensajePaqueteDesconocido("RARO.BPL");
    EXPECT_EQ(std::count(f.log.begin(), f.log.end(), aviso), 1);
    EXPECT_LT(f.Indice("Extraer:" + kTemporal + "QTR.KAV"), f.Indice(aviso));
    EXPECT_FALSE(f.Vio("Iniciar:" + kPrograma + "CONTA.EXE")) << "the closing question was answered no";
    EXPECT_EQ(f.d.Fin, TFinEjecucion::Correcta);
}

// A replaced file moves into the backup on its own drive: the update takes
// the new file's room only, not the old one's as well.
TEST(EspacioDeLaActualizacion, ReemplazarNoCuentaDosVeces) {
    ConProducto f;
    ComoActualizacion(f);
    f.ficheros[kPrograma + "A.DLL"] = std::string(1000, 'a');
    f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"},
                             {"Conta\\Programa\\A.DLL", teSiempre, std::string(1000, 'b')}};
    f.librePorUnidad["C:"] = 1020;  // the new files, not the old ones again
    f.respuestas = {mrNo};
    f.run.Instalar();
    EXPECT_EQ(f.d.Fin, TFinEjecucion::Correcta);
    EXPECT_EQ(f.ficheros[kPrograma + "A.DLL"], std::string(1000, 'b'));
}

// Data files go to the data folders their settings name, here on another
// drive: the check looks there, before the first change, for a file in use
// and for room, and names that drive.
TEST(EspacioDeLaActualizacion, DatosEnSuCarpetaYSuUnidad) {
    struct Caso {
        const char* nombre;
        std::function<void(ConProducto&)> preparar;
        std::string mensaje;
    };
    const std::string g = kGenerador + "G.TXT";
    const Caso casos[] = {
        {"en uso",
         [&](ConProducto& f) {
             f.ficheros[g] = "viejo";
             f.fechas[g] = 1;
             f.enUso.insert(g);
         },
         "Mensaje:El Fichero " + g + "\r\n\r\nestá en Uso. Actualización Cancelada"},
        {"sin sitio en su unidad",
         [](ConProducto& f) {
             f.librePorUnidad["C:"] = 1 << 20;
             f.librePorUnidad["D:"] = 100;
         },
         "Mensaje:No hay espacio suficiente en la unidad D:\r\n\r\nSe necesitan 200 bytes y quedan libres 100 "
         "bytes. Actualización Cancelada"},
        // The old copy goes into the backup on C: (with CONTA.EXE's 11
        // bytes), the new one takes D:.
        {"copia en otra unidad",
         [&](ConProducto& f) {
             f.ficheros[g] = std::string(300, 'v');
             f.fechas[g] = 1;
             f.librePorUnidad["C:"] = 100;
             f.librePorUnidad["D:"] = 1 << 20;
         },
         "Mensaje:No hay espacio suficiente en la unidad C:\r\n\r\nSe necesitan 311 bytes y quedan libres 100 "
         "bytes. Actualización Cancelada"},
    };
    for (const Caso& c : casos) {
        ConProducto f;
        ComoActualizacion(f);
        f.servidor["QTR.KAV"] = {{"Conta\\Programa\\CONTA.EXE", teSiempre, "conta 10.06"},
                                 {"Conta\\Datos\\G.TXT", conta::tcGeneradorSiMasViejo, std::string(200, 'n'), 100}};
        c.preparar(f);
        const auto antes = f.ficheros;
        try {
            f.run.Instalar();
        } catch (const std::exception& e) {
            f.log.push_back(std::string("Mensaje:") + e.what());
        }
        EXPECT_TRUE(f.Vio(c.mensaje)) << c.nombre << "\n" << f.log.back();
        EXPECT_FALSE(f.Vio("Extraer:" + kTemporal + "QTR.KAV")) << c.nombre;
        auto despues = f.ficheros;
        despues.erase(kTemporal + "QTR.KAV");
        EXPECT_EQ(despues, antes) << c.nombre;
    }
}

}  // namespace
