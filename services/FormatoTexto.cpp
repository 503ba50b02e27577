#include "FormatoTexto.h"

#include <string>

namespace {

// Sign and digits of a number, apart.
struct Decimal {
    std::string signo, digitos;
};
Decimal Partir(long long numero) {
    Decimal d;
    unsigned long long magnitud = numero < 0 ? 0ULL - (unsigned long long)numero : (unsigned long long)numero;
    if (numero < 0) d.signo = "-";
    d.digitos = std::to_string(magnitud);
    return d;
}

// Removes the first folder of a folder part, leaving "...\" in its place:
// "\a\b\" -> "\...\b\", "...\b\" -> "...\", "a\" -> "". A lone "\" goes
// whole, so every call makes the part shorter in folders and the caller's
// loop ends.
void CortarPrimeraCarpeta(std::string& carpeta) {
    if (carpeta == "\\") {
        carpeta.clear();
        return;
    }
    const bool raiz = !carpeta.empty() && carpeta[0] == '\\';
    if (raiz) carpeta.erase(0, 1);
    if (carpeta.rfind("...\\", 0) == 0) carpeta.erase(0, 4);
    const size_t barra = carpeta.find('\\');
    carpeta = barra == std::string::npos ? std::string() : "...\\" + carpeta.substr(barra + 1);
    if (raiz) carpeta = "\\" + carpeta;
}

}  // namespace

std::string FormatoCeros(long long numero, int ancho) {
    const Decimal d = Partir(numero);
    const int relleno = ancho - int(d.signo.size() + d.digitos.size());
    return d.signo + std::string(relleno > 0 ? size_t(relleno) : 0, '0') + d.digitos;
}

std::string FormatoCerosFijo(long long numero, int ancho) {
    if (ancho <= 0) return {};
    std::string texto = FormatoCeros(numero, ancho);
    texto.resize(size_t(ancho));
    return texto;
}

std::string QuitarBarraFinal(std::string ruta) {
    if (!ruta.empty() && ruta.back() == '\\') ruta.pop_back();
    return ruta;
}

std::string ConBarraFinal(std::string ruta) {
    if (ruta.empty() || ruta.back() != '\\') ruta += '\\';
    return ruta;
}

std::string AcortarRuta(const std::string& ruta, const MedidaTexto& medir, int ancho) {
    std::string unidad, resto = ruta;
    if (ruta.size() >= 2 && ruta[1] == ':') {
        unidad = ruta.substr(0, 2);
        resto = ruta.substr(2);
    }
    const size_t ultima = resto.rfind('\\');
    std::string carpeta = ultima == std::string::npos ? std::string() : resto.substr(0, ultima + 1);
    const std::string nombre = ultima == std::string::npos ? resto : resto.substr(ultima + 1);

    while ((!unidad.empty() || !carpeta.empty()) && medir(unidad + carpeta + nombre) > ancho) {
        if (carpeta == "\\...\\") {
            unidad.clear();
            carpeta = "...\\";
        } else if (carpeta.empty()) {
            unidad.clear();
        } else {
            CortarPrimeraCarpeta(carpeta);
        }
    }
    return unidad + carpeta + nombre;
}
