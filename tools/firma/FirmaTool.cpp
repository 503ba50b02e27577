#include "FirmaTool.h"

#include <algorithm>
#include <ctime>
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
            // Nothing was asked for here: the statement is shown, and checked
            // for its signature and its file.
            const std::optional<std::string> texto = firma::LeerFicheroFirma(f + firma::kExtensionFirma);
            firma::TEsperado esperado;
            esperado.nombre = Utf8(Ruta(f).filename());
            if (texto) {
                try {
                    const firma::TDeclaracion d = firma::LeerFirma(*texto).declaracion;
                    esperado = {esperado.nombre, d.producto, d.canal, d.ruta, d.version, d.desde, 0};
                } catch (const Exception&) {
                }
            }
            const firma::TDeclaracion d = firma::ComprobarFichero(f, claves, esperado);
            out << f << ": correcto (" << d.producto << ", " << firma::TextoCanal(d.canal) << ", "
                << firma::TextoVersionFirma(d.version)
                << (d.desde ? " desde " + firma::TextoVersionFirma(*d.desde) : std::string()) << ", " << d.ruta
                << ", " << firma::TextoFecha(d.fecha) << ")\n";
        } catch (const Exception& e) {
            err << e.what() << "\n";
            estado = kError;
        }
    }
    return estado;
}

}  // namespace

std::vector<std::string> FirmarCarpeta(const std::string& carpeta, const std::string& secreta,
                                       const TPublicacion& publicacion) {
    std::vector<std::string> ficheros;
    const bool uno = fs::is_regular_file(Ruta(carpeta));
    if (uno) {
        ficheros.push_back(carpeta);
    } else {
        for (const auto& entrada : fs::recursive_directory_iterator(Ruta(carpeta))) {
            if (!entrada.is_regular_file() || entrada.path().extension() == firma::kExtensionFirma) continue;
            ficheros.push_back(Utf8(entrada.path()));
        }
    }
    std::sort(ficheros.begin(), ficheros.end());
    for (const std::string& f : ficheros) {
        const firma::TDeclaracion propio = firma::DeclararFichero(f);
        firma::TDeclaracion d = publicacion.campos;
        d.nombre = propio.nombre;
        d.tamano = propio.tamano;
        d.resumen = propio.resumen;
        const std::u8string relativa = Ruta(f).lexically_relative(Ruta(carpeta)).generic_u8string();
        d.ruta = publicacion.prefijoRuta + (uno ? propio.nombre : std::string(relativa.begin(), relativa.end()));
        Escribir(f + firma::kExtensionFirma, firma::Firmar(d, secreta));
    }
    return ficheros;
}

namespace {

// The options of "firmar" after its two arguments.
TPublicacion LeerPublicacion(const std::vector<std::string>& opciones) {
    TPublicacion p;
    p.campos.fecha = static_cast<int64_t>(std::time(nullptr));
    bool producto = false, version = false;
    for (size_t i = 0; i < opciones.size(); i += 2) {
        if (i + 1 >= opciones.size()) throw Exception("Falta el valor de " + opciones[i]);
        const std::string& o = opciones[i];
        const std::string& v = opciones[i + 1];
        if (o == "--producto") {
            p.campos.producto = v;
            producto = true;
        } else if (o == "--version") {
            p.campos.version = firma::LeerVersionFirma(v);
            version = true;
        } else if (o == "--desde") {
            p.campos.desde = firma::LeerVersionFirma(v);
        } else if (o == "--canal") {
            if (v == "normal")
                p.campos.canal = firma::Canal::Normal;
            else if (v == "beta")
                p.campos.canal = firma::Canal::Beta;
            else if (v == "V2")
                p.campos.canal = firma::Canal::V2;
            else
                throw Exception("Canal no válido: " + v + " (normal, beta o V2)");
        } else if (o == "--ruta") {
            p.prefijoRuta = v;
            if (!p.prefijoRuta.empty() && p.prefijoRuta.back() != '/') p.prefijoRuta += '/';
        } else if (o == "--fecha") {
            p.campos.fecha = firma::LeerFecha(v);
        } else {
            throw Exception("Opción desconocida: " + o);
        }
    }
    if (!producto || !version) throw Exception("firmar necesita --producto y --version");
    return p;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string orden = args.empty() ? std::string() : args[0];
    const bool uso = !((orden == "claves" && args.size() == 2) || (orden == "firmar" && args.size() >= 3) ||
                       (orden == "comprobar" && args.size() >= 3));
    if (uso) {
        err << "uso: firma claves NOMBRE | firma firmar SECRETA CARPETA --producto P --version V [--canal C] "
               "[--desde V] [--ruta PREFIJO] [--fecha F] | firma comprobar PUBLICAS FICHERO...\n";
        return kUso;
    }
    try {
        if (orden == "claves") return Claves(args[1], out);
        if (orden == "firmar") {
            const TPublicacion publicacion = LeerPublicacion(std::vector<std::string>(args.begin() + 3, args.end()));
            const std::string secreta =
                firma::DesdeHex(SinBlancosFinales(Leer(args[1])), firma::kBytesClaveSecreta);
            for (const std::string& f : FirmarCarpeta(args[2], secreta, publicacion)) out << f << "\n";
            return kBien;
        }
        return Comprobar(args[1], std::vector<std::string>(args.begin() + 2, args.end()), out, err);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return kError;
    }
}

}  // namespace firmatool
