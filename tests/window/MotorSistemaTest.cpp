// What the engine page asks of the system: the engine keys of the program's
// settings file, and the universal form of the program folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Automatizacion.h"
#include "MotorSistema.h"
#include "TextCodec.h"

namespace {

std::string Leer(const std::string& ruta) {
    std::ifstream f(std::filesystem::path(text::Wide(ruta)), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(EscribirIniBtrieve, AmbasVariantesConservanLoDemas) {
    std::string carpeta = prueba::CarpetaNueva("ini_btrieve");
    struct Caso {
        bool variante;
        const char* antes;
        const char* despues;
    };
    const Caso casos[] = {
        {false, "",  // file and section created
         "[BTRIEVE]\r\nPERVASIVE=1\r\nFILEVERSION=6\r\nNAMEDLL=W3BTRV7\r\n"},
        {false,
         "[PATH]\r\nDATOS=C:\\Kavo\\Datos\r\n[BTRIEVE]\r\nPAGINAS=4096\r\nPERVASIVE=0\r\nNAMEDLL=WBTRV32\r\n"
         "[ACTUALIZACION]\r\nCOMPROBAR=1\r\n",
         "[PATH]\r\nDATOS=C:\\Kavo\\Datos\r\n[BTRIEVE]\r\nPAGINAS=4096\r\nPERVASIVE=1\r\nNAMEDLL=W3BTRV7\r\n"
         "FILEVERSION=6\r\n[ACTUALIZACION]\r\nCOMPROBAR=1\r\n"},
        {true, "[BTRIEVE]\r\nPERVASIVE=1\r\nFILEVERSION=6\r\nNAMEDLL=W3BTRV7\r\nPAGINAS=4096\r\n",
         "[BTRIEVE]\r\nPERVASIVE=0\r\nFILEVERSION=6\r\nNAMEDLL=WBTRV32\r\nPAGINAS=4096\r\n"},
    };
    int n = 0;
    for (const Caso& c : casos) {
        std::string ini = carpeta + "CONTA" + std::to_string(n++) + ".INI";
        if (*c.antes) prueba::EscribirFichero(ini, c.antes);
        EscribirIniBtrieve(ini, c.variante);
        EXPECT_EQ(Leer(ini), c.despues) << c.antes;
    }
}

TEST(RutaUniversal, LocalSinCambiosYUnidadDeRed) {
    // No network drive here: the system's answer leaves the path as it is.
    EXPECT_EQ(RutaUniversal("C:\\Kavo"), "C:\\Kavo");
    EXPECT_EQ(RutaUniversal("\\\\SRV01\\datos\\Kavo"), "\\\\SRV01\\datos\\Kavo");
    ConsultaRutaUniversal anterior = FijarConsultaRutaUniversal([](const std::string& r) -> std::optional<std::string> {
        if (r.rfind("M:", 0) != 0) return std::nullopt;
        return "\\\\SRV01\\datos" + r.substr(2);
    });
    EXPECT_EQ(RutaUniversal("M:\\Kavo"), "\\\\SRV01\\datos\\Kavo");
    EXPECT_EQ(RutaUniversal("C:\\Kavo"), "C:\\Kavo");
    FijarConsultaRutaUniversal(anterior);
    EXPECT_EQ(RutaUniversal("M:\\Kavo"), "M:\\Kavo");
}

}  // namespace
