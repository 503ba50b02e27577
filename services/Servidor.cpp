#include "Servidor.h"

#include <cctype>

#include "Exception.h"

std::string ElegirServidor(const std::string& entorno, const std::string& predeterminado, EsquemaServidor esquema) {
    const std::string& url = entorno.empty() ? predeterminado : entorno;
    if (esquema == EsquemaServidor::SoloHttps) {
        std::string inicio = url.substr(0, 8);
        for (char& c : inicio) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (inicio != "https://")
            throw Exception("La dirección del servidor " + url +
                            " no es https://: esta versión solo descarga del servidor por https.");
    }
    return url;
}
