// The accounting product's own decisions in a real update, end to end: the
// real Actualizador.exe under Wine updating an installed copy, started with
// or without the name of its release record, or in local mode with the
// archive beside it. Which archive is fetched, which packages and data files
// are written, which obsolete files go.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "Differences.h"
#include "FirmaFicheros.h"
#include "InstalacionPrueba.h"
#include "Versiones.h"

using namespace prueba;
using kavmake::ArchiveBuilder;

namespace {

const std::string kPaqueteDesconocido =
    "El Fichero MODNUEVO.BPL no se ha posido instalar correctamente.\n\rEs posible que sea necesario actualizar el "
    "actualizador.\n\r\n\rPonte en contacto con Kavo";

// Sets the file's modification time to `dias` before the entries' date.
void FechaAntesDeLasEntradas(const std::string& ruta, int dias) {
    SYSTEMTIME t{2026, 11, 0, static_cast<WORD>(20 - dias), 9, 0, 0, 0};
    FILETIME local, utc;
    SystemTimeToFileTime(&t, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h = CreateFileW(text::Wide(ruta).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << ruta;
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
}

struct CasoConta {
    const char* nombre;
    uint16_t instaladaMayor, instaladaMenor;  // the installed CONTA.EXE
    uint16_t lanzamientoMayor, lanzamientoMenor;  // the release record
    bool conArgumento;  // started by the accounting program with the record's name
    const char* archivo;  // the archive fetched
    bool contaEscrito;   // the archive's CONTA.EXE replaces the installed one
};

class ActualizacionConta : public ::testing::TestWithParam<CasoConta> {};

TEST_P(ActualizacionConta, ArchivoPaquetesDatosYObsoletos) {
    const CasoConta& c = GetParam();
    Vendedor vendedor;
    Instalada inst(std::string("conta_") + c.nombre);
    const std::string instalada = ProgramaConVersion(c.instaladaMayor, c.instaladaMenor);
    EscribirFichero(inst.programa + "CONTA.EXE", instalada);
    const std::string registro =
        RegistroComprimido(2026, 12, 10, 4711, c.lanzamientoMayor, c.lanzamientoMenor);
    inst.Registro(registro);
    vendedor.Conta("clientes/CLI4711.VER", registro);
    // Left by earlier releases: two under the listed names, one that only
    // looks like them.
    for (const char* f : {"Conta001.Bpl", "Pais201.txt _ 2014 07 08 _ NO SE USA", "Pais201.txt"})
        EscribirFichero(inst.programa + f, "de antes");
    const std::string estructuras = inst.raiz + "Contab\\Datos\\Estructuras\\";
    const std::string generador = inst.raiz + "Contab\\Datos\\Generador Informes\\";
    SHCreateDirectoryExW(nullptr, text::Wide(estructuras).c_str(), nullptr);
    SHCreateDirectoryExW(nullptr, text::Wide(generador).c_str(), nullptr);
    EscribirFichero(estructuras + "BALANCE.EST", "del cliente");
    FechaAntesDeLasEntradas(estructuras + "BALANCE.EST", 5);
    EscribirFichero(generador + "IGUAL.RPT", "del cliente");
    FechaAntesDeLasEntradas(generador + "IGUAL.RPT", 0);
    EscribirFichero(generador + "VIEJO.RPT", "del cliente");
    FechaAntesDeLasEntradas(generador + "VIEJO.RPT", 1);
    // Dated like their entries, as the file system gives the time back: not
    // older for any kind.
    for (const char* f : {"IGUAL8.TXT", "IGUAL11.TXT"}) {
        EscribirFichero(inst.programa + f, "del cliente");
        FechaAntesDeLasEntradas(inst.programa + f, 0);
    }

    const std::string conta = ProgramaConVersion(c.lanzamientoMayor, c.lanzamientoMenor);
    ArchiveBuilder qtr;
    qtr.AddFile("Conta\\Programa\\CONTA.EXE", conta, Tipo(5));
    qtr.AddFile("Conta\\Programa\\MODNUEVO.BPL", "paquete", Tipo(6));
    qtr.AddFile("Conta\\Programa\\DESPUES.TXT", "sigue", Tipo(1));
    qtr.AddFile("Conta\\Datos\\BALANCE.EST", "de la versión", Tipo(14));
    qtr.AddFile("Conta\\Datos\\MEMORIA.EST", "de la versión", Tipo(15));
    qtr.AddFile("Conta\\Datos\\IGUAL.RPT", "de la versión", Tipo(19));
    qtr.AddFile("Conta\\Datos\\VIEJO.RPT", "de la versión", Tipo(19));
    qtr.AddFile("Conta\\Programa\\IGUAL8.TXT", "de la versión", Tipo(8));
    qtr.AddFile("Conta\\Programa\\IGUAL11.TXT", "de la versión", Tipo(11));
    qtr.AddFile("Conta\\Programa\\ADICIONAL.BPL", "adicional", Tipo(13));
    Publicacion lanzamiento;
    lanzamiento.version = Version(c.lanzamientoMayor, c.lanzamientoMenor);
    vendedor.Conta("QTR.KAV", qtr.Bytes(), lanzamiento);
    lanzamiento.desde = Version(c.instaladaMayor, c.instaladaMenor);
    vendedor.Conta("QTRACT.KAV", qtr.Bytes(), lanzamiento);

    // The server's log holds the earlier tests' requests too.
    const std::string completo = "/_descargas_/externos/Conta/QTR.KAV";
    const std::string incremental = "/_descargas_/externos/Conta/QTRACT.KAV";
    const int antesCompleto = vendedor.http.Gets(completo), antesIncremental = vendedor.http.Gets(incremental);
    Ventana v = inst.Arrancar(c.conArgumento ? std::vector<std::string>{"PRUEBA.VER"} : std::vector<std::string>{});
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    Dialogo d = Contestar(v, "Vale", 120s);
    EXPECT_EQ(d.titulo, "Error");
    EXPECT_EQ(d.texto, kPaqueteDesconocido);
    EXPECT_TRUE(Esperar([&] { return !IsWindow(d.h); }));
    TerminarSinAbrir(v);

    const bool esIncremental = std::string(c.archivo) == "QTRACT.KAV";
    EXPECT_EQ(vendedor.http.Gets(incremental) - antesIncremental, esIncremental ? 1 : 0);
    EXPECT_EQ(vendedor.http.Gets(completo) - antesCompleto, esIncremental ? 0 : 1);
    EXPECT_TRUE(ReadFile(inst.programa + "CONTA.EXE") == (c.contaEscrito ? conta : instalada));
    EXPECT_FALSE(Existe(inst.programa + "MODNUEVO.BPL"));
    EXPECT_EQ(ReadFile(inst.programa + "DESPUES.TXT"), "sigue") << "the extraction goes on";
    EXPECT_EQ(ReadFile(estructuras + "BALANCE.EST"), "del cliente");
    EXPECT_EQ(ReadFile(estructuras + "MEMORIA.EST"), "de la versión");
    EXPECT_EQ(ReadFile(generador + "IGUAL.RPT"), "del cliente");
    EXPECT_EQ(ReadFile(generador + "VIEJO.RPT"), "de la versión");
    EXPECT_EQ(ReadFile(inst.programa + "IGUAL8.TXT"), "del cliente") << "kind 8: only over an older copy";
    EXPECT_EQ(ReadFile(inst.programa + "IGUAL11.TXT"), "de la versión") << "kind 11: unless the copy is older";
    EXPECT_EQ(ReadFile(inst.programa + "ADICIONAL.BPL"), "adicional") << "the product takes additional packages";
    EXPECT_FALSE(Existe(inst.programa + "Conta001.Bpl"));
    EXPECT_FALSE(Existe(inst.programa + "Pais201.txt _ 2014 07 08 _ NO SE USA"));
    EXPECT_EQ(ReadFile(inst.programa + "Pais201.txt"), "de antes");
    char copias[8];
    std::snprintf(copias, sizeof copias, "%02u.%02u", c.instaladaMayor, c.instaladaMenor);
    EXPECT_FALSE(Existe(inst.programa + copias));
}

INSTANTIATE_TEST_SUITE_P(
    Versiones, ActualizacionConta,
    ::testing::Values(CasoConta{"siguiente_con_argumento", 12, 5, 12, 6, true, "QTRACT.KAV", true},
                      CasoConta{"siguiente_sin_argumento", 12, 5, 12, 6, false, "QTR.KAV", true},
                      CasoConta{"cambio_de_mayor", 12, 99, 13, 0, true, "QTR.KAV", true},
                      CasoConta{"lanzamiento_igual", 12, 5, 12, 5, true, "QTR.KAV", true}),
    [](const auto& info) { return std::string(info.param.nombre); });

// A release of 10.06 saved beside the updater, as the local installation
// dialog asks: the archive, whose header names the customer.
void ArchivoAlLado(const Instalada& inst, const std::map<std::string, std::string>& programas) {
    kavmake::ArchiveOptions opciones;
    const auto lanzamiento = DatosLanzamiento(2026, 12, 1, 4711, 10, 6, 0);
    std::copy(lanzamiento.begin(), lanzamiento.end(), opciones.userData.Bytes.begin());
    ArchiveBuilder qtr(opciones);
    for (const auto& [nombre, bytes] : programas) qtr.AddFile("Conta\\Programa\\" + nombre, bytes, Tipo(5));
    qtr.WriteTo(inst.programa + "QTR.KAV");
}

// Opens the local installation dialog of an updater started without
// arguments on an installation that records no customer, and starts the
// local update from it.
void IniciarLocal(const Proceso& p) {
    HWND dialogo = EsperarVentana(p.Id(), L"KvDialogo");
    ASSERT_NE(dialogo, nullptr);
    Pulsar(Control(dialogo, "btnLocal"));
    Pulsar(Control(dialogo, "BtIniciar"));
}

// A local update takes its release from the per-installation file beside the
// updater, never from the archive's header (which names only the accounting
// program's version): without the file it says which one to fetch and
// changes nothing; with it, core packages, module packages and EDITOR.EXE
// are written as by the same release downloaded, and nothing stays behind.
TEST(ActualizacionContaLocal, ConElFicheroDeLaInstalacionComoDescargada) {
    Vendedor vendedor;
    Instalada inst("conta_local");
    EscribirFichero(inst.programa + "CONTA.INI", "[ACTUALIZACION]\r\n");
    const char* programas[] = {"CONTA.EXE", "EDITOR.EXE", "KVBASE.BPL", "MODIVA.BPL"};
    std::map<std::string, std::string> nuevos;
    for (const char* p : programas) {
        EscribirFichero(inst.programa + p, ProgramaConVersion(10, 5));
        nuevos[p] = ProgramaConVersion(10, 6) + p;  // each file its own bytes
    }
    ArchivoAlLado(inst, nuevos);
    SignFileWith(inst.programa + "QTR.KAV", TestSecretKey());
    const std::string archivo = ReadFile(inst.programa + "QTR.KAV");
    const int antes = vendedor.http.Gets("/_descargas_/externos/Conta/QTR.KAV");
    {
        SCOPED_TRACE("sin el fichero de la instalación");
        Proceso p(inst.programa + inst.ejecutable, {}, inst.programa);
        IniciarLocal(p);
        auto d = EsperarDialogo(p.Id(), 60s);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->titulo, "Error");
        EXPECT_EQ(d->texto, "Para actualizar en local falta el fichero CLI4711.VER de esta instalación.\r\n\r\n"
                            "Descárgalo de:\r\n" + vendedor.http.Url() + "_descargas_/externos/Conta/clientes/"
                            "CLI4711.VER\r\n\r\ny guárdalo junto al actualizador, con QTR.KAV, en la carpeta:\r\n" +
                            inst.programa + "\r\n\r\nNo se ha modificado ningún fichero.");
        Responder(*d, "Vale");
        EXPECT_TRUE(p.EsperarFin());
        for (const char* f : programas) EXPECT_TRUE(ReadFile(inst.programa + f) == ProgramaConVersion(10, 5)) << f;
        EXPECT_TRUE(ReadFile(inst.programa + "QTR.KAV") == archivo) << "the user's archive stays";
        EXPECT_FALSE(Existe(inst.Copias()));
    }

    TypeVersionesConta registro;
    registro.FijarFecha(2026, 12, 1);
    registro.FijarCodigoCliente(4711);
    const TypeVersion v{0, 0, 6, 10};
    for (int slot : {99, 100, 103}) registro.FijarVersionFichero(slot, v);  // CONTA, EDITOR, KVBASE
    registro.FijarModulo(12, v, 1);                                          // MODIVA
    EscribirFichero(inst.programa + "CLI4711.VER", ComprimirVersiones(registro));
    SignFileWith(inst.programa + "CLI4711.VER", TestSecretKey());
    Proceso p(inst.programa + inst.ejecutable, {}, inst.programa);
    IniciarLocal(p);
    HWND h = EsperarVentana(p.Id(), L"KvFormulario");
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(Esperar([&] { return TextoDe(h, "LabelVersion") == "Versión 10.06"; })) << TextoDe(h, "LabelVersion");
    Pulsar(Control(h, "bInstalar"));
    auto d = EsperarDialogo(p.Id(), 120s);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->texto, "Actualización Correcta\n\r\n\r¿Abrimos la Conta?");
    Responder(*d, "&No");
    EXPECT_TRUE(p.EsperarFin());

    for (const auto& [nombre, bytes] : nuevos) EXPECT_TRUE(ReadFile(inst.programa + nombre) == bytes) << nombre;
    EXPECT_EQ(vendedor.http.Gets("/_descargas_/externos/Conta/QTR.KAV"), antes) << "nothing downloaded";
    for (const char* f : {"QTR.KAV", "QTR.KAV.firma", "CLI4711.VER", "CLI4711.VER.firma"})
        EXPECT_FALSE(Existe(inst.programa + f)) << f;
    EXPECT_FALSE(Existe(inst.Copias()));
}

// The archive beside the updater is checked against its signature before the
// updater reads the release from it: unsigned or changed, it is refused by
// name and nothing of the installation changes; the user's file stays.
TEST(ActualizacionContaLocal, ArchivoAlLadoSinFirmaBuenaSeRechaza) {
    struct Caso {
        const char* nombre;
        bool firmado;
        const char* texto;
    };
    const Caso casos[] = {
        {"sin_firma", false, "Fichero QTR.KAV rechazado: falta su firma."},
        {"alterado", true, "Fichero QTR.KAV rechazado: no coincide con su firma (dañado o alterado)."},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        Instalada inst(std::string("conta_local_") + c.nombre);
        EscribirFichero(inst.programa + "CONTA.INI", "[ACTUALIZACION]\r\n");
        const std::string antes = ReadFile(inst.programa + "CONTA.EXE");
        ArchivoAlLado(inst, {{"CONTA.EXE", ProgramaConVersion(10, 6)}});
        if (c.firmado) {
            SignFileWith(inst.programa + "QTR.KAV", TestSecretKey());
            std::ofstream(std::filesystem::path(text::Wide(inst.programa + "QTR.KAV")), std::ios::app) << "x";
        }
        const std::string archivo = ReadFile(inst.programa + "QTR.KAV");

        Proceso p(inst.programa + inst.ejecutable, {}, inst.programa);
        HWND dialogo = EsperarVentana(p.Id(), L"KvDialogo");
        ASSERT_NE(dialogo, nullptr);
        Pulsar(Control(dialogo, "btnLocal"));
        Pulsar(Control(dialogo, "BtIniciar"));
        auto d = EsperarDialogo(p.Id(), 60s);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->texto, c.texto);
        Responder(*d, "Vale");
        EXPECT_TRUE(p.EsperarFin());

        EXPECT_TRUE(ReadFile(inst.programa + "CONTA.EXE") == antes);
        EXPECT_TRUE(ReadFile(inst.programa + "QTR.KAV") == archivo) << "the user's file stays as it was";
        EXPECT_FALSE(Existe(inst.Copias()));
    }
}

// An update through the vendor's differences, unattended: signed, they are
// downloaded instead of the incremental archive and the changed programs
// rebuilt from the installed ones (under the product folder the user chose);
// unsigned or signed under a key the build does not carry, they are refused
// and nothing of the installation changes.
TEST(Diferencias, FirmadasSeAplicanSinFirmaOAjenasSeRechazan) {
    const std::string nombre = "QTRDIF_10.05_10.06.KAV";
    struct Caso {
        const char* nombre;
        std::function<void(const Vendedor&, const std::string&)> publicar;
        DWORD codigo;
        const char* enRegistro;
    };
    const std::string ruta = "_descargas_/externos/Conta/" + nombre;
    const Caso casos[] = {
        {"firmadas", [&](const Vendedor& v, const std::string& d) { v.Conta(nombre, d); }, 0,
         "Diferencias QTRDIF_10.05_10.06.KAV aplicadas"},
        // The served folder outlives each case: an earlier signature must not stay beside it.
        {"sin_firma",
         [&](const Vendedor& v, const std::string& d) {
             v.http.PutUnsigned(ruta, d);
             DeleteFileW(text::Wide(v.http.Root() + "\\_descargas_\\externos\\Conta\\" + nombre + ".firma").c_str());
         },
         5,
         "Fichero QTRDIF_10.05_10.06.KAV rechazado: falta su firma."},
        {"clave_ajena",
         [&](const Vendedor& v, const std::string& d) {
             v.Conta(nombre, d);
             v.http.SignWith(ruta, firma::NuevoParClaves().secreta);
         },
         5, "Fichero QTRDIF_10.05_10.06.KAV rechazado"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        // The served folder outlives the test: the update tests after it
        // must not find these differences, least of all refused ones.
        struct Retirar {
            std::string ruta;
            ~Retirar() {
                DeleteFileW(text::Wide(ruta).c_str());
                DeleteFileW(text::Wide(ruta + ".firma").c_str());
            }
        } retirar{vendedor.http.Root() + "\\_descargas_\\externos\\Conta\\" + nombre};
        Instalada inst(std::string("diferencias_") + c.nombre);
        ArchiveBuilder anterior, nueva;
        std::string lib = inst.ficheros["LIB.DLL"];
        anterior.AddFile("Conta\\Programa\\CONTA.EXE", inst.ficheros["CONTA.EXE"], Tipo(1));
        anterior.AddFile("Conta\\Programa\\LIB.DLL", lib, Tipo(1));
        lib.replace(30000, 6, "cambio");
        nueva.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
        nueva.AddFile("Conta\\Programa\\LIB.DLL", lib, Tipo(1));
        nueva.AddFile("Conta\\Programa\\NUEVO.TXT", "nuevo", Tipo(1));
        const std::string diferencias = kavmake::MakeDifferences(anterior, nueva, "10.05", "10.06").Bytes();
        ASSERT_LT(diferencias.size(), 10000u) << "patches, not the files";
        c.publicar(vendedor, diferencias);
        vendedor.Conta("QTRACT.KAV", nueva.Bytes());
        const int incremental = vendedor.http.Gets("/_descargas_/externos/Conta/QTRACT.KAV");
        const std::string registro = inst.raiz + "actualizacion.log";
        Proceso p(inst.programa + inst.ejecutable, {"PRUEBA.VER", "/VERYSILENT", "/LOG=" + registro}, inst.programa);
        ASSERT_TRUE(p.EsperarFin(120s));
        EXPECT_EQ(p.CodigoSalida(), c.codigo);
        const std::string log = ReadFile(registro);
        EXPECT_NE(log.find(c.enRegistro), std::string::npos) << log;
        EXPECT_EQ(vendedor.http.Gets("/_descargas_/externos/Conta/QTRACT.KAV"), incremental)
            << "never the incremental archive";
        const bool hecha = c.codigo == 0;
        EXPECT_TRUE(ReadFile(inst.programa + "CONTA.EXE") == (hecha ? ProgramaConVersion(10, 6) : inst.ficheros["CONTA.EXE"]));
        EXPECT_TRUE(ReadFile(inst.programa + "LIB.DLL") == (hecha ? lib : inst.ficheros["LIB.DLL"]));
        EXPECT_EQ(Existe(inst.programa + "NUEVO.TXT"), hecha);
        EXPECT_FALSE(Existe(inst.Copias()));
        EXPECT_FALSE(Existe(CarpetaTemporalWindows() + "Kavo\\Conta\\Diferencias")) << "the work folder goes";
    }
}

}  // namespace
