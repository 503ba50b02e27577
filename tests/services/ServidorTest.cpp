// The server's address: the setting over the build's default, and a build for
// customers that takes nothing but https://.
#include <gtest/gtest.h>

#include "Exception.h"
#include "Servidor.h"

namespace {

TEST(ElegirServidor, ElEntornoSobreElPredeterminadoYSoloHttpsParaClientes) {
    struct Caso {
        const char* entorno;
        const char* predeterminado;
        const char* cualquiera;  // the address taken by a test build
        bool rechazadoClientes;
    } casos[] = {
        {"", "https://www.kavo.es", "https://www.kavo.es", false},
        {"https://espejo.kavo.es", "https://www.kavo.es", "https://espejo.kavo.es", false},
        {"HTTPS://espejo.kavo.es", "https://www.kavo.es", "HTTPS://espejo.kavo.es", false},
        {"http://127.0.0.1:8080", "https://www.kavo.es", "http://127.0.0.1:8080", true},
        {"", "http://www.kavo.es", "http://www.kavo.es", true},
        {"ftp://www.kavo.es", "https://www.kavo.es", "ftp://www.kavo.es", true},
        {"https:/www.kavo.es", "https://www.kavo.es", "https:/www.kavo.es", true},
        {"www.kavo.es", "https://www.kavo.es", "www.kavo.es", true},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(ElegirServidor(c.entorno, c.predeterminado, EsquemaServidor::Cualquiera), c.cualquiera);
        if (!c.rechazadoClientes) {
            EXPECT_EQ(ElegirServidor(c.entorno, c.predeterminado, EsquemaServidor::SoloHttps), c.cualquiera);
            continue;
        }
        try {
            ElegirServidor(c.entorno, c.predeterminado, EsquemaServidor::SoloHttps);
            ADD_FAILURE() << c.cualquiera << " taken";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), std::string("La dirección del servidor ") + c.cualquiera +
                                       " no es https://: esta versión solo descarga del servidor por https.");
        }
    }
}

}  // namespace
