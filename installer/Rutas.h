// Path pieces the run and its backup share. Windows paths, UTF-8; file
// names compare without regard to ASCII case, as Windows compares them.
#pragma once
#include <cctype>
#include <string>

inline std::string NombreDe(const std::string& ruta) {
    size_t p = ruta.find_last_of("\\/");
    return p == std::string::npos ? ruta : ruta.substr(p + 1);
}

// The folder part with its trailing backslash; empty when there is none.
inline std::string CarpetaDe(const std::string& ruta) {
    size_t p = ruta.find_last_of('\\');
    return p == std::string::npos ? std::string() : ruta.substr(0, p + 1);
}

inline std::string Minusculas(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Upper case of the ASCII letters only: enough for the names the module
// table and the product know, which are ASCII.
inline std::string MayusculasAscii(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

inline bool EmpiezaSinMayusculas(const std::string& texto, const std::string& prefijo) {
    return texto.size() >= prefijo.size() && Minusculas(texto.substr(0, prefijo.size())) == Minusculas(prefijo);
}

// The same folder spelled with a doubled separator, as an archive may store
// it, is the same folder: runs of "\\" become one, except at the start of a
// network path.
inline std::string SinBarrasDobles(const std::string& ruta) {
    std::string r;
    for (size_t i = 0; i < ruta.size(); ++i)
        if (!(i > 1 && ruta[i] == '\\' && ruta[i - 1] == '\\')) r += ruta[i];
    return r;
}

inline bool MismaRuta(const std::string& a, const std::string& b) {
    return Minusculas(SinBarrasDobles(a)) == Minusculas(SinBarrasDobles(b));
}
