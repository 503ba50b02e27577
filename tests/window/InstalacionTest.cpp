// The install button, end to end: the real Actualizador.exe under Wine,
// driven through its window, downloading release archives made with the
// producer from the test web server and extracting them; a first
// installation, updates of an installed copy, and updates that fail after
// files were replaced.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "ArchiveBuilder.h"
#include "InstalacionPrueba.h"
#include "TestServer.h"
#include "TextCodec.h"
#include "Win32Handle.h"

using namespace prueba;
using kavmake::ArchiveBuilder;
using kavmake::FileOptions;

namespace {

// --- a first installation -------------------------------------------------------------

struct CasoPrimera {
    const char* nombre;
    int motor;
    const char* archivoMotor;
    const char* ficheroMotor;  // the engine file this engine gets
    const char* otroMotor;     // the one it does not
};

class PrimeraInstalacion : public ::testing::TestWithParam<CasoPrimera> {};

TEST_P(PrimeraInstalacion, DescargaExtraeEInforma) {
    const CasoPrimera& c = GetParam();
    Vendedor vendedor;
    const std::string exe_ = ReadFile(Registrador());
    ArchiveBuilder qtr;
    qtr.AddFile("Conta\\Programa\\CONTA.EXE", exe_, Tipo(1));
    qtr.AddFile("Conta\\Programa\\CONTA.INI",
                "[ACTUALIZACION]\r\nCOMPROBAR=2\r\n[BTRIEVE]\r\nPERVASIVE=0\r\nNAMEDLL=WBTRV32\r\n", Tipo(2));
    qtr.AddFile("Conta\\Datos\\EMPRESAS.TXT", Pattern(150000, 3), Tipo(9));
    qtr.AddFile("Conta\\Datos\\PGC2007.TXT", "cuadro de cuentas", Tipo(8));
    qtr.AddFile("Conta\\Programa\\NUNCA.TXT", "no", Tipo(7));
    qtr.AddFile("Conta\\Programa\\TAMPOCO.TXT", "no", Tipo(12));
    vendedor.Conta("QTR.KAV", qtr.Bytes());
    ArchiveBuilder motor;
    motor.AddFile("Externos\\Motor\\PSQL.TXT", "psql", Tipo(4));
    motor.AddFile("Externos\\Motor\\BTRV6.TXT", "btrieve 6", Tipo(3));
    vendedor.Externo(c.archivoMotor, motor.Bytes());
    vendedor.Soporte();

    std::string carpeta = CarpetaNueva(std::string("primera_") + c.nombre);
    std::string instalador = carpeta + "INSTALAR.EXE";
    ConstruirInstalador(Programa(), instalador, DatosLanzamiento(2026, 11, 20, 4711, 10, 5, c.motor));
    DeleteFileW(text::Wide(Escritorio() + "ContaKavo.lnk").c_str());

    Ventana v = Arrancar(instalador, {}, carpeta);
    ASSERT_NE(v.h, nullptr);
    const std::string destino = carpeta + "Mis Programas";
    Escribir(Control(v.h, "eDirPrograma"), destino);
    Pulsar(Control(v.h, "bInstalar"));

    const std::string programa = destino + "\\Conta\\Programa\\";
    if (c.motor == 2) {
        Dialogo d = Contestar(v, "Vale");
        EXPECT_EQ(d.titulo, "Información");
        EXPECT_EQ(d.texto, "Instalación Correcta");
        EXPECT_TRUE(Esperar([&] { return !IsWindowEnabled(Control(v.h, "bInstalar")); }));
    } else {
        // The engine page comes instead of the message.
        HWND pagina = Control(v.h, "Framepsql");
        ASSERT_NE(pagina, nullptr);
        for (int i = 0; i < 600 && !IsWindowEnabled(pagina); ++i) Sleep(100);
        EXPECT_TRUE(IsWindowEnabled(pagina));
        EXPECT_EQ(TextoDe(v.h, "bCancelar"), "Cancelar");
    }
    GuardarCaptura(v.h, carpeta + "fin.bmp");

    EXPECT_TRUE(Esperar([&] { return !Existe(destino + "\\KAVO.KAVO"); })) << "the lock is released";
    EXPECT_TRUE(ReadFile(programa + "CONTA.EXE") == exe_);
    EXPECT_EQ(ReadFile(programa + "CONTA.INI").substr(0, 28), "[ACTUALIZACION]\r\nCOMPROBAR=0");
    EXPECT_TRUE(ReadFile(destino + "\\Conta\\Datos\\EMPRESAS.TXT") == Pattern(150000, 3));
    EXPECT_EQ(ReadFile(destino + "\\Conta\\Datos\\PGC2007.TXT"), "cuadro de cuentas");
    EXPECT_EQ(ReadFile(destino + "\\Conta\\Soporte\\LEEME.TXT"), "soporte");
    EXPECT_EQ(ReadFile(destino + "\\Externos\\Motor\\" + c.ficheroMotor).empty(), false);
    EXPECT_FALSE(Existe(destino + "\\Externos\\Motor\\" + c.otroMotor));
    EXPECT_FALSE(Existe(programa + "NUNCA.TXT"));
    EXPECT_FALSE(Existe(programa + "TAMPOCO.TXT"));
    EXPECT_EQ(IniLeer(programa + "CONTA.INI", "ACTUALIZACION", "ULTIMA_BETA"), "0");
    EXPECT_EQ(IniLeer(programa + "CONTA.INI", "ACTUALIZACION", "CODIGOCLIENTE"), "4711");
    // The engine keys: as the release delivers them for Btrieve 6, the
    // engine's own for the others.
    const bool btrieve6 = c.motor == 2;
    EXPECT_EQ(IniLeer(programa + "CONTA.INI", "BTRIEVE", "PERVASIVE"), btrieve6 ? "0" : "1");
    EXPECT_EQ(IniLeer(programa + "CONTA.INI", "BTRIEVE", "NAMEDLL"), btrieve6 ? "WBTRV32" : "W3BTRV7");
    EXPECT_EQ(IniLeer(programa + "CONTA.INI", "BTRIEVE", "FILEVERSION"), btrieve6 ? "<nada>" : "6");
    EXPECT_TRUE(Existe(Escritorio() + "ContaKavo.lnk"));
    DeleteFileW(text::Wide(Escritorio() + "ContaKavo.lnk").c_str());
    EXPECT_GE(vendedor.http.Gets(std::string("/_descargas_/externos/") + c.archivoMotor), 1);
    EXPECT_GE(vendedor.http.Gets("/_descargas_/externos/Conta/QTR.KAV"), 1);
    EXPECT_GE(vendedor.http.Gets("/_descargas_/externos/SOPORTE.KAV"), 1);
    EXPECT_TRUE(vendedor.Informado("GET /roldawindows/instalacion.php?codcli=4711&kavoversion=10.05 "));

    // Finished: the window closes without the exit question.
    PulsarTecla(v.h, VK_ESCAPE);
    EXPECT_TRUE(v.proceso->EsperarFin());
    // The downloads go at exit.
    EXPECT_FALSE(ExisteDescarga("QTR.KAV"));
}

INSTANTIATE_TEST_SUITE_P(Motores, PrimeraInstalacion,
                         ::testing::Values(CasoPrimera{"btrieve6", 2, "BTRIEVE6.KAV", "BTRV6.TXT", "PSQL.TXT"},
                                           CasoPrimera{"psql", 0, "PSQL.KAV", "PSQL.TXT", "BTRV6.TXT"}),
                         [](const auto& info) { return std::string(info.param.nombre); });

// An archive changed on its way from the vendor: the run refuses it, naming
// it, before a single file of the installation is written.
TEST(PrimeraInstalacionFirmada, ArchivoAlteradoSeRechazaSinEscribirNada) {
    Vendedor vendedor;
    ArchiveBuilder qtr;
    qtr.AddFile("Conta\\Programa\\CONTA.EXE", "programa", Tipo(1));
    vendedor.Conta("QTR.KAV", qtr.Bytes());
    vendedor.http.PutUnsigned("_descargas_/externos/Conta/QTR.KAV", Alterado(qtr.Bytes()));
    vendedor.ExternosBtrieve6();

    std::string carpeta = CarpetaNueva("firma_alterada");
    std::string instalador = carpeta + "INSTALAR.EXE";
    ConstruirInstalador(Programa(), instalador, DatosLanzamiento(2026, 11, 20, 4711, 10, 5, 2));
    Ventana v = Arrancar(instalador, {}, carpeta);
    ASSERT_NE(v.h, nullptr);
    const std::string destino = carpeta + "Mis Programas";
    Escribir(Control(v.h, "eDirPrograma"), destino);
    Pulsar(Control(v.h, "bInstalar"));
    Dialogo d = Contestar(v, "Vale");
    EXPECT_EQ(d.texto, "Fichero QTR.KAV rechazado: no coincide con su firma (dañado o alterado).");
    EXPECT_TRUE(Esperar([&] { return !Existe(destino + "\\KAVO.KAVO"); }));
    EXPECT_FALSE(Existe(destino + "\\Conta"));
    EXPECT_FALSE(Existe(destino + "\\Externos"));
    EXPECT_FALSE(ExisteDescarga("QTR.KAV")) << "the refused download is deleted";
    EXPECT_FALSE(vendedor.Informado("instalacion.php"));
    GuardarCaptura(v.h, carpeta + "fin.bmp");
}

// --- unattended ---------------------------------------------------------------------

// A fresh folder with the installer of customer 4711's release 10.05 for
// this engine kind in it.
struct InstaladorNuevo {
    std::string carpeta, programa;
    InstaladorNuevo(const std::string& nombre, uint8_t motor)
        : carpeta(CarpetaNueva(nombre)), programa(carpeta + "INSTALAR.EXE") {
        ConstruirInstalador(Programa(), programa, DatosLanzamiento(2026, 11, 20, 4711, 10, 5, motor));
    }
};

// The installer started by a deployment script: no window, no question, the
// folder and the log from the switches, and an exit code per outcome.
TEST(Desatendida, PrimeraInstalacionConCodigoDeSalidaYRegistro) {
    struct Caso {
        const char* nombre;
        std::function<void(const Vendedor&, const std::string& qtr)> publicar;
        DWORD codigo;
        const char* enRegistro;
    };
    const Caso casos[] = {
        {"correcta", [](const Vendedor& v, const std::string& qtr) { v.Conta("QTR.KAV", qtr); }, 0,
         "Instalación Correcta"},
        {"firma", [](const Vendedor& v, const std::string& qtr) {
             v.Conta("QTR.KAV", qtr);
             v.http.PutUnsigned("_descargas_/externos/Conta/QTR.KAV", Alterado(qtr));
         },
         5, "Fichero QTR.KAV rechazado: no coincide con su firma"},
        {"descarga",
         [](const Vendedor& v, const std::string& qtr) {
             v.Conta("QTR.KAV", qtr);
             v.http.SetFault("/_descargas_/externos/Conta/QTR.KAV", "404");
         },
         3, "Error descargando URL: "},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        ArchiveBuilder qtr;
        qtr.AddFile("Conta\\Programa\\CONTA.EXE", "programa", Tipo(1));
        c.publicar(vendedor, qtr.Bytes());
        vendedor.ExternosBtrieve6();

        const InstaladorNuevo inst(std::string("desatendida_") + c.nombre, 2);
        const std::string& carpeta = inst.carpeta;
        const std::string& instalador = inst.programa;
        const std::string destino = carpeta + "Mis Programas";
        const std::string registro = carpeta + "instalacion.log";
        Proceso p(instalador, {"/VERYSILENT", "/DIR=" + destino, "/LOG=" + registro}, carpeta);
        ASSERT_TRUE(p.EsperarFin(120s));
        EXPECT_EQ(p.CodigoSalida(), c.codigo);
        const std::string log = ReadFile(registro);
        EXPECT_NE(log.find(c.enRegistro), std::string::npos) << log;
        EXPECT_NE(log.find("código de salida " + std::to_string(c.codigo)), std::string::npos) << log;
        EXPECT_EQ(Existe(destino + "\\Conta\\Programa\\CONTA.EXE"), c.codigo == 0);
        EXPECT_FALSE(Existe(destino + "\\KAVO.KAVO"));
    }
    DeleteFileW(text::Wide(Escritorio() + "ContaKavo.lnk").c_str());
}

// An unattended first installation with an engine that brings its own
// installer: none unless /MOTOR asks for one; asked for, its installer is
// started silently and watched to the end, and one that gives up fails the run.
TEST(Desatendida, MotorSegunElSwitch) {
    struct Caso {
        const char* nombre;
        const char* motor;      // the switch, or nothing
        bool servidor;          // which installer the case looks at
        const char* orden;      // what the stand-in installer is told
        DWORD codigo;
        const char* enRegistro;
        bool arrancado;
    };
    const Caso casos[] = {
        {"sin_switch", nullptr, true, "segundos=1\r\n", 0, "Motor de la base de datos: no se instala", false},
        {"no", "/MOTOR=no", false, "segundos=1\r\n", 0, "Motor de la base de datos: no se instala", false},
        {"servidor", "/MOTOR=servidor", true, "segundos=1\r\n", 0,
         "Instalación del motor del base de datos completada.", true},
        {"cliente", "/MOTOR=cliente", false, "segundos=1\r\n", 0,
         "Instalación del motor del base de datos completada.", true},
        {"sin_cambios", "/MOTOR=cliente", false, "accion=segundo\r\nsegundos=1\r\nvida=20\r\n", 9,
         "La instalación del motor de la base de datos no se ha completado.", true},
    };
    const std::string simulador = ReadFile(RutaWindows(KV_SIMULADOR_EXE));
    const char* servidorExe = "Install_PSQL_Workgroup_Engine.exe";
    const char* clienteExe = "Install_PSQL_Client.exe";
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        ArchiveBuilder qtr;
        qtr.AddFile("Conta\\Programa\\CONTA.EXE", "programa", Tipo(1));
        vendedor.Conta("QTR.KAV", qtr.Bytes());
        ArchiveBuilder motor;
        for (const char* exe : {servidorExe, clienteExe}) {
            motor.AddFile(std::string("Externos\\PSQL12\\") + exe, simulador, Tipo(4));
            motor.AddFile(std::string("Externos\\PSQL12\\") + exe + ".orden", c.orden, Tipo(4));
        }
        vendedor.Externo("PSQL.KAV", motor.Bytes());
        vendedor.Soporte();

        const InstaladorNuevo inst(std::string("desatendida_motor_") + c.nombre, 0);
        const std::string& carpeta = inst.carpeta;
        const std::string& instalador = inst.programa;
        const std::string destino = carpeta + "Mis Programas";
        const std::string registro = carpeta + "instalacion.log";
        std::vector<std::string> args{"/VERYSILENT", "/DIR=" + destino, "/LOG=" + registro};
        if (c.motor) args.push_back(c.motor);
        Proceso p(instalador, args, carpeta);
        ASSERT_TRUE(p.EsperarFin(120s));
        EXPECT_EQ(p.CodigoSalida(), c.codigo);
        const std::string log = ReadFile(registro);
        EXPECT_NE(log.find(c.enRegistro), std::string::npos) << log;
        const std::string motores = destino + "\\Externos\\PSQL12\\";
        const std::string elegido = motores + (c.servidor ? servidorExe : clienteExe);
        const std::string otro = motores + (c.servidor ? clienteExe : servidorExe);
        EXPECT_EQ(ReadFile(elegido + ".args"), c.arrancado ? "\"/s\"\n" : "");
        EXPECT_FALSE(Existe(otro + ".args"));
        EXPECT_EQ(ReadFile(destino + "\\Conta\\Programa\\CONTA.EXE"), "programa");
    }
    DeleteFileW(text::Wide(Escritorio() + "ContaKavo.lnk").c_str());
}

// An unattended update: done, or stopped with the code of the reason and the
// installed copy as it was.
TEST(Desatendida, ActualizacionConCodigoDeSalida) {
    struct Caso {
        const char* nombre;
        bool alterado;  // the archive changed after the vendor signed it
        bool relanza;   // the archive brings a newer updater (the stand-in)
        bool ocupada;   // another updater holds the installation's lock
        DWORD codigo;
        const char* enRegistro;
    };
    const Caso casos[] = {
        {"correcta", false, false, false, 0, "Actualización Correcta"},
        {"relanza", false, true, false, 0, "Desatendido: fin, código de salida 0"},
        {"firma", true, false, false, 5, "Fichero QTRACT.KAV rechazado: no coincide con su firma"},
        {"bloqueo", false, false, true, 8, "Ya hay otro usuario Actualizando el programa."},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        Instalada inst(std::string("desatendida_act_") + c.nombre);
        ArchiveBuilder act;
        act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
        if (c.relanza) act.AddFile("Conta\\Programa\\Actualizador.exe", ProgramaConVersion(2, 0), Tipo(10));
        vendedor.Conta("QTRACT.KAV", act.Bytes());
        if (c.alterado) vendedor.http.PutUnsigned("_descargas_/externos/Conta/QTRACT.KAV", Alterado(act.Bytes()));
        const std::string registro = inst.raiz + "actualizacion.log";
        HANDLE bloqueo = c.ocupada ? CreateFileW(text::Wide(inst.raiz + "KAVO.KAVO").c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                                   : INVALID_HANDLE_VALUE;
        Proceso p(inst.programa + inst.ejecutable, {"PRUEBA.VER", "/VERYSILENT", "/LOG=" + registro}, inst.programa);
        ASSERT_TRUE(p.EsperarFin(120s));
        if (bloqueo != INVALID_HANDLE_VALUE) {
            CloseHandle(bloqueo);
            DeleteFileW(text::Wide(inst.raiz + "KAVO.KAVO").c_str());
        }
        EXPECT_EQ(p.CodigoSalida(), c.codigo);
        const std::string log = ReadFile(registro);
        EXPECT_NE(log.find(c.enRegistro), std::string::npos) << log;
        EXPECT_EQ(ReadFile(inst.programa + "CONTA.EXE") == ProgramaConVersion(10, 6), c.codigo == 0);
        EXPECT_FALSE(Existe(inst.raiz + "KAVO.KAVO"));
        if (!c.relanza) continue;
        // The newer updater (the stand-in writes down its command line) is
        // started unattended, with the same log.
        std::string orden;
        for (int i = 0; i < 100 && orden.empty(); ++i, Sleep(100)) orden = ReadFile(inst.programa + "REGISTRO.TXT");
        EXPECT_NE(orden.find(" /VERYSILENT /LOG=" + registro), std::string::npos) << orden;
    }
}

// Every window an unattended update can meet is answered by the unattended
// rules, and the process ends with the code of the run's end: never waiting
// for someone, and never told "cancelled" by the wording of a message.
TEST(Desatendida, CadaVentanaTieneRespuestaYCodigo) {
    struct Caso {
        const char* nombre;
        bool conRegistro;  // started with its release record, as the program does
        // Prepares the installed copy; returns a handle to close after the run.
        std::function<HANDLE(const Instalada&)> preparar;
        DWORD codigo;
        const char* enRegistro;
    };
    const Caso casos[] = {
        // Without its record on the server: the local installation dialog.
        {"modo_local", false, [](const Instalada&) { return INVALID_HANDLE_VALUE; }, 2,
         "Desatendido: ModoLocal \"Actualizador Kavo\""},
        {"solo_lectura", true,
         [](const Instalada& i) {
             SetFileAttributesW(text::Wide(i.programa + "CONTA.EXE").c_str(), FILE_ATTRIBUTE_READONLY);
             return INVALID_HANDLE_VALUE;
         },
         9, "es de Sólo Lectura. Actualización Cancelada"},
        {"en_uso", true,
         [](const Instalada& i) {
             return CreateFileW(text::Wide(i.programa + "CONTA.EXE").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         6, "está en Uso. Actualización Cancelada"},
        // The refused package is told and the update stands.
        {"paquete_desconocido", true, [](const Instalada&) { return INVALID_HANDLE_VALUE; }, 0,
         "El Fichero MODNUEVO.BPL no se ha posido instalar correctamente."},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        Instalada inst(std::string("desatendida_ventanas_") + c.nombre);
        ArchiveBuilder act;
        act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
        act.AddFile("Conta\\Programa\\MODNUEVO.BPL", "paquete", Tipo(5));
        vendedor.Conta("QTRACT.KAV", act.Bytes());
        // A program held open cannot tell its version at start-up: the
        // updater then takes the full archive.
        vendedor.Conta("QTR.KAV", act.Bytes());
        // The installation's customer (4711) has no record on the server,
        // whatever an earlier test published for it.
        if (!c.conRegistro) vendedor.http.Remove("_descargas_/externos/Conta/clientes/CLI4711.VER");
        const std::string registro = inst.raiz + "actualizacion.log";
        HANDLE abierto = c.preparar(inst);
        std::vector<std::string> args{"/VERYSILENT", "/LOG=" + registro};
        if (c.conRegistro) args.insert(args.begin(), "PRUEBA.VER");
        Proceso p(inst.programa + inst.ejecutable, args, inst.programa);
        const bool termino = p.EsperarFin(90s);
        if (abierto != INVALID_HANDLE_VALUE) CloseHandle(abierto);
        SetFileAttributesW(text::Wide(inst.programa + "CONTA.EXE").c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(termino) << "nobody answers a window it waits on";
        EXPECT_EQ(p.CodigoSalida(), c.codigo);
        const std::string log = ReadFile(registro);
        EXPECT_NE(log.find(c.enRegistro), std::string::npos) << log;
        EXPECT_NE(log.find("código de salida " + std::to_string(c.codigo)), std::string::npos) << log;
        EXPECT_EQ(ReadFile(inst.programa + "CONTA.EXE") == ProgramaConVersion(10, 6), c.codigo == 0);
    }
}

// A script's mistake in a switch stops the run before anything happens: no
// download, nothing installed, the reason in the log the script asked for
// and on its standard error.
TEST(Desatendida, SwitchRechazadoAntesDeNada) {
    struct Caso {
        const char* nombre;
        const char* mal;  // the refused switch
        const char* enRegistro;
    };
    const Caso casos[] = {
        {"mal_escrito", "/DIRR=C:\\Otra", "Switch desconocido: /DIRR=C:\\Otra"},
        {"desconocido", "/NOEXISTE", "Switch desconocido: /NOEXISTE"},
        {"motor", "/MOTOR=todo", "Valor no válido en /MOTOR=todo"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        ArchiveBuilder qtr;
        qtr.AddFile("Conta\\Programa\\CONTA.EXE", "programa", Tipo(1));
        vendedor.Conta("QTR.KAV", qtr.Bytes());
        vendedor.ExternosBtrieve6();
        const InstaladorNuevo inst(std::string("desatendida_switch_") + c.nombre, 2);
        const std::string& carpeta = inst.carpeta;
        const std::string& instalador = inst.programa;
        const std::string destino = carpeta + "Mis Programas";
        const std::string registro = carpeta + "instalacion.log";
        const std::string error = carpeta + "error.txt";
        // The server's log goes on from earlier runs: only new lines count.
        const size_t pedidas = vendedor.http.Requests().size();
        Proceso p(instalador, {"/VERYSILENT", "/DIR=" + destino, c.mal, "/LOG=" + registro}, carpeta, error);
        ASSERT_TRUE(p.EsperarFin(60s));
        EXPECT_EQ(p.CodigoSalida(), 9u);
        const std::string log = ReadFile(registro);
        EXPECT_NE(log.find(c.enRegistro), std::string::npos) << log;
        EXPECT_NE(log.find("código de salida 9"), std::string::npos) << log;
        EXPECT_NE(ReadFile(error).find(c.enRegistro), std::string::npos) << ReadFile(error);
        EXPECT_EQ(vendedor.http.Requests().size(), pedidas) << "nothing was asked of the server";
        EXPECT_FALSE(Existe(destino));
    }
}

// A first installation that fails leaves nothing of its own in the
// temporary folder: not its archives, not the release descriptions it read
// at start-up.
TEST(Desatendida, FallidaNoDejaNadaEnLaCarpetaTemporal) {
    auto contenido = [] {
        std::set<std::string> r;
        const std::string carpeta = CarpetaTemporalWindows() + "Kavo\\Conta\\";
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(text::Wide(carpeta + "*").c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return r;
        do {
            const std::string n = text::Narrow(d.cFileName);
            if (n != "." && n != "..") r.insert(n);
        } while (FindNextFileW(h, &d));
        FindClose(h);
        return r;
    };
    struct Caso {
        const char* nombre;
        bool danado;  // the program archive fails its check instead of its download
    };
    for (const Caso& c : {Caso{"descarga", false}, Caso{"archivo_danado", true}}) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        ArchiveBuilder qtr;
        qtr.AddFile("Conta\\Programa\\CONTA.EXE", Pattern(20000, 3), Tipo(1));
        std::string bytes = qtr.Bytes();
        if (c.danado)
            bytes[bytes.size() / 2] ^= 0x55;
        else
            vendedor.http.SetFault("/_descargas_/externos/Conta/QTR.KAV", "404");
        vendedor.Conta("QTR.KAV", bytes);
        vendedor.ExternosBtrieve6();
        const InstaladorNuevo inst(std::string("desatendida_temporal_") + c.nombre, 2);
        const std::string& carpeta = inst.carpeta;
        // A run killed earlier may have left one; this run must not hide behind it.
        DeleteFileW(text::Wide(CarpetaTemporalWindows() + "Kavo\\Conta\\QTRBETA.INI").c_str());
        const std::set<std::string> antes = contenido();
        const auto pedidas = vendedor.http.Requests();
        Proceso p(inst.programa, {"/VERYSILENT", "/DIR=" + carpeta + "Mis Programas", "/LOG=" + carpeta + "i.log"},
                  carpeta);
        ASSERT_TRUE(p.EsperarFin(120s));
        EXPECT_EQ(p.CodigoSalida(), c.danado ? 4u : 3u) << ReadFile(carpeta + "i.log");
        const auto todas = vendedor.http.Requests();
        EXPECT_TRUE(std::any_of(todas.begin() + static_cast<long>(pedidas.size()), todas.end(),
                                [](const std::string& r) { return r.find("QTRBETA.INI") != std::string::npos; }))
            << "the description was fetched";
        for (const std::string& f : contenido()) EXPECT_TRUE(antes.count(f)) << f << " stays behind";
    }
}

// --- updates of an installed copy ---------------------------------------------------------

TEST(Actualizacion, ReemplazaConCopiaInformaYRelanza) {
    Vendedor vendedor;
    // The archive replaces the running updater's own file.
    Instalada inst("actualizacion_correcta");
    const std::string conta = ProgramaConVersion(10, 6), nuevo = ProgramaConVersion(2, 0);
    ArchiveBuilder act;
    act.AddFile("Conta\\Programa\\CONTA.EXE", conta, Tipo(1));
    act.AddFile("Conta\\Programa\\LIB.DLL", Pattern(90000, 21), Tipo(1));
    act.AddFile("Conta\\Programa\\Util\\LIB.DLL", Pattern(4000, 22), Tipo(1));
    act.AddFile("Conta\\Programa\\NOTAS.TXT", "de la versión", Tipo(2));
    act.AddFile("Conta\\Programa\\Actualizador.exe", nuevo, Tipo(10));
    vendedor.Conta("QTRACT.KAV", act.Bytes());
    // The server's log spans the program's tests: earlier installations fetched it.
    const int soporteAntes = vendedor.http.Gets("/_descargas_/externos/SOPORTE.KAV");

    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    // The newer updater is started in place of this one, which ends: its
    // closing question is answered by the end of the application.
    EXPECT_TRUE(v.proceso->EsperarFin(90s));

    EXPECT_TRUE(ReadFile(inst.programa + "CONTA.EXE") == conta);
    EXPECT_TRUE(ReadFile(inst.programa + "LIB.DLL") == Pattern(90000, 21));
    EXPECT_TRUE(ReadFile(inst.programa + "Util\\LIB.DLL") == Pattern(4000, 22));
    EXPECT_EQ(ReadFile(inst.programa + "NOTAS.TXT"), "del cliente");
    EXPECT_TRUE(ReadFile(inst.programa + "Actualizador.exe") == nuevo);
    EXPECT_FALSE(Existe(inst.Copias())) << "the backup goes after a good update";
    // What ran is kept aside, not in the backup, until the next start.
    EXPECT_TRUE(ReadFile(inst.programa + "Actualizador.exe.anterior") == ReadFile(Programa()));
    EXPECT_FALSE(Existe(inst.raiz + "KAVO.KAVO"));
    const std::string ini = inst.programa + "CONTA.INI";
    EXPECT_EQ(IniLeer(ini, "ACTUALIZACION", "ACTUALIZAR"), "1");
    EXPECT_EQ(IniLeer(ini, "ACTUALIZACION", "COMPROBAR"), "0");
    EXPECT_EQ(IniLeer(ini, "ACTUALIZACION", "ULTIMA_BETA"), "0");
    EXPECT_GE(vendedor.http.Gets("/_descargas_/externos/Conta/QTRACT.KAV"), 1);
    EXPECT_EQ(vendedor.http.Gets("/_descargas_/externos/SOPORTE.KAV"), soporteAntes);
    EXPECT_TRUE(
        vendedor.Informado("GET /roldawindows/actualizarolda.php?filename=PRUEBA.VER&codcli=4711&kavoversion=10.06 "));
    // The stand-in for the newer updater wrote down how it was started.
    std::string registro;
    for (int i = 0; i < 100 && registro.empty(); ++i, Sleep(100)) registro = ReadFile(inst.programa + "REGISTRO.TXT");
    EXPECT_EQ(registro.rfind("\"" + inst.programa + "Actualizador.exe\" PRUEBA.VER /ACT /YPOS", 0), 0u) << registro;
    EXPECT_NE(registro.find(" /XPOS"), std::string::npos) << registro;
}

// The updater an archive brings takes over only when it is newer than the
// running one's file; then it reaches the same release without asking, also
// on an installation that records no customer (it is told the
// per-installation file its predecessor read).
TEST(Actualizacion, RelanzaSoloUnActualizadorMasNuevo) {
    struct Caso {
        const char* nombre;
        uint16_t menor;  // of the archive's updater; the running one is 3.00
        bool relanza;
    };
    const Caso casos[] = {{"igual", 0, false}, {"mas_nuevo", 1, true}};
    const std::string real = ReadFile(Programa());
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        Instalada inst(std::string("relanzamiento_") + c.nombre);
        EscribirFichero(inst.programa + "CONTA.INI", "[ACTUALIZACION]\r\n");
        EscribirFichero(inst.programa + inst.ejecutable, ConVersion(real, 3, 0));
        const std::string nuevo = ConVersion(real, 3, c.menor);
        ArchiveBuilder act;
        act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
        act.AddFile("Conta\\Programa\\Actualizador.exe", nuevo, Tipo(10));
        vendedor.Conta("QTRACT.KAV", act.Bytes());
        vendedor.Conta("QTR.KAV", act.Bytes());

        Ventana v = inst.Arrancar();
        ASSERT_NE(v.h, nullptr);
        Pulsar(Control(v.h, "bInstalar"));
        if (!c.relanza) TerminarSinAbrir(v);
        ASSERT_TRUE(v.proceso->EsperarFin(90s));
        EXPECT_TRUE(ReadFile(inst.programa + inst.ejecutable) == nuevo);
        // The newer updater comes up with the release, not with the local
        // installation dialog.
        HWND otra = nullptr;
        Esperar([&] { return (otra = FindWindowW(L"KvFormulario", nullptr)) || FindWindowW(L"KvDialogo", nullptr); });
        EXPECT_EQ(FindWindowW(L"KvDialogo", nullptr), nullptr);
        if (!c.relanza) {
            EXPECT_EQ(otra, nullptr);
            continue;
        }
        ASSERT_NE(otra, nullptr);
        EXPECT_TRUE(Esperar([&] { return TextoDe(otra, "LabelVersion") == "Versión 10.06"; }))
            << TextoDe(otra, "LabelVersion");
        DWORD pid = 0;
        GetWindowThreadProcessId(otra, &pid);
        PulsarTecla(otra, VK_ESCAPE);
        auto d = EsperarDialogo(pid);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->texto, "Confirma Salida del Actualizador");
        Responder(*d, "Vale");
        EXPECT_TRUE(Esperar([&] { return !IsWindow(otra); }));
    }
}

// An update keeps the engine of the installation: a Btrieve 6 one gets the
// files of its engine and no PSQL keys in the settings file its archive
// delivers; a PSQL one gets its files and keys.
TEST(Actualizacion, ConservaElMotorDeLaInstalacion) {
    struct Caso {
        const char* nombre;
        const char* btrieve;  // the installation's engine keys
        const char* fichero;  // the engine file it gets
        const char* otro;     // the one it does not
        const char* libreria;  // NAMEDLL afterwards
    };
    const Caso casos[] = {
        {"btrieve6", "[BTRIEVE]\r\nPERVASIVE=0\r\nNAMEDLL=WBTRV32\r\n", "B6.TXT", "PSQL.TXT", "<nada>"},
        {"psql", "[BTRIEVE]\r\nPERVASIVE=1\r\nFILEVERSION=6\r\nNAMEDLL=W3BTRV7\r\n", "PSQL.TXT", "B6.TXT", "W3BTRV7"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        Instalada inst(std::string("motor_conservado_") + c.nombre);
        EscribirFichero(inst.programa + "CONTA.INI", std::string("[ACTUALIZACION]\r\nCODIGOCLIENTE=4711\r\n") + c.btrieve);
        ArchiveBuilder act;
        act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
        act.AddFile("Conta\\Programa\\CONTA.INI", "[GENERAL]\r\nNUEVA=1\r\n", Tipo(1));
        act.AddFile("Conta\\Programa\\B6.TXT", "btrieve 6", Tipo(3));
        act.AddFile("Conta\\Programa\\PSQL.TXT", "psql", Tipo(4));
        vendedor.Conta("QTRACT.KAV", act.Bytes());

        Ventana v = inst.Arrancar();
        ASSERT_NE(v.h, nullptr);
        Pulsar(Control(v.h, "bInstalar"));
        TerminarSinAbrir(v);
        EXPECT_TRUE(Existe(inst.programa + c.fichero));
        EXPECT_FALSE(Existe(inst.programa + c.otro));
        const std::string ini = inst.programa + "CONTA.INI";
        EXPECT_EQ(IniLeer(ini, "GENERAL", "NUEVA"), "1") << "the archive's settings file";
        EXPECT_EQ(IniLeer(ini, "BTRIEVE", "NAMEDLL"), c.libreria);
    }
}

TEST(Actualizacion, SiAbreElPrograma) {
    Vendedor vendedor;
    Instalada inst("actualizacion_abre");
    ArchiveBuilder act;
    act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
    vendedor.Conta("QTRACT.KAV", act.Bytes());
    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    Dialogo d = Contestar(v, "&Sí");
    EXPECT_EQ(d.titulo, "Información");
    EXPECT_EQ(d.texto, "Actualización Correcta\n\r\n\r¿Abrimos la Conta?");
    EXPECT_TRUE(v.proceso->EsperarFin());
    std::string registro;
    for (int i = 0; i < 100 && registro.empty(); ++i, Sleep(100)) registro = ReadFile(inst.programa + "REGISTRO.TXT");
    EXPECT_EQ(registro, "\"" + inst.programa + "CONTA.EXE\"\n");
    EXPECT_FALSE(Existe(inst.Copias()));
}

// An update that fails after files were replaced puts every replaced file
// back, byte for byte, and removes the backup: an entry that cannot be
// written (a folder has its name), or a file to replace that another program
// holds open.
struct CasoFallo {
    const char* nombre;
    bool abierto;           // MEDIO.DLL is held open without sharing
    const char* titulo;     // of the one message: the engine's error, or the application's error display
    const char* enMensaje;  // the file it names
};

class FalloTrasReemplazar : public ::testing::TestWithParam<CasoFallo> {};

TEST_P(FalloTrasReemplazar, Restaura) {
    const CasoFallo& c = GetParam();
    Vendedor vendedor;
    Instalada inst(std::string("actualizacion_fallida_") + c.nombre);
    CreateDirectoryW(text::Wide(inst.programa + "FINAL.TXT").c_str(), nullptr);
    ArchiveBuilder act;
    act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
    act.AddFile("Conta\\Programa\\LIB.DLL", Pattern(90000, 21), Tipo(1));
    act.AddFile("Conta\\Programa\\Util\\LIB.DLL", Pattern(4000, 22), Tipo(1));
    act.AddFile("Conta\\Programa\\MEDIO.DLL", Pattern(5000, 23), Tipo(1));
    act.AddFile("Conta\\Programa\\FINAL.TXT", "nunca", Tipo(1));
    vendedor.Conta("QTRACT.KAV", act.Bytes());
    win::FileHandle abierto;
    if (c.abierto) {
        abierto.reset(CreateFileW(text::Wide(inst.programa + "MEDIO.DLL").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(abierto);
    }

    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    Dialogo d = Contestar(v, "Vale");
    EXPECT_EQ(d.titulo, c.titulo);
    EXPECT_NE(d.texto.find(c.enMensaje), std::string::npos) << d.texto;
    if (auto otro = EsperarDialogo(v.Pid(), 2s)) {
        ADD_FAILURE() << "one message is enough, then came " << otro->titulo << ": " << otro->texto;
        ResponderYCerrar(*otro, "Vale");
    }
    EXPECT_TRUE(Esperar([&] { return !Existe(inst.raiz + "KAVO.KAVO"); }));
    abierto.reset();
    // Every file as it was, the settings too: the update never happened.
    for (const auto& [f, bytes] : inst.ficheros) EXPECT_TRUE(ReadFile(inst.programa + f) == bytes) << f;
    EXPECT_EQ(IniLeer(inst.programa + "CONTA.INI", "ACTUALIZACION", "ACTUALIZAR"), "<nada>");
    EXPECT_TRUE(GetFileAttributesW(text::Wide(inst.programa + "FINAL.TXT").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(Existe(inst.Copias()));
    // The window stays, idle, and "Cancelar" leaves through the exit question.
    EXPECT_TRUE(IsWindowEnabled(Control(v.h, "bCancelar")));
    Pulsar(Control(v.h, "bCancelar"));
    d = Contestar(v, "Vale");
    EXPECT_EQ(d.texto, "Confirma Salida del Actualizador");
    EXPECT_TRUE(v.proceso->EsperarFin());
}

INSTANTIATE_TEST_SUITE_P(Actualizacion, FalloTrasReemplazar,
                         ::testing::Values(CasoFallo{"carpeta", false, "Error", "FINAL.TXT"},
                                           CasoFallo{"abierto", true, "Actualización Conta Kavo", "MEDIO.DLL"}),
                         [](const auto& info) { return std::string(info.param.nombre); });

// A download moves the progress of the window's taskbar button through the
// system's taskbar object. Wine's object reports each call on its debug
// channel, which Wine writes to the Unix standard error; the ctest entry
// window_taskbar_run_tests runs this test with that error in a file
// (KV_REGISTRO_WINE) and the channel on.
TEST(BarraDeTareas, UnaDescargaMueveElProgreso) {
    const char* unix = std::getenv("KV_REGISTRO_WINE");
    if (!unix) {
        GTEST_SKIP() << "runs as window_taskbar_run_tests";
    }
    std::string registro = std::string("Z:") + unix;
    std::replace(registro.begin(), registro.end(), '/', '\\');

    Vendedor vendedor;
    Instalada inst("barra_de_tareas_descarga");
    ArchiveBuilder act;
    act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
    act.AddFile("Conta\\Programa\\LIB.DLL", Pattern(450000, 31), Tipo(1));
    const std::string archivo = act.Bytes();
    vendedor.Conta("QTRACT.KAV", archivo);
    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    Dialogo d = Contestar(v, "&No");
    EXPECT_EQ(d.texto, "Actualización Correcta\n\r\n\r¿Abrimos la Conta?");
    EXPECT_TRUE(v.proceso->EsperarFin());

    // Wine's object is a stub that says so once per method: the first state
    // the run gives the button, and the first value with the transfer's size.
    std::string log = ReadFile(registro);
    char total[32];
    std::snprintf(total, sizeof total, "ullTotal %llx ", static_cast<unsigned long long>(archivo.size()));
    EXPECT_NE(log.find(":explorerframe:taskbar_list_SetProgressState"), std::string::npos) << log;
    EXPECT_NE(log.find("flags 2 "), std::string::npos) << "normal progress";
    EXPECT_NE(log.find(std::string("ullCompleted 0, ") + total), std::string::npos) << total;
}

// --- who may change the installation's folders ------------------------------------------------

// A folder's access list as the system reports it, in its SDDL text
// ("D:P(A;OICI;FA;;;BA)..."); empty when it cannot be read.
std::string ListaDeAcceso(const std::string& ruta) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    std::wstring nombre = text::Wide(ruta);
    if (GetNamedSecurityInfoW(nombre.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                              nullptr, &sd) != ERROR_SUCCESS)
        return {};
    wchar_t* texto = nullptr;
    std::string r;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &texto,
                                                             nullptr)) {
        r = text::Narrow(texto);
        LocalFree(texto);
    }
    LocalFree(sd);
    return r;
}

// True when the folder's list, as the system reports it, lets Everyone,
// Authenticated Users or Users write, delete or change permissions.
bool EscribiblePorTodos(const std::string& ruta) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    std::wstring nombre = text::Wide(ruta);
    if (GetNamedSecurityInfoW(nombre.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &sd) != ERROR_SUCCESS)
        return false;
    bool r = !dacl;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* p = nullptr;
        if (!GetAce(dacl, i, &p) || static_cast<ACE_HEADER*>(p)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(p);
        wchar_t* sid = nullptr;
        if (!ConvertSidToStringSidW(&ace->SidStart, &sid)) continue;
        const std::string texto = text::Narrow(sid);
        LocalFree(sid);
        const DWORD escritura = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
        if ((texto == "S-1-1-0" || texto == "S-1-5-11" || texto == "S-1-5-32-545") && (ace->Mask & escritura))
            r = true;
    }
    LocalFree(sd);
    return r;
}

// Gives a folder the list of an SDDL text, as an administrator would.
void FijarLista(const std::string& ruta, const std::string& sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorW(text::Wide(sddl).c_str(), SDDL_REVISION_1, &sd, nullptr));
    BOOL hay = FALSE, defecto = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(sd, &hay, &dacl, &defecto);
    std::wstring nombre = text::Wide(ruta);
    EXPECT_EQ(SetNamedSecurityInfoW(nombre.data(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    dacl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    LocalFree(sd);
}

// A first installation leaves the program folder changeable by
// administrators and SYSTEM only, readable and runnable by users, also
// when it finds the folder open to everyone (an earlier copy, or what C:\
// passes on). Wine keeps no access lists of its own: it maps them onto the
// Unix mode and reports what that mode allows, which is what is checked.
TEST(Permisos, PrimeraInstalacionProtegeLaCarpetaDelPrograma) {
    Vendedor vendedor;
    ArchiveBuilder qtr;
    qtr.AddFile("Conta\\Programa\\CONTA.EXE", "programa", Tipo(1));
    vendedor.Conta("QTR.KAV", qtr.Bytes());
    vendedor.ExternosBtrieve6();
    const InstaladorNuevo inst("permisos_primera", 2);
    const std::string destino = inst.carpeta + "Mis Programas";
    const std::string programa = destino + "\\Conta\\Programa";
    SHCreateDirectoryExW(nullptr, text::Wide(programa).c_str(), nullptr);
    FijarLista(programa, "D:P(A;OICI;FA;;;WD)");
    ASSERT_TRUE(EscribiblePorTodos(programa)) << ListaDeAcceso(programa);
    const std::string registro = inst.carpeta + "permisos.log";
    Proceso p(inst.programa, {"/VERYSILENT", "/DIR=" + destino, "/LOG=" + registro}, inst.carpeta);
    ASSERT_TRUE(p.EsperarFin(120s));
    const std::string log = ReadFile(registro);
    EXPECT_EQ(p.CodigoSalida(), 0u) << log;
    EXPECT_FALSE(EscribiblePorTodos(programa)) << ListaDeAcceso(programa);
    EXPECT_NE(log.find("Permisos de " + programa + ": la modifican los administradores y SYSTEM"), std::string::npos)
        << log;
    // Wine's token is an administrator's: no right of its own is kept.
    EXPECT_EQ(log.find("sin derechos de administrador"), std::string::npos) << log;
    DeleteFileW(text::Wide(Escritorio() + "ContaKavo.lnk").c_str());
}

// An update says in the log when every user may change the program
// folder, and goes on; a protected folder is not mentioned. (Under Wine, a
// folder whose Unix mode lets others write reads as Everyone: modify.)
TEST(Permisos, ActualizacionAvisaDeUnaCarpetaQueTodosPuedenModificar) {
    struct Caso {
        const char* nombre;
        const char* lista;
        bool aviso;
    };
    for (const Caso& c : {Caso{"de_todos", "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;WD)", true},
                          Caso{"protegida", "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", false}}) {
        SCOPED_TRACE(c.nombre);
        Vendedor vendedor;
        Instalada inst(std::string("permisos_act_") + c.nombre);
        ArchiveBuilder act;
        act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
        vendedor.Conta("QTRACT.KAV", act.Bytes());
        FijarLista(inst.programa.substr(0, inst.programa.size() - 1), c.lista);
        const std::string registro = inst.raiz + "actualizacion.log";
        Proceso p(inst.programa + inst.ejecutable, {"PRUEBA.VER", "/VERYSILENT", "/LOG=" + registro}, inst.programa);
        ASSERT_TRUE(p.EsperarFin(120s));
        const std::string log = ReadFile(registro);
        EXPECT_EQ(p.CodigoSalida(), 0u) << log;
        EXPECT_EQ(log.find("Aviso: todos los usuarios pueden modificar la carpeta del programa " +
                           inst.programa.substr(0, inst.programa.size() - 1) + ": Todos (modificar)") != std::string::npos,
                  c.aviso)
            << log;
        EXPECT_TRUE(ReadFile(inst.programa + "CONTA.EXE") == ProgramaConVersion(10, 6));
    }
}

// The downloads of a run go to a folder of its own below the temporary
// folder: one that did not exist before, open to its user alone (under
// Wine: a mode that lets no one else in, so the system reports no entry for
// Everyone), held so that no one renames it while the run needs it, and
// gone with everything in it when the program ends; one a killed run left
// goes at the next start.
TEST(Permisos, DescargasEnUnaCarpetaPrivadaYArchivoRetenido) {
    const std::string temporal = CarpetaTemporalWindows() + "Kavo\\Conta\\";
    auto privadas = [&] {
        std::set<std::string> r;
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(text::Wide(temporal + "Descarga.*").c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return r;
        do r.insert(text::Narrow(d.cFileName));
        while (FindNextFileW(h, &d));
        FindClose(h);
        return r;
    };
    Vendedor vendedor;
    Instalada inst("permisos_descargas");
    ArchiveBuilder act;
    act.AddFile("Conta\\Programa\\CONTA.EXE", ProgramaConVersion(10, 6), Tipo(1));
    vendedor.Conta("QTRACT.KAV", act.Bytes());
    // Left by a run that was killed: the next run removes it. One that its
    // run still holds stays.
    const std::string abandonada = temporal + "Descarga.0000000000000000", enUso = temporal + "Descarga.1111111111111111";
    for (const std::string& c : {abandonada, enUso}) {
        CreateDirectoryW(text::Wide(c).c_str(), nullptr);
        EscribirFichero(c + "\\QTRACT.KAV", "de otra ejecución");
    }
    HANDLE retenida = CreateFileW(text::Wide(enUso).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(retenida, INVALID_HANDLE_VALUE);
    const std::set<std::string> antes = privadas();
    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    // At the closing question the run has downloaded, checked and extracted.
    auto d = EsperarDialogo(v.Pid(), 60s);
    ASSERT_TRUE(d.has_value());
    EXPECT_FALSE(Existe(abandonada));
    EXPECT_TRUE(Existe(enUso + "\\QTRACT.KAV"));
    CloseHandle(retenida);
    std::vector<std::string> nuevas;
    for (const std::string& n : privadas())
        if (!antes.count(n)) nuevas.push_back(n);
    ASSERT_EQ(nuevas.size(), 1u);
    const std::string carpeta = temporal + nuevas[0];
    EXPECT_TRUE(Existe(carpeta + "\\QTRACT.KAV"));
    const std::string lista = ListaDeAcceso(carpeta);
    EXPECT_EQ(lista.find(";;;WD)"), std::string::npos) << lista;
    EXPECT_FALSE(EscribiblePorTodos(carpeta)) << lista;
    EXPECT_FALSE(MoveFileW(text::Wide(carpeta).c_str(), text::Wide(carpeta + ".otra").c_str()))
        << "renamed while the run holds it";
    // The archive it checked and extracted is held until the run ends: it
    // can be neither replaced, renamed, deleted nor written.
    const std::string archivo = carpeta + "\\QTRACT.KAV", otro = inst.raiz + "OTRO.KAV";
    EscribirFichero(otro, "otro archivo");
    EXPECT_FALSE(MoveFileExW(text::Wide(otro).c_str(), text::Wide(archivo).c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(MoveFileW(text::Wide(archivo).c_str(), text::Wide(archivo + ".x").c_str()));
    EXPECT_FALSE(DeleteFileW(text::Wide(archivo).c_str()));
    HANDLE escritura = CreateFileW(text::Wide(archivo).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(escritura, INVALID_HANDLE_VALUE);
    if (escritura != INVALID_HANDLE_VALUE) CloseHandle(escritura);
    EXPECT_TRUE(ReadFile(archivo) == act.Bytes());
    ResponderYCerrar(*d, "&No");
    EXPECT_TRUE(v.proceso->EsperarFin());
    EXPECT_FALSE(Existe(carpeta)) << "the folder goes at exit";
    EXPECT_FALSE(Existe(carpeta + ".otra"));
    EXPECT_TRUE(ReadFile(inst.programa + "CONTA.EXE") == ProgramaConVersion(10, 6));
    DeleteFileW(text::Wide(enUso + "\\QTRACT.KAV").c_str());
    RemoveDirectoryW(text::Wide(enUso).c_str());
}

}  // namespace
