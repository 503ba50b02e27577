// Release signatures: a file is accepted only with its own signature, whole,
// under one of the build's keys, and with a statement that binds what was
// asked for; everything else is refused naming the file. The vendor's
// folder signing is checked here too.
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
constexpr uint32_t k1006 = (10u << 16) | 6, k1005 = (10u << 16) | 5;
constexpr int64_t kFirmada = 1796116200;  // 2026-12-01T09:10:00Z

// What the vendor publishes a program archive of release 10.06 as.
firma::TDeclaracion Publicado(const std::string& ruta) {
    firma::TDeclaracion d = firma::DeclararFichero(ruta);
    d.producto = "QTR";
    d.ruta = "Conta/" + d.nombre;
    d.version = k1006;
    d.fecha = kFirmada;
    return d;
}
// What the updater asks of it.
firma::TEsperado Pedido(const std::string& nombre) {
    return {nombre, "QTR", firma::Canal::Normal, "Conta/" + nombre, k1006, std::nullopt, 0};
}
void FirmarCon(const std::string& ruta, const firma::TParClaves& par) {
    Escribir(ruta + firma::kExtensionFirma, firma::Firmar(Publicado(ruta), par.secreta));
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
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "PROGRAMA.KAV", k.DeLaVersion(), Pedido("PROGRAMA.KAV")));
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "NUEVO.KAV", k.DeLaVersion(), Pedido("NUEVO.KAV")));
    // Windows names ignore case: a local copy may have another case.
    fs::rename(c / "PROGRAMA.KAV", c / "programa.kav");
    fs::rename(c / "PROGRAMA.KAV.firma", c / "programa.kav.firma");
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "programa.kav", k.DeLaVersion(), Pedido("programa.kav")));
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
            firma::ComprobarFichero(c / "A.KAV", k.DeLaVersion(), Pedido("A.KAV"));
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

// A signed statement for one file, release and path says nothing about
// another: a replayed, mixed or foreign statement is refused before its
// file is fetched.
TEST(Firma, RefusesAStatementOfAnythingButWhatWasAskedFor) {
    struct Caso {
        const char* nombre;
        void (*firmado)(firma::TDeclaracion&);
        void (*pedido)(firma::TEsperado&);
        const char* motivo;  // nullptr: accepted
    };
    const Caso casos[] = {
        {"as asked", [](firma::TDeclaracion&) {}, [](firma::TEsperado&) {}, nullptr},
        {"no version asked for", [](firma::TDeclaracion& d) { d.version = k1005; },
         [](firma::TEsperado& e) { e.version.reset(); }, nullptr},
        {"signed at the floor", [](firma::TDeclaracion&) {}, [](firma::TEsperado& e) { e.fechaMinima = kFirmada; },
         nullptr},
        {"incremental from the installed version", [](firma::TDeclaracion& d) { d.desde = k1005; },
         [](firma::TEsperado& e) { e.desde = k1005; }, nullptr},
        {"another product", [](firma::TDeclaracion& d) { d.producto = "NOM"; }, [](firma::TEsperado&) {},
         "la firma es la de otro producto (NOM, no QTR)"},
        {"another channel", [](firma::TDeclaracion& d) { d.canal = firma::Canal::Beta; }, [](firma::TEsperado&) {},
         "la firma es la de otro canal (beta, no normal)"},
        {"another path", [](firma::TDeclaracion& d) { d.ruta = "Nominas/A.KAV"; }, [](firma::TEsperado&) {},
         "la firma es la de otra ruta (Nominas/A.KAV, no Conta/A.KAV)"},
        {"an older release", [](firma::TDeclaracion& d) { d.version = k1005; }, [](firma::TEsperado&) {},
         "la firma es la de otra versión (10.05, no 10.06)"},
        {"incremental for another pair", [](firma::TDeclaracion& d) { d.desde = (10u << 16) | 4; },
         [](firma::TEsperado& e) { e.desde = k1005; },
         "la firma es la de una actualización de otra pareja de versiones (desde la 10.04, no desde la 10.05)"},
        {"incremental offered for a full archive", [](firma::TDeclaracion& d) { d.desde = k1005; },
         [](firma::TEsperado&) {}, "(desde la 10.05, no completa)"},
        {"full archive offered for an incremental one", [](firma::TDeclaracion&) {},
         [](firma::TEsperado& e) { e.desde = k1005; }, "(completa, no desde la 10.05)"},
        {"replayed: older than the newest accepted", [](firma::TDeclaracion&) {},
         [](firma::TEsperado& e) { e.fechaMinima = kFirmada + 1; },
         "su firma es anterior a la última aceptada (2026-12-01T09:10:00Z, antes de 2026-12-01T09:10:01Z)"},
    };
    const firma::TParClaves par = firma::NuevoParClaves();
    Carpeta c;
    Escribir(c / "A.KAV", "archivo");
    for (const Caso& caso : casos) {
        firma::TDeclaracion d = Publicado(c / "A.KAV");
        caso.firmado(d);
        firma::TEsperado e = Pedido("A.KAV");
        caso.pedido(e);
        const std::string texto = firma::Firmar(d, par.secreta);
        try {
            const firma::TDeclaracion aceptada = firma::ComprobarDeclaracion(texto, {par.publica}, e);
            EXPECT_EQ(caso.motivo, nullptr) << caso.nombre << ": accepted";
            EXPECT_EQ(firma::TextoDeclaracion(aceptada), firma::TextoDeclaracion(d)) << caso.nombre;
        } catch (const EFirmaRechazada& error) {
            ASSERT_NE(caso.motivo, nullptr) << caso.nombre << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find(std::string("Fichero A.KAV rechazado: ")), std::string::npos);
            EXPECT_NE(std::string(error.what()).find(caso.motivo), std::string::npos) << caso.nombre << ": " << error.what();
        }
    }
}

TEST(Firma, ReadsOnlyTheExactForm) {
    firma::TDeclaracion d{"QTRACT.KAV", 12, std::string(64, '\x5a')};
    d.producto = "QTR";
    d.ruta = "_descargas_/externos/Conta/QTRACT.KAV";
    d.version = (12u << 16) | 5;
    d.desde = (12u << 16) | 4;
    d.fecha = kFirmada;
    const std::string bueno = firma::Firmar(d, firma::NuevoParClaves().secreta);
    EXPECT_NE(bueno.find("\nversion 12.05\ndesde 12.04\nfecha 2026-12-01T09:10:00Z\nfirma "), std::string::npos) << bueno;
    const firma::TFirmaLeida leida = firma::LeerFirma(bueno);
    EXPECT_EQ(firma::TextoDeclaracion(leida.declaracion), firma::TextoDeclaracion(d));
    EXPECT_EQ(leida.declaracion.desde, d.desde);

    auto cambiar = [&](const std::string& de, const std::string& a) {
        std::string t = bueno;
        t.replace(t.find(de), de.size(), a);
        return t;
    };
    const std::string malos[] = {
        "",
        bueno.substr(0, bueno.size() - 1),  // no final line end
        bueno + "x\n",
        cambiar("KAVO-FIRMA 2", "KAVO-FIRMA 1"),  // the form that binds nothing
        cambiar("\n", "\r\n"),
        cambiar("nombre ", "nombre"),
        cambiar("tamano 12", "tamano 012"),
        cambiar("tamano 12", "tamano -12"),
        cambiar("tamano 12", "tamano 99999999999999999999"),
        cambiar("blake2b 5a", "blake2b zz"),
        cambiar("blake2b 5a", "blake2b "),
        cambiar("blake2b 5a", "blake2b 5A"),  // the signer writes lowercase only
        cambiar("producto QTR", "producto qtr"),
        cambiar("producto QTR", "producto "),
        cambiar("canal normal", "canal Normal"),
        cambiar("canal normal", "canal alfa"),
        cambiar("\nproducto QTR\ncanal normal", "\ncanal normal\nproducto QTR"),  // fields in their order only
        cambiar("Conta/QTRACT.KAV", "Conta/QTR.KAV"),                             // the path ends in the name
        cambiar("_descargas_/externos", "_descargas_/../externos"),
        cambiar("_descargas_/externos", "_descargas_//externos"),
        cambiar("ruta _descargas_", "ruta /_descargas_"),
        cambiar("version 12.05", "version 12.5"),
        cambiar("version 12.05", "version 12.005"),
        cambiar("version 12.05", "version 012.05"),
        cambiar("version 12.05", "version 65536.05"),
        cambiar("version 12.05", "version 12"),
        cambiar("desde 12.04", "desde "),
        cambiar("desde 12.04", "desde --"),
        cambiar("fecha 2026-12-01T09:10:00Z", "fecha 2026-12-01T09:10:00"),
        cambiar("fecha 2026-12-01T09:10:00Z", "fecha 2026-02-29T09:10:00Z"),  // not a leap year
        cambiar("fecha 2026-12-01T09:10:00Z", "fecha 2026-12-01T24:00:00Z"),
        cambiar("fecha 2026-12-01T09:10:00Z", "fecha 1969-12-31T23:59:59Z"),
        cambiar("fecha 2026-12-01T09:10:00Z", "fecha 1796116200"),
        cambiar("firma ", "firma 00"),
        std::string(firma::kMaximoFicheroFirma + 1, 'x'),
    };
    for (const std::string& m : malos) EXPECT_THROW(firma::LeerFirma(m), Exception) << m;
}

TEST(Firma, VersionAndDateTexts) {
    const std::pair<uint32_t, const char*> versiones[] = {
        {0, "0.00"}, {(12u << 16) | 5, "12.05"}, {(9u << 16) | 12, "9.12"}, {(1u << 16) | 100, "1.100"},
        {0xFFFFFFFFu, "65535.65535"}};
    for (const auto& [v, texto] : versiones) {
        EXPECT_EQ(firma::TextoVersionFirma(v), texto);
        EXPECT_EQ(firma::LeerVersionFirma(texto), v) << texto;
    }
    const std::pair<int64_t, const char*> fechas[] = {{0, "1970-01-01T00:00:00Z"},
                                                      {951782400, "2000-02-29T00:00:00Z"},
                                                      {kFirmada, "2026-12-01T09:10:00Z"},
                                                      {253402300799, "9999-12-31T23:59:59Z"}};
    for (const auto& [f, texto] : fechas) {
        EXPECT_EQ(firma::TextoFecha(f), texto);
        EXPECT_EQ(firma::LeerFecha(texto), f) << texto;
    }
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
    Escribir(c / "Conta/QTRACT.KAV", "incremental");
    Escribir(c / "INSTALAR_KAVO.EXE", "instalador");
    std::ostringstream out, err;
    ASSERT_EQ(firmatool::Run({"claves", claves / "vendedor"}, out, err), 0) << err.str();
    EXPECT_EQ(firmatool::Run({"claves", claves / "vendedor"}, out, err), 1) << "a secret key is never overwritten";
    const std::string publica = firma::DesdeHex(Leer(claves / "vendedor.publica").substr(0, 64), 32);
    const std::string secreta = claves / "vendedor.secreta";

    // Signing again signs the files, never the signatures; a file signed on
    // its own keeps its folder's path through --ruta.
    for (int vez = 0; vez < 2; ++vez)
        ASSERT_EQ(firmatool::Run({"firmar", secreta, c.ruta.string(), "--producto", "QTR", "--version", "10.06",
                                  "--fecha", "2026-12-01T09:10:00Z"},
                                 out, err),
                  0)
            << err.str();
    ASSERT_EQ(firmatool::Run({"firmar", secreta, c / "Conta/QTRACT.KAV", "--producto", "QTR", "--version", "10.06",
                              "--desde", "10.05", "--ruta", "Conta", "--fecha", "2026-12-01T09:10:00Z"},
                             out, err),
              0)
        << err.str();
    EXPECT_FALSE(fs::exists(c / "INSTALAR_KAVO.EXE.firma.firma"));
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "Conta/QTR.KAV", {publica}, Pedido("QTR.KAV")));
    firma::TEsperado incremental = Pedido("QTRACT.KAV");
    incremental.desde = k1005;
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "Conta/QTRACT.KAV", {publica}, incremental));
    firma::TEsperado instalador = Pedido("INSTALAR_KAVO.EXE");
    instalador.ruta = "INSTALAR_KAVO.EXE";
    EXPECT_NO_THROW(firma::ComprobarFichero(c / "INSTALAR_KAVO.EXE", {publica}, instalador));

    out.str("");
    EXPECT_EQ(firmatool::Run({"comprobar", claves / "vendedor.publica", c / "Conta/QTRACT.KAV"}, out, err), 0)
        << err.str();
    EXPECT_NE(out.str().find("correcto (QTR, normal, 10.06 desde 10.05, Conta/QTRACT.KAV, 2026-12-01T09:10:00Z)"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(firmatool::Run({"firmar"}, out, err), 2);
    const std::vector<std::string> sinDatos[] = {
        {"firmar", secreta, c.ruta.string(), "--version", "10.06"},
        {"firmar", secreta, c.ruta.string(), "--producto", "QTR"},
        {"firmar", secreta, c.ruta.string(), "--producto", "QTR", "--version", "10.6"},
        {"firmar", secreta, c.ruta.string(), "--producto", "QTR", "--version", "10.06", "--canal", "alfa"},
        {"firmar", secreta, c.ruta.string(), "--producto", "QTR", "--version", "10.06", "--desde"},
    };
    for (const auto& args : sinDatos) EXPECT_EQ(firmatool::Run(args, out, err), 1) << args.back();
}

}  // namespace
