#include "Confinamiento.h"

#include <array>
#include <cctype>

#include "FormatoTexto.h"
#include "Rutas.h"

namespace {

bool NombreDispositivo(const std::string& nombre) {
    // The device is named by the part before the first dot: "NUL.txt" is NUL.
    const std::string base = Minusculas(nombre.substr(0, nombre.find('.')));
    static const std::array<const char*, 8> fijos = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$", "config$"};
    for (const char* f : fijos)
        if (base == f) return true;
    // COM1..COM9 and LPT1..LPT9, also with the superscript digits Windows
    // takes for them (¹ ² ³ in UTF-8).
    if (base.size() < 4 || (base.compare(0, 3, "com") != 0 && base.compare(0, 3, "lpt") != 0)) return false;
    const std::string resto = base.substr(3);
    return (resto.size() == 1 && resto[0] >= '0' && resto[0] <= '9') || resto == "\xC2\xB9" || resto == "\xC2\xB2" ||
           resto == "\xC2\xB3";
}

}  // namespace

bool NombreSimple(const std::string& nombre) {
    if (nombre.empty() || nombre.size() > 255 || nombre == "." || nombre == "..") return false;
    for (unsigned char c : nombre)
        if (c < 32 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    if (nombre.back() == '.' || nombre.back() == ' ') return false;
    return !NombreDispositivo(nombre);
}

std::optional<std::string> RutaCanonica(const std::string& original) {
    std::string ruta = original;
    for (char& c : ruta)
        if (c == '/') c = '\\';
    std::string raiz;
    size_t desde;
    if (ruta.size() >= 3 && std::isalpha(static_cast<unsigned char>(ruta[0])) && ruta[1] == ':' && ruta[2] == '\\') {
        raiz = ruta.substr(0, 2);
        desde = 3;
    } else if (ruta.rfind("\\\\", 0) == 0) {
        // "\\server\share": both plain names ("\\.\" and "\\?\" are not).
        const size_t servidor = ruta.find('\\', 2);
        if (servidor == std::string::npos) return std::nullopt;
        size_t recurso = ruta.find('\\', servidor + 1);
        if (recurso == std::string::npos) recurso = ruta.size();
        const std::string s = ruta.substr(2, servidor - 2), r = ruta.substr(servidor + 1, recurso - servidor - 1);
        if (!NombreSimple(s) || !NombreSimple(r)) return std::nullopt;
        raiz = "\\\\" + s + "\\" + r;
        desde = recurso;
    } else {
        return std::nullopt;
    }
    std::string r = raiz;
    size_t p = desde;
    while (p <= ruta.size()) {
        size_t fin = ruta.find('\\', p);
        if (fin == std::string::npos) fin = ruta.size();
        const std::string parte = ruta.substr(p, fin - p);
        p = fin + 1;
        if (parte.empty() || parte == ".") continue;
        if (!NombreSimple(parte)) return std::nullopt;
        r += "\\" + parte;
    }
    // A bare drive or share is no file or folder of an installation.
    if (r == raiz) return std::nullopt;
    return r;
}

bool DentroDe(const std::string& ruta, const std::string& carpeta) {
    const std::string c = QuitarBarraFinal(carpeta);
    return ruta.size() > c.size() + 1 && EmpiezaSinMayusculas(ruta, c) && ruta[c.size()] == '\\';
}

std::vector<std::string> CarpetasIntermedias(const std::string& carpeta, const std::string& ruta) {
    std::vector<std::string> r{QuitarBarraFinal(carpeta)};
    for (size_t p = ruta.find('\\', r[0].size() + 1); p != std::string::npos; p = ruta.find('\\', p + 1))
        r.push_back(ruta.substr(0, p));
    return r;
}
