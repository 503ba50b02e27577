#include "FirmaFicheros.h"

#include <sodium.h>

#include <filesystem>
#include <fstream>

#include "TextCodec.h"

namespace firma {
namespace {

constexpr std::string_view kCabecera = "KAVO-FIRMA 2";
constexpr std::string_view kSinDesde = "-";
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

// The signer writes lowercase hex; the reader takes that one form only.
std::string_view Minusculas(std::string_view hex) {
    for (char c : hex)
        if (c >= 'A' && c <= 'F') throw Exception("Cifras hexadecimales en mayúsculas");
    return hex;
}

bool MismoNombre(std::string_view a, std::string_view b) { return text::UpperAscii(a) == text::UpperAscii(b); }

// A product code: a few capital letters or digits.
bool ProductoValido(std::string_view p) {
    if (p.empty() || p.size() > 8) return false;
    for (char c : p)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// A published path: names separated by "/", no empty or dot-only part, no
// backslash, ending in the file's own name.
bool RutaValida(std::string_view ruta, std::string_view nombre) {
    if (!NombreValido(ruta) || ruta.find('\\') != std::string_view::npos) return false;
    size_t inicio = 0;
    while (true) {
        const size_t fin = ruta.find('/', inicio);
        const std::string_view parte = ruta.substr(inicio, fin == std::string_view::npos ? fin : fin - inicio);
        if (parte.empty() || parte == "." || parte == "..") return false;
        if (fin == std::string_view::npos) return MismoNombre(parte, nombre);
        inicio = fin + 1;
    }
}

Canal LeerCanal(std::string_view texto) {
    for (Canal c : {Canal::Normal, Canal::Beta, Canal::V2})
        if (texto == TextoCanal(c)) return c;
    throw Exception("Canal no válido");
}

// Digits only, no sign, no leading zero unless alone; at most `maximo`.
uint64_t Natural(std::string_view digitos, uint64_t maximo) {
    if (digitos.empty() || digitos.size() > 19 || (digitos.size() > 1 && digitos[0] == '0')) throw Exception("Número no válido");
    uint64_t n = 0;
    for (char c : digitos) {
        if (c < '0' || c > '9') throw Exception("Número no válido");
        n = n * 10 + uint64_t(c - '0');
    }
    if (n > maximo) throw Exception("Número no válido");
    return n;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DiasDesdeCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void CivilDesdeDias(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = int64_t(yoe) + era * 400 + (m <= 2);
}

std::string Ceros(unsigned n, size_t ancho) {
    std::string s = std::to_string(n);
    return s.size() < ancho ? std::string(ancho - s.size(), '0') + s : s;
}

constexpr int64_t kFechaMaxima = 253402300799;  // 9999-12-31T23:59:59Z

}  // namespace

std::string Rechazo(const std::string& nombre, const std::string& motivo) {
    return "Fichero " + nombre + " rechazado: " + motivo + ".";
}

std::string TextoCanal(Canal canal) {
    switch (canal) {
    case Canal::Normal: return "normal";
    case Canal::Beta: return "beta";
    case Canal::V2: return "V2";
    }
    return "normal";
}

std::string TextoVersionFirma(uint32_t version) {
    return std::to_string(version >> 16) + "." + Ceros(version & 0xFFFF, 2);
}

uint32_t LeerVersionFirma(std::string_view texto) {
    const size_t punto = texto.find('.');
    if (punto == std::string_view::npos) throw Exception("Versión no válida");
    const auto mayor = uint32_t(Natural(texto.substr(0, punto), 0xFFFF));
    const std::string_view menor = texto.substr(punto + 1);
    // Two digits at least: "12.05"; "12.5" and "12.005" are not the one form.
    if (menor.size() < 2 || (menor.size() > 2 && menor[0] == '0')) throw Exception("Versión no válida");
    const auto m = uint32_t(Natural(menor[0] == '0' ? menor.substr(1) : menor, 0xFFFF));
    return (mayor << 16) | m;
}

std::string TextoFecha(int64_t segundos) {
    int64_t y = 0;
    unsigned m = 0, d = 0;
    const int64_t dias = segundos >= 0 ? segundos / 86400 : (segundos - 86399) / 86400;
    const int64_t resto = segundos - dias * 86400;
    CivilDesdeDias(dias, y, m, d);
    return std::to_string(y) + "-" + Ceros(m, 2) + "-" + Ceros(d, 2) + "T" + Ceros(unsigned(resto / 3600), 2) + ":" +
           Ceros(unsigned(resto / 60 % 60), 2) + ":" + Ceros(unsigned(resto % 60), 2) + "Z";
}

int64_t LeerFecha(std::string_view t) {
    // YYYY-MM-DDTHH:MM:SSZ, exactly.
    if (t.size() != 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' || t[16] != ':' || t[19] != 'Z')
        throw Exception("Fecha no válida");
    auto campo = [&](size_t desde, size_t largo, unsigned minimo, unsigned maximo) {
        unsigned n = 0;
        for (size_t i = desde; i < desde + largo; ++i) {
            if (t[i] < '0' || t[i] > '9') throw Exception("Fecha no válida");
            n = n * 10 + unsigned(t[i] - '0');
        }
        if (n < minimo || n > maximo) throw Exception("Fecha no válida");
        return n;
    };
    const unsigned y = campo(0, 4, 1970, 9999), m = campo(5, 2, 1, 12), d = campo(8, 2, 1, 31);
    const unsigned hh = campo(11, 2, 0, 23), mm = campo(14, 2, 0, 59), ss = campo(17, 2, 0, 59);
    const int64_t dias = DiasDesdeCivil(y, m, d);
    int64_t cy = 0;
    unsigned cm = 0, cd = 0;
    CivilDesdeDias(dias, cy, cm, cd);
    if (cm != m || cd != d) throw Exception("Fecha no válida");  // 31 April, 29 February of a common year
    return dias * 86400 + hh * 3600 + mm * 60 + ss;
}

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
           "\nblake2b " + Hex(d.resumen) + "\nproducto " + d.producto + "\ncanal " + TextoCanal(d.canal) +
           "\nruta " + d.ruta + "\nversion " + TextoVersionFirma(d.version) + "\ndesde " +
           (d.desde ? TextoVersionFirma(*d.desde) : std::string(kSinDesde)) + "\nfecha " + TextoFecha(d.fecha) + "\n";
}

std::string Firmar(const TDeclaracion& d, const std::string& secreta) {
    IniciarSodium();
    if (secreta.size() != kBytesClaveSecreta) throw Exception("Clave secreta no válida");
    if (!NombreValido(d.nombre)) throw Exception("Nombre de fichero no válido para firmar: " + d.nombre);
    if (!ProductoValido(d.producto)) throw Exception("Producto no válido para firmar: " + d.producto);
    if (!RutaValida(d.ruta, d.nombre)) throw Exception("Ruta no válida para firmar: " + d.ruta);
    if (d.fecha < 0 || d.fecha > kFechaMaxima) throw Exception("Fecha no válida para firmar");
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
    f.declaracion.tamano = Natural(Campo(texto, "tamano"), UINT64_MAX);
    f.declaracion.resumen = DesdeHex(Minusculas(Campo(texto, "blake2b")), kBytesResumen);
    f.declaracion.producto = std::string(Campo(texto, "producto"));
    if (!ProductoValido(f.declaracion.producto)) throw Exception("Producto no válido");
    f.declaracion.canal = LeerCanal(Campo(texto, "canal"));
    f.declaracion.ruta = std::string(Campo(texto, "ruta"));
    if (!RutaValida(f.declaracion.ruta, f.declaracion.nombre)) throw Exception("Ruta no válida");
    f.declaracion.version = LeerVersionFirma(Campo(texto, "version"));
    const std::string_view desde = Campo(texto, "desde");
    if (desde != kSinDesde) f.declaracion.desde = LeerVersionFirma(desde);
    f.declaracion.fecha = LeerFecha(Campo(texto, "fecha"));
    f.firma = DesdeHex(Minusculas(Campo(texto, "firma")), kBytesFirma);
    if (!texto.empty()) throw Exception("Texto de más tras la firma");
    return f;
}

TDeclaracion ComprobarDeclaracion(std::string_view texto, const std::vector<std::string>& clavesPublicas,
                                  const TEsperado& esperado) {
    IniciarSodium();
    const std::string& nombre = esperado.nombre;
    TFirmaLeida leida;
    try {
        leida = LeerFirma(texto);
    } catch (const Exception& e) {
        throw EFirmaRechazada(Rechazo(nombre, std::string("su firma está dañada (") + e.what() + ")"));
    }
    // The statement as signed, rebuilt from the parsed fields: LeerFirma
    // accepts only the one form, so these are the bytes the signature covers.
    const TDeclaracion& d = leida.declaracion;
    const std::string declaracion = TextoDeclaracion(d);
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

    // Signed by the vendor, but perhaps for another file, product, channel
    // or release: each field must be the one asked for.
    auto distinto = [&](const std::string& que, const std::string& firmado, const std::string& pedido) {
        throw EFirmaRechazada(Rechazo(nombre, "la firma es la de " + que + " (" + firmado + ", no " + pedido + ")"));
    };
    if (!MismoNombre(d.nombre, nombre))
        throw EFirmaRechazada(Rechazo(nombre, "la firma es la de otro fichero (" + d.nombre + ")"));
    if (d.producto != esperado.producto) distinto("otro producto", d.producto, esperado.producto);
    if (d.canal != esperado.canal) distinto("otro canal", TextoCanal(d.canal), TextoCanal(esperado.canal));
    if (!MismoNombre(d.ruta, esperado.ruta)) distinto("otra ruta", d.ruta, esperado.ruta);
    if (esperado.version && d.version != *esperado.version)
        distinto("otra versión", TextoVersionFirma(d.version), TextoVersionFirma(*esperado.version));
    if (d.desde != esperado.desde) {
        const auto texto = [](const std::optional<uint32_t>& v) {
            return v ? "desde la " + TextoVersionFirma(*v) : std::string("completa");
        };
        distinto("una actualización de otra pareja de versiones", texto(d.desde), texto(esperado.desde));
    }
    if (d.fecha < esperado.fechaMinima)
        throw EFirmaRechazada(Rechazo(nombre, "su firma es anterior a la última aceptada (" + TextoFecha(d.fecha) +
                                                  ", antes de " + TextoFecha(esperado.fechaMinima) + ")"));
    return d;
}

void ComprobarContenido(const std::string& ruta, const TDeclaracion& declarada) {
    const TDeclaracion real = DeclararFichero(ruta);
    if (real.tamano != declarada.tamano ||
        sodium_memcmp(real.resumen.data(), declarada.resumen.data(), kBytesResumen) != 0)
        throw EFirmaRechazada(Rechazo(declarada.nombre, "no coincide con su firma (dañado o alterado)"));
}

std::optional<std::string> LeerFicheroFirma(const std::string& ruta) {
    std::ifstream in(Ruta(ruta), std::ios::binary);
    if (!in) return std::nullopt;
    std::string texto(kMaximoFicheroFirma + 1, '\0');
    in.read(texto.data(), std::streamsize(texto.size()));
    texto.resize(size_t(in.gcount()));
    return texto;
}

TDeclaracion ComprobarFichero(const std::string& ruta, const std::vector<std::string>& clavesPublicas,
                              const TEsperado& esperado) {
    const std::optional<std::string> texto = LeerFicheroFirma(ruta + kExtensionFirma);
    if (!texto) throw EFirmaRechazada(Rechazo(esperado.nombre, "falta su firma"));
    const TDeclaracion d = ComprobarDeclaracion(*texto, clavesPublicas, esperado);
    ComprobarContenido(ruta, d);
    return d;
}

TParClaves NuevoParClaves() {
    IniciarSodium();
    TParClaves par{std::string(kBytesClavePublica, '\0'), std::string(kBytesClaveSecreta, '\0')};
    crypto_sign_keypair(reinterpret_cast<unsigned char*>(par.publica.data()),
                        reinterpret_cast<unsigned char*>(par.secreta.data()));
    return par;
}

}  // namespace firma
