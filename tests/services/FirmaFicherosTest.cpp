// Release signatures: a file is accepted only with its own signature, whole,
// under one of the build's keys; everything else is refused naming the file.
// The vendor's folder signing is checked here too.
#include <gtest/gtest.h>
#include <sodium.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FirmaFicheros.h"
#include "FirmaTool.h"

namespace {

namespace fs = std::filesystem;
using firma::EFirmaRechazada;

struct Carpeta {
    fs::path ruta;
    explicit Carpeta(const std::string& uso = "firmas")
        : ruta(fs::temp_directory_path() / (uso + "_" + std::to_string(::getpid()))) {
        fs::remove_all(ruta);
        fs::create_directories(ruta);
    }
    ~Carpeta() { fs::remove_all(ruta); }
    std::string operator/(const std::string& nombre) const { return (ruta / nombre).string(); }
};

std::string Leer(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}
void Escribir(const std::string& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << bytes;
}
void FirmarCon(const std::string& ruta, const firma::TParClaves& par) {
    Escribir(ruta + firma::kExtensionFirma, firma::Firmar(firma::DeclararFichero(ruta), par.secreta));
}

// Three keys: the build carries the first two (the second a rotation); the
// third was revoked, so the build no longer carries it.
struct Claves {
    firma::TParClaves actual = firma::NuevoParClaves(), rotada = firma::NuevoParClaves(),
                      revocada = firma::NuevoParClaves();
    std::vector<std::string> DeLaVersion() const { return {actual.publica, rotada.publica}; }
};

TEST(Firma, AcceptsItsOwnFileUnderAnyKeyOfTheBuild) {
    Carpeta c;
    Claves k;
    Escribir(c / "PROGRAMA.KAV", "contenido del archivo");
    Escribir(c / "NUEVO.KAV", "firmado con la clave rotada");
    FirmarCon(c / "PROGRAMA.KAV", k.actual);
    FirmarCon(c / "NUEVO.KAV", k.rotada);
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "PROGRAMA.KAV", k.DeLaVersion()));
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "NUEVO.KAV", k.DeLaVersion()));
    // Windows names ignore case: a local copy may have another case.
    fs::rename(c / "PROGRAMA.KAV", c / "programa.kav");
    fs::rename(c / "PROGRAMA.KAV.firma", c / "programa.kav.firma");
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "programa.kav", k.DeLaVersion()));
}

TEST(Firma, RefusesEveryFileThatIsNotTheSignedOne) {
    struct Caso {
        const char* nombre;
        void (*preparar)(const Carpeta&, const Claves&);
        const char* motivo;
    };
    const Caso casos[] = {
        {"one byte changed",
         [](const Carpeta& c, const Claves& k) {
             FirmarCon(c / "A.KAV", k.actual);
             std::string bytes = Leer(c / "A.KAV");
             bytes[70000] ^= 1;  // past the first piece the digest reads
             Escribir(c / "A.KAV", bytes);
         },
         "no coincide con su firma"},
        {"one byte more",
         [](const Carpeta& c, const Claves& k) {
             FirmarCon(c / "A.KAV", k.actual);
             Escribir(c / "A.KAV", Leer(c / "A.KAV") + "x");
         },
         "no coincide con su firma"},
        {"the signature of another file",
         [](const Carpeta& c, const Claves& k) {
             Escribir(c / "B.KAV", Leer(c / "A.KAV"));
             FirmarCon(c / "B.KAV", k.actual);
             fs::copy_file(c / "B.KAV.firma", c / "A.KAV.firma");
         },
         "es la de otro fichero (B.KAV)"},
        {"missing signature", [](const Carpeta&, const Claves&) {}, "falta su firma"},
        {"revoked key", [](const Carpeta& c, const Claves& k) { FirmarCon(c / "A.KAV", k.revocada); },
         "no es de ninguna clave reconocida"},
        {"statement changed after signing",
         [](const Carpeta& c, const Claves& k) {
             FirmarCon(c / "A.KAV", k.actual);
             std::string texto = Leer(c / "A.KAV.firma");
             texto.replace(texto.find("tamano 1"), 8, "tamano 2");
             Escribir(c / "A.KAV.firma", texto);
         },
         "no es de ninguna clave reconocida"},
        {"damaged signature file",
         [](const Carpeta& c, const Claves& k) {
             FirmarCon(c / "A.KAV", k.actual);
             Escribir(c / "A.KAV.firma", Leer(c / "A.KAV.firma").substr(0, 40));
         },
         "su firma está dañada"},
    };
    Claves k;
    for (const Caso& caso : casos) {
        Carpeta c;
        Escribir(c / "A.KAV", std::string(100000, 'k'));
        caso.preparar(c, k);
        try {
            firma::ComprobarFichero(c / "A.KAV", k.DeLaVersion());
            ADD_FAILURE() << caso.nombre << ": accepted";
        } catch (const EFirmaRechazada& e) {
            EXPECT_NE(std::string(e.what()).find("Fichero A.KAV rechazado: "), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(caso.motivo), std::string::npos) << caso.nombre << ": " << e.what();
        }
    }
}

TEST(Firma, DigestStreamsAcrossPieces) {
    Carpeta c;
    std::string bytes(3 * 64 * 1024 + 17, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 % 251);
    Escribir(c / "GRANDE.KAV", bytes);
    std::string entero(firma::kBytesResumen, '\0');
    crypto_generichash(reinterpret_cast<unsigned char*>(entero.data()), entero.size(),
                       reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), nullptr, 0);
    const firma::TDeclaracion d = firma::DeclararFichero(c / "GRANDE.KAV");
    EXPECT_EQ(d.nombre, "GRANDE.KAV");
    EXPECT_EQ(d.tamano, bytes.size());
    EXPECT_EQ(firma::Hex(d.resumen), firma::Hex(entero));
}

TEST(Firma, ReadsOnlyTheExactForm) {
    const firma::TDeclaracion d{"PROGRAMA.KAV", 12, std::string(64, '\x5a')};
    const std::string bueno = firma::Firmar(d, firma::NuevoParClaves().secreta);
    const firma::TFirmaLeida leida = firma::LeerFirma(bueno);
    EXPECT_EQ(leida.declaracion.nombre, d.nombre);
    EXPECT_EQ(leida.declaracion.tamano, d.tamano);
    EXPECT_EQ(leida.declaracion.resumen, d.resumen);

    auto cambiar = [&](const std::string& de, const std::string& a) {
        std::string t = bueno;
        t.replace(t.find(de), de.size(), a);
        return t;
    };
    const std::string malos[] = {
        "",
        bueno.substr(0, bueno.size() - 1),  // no final line end
        bueno + "x\n",
        cambiar("KAVO-FIRMA 1", "KAVO-FIRMA 2"),
        cambiar("\n", "\r\n"),
        cambiar("nombre ", "nombre"),
        cambiar("tamano 12", "tamano 012"),
        cambiar("tamano 12", "tamano -12"),
        cambiar("tamano 12", "tamano 99999999999999999999"),
        cambiar("blake2b 5a", "blake2b zz"),
        cambiar("blake2b 5a", "blake2b "),
        cambiar("blake2b 5a", "blake2b 5A"),  // the signer writes lowercase only
        cambiar("firma ", "firma 00"),
        std::string(firma::kMaximoFicheroFirma + 1, 'x'),
    };
    for (const std::string& m : malos) EXPECT_THROW(firma::LeerFirma(m), Exception) << m;
}

TEST(Firma, PublicKeysOfTheBuild) {
    const std::string a(64, 'a'), b(64, '0');
    EXPECT_EQ(firma::LeerClavesPublicas(a + ";" + b + " ").size(), 2u);
    EXPECT_TRUE(firma::LeerClavesPublicas("").empty());
    EXPECT_THROW(firma::LeerClavesPublicas(a + ";abc"), Exception);
    EXPECT_THROW(firma::LeerClavesPublicas(std::string(63, 'a') + "g"), Exception);
}

TEST(FirmaTool, SignsEveryFileOfTheReleaseFolder) {
    Carpeta c, claves("firmas_claves");
    fs::create_directories(c.ruta / "Conta");
    Escribir(c / "Conta/QTR.KAV", "programa");
    Escribir(c / "BETA.TXT", "beta");
    Escribir(c / "INSTALAR_KAVO.EXE", "instalador");
    std::ostringstream out, err;
    ASSERT_EQ(firmatool::Run({"claves", claves / "vendedor"}, out, err), 0) << err.str();
    EXPECT_EQ(firmatool::Run({"claves", claves / "vendedor"}, out, err), 1) << "a secret key is never overwritten";
    const std::string publica = firma::DesdeHex(Leer(claves / "vendedor.publica").substr(0, 64), 32);

    // Signing again signs the files, never the signatures.
    for (int vez = 0; vez < 2; ++vez)
        ASSERT_EQ(firmatool::Run({"firmar", claves / "vendedor.secreta", c.ruta.string()}, out, err), 0) << err.str();
    EXPECT_FALSE(fs::exists(c / "BETA.TXT.firma.firma"));
    for (const char* f : {"Conta/QTR.KAV", "BETA.TXT", "INSTALAR_KAVO.EXE"})
        EXPECT_NO_THROW(firma::ComprobarFichero(c / f, {publica})) << f;
    EXPECT_EQ(firmatool::Run({"comprobar", claves / "vendedor.publica", c / "BETA.TXT"}, out, err), 0) << err.str();
    EXPECT_EQ(firmatool::Run({"firmar"}, out, err), 2);
}

}  // namespace
