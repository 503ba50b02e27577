// The install button's runs that do not end well, in the real window under
// Wine: downloads that fail or are stopped at a chosen point of the transfer,
// a cancel during extraction, and archives missing beside an installer in
// local mode. Each leaves the installation as it was, no partial archive,
// the lock released and the window idle.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <thread>

#include "InstalacionPrueba.h"

using namespace prueba;
using kavmake::ArchiveBuilder;

namespace {

// Bytes that do not compress, so that an archive has about the size of its files.
std::string Azar(size_t n, uint32_t semilla) {
    std::string s(n, '\0');
    for (char& c : s) {
        semilla = semilla * 1664525u + 1013904223u;
        c = static_cast<char>(semilla >> 24);
    }
    return s;
}

// A web server of the test's own that answers every request with 404 until
// it stops listening: the updater starts (no beta published) and then finds
// nobody at the address.
class ServidorEfimero {
public:
    ServidorEfimero() {
        WSADATA w;
        WSAStartup(MAKEWORD(2, 2), &w);
        escucha_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(escucha_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(escucha_, 8);
        int n = sizeof a;
        getsockname(escucha_, reinterpret_cast<sockaddr*>(&a), &n);
        puerto_ = ntohs(a.sin_port);
        hilo_ = std::thread([s = escucha_] { Atender(s); });
    }
    ~ServidorEfimero() {
        Callar();
        WSACleanup();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(puerto_); }
    void Callar() {
        if (escucha_ != INVALID_SOCKET) closesocket(escucha_);
        escucha_ = INVALID_SOCKET;
        if (hilo_.joinable()) hilo_.join();
    }

private:
    static void Atender(SOCKET escucha) {
        for (;;) {
            SOCKET c = accept(escucha, nullptr, nullptr);
            if (c == INVALID_SOCKET) return;
            std::string peticion;
            char buf[1024];
            while (peticion.find("\r\n\r\n") == std::string::npos) {
                int n = recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                peticion.append(buf, static_cast<size_t>(n));
            }
            const char r[] = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            send(c, r, sizeof r - 1, 0);
            shutdown(c, SD_BOTH);
            closesocket(c);
        }
    }
    SOCKET escucha_ = INVALID_SOCKET;
    uint16_t puerto_ = 0;
    std::thread hilo_;
};

// What every run that failed or was cancelled leaves: the installed files as
// they were, no backup, no archive in the download folder, the lock
// released, and the window idle on the program page, where Escape asks the
// exit question.
void ComprobarSinHuella(Ventana& v, const Instalada& inst, const std::string& caso) {
    EXPECT_TRUE(Esperar([&] { return !Existe(inst.raiz + "KAVO.KAVO"); })) << caso << ": the lock is released";
    EXPECT_TRUE(Esperar([&] { return TextoDe(v.h, "bCancelar") == "Salir"; })) << caso;
    EXPECT_TRUE(IsWindowEnabled(Control(v.h, "bInstalar"))) << caso;
    EXPECT_FALSE(IsWindowEnabled(Control(v.h, "FrameInstalar"))) << caso << ": the program page is in front";
    for (const auto& [f, bytes] : inst.ficheros) EXPECT_TRUE(ReadFile(inst.programa + f) == bytes) << caso << ": " << f;
    EXPECT_FALSE(Existe(inst.Copias())) << caso;
    PulsarTecla(v.h, VK_ESCAPE);
    Dialogo d = Contestar(v, "Vale");
    EXPECT_EQ(d.texto, "Confirma Salida del Actualizador") << caso;
    EXPECT_TRUE(v.proceso->EsperarFin()) << caso;
    EXPECT_FALSE(ExisteDescarga("QTRACT.KAV")) << caso << ": no archive stays behind";
    EXPECT_FALSE(ExisteDescarga("QTRBETA.INI")) << caso << ": nor the description read at start-up";
}

// --- downloads -------------------------------------------------------------------------

enum class Como { Fallo, SinServidor, BotonCancelar, Cerrar };

struct CasoDescarga {
    const char* nombre;
    Como como;
    const char* fallo;  // the server's fault mode for the archive (Fallo)
    int porMil;         // where the transfer stands still when the user acts (cancels)
};

class Descarga : public ::testing::TestWithParam<CasoDescarga> {};

TEST_P(Descarga, NoDejaHuella) {
    const CasoDescarga& c = GetParam();
    Vendedor vendedor;
    Instalada inst(std::string("descarga_") + c.nombre);
    ArchiveBuilder act;
    act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
    act.AddFile("Conta\\Programa\\LIB.DLL", Azar(400000, 5), Tipo(1));
    const std::string archivo = act.Bytes();
    vendedor.Conta("QTRACT.KAV", archivo);
    const std::string ruta = "/_descargas_/externos/Conta/QTRACT.KAV";
    // Thousandths, so that "100 %" is the last byte still missing.
    const size_t parada = c.porMil >= 1000 ? archivo.size() - 1 : archivo.size() * static_cast<size_t>(c.porMil) / 1000;
    if (c.como == Como::Fallo)
        vendedor.http.SetFault(ruta, c.fallo);
    else if (c.como != Como::SinServidor)
        vendedor.http.SetFault(ruta, "hold:" + std::to_string(parada));
    std::unique_ptr<ServidorEfimero> efimero;
    if (c.como == Como::SinServidor) {
        efimero = std::make_unique<ServidorEfimero>();
        SetEnvironmentVariableW(L"KAVO_SERVIDOR", text::Wide(efimero->Url()).c_str());
    }

    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    if (efimero) efimero->Callar();

    if (c.como == Como::Fallo || c.como == Como::SinServidor) {
        Pulsar(Control(v.h, "bInstalar"));
        // Without a server the first thing the run fetches is the statement
        // of the record the program was started with, which could not be
        // checked at start-up either.
        const std::string url =
            efimero ? efimero->Url() + "/_descargas_/externos/Conta/clientes/PRUEBA.VER"
                    : vendedor.http.Url().substr(0, vendedor.http.Url().size() - 1) + ruta;
        Dialogo d = Contestar(v, "Vale");
        EXPECT_EQ(d.texto, "Error descargando URL: " + url) << c.nombre;
    } else {
        // The server's log goes on from earlier cases: this run's line is a new one.
        const std::string retenida = "HOLD " + ruta + " " + std::to_string(parada);
        auto retenidas = [&] {
            const auto r = vendedor.http.Requests();
            return std::count(r.begin(), r.end(), retenida);
        };
        const auto antes = retenidas();
        Pulsar(Control(v.h, "bInstalar"));
        EXPECT_TRUE(Esperar([&] { return retenidas() > antes; })) << c.nombre;
        EXPECT_TRUE(IsWindowEnabled(Control(v.h, "bCancelar"))) << c.nombre;
        if (c.como == Como::BotonCancelar)
            Pulsar(Control(v.h, "bCancelar"));
        else
            PulsarTecla(v.h, VK_ESCAPE);
        // The question may only come once more bytes arrive.
        auto pregunta = EsperarDialogo(v.Pid(), 5s);
        if (!pregunta) {
            vendedor.http.Reset();
            pregunta = EsperarDialogo(v.Pid(), 20s);
        }
        ASSERT_TRUE(pregunta) << c.nombre;
        EXPECT_EQ(pregunta->titulo, "Confirmación") << c.nombre;
        EXPECT_EQ(pregunta->texto, "Cancelar Actualización") << c.nombre;
        ResponderYCerrar(*pregunta, "Vale");
        vendedor.http.Reset();
        // A cancel shows nothing more.
        EXPECT_TRUE(Esperar([&] { return TextoDe(v.h, "bCancelar") == "Salir"; })) << c.nombre;
        EXPECT_FALSE(EsperarDialogo(v.Pid(), 1s)) << c.nombre;
    }
    // Nothing of the transfer stays, not even while the window is open.
    EXPECT_TRUE(Esperar([&] { return !ExisteDescarga("QTRACT.KAV"); })) << c.nombre;
    ComprobarSinHuella(v, inst, c.nombre);
}

INSTANTIATE_TEST_SUITE_P(
    FallosYCancelaciones, Descarga,
    ::testing::Values(CasoDescarga{"404", Como::Fallo, "404", 0}, CasoDescarga{"500", Como::Fallo, "500", 0},
                      CasoDescarga{"cortada", Como::Fallo, "short", 0},
                      CasoDescarga{"sin_servidor", Como::SinServidor, nullptr, 0},
                      CasoDescarga{"cancelar_1", Como::BotonCancelar, nullptr, 10},
                      CasoDescarga{"cancelar_50", Como::BotonCancelar, nullptr, 500},
                      CasoDescarga{"cancelar_100", Como::BotonCancelar, nullptr, 1000},
                      CasoDescarga{"cerrar_50", Como::Cerrar, nullptr, 500}),
    [](const auto& info) { return std::string(info.param.nombre); });

// --- extraction -----------------------------------------------------------------------

// An update whose archive holds many files, so that its extraction lasts.
ArchiveBuilder ActualizacionLarga() {
    ArchiveBuilder act;
    act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
    act.AddFile("Conta\\Programa\\LIB.DLL", Pattern(90000, 21), Tipo(1));
    act.AddFile("Conta\\Programa\\Util\\LIB.DLL", Pattern(4000, 22), Tipo(1));
    for (uint32_t i = 0; i < 300; ++i)
        act.AddFile("Conta\\Programa\\Datos\\F" + std::to_string(i) + ".DAT", Azar(65536, i), Tipo(1));
    return act;
}

// During extraction the cancel button is disabled; closing the window asks,
// and a confirmed cancel stops the extraction as a failure: what it replaced
// comes back from the backup.
TEST(Extraccion, CerrarLaCancelaYRestaura) {
    Vendedor vendedor;
    Instalada inst("extraccion_cerrar");
    vendedor.Conta("QTRACT.KAV", ActualizacionLarga().Bytes());
    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    ASSERT_TRUE(Esperar([&] { return Existe(inst.programa + "Datos\\F3.DAT"); }));
    EXPECT_FALSE(IsWindowEnabled(Control(v.h, "bCancelar")));
    PulsarTecla(v.h, VK_ESCAPE);
    Dialogo d = Contestar(v, "Vale");
    EXPECT_EQ(d.texto, "Cancelar Actualización");
    d = Contestar(v, "Vale");
    EXPECT_EQ(d.titulo, "Información");
    EXPECT_EQ(d.texto, "Actualización Incorrecta");
    EXPECT_FALSE(EsperarDialogo(v.Pid(), 2s)) << "one notice is enough";
    EXPECT_FALSE(Existe(inst.programa + "Datos\\F299.DAT")) << "the extraction went on";
    ComprobarSinHuella(v, inst, "cerrar");
}

// --- local mode: archives beside the installer ---------------------------------------------

struct CasoLocal {
    const char* nombre;
    bool conPrograma;  // the program archive is still beside the installer when the run starts
};

class Local : public ::testing::TestWithParam<CasoLocal> {};

// Without the engine's archive the installer says so and goes on; without the
// program's it says so and ends.
TEST_P(Local, ArchivosQueFaltan) {
    const CasoLocal& c = GetParam();
    Vendedor vendedor;
    const std::string carpeta = CarpetaNueva(std::string("local_") + c.nombre);
    const std::string instalador = carpeta + "INSTALAR.EXE";
    ConstruirInstalador(Programa(), instalador, DatosLanzamiento(2026, 11, 20, 4711, 10, 5, 2));
    EscribirFichero(carpeta + "INSTALAR.INI", "[PATH]\r\nLOCAL=1\r\nFICHERO=QTR.KAV\r\n");
    ArchiveBuilder qtr;
    const std::string conta = ProgramaConVersion(10, 5);
    qtr.AddFile("Conta\\Programa\\CONTA.EXE", conta, Tipo(1));
    EscribirFichero(carpeta + "QTR.KAV", qtr.Bytes());
    SignFileWith(carpeta + "QTR.KAV", TestSecretKey());  // as the vendor signs its releases
    DeleteFileW(text::Wide(Escritorio() + "ContaKavo.lnk").c_str());

    // The server's log goes on from earlier tests.
    const std::string enLaWeb = "/_descargas_/externos/Conta/QTR.KAV";
    const int descargasAntes = vendedor.http.Gets(enLaWeb);
    Ventana v = Arrancar(instalador, {}, carpeta);
    ASSERT_NE(v.h, nullptr);
    if (!c.conPrograma) DeleteFileW(text::Wide(carpeta + "QTR.KAV").c_str());
    const std::string destino = carpeta + "Destino";
    Escribir(Control(v.h, "eDirPrograma"), destino);
    Pulsar(Control(v.h, "bInstalar"));

    Dialogo d = Contestar(v, "Vale");
    EXPECT_EQ(d.titulo, "Información");
    EXPECT_EQ(d.texto, "No se encuentra el Fichero:\n\r\n\rBTRIEVE6.KAV");
    d = Contestar(v, "Vale");
    const std::string programa = destino + "\\Conta\\Programa\\";
    if (c.conPrograma) {
        EXPECT_EQ(d.titulo, "Información");
        EXPECT_EQ(d.texto, "Instalación Correcta");
        EXPECT_TRUE(ReadFile(programa + "CONTA.EXE") == conta);
        PulsarTecla(v.h, VK_ESCAPE);
    } else {
        EXPECT_EQ(d.titulo, "Error");
        EXPECT_EQ(d.texto,
                  "No se encuentra el Fichero:\n\r\n\rQTR.KAV\n\r\n\rSe procederá a la cancelación de la instalación");
        EXPECT_FALSE(Existe(programa + "CONTA.EXE"));
    }
    EXPECT_TRUE(v.proceso->EsperarFin()) << "the application ends";
    EXPECT_FALSE(Existe(destino + "\\KAVO.KAVO"));
    EXPECT_EQ(vendedor.http.Gets(enLaWeb), descargasAntes) << "local mode downloads nothing";
    DeleteFileW(text::Wide(Escritorio() + "ContaKavo.lnk").c_str());
}

INSTANTIATE_TEST_SUITE_P(Archivos, Local,
                         ::testing::Values(CasoLocal{"sin_motor", true}, CasoLocal{"sin_programa", false}),
                         [](const auto& info) { return std::string(info.param.nombre); });

}  // namespace
