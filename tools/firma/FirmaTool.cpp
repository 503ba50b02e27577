#include "FirmaTool.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Exception.h"
#include "FirmaFicheros.h"

namespace fs = std::filesystem;

namespace firmatool {
namespace {

constexpr int kBien = 0, kError = 1, kUso = 2;

fs::path Ruta(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8(const fs::path& p) {
    std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::string Leer(const std::string& ruta) {
    std::ifstream in(Ruta(ruta), std::ios::binary);
    if (!in) throw Exception("No se puede leer " + ruta);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Written under a temporary name and renamed: a signature is either whole or absent.
void Escribir(const std::string& ruta, const std::string& texto) {
    const std::string temporal = ruta + ".tmp";
    {
        std::ofstream out(Ruta(temporal), std::ios::binary | std::ios::trunc);
        out << texto;
        if (!out.flush()) throw Exception("No se puede escribir " + ruta);
    }
    fs::rename(Ruta(temporal), Ruta(ruta));
}

std::string SinBlancosFinales(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

int Claves(const std::string& nombre, std::ostream& out) {
    const std::string secreta = nombre + ".secreta", publica = nombre + ".publica";
    // A secret key is never overwritten: releases signed with it would be orphaned.
    if (fs::exists(Ruta(secreta)) || fs::exists(Ruta(publica)))
        throw Exception("Ya existe " + secreta + " o " + publica);
    const firma::TParClaves par = firma::NuevoParClaves();
    Escribir(secreta, firma::Hex(par.secreta) + "\n");
    fs::permissions(Ruta(secreta), fs::perms::owner_read | fs::perms::owner_write);
    Escribir(publica, firma::Hex(par.publica) + "\n");
    out << firma::Hex(par.publica) << "\n";
    return kBien;
}

int Comprobar(const std::string& publicas, const std::vector<std::string>& ficheros, std::ostream& out,
              std::ostream& err) {
    const auto claves = firma::LeerClavesPublicas(Leer(publicas));
    if (claves.empty()) throw Exception("No hay claves públicas en " + publicas);
    int estado = kBien;
    for (const std::string& f : ficheros) {
        try {
            firma::ComprobarFichero(f, claves);
            out << f << ": correcto\n";
        } catch (const Exception& e) {
            err << e.what() << "\n";
            estado = kError;
        }
    }
    return estado;
}

}  // namespace

std::vector<std::string> FirmarCarpeta(const std::string& carpeta, const std::string& secreta) {
    std::vector<std::string> ficheros;
    for (const auto& entrada : fs::recursive_directory_iterator(Ruta(carpeta))) {
        if (!entrada.is_regular_file() || entrada.path().extension() == firma::kExtensionFirma) continue;
        ficheros.push_back(Utf8(entrada.path()));
    }
    std::sort(ficheros.begin(), ficheros.end());
    for (const std::string& f : ficheros)
        Escribir(f + firma::kExtensionFirma, firma::Firmar(firma::DeclararFichero(f), secreta));
    return ficheros;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string orden = args.empty() ? std::string() : args[0];
    const bool uso = !((orden == "claves" && args.size() == 2) || (orden == "firmar" && args.size() == 3) ||
                       (orden == "comprobar" && args.size() >= 3));
    if (uso) {
        err << "uso: firma claves NOMBRE | firma firmar SECRETA CARPETA | firma comprobar PUBLICAS FICHERO...\n";
        return kUso;
    }
    try {
        if (orden == "claves") return Claves(args[1], out);
        if (orden == "firmar") {
            const std::string secreta =
                firma::DesdeHex(SinBlancosFinales(Leer(args[1])), firma::kBytesClaveSecreta);
            for (const std::string& f : FirmarCarpeta(args[2], secreta)) out << f << "\n";
            return kBien;
        }
        return Comprobar(args[1], std::vector<std::string>(args.begin() + 2, args.end()), out, err);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return kError;
    }
}

}  // namespace firmatool
