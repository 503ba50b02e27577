#include "FirmaFicheros.h"

#include <sodium.h>

#include <filesystem>
#include <fstream>

#include "TextCodec.h"

namespace firma {
namespace {

constexpr std::string_view kCabecera = "KAVO-FIRMA 1";
constexpr size_t kTrozo = 64 * 1024;

void IniciarSodium() {
    if (sodium_init() < 0) throw Exception("No se puede iniciar la biblioteca de firmas");
}

std::filesystem::path Ruta(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string NombreDe(const std::string& ruta) {
    size_t corte = ruta.find_last_of("/\\");
    return corte == std::string::npos ? ruta : ruta.substr(corte + 1);
}

// A name in a statement is one line of printable text.
bool NombreValido(std::string_view nombre) {
    if (nombre.empty()) return false;
    for (unsigned char c : nombre)
        if (c < ' ' || c == 0x7f) return false;
    return true;
}

// Takes the next line (without its LF) off texto; false when no LF is left.
bool Linea(std::string_view& texto, std::string_view& linea) {
    size_t fin = texto.find('\n');
    if (fin == std::string_view::npos) return false;
    linea = texto.substr(0, fin);
    texto.remove_prefix(fin + 1);
    return true;
}

std::string_view Campo(std::string_view& texto, std::string_view clave) {
    std::string_view linea;
    if (!Linea(texto, linea) || linea.size() <= clave.size() || linea.substr(0, clave.size()) != clave ||
        linea[clave.size()] != ' ')
        throw Exception("Falta el campo \"" + std::string(clave) + "\"");
    return linea.substr(clave.size() + 1);
}

uint64_t Tamano(std::string_view digitos) {
    if (digitos.empty() || digitos.size() > 19 || (digitos.size() > 1 && digitos[0] == '0'))
        throw Exception("Tamaño no válido");
    uint64_t n = 0;
    for (char c : digitos) {
        if (c < '0' || c > '9') throw Exception("Tamaño no válido");
        n = n * 10 + uint64_t(c - '0');
    }
    return n;
}

// The signer writes lowercase hex; the reader takes that one form only.
std::string_view Minusculas(std::string_view hex) {
    for (char c : hex)
        if (c >= 'A' && c <= 'F') throw Exception("Cifras hexadecimales en mayúsculas");
    return hex;
}

bool MismoNombre(std::string_view a, std::string_view b) { return text::UpperAscii(a) == text::UpperAscii(b); }

std::string Rechazo(const std::string& nombre, const std::string& motivo) {
    return "Fichero " + nombre + " rechazado: " + motivo + ".";
}

}  // namespace

std::string Hex(std::string_view bytes) {
    std::string out(bytes.size() * 2 + 1, '\0');
    sodium_bin2hex(out.data(), out.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    out.pop_back();
    return out;
}

std::string DesdeHex(std::string_view hex, size_t bytes) {
    if (hex.size() != bytes * 2) throw Exception("Se esperaban " + std::to_string(bytes * 2) + " cifras hexadecimales");
    std::string out(bytes, '\0');
    size_t leidos = 0;
    const char* fin = nullptr;
    if (sodium_hex2bin(reinterpret_cast<unsigned char*>(out.data()), bytes, hex.data(), hex.size(), nullptr,
                       &leidos, &fin) != 0 ||
        leidos != bytes || fin != hex.data() + hex.size())
        throw Exception("Cifras hexadecimales no válidas");
    return out;
}

std::vector<std::string> LeerClavesPublicas(std::string_view lista) {
    std::vector<std::string> claves;
    size_t i = 0;
    auto separador = [](char c) { return c == ';' || c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (i < lista.size()) {
        if (separador(lista[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < lista.size() && !separador(lista[j])) ++j;
        try {
            claves.push_back(DesdeHex(lista.substr(i, j - i), kBytesClavePublica));
        } catch (const Exception& e) {
            throw Exception("Clave pública no válida (" + std::string(lista.substr(i, j - i)) + "): " + e.what());
        }
        i = j;
    }
    return claves;
}

std::string Resumen(std::string_view bytes) {
    IniciarSodium();
    std::string resumen(kBytesResumen, '\0');
    crypto_generichash(reinterpret_cast<unsigned char*>(resumen.data()), kBytesResumen,
                       reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), nullptr, 0);
    return resumen;
}

TDeclaracion DeclararFichero(const std::string& ruta) {
    IniciarSodium();
    std::ifstream in(Ruta(ruta), std::ios::binary);
    if (!in) throw Exception("No se puede leer el fichero " + ruta);
    crypto_generichash_state estado;
    crypto_generichash_init(&estado, nullptr, 0, kBytesResumen);
    TDeclaracion d;
    d.nombre = NombreDe(ruta);
    std::vector<char> trozo(kTrozo);
    while (in) {
        in.read(trozo.data(), std::streamsize(trozo.size()));
        auto leidos = size_t(in.gcount());
        crypto_generichash_update(&estado, reinterpret_cast<const unsigned char*>(trozo.data()), leidos);
        d.tamano += leidos;
    }
    if (in.bad()) throw Exception("No se puede leer el fichero " + ruta);
    d.resumen.assign(kBytesResumen, '\0');
    crypto_generichash_final(&estado, reinterpret_cast<unsigned char*>(d.resumen.data()), kBytesResumen);
    return d;
}

std::string TextoDeclaracion(const TDeclaracion& d) {
    return std::string(kCabecera) + "\nnombre " + d.nombre + "\ntamano " + std::to_string(d.tamano) +
           "\nblake2b " + Hex(d.resumen) + "\n";
}

std::string Firmar(const TDeclaracion& d, const std::string& secreta) {
    IniciarSodium();
    if (secreta.size() != kBytesClaveSecreta) throw Exception("Clave secreta no válida");
    if (!NombreValido(d.nombre)) throw Exception("Nombre de fichero no válido para firmar: " + d.nombre);
    const std::string texto = TextoDeclaracion(d);
    std::string firma(kBytesFirma, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(firma.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(texto.data()), texto.size(),
                         reinterpret_cast<const unsigned char*>(secreta.data()));
    return texto + "firma " + Hex(firma) + "\n";
}

TFirmaLeida LeerFirma(std::string_view texto) {
    if (texto.size() > kMaximoFicheroFirma) throw Exception("Fichero de firma demasiado grande");
    std::string_view linea;
    if (!Linea(texto, linea) || linea != kCabecera) throw Exception("No es un fichero de firma");
    TFirmaLeida f;
    f.declaracion.nombre = std::string(Campo(texto, "nombre"));
    if (!NombreValido(f.declaracion.nombre)) throw Exception("Nombre no válido");
    f.declaracion.tamano = Tamano(Campo(texto, "tamano"));
    f.declaracion.resumen = DesdeHex(Minusculas(Campo(texto, "blake2b")), kBytesResumen);
    f.firma = DesdeHex(Minusculas(Campo(texto, "firma")), kBytesFirma);
    if (!texto.empty()) throw Exception("Texto de más tras la firma");
    return f;
}

void ComprobarFichero(const std::string& ruta, const std::vector<std::string>& clavesPublicas,
                      const std::string& publicado) {
    IniciarSodium();
    const std::string nombre = publicado.empty() ? NombreDe(ruta) : publicado;
    std::ifstream in(Ruta(ruta + kExtensionFirma), std::ios::binary);
    if (!in) throw EFirmaRechazada(Rechazo(nombre, "falta su firma"));
    std::string texto(kMaximoFicheroFirma + 1, '\0');
    in.read(texto.data(), std::streamsize(texto.size()));
    texto.resize(size_t(in.gcount()));

    TFirmaLeida leida;
    try {
        leida = LeerFirma(texto);
    } catch (const Exception& e) {
        throw EFirmaRechazada(Rechazo(nombre, std::string("su firma está dañada (") + e.what() + ")"));
    }
    const TDeclaracion& declarada = leida.declaracion;
    if (!MismoNombre(declarada.nombre, nombre))
        throw EFirmaRechazada(Rechazo(nombre, "la firma es la de otro fichero (" + declarada.nombre + ")"));

    // The statement as signed, rebuilt from the parsed fields: LeerFirma
    // accepts only the one form, so these are the bytes the signature covers.
    const std::string declaracion = TextoDeclaracion(declarada);
    bool clave = false;
    for (const std::string& publica : clavesPublicas) {
        if (publica.size() != kBytesClavePublica) continue;
        if (crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(leida.firma.data()),
                                        reinterpret_cast<const unsigned char*>(declaracion.data()),
                                        declaracion.size(),
                                        reinterpret_cast<const unsigned char*>(publica.data())) == 0) {
            clave = true;
            break;
        }
    }
    if (!clave) throw EFirmaRechazada(Rechazo(nombre, "su firma no es de ninguna clave reconocida"));

    const TDeclaracion real = DeclararFichero(ruta);
    if (real.tamano != declarada.tamano || sodium_memcmp(real.resumen.data(), declarada.resumen.data(),
                                                         kBytesResumen) != 0)
        throw EFirmaRechazada(Rechazo(nombre, "no coincide con su firma (dañado o alterado)"));
}

TParClaves NuevoParClaves() {
    IniciarSodium();
    TParClaves par{std::string(kBytesClavePublica, '\0'), std::string(kBytesClaveSecreta, '\0')};
    crypto_sign_keypair(reinterpret_cast<unsigned char*>(par.publica.data()),
                        reinterpret_cast<unsigned char*>(par.secreta.data()));
    return par;
}

}  // namespace firma
