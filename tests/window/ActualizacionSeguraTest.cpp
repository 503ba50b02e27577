// Updates that never leave a broken installation, end to end: the real
// Actualizador.exe under Wine updating an installed copy from the test web
// server, with a fault placed somewhere in the run. Each case compares the
// whole installation tree, byte for byte, with what it must be afterwards.
#include <gtest/gtest.h>

#include <functional>

#include "InstalacionPrueba.h"
#include "Win32Handle.h"

using namespace prueba;
using kavmake::ArchiveBuilder;

namespace {

// Every file and folder below `carpeta`: relative path -> size and hash of
// the bytes (folders: "<carpeta>"). The updater's own settings are left
// out: it keeps there the newest release record it accepted, at start-up,
// whatever the run then does.
std::map<std::string, std::string> Arbol(const std::string& carpeta, const std::string& relativa = {}) {
    std::map<std::string, std::string> r;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(text::Wide(carpeta + relativa + "*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return r;
    do {
        const std::string nombre = text::Narrow(d.cFileName);
        if (nombre == "." || nombre == ".." || text::UpperAscii(nombre) == "ACTUALIZADOR.INI") continue;
        const std::string ruta = relativa + nombre;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            r[ruta + "\\"] = "<carpeta>";
            r.merge(Arbol(carpeta, ruta + "\\"));
        } else {
            const std::string bytes = ReadFile(carpeta + ruta);
            r[ruta] = std::to_string(bytes.size()) + " bytes, " + std::to_string(std::hash<std::string>()(bytes));
        }
    } while (FindNextFileW(h, &d));
    FindClose(h);
    return r;
}

// The names where two trees differ, for the failure message.
std::string Diferencias(const std::map<std::string, std::string>& a, const std::map<std::string, std::string>& b) {
    std::string r;
    for (const auto& [k, v] : a)
        if (!b.count(k) || b.at(k) != v) r += " " + k;
    for (const auto& [k, v] : b)
        if (!a.count(k)) r += " +" + k;
    return r;
}

// The release 10.06 of the installed copy: entries in this order, the
// fault on the one named.
struct Entrada {
    std::string nombre;  // below Conta\Programa
    std::string bytes;
};
std::vector<Entrada> Lanzamiento() {
    return {{"CONTA.EXE", ProgramaConVersion(10, 6)},
            {"LIB.DLL", Pattern(90000, 21)},
            {"Util\\LIB.DLL", Pattern(4000, 22)},
            {"NOTAS.TXT", "de la versión"},
            {"Nueva\\Dentro\\NUEVO.TXT", "nuevo"},
            {"MEDIO.DLL", Pattern(5000, 23)},
            {"AYUDA.CHM", Pattern(20000, 24)}};
}

std::string Archivo(const std::string& danada) {
    ArchiveBuilder act;
    for (const Entrada& e : Lanzamiento()) {
        FileOptions o = Tipo(1);
        if (e.nombre == danada) o.fault = kavmake::Fault::WrongCrc;
        act.AddFile("Conta\\Programa\\" + e.nombre, e.bytes, o);
    }
    return act.Bytes();
}

// --- a damaged download ------------------------------------------------------------------

struct CasoDanado {
    const char* nombre;
    std::function<std::string()> archivo;  // what the server hands out
};

class ArchivoDanado : public ::testing::TestWithParam<CasoDanado> {};

// Found before anything changes: the message names the archive, and the
// tree is as it was, settings file included.
TEST_P(ArchivoDanado, NoTocaLaInstalacion) {
    const CasoDanado& c = GetParam();
    Vendedor vendedor;
    Instalada inst(std::string("danado_") + c.nombre);
    const auto antes = Arbol(inst.raiz);
    vendedor.Conta("QTRACT.KAV", c.archivo());

    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    Dialogo d = Contestar(v, "Vale");
    EXPECT_NE(d.texto.find("QTRACT.KAV"), std::string::npos) << d.texto;
    EXPECT_NE(d.texto.find("está dañado o incompleto"), std::string::npos) << d.texto;
    EXPECT_TRUE(Esperar([&] { return !Existe(inst.raiz + "KAVO.KAVO"); }));
    const auto despues = Arbol(inst.raiz);
    EXPECT_EQ(despues, antes) << Diferencias(antes, despues);
    PulsarTecla(v.h, VK_ESCAPE);
    Contestar(v, "Vale");
    EXPECT_TRUE(v.proceso->EsperarFin());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ArchivoDanado,
    ::testing::Values(CasoDanado{"primera", [] { return Archivo("CONTA.EXE"); }},
                      CasoDanado{"media", [] { return Archivo("NOTAS.TXT"); }},
                      CasoDanado{"ultima", [] { return Archivo("AYUDA.CHM"); }},
                      CasoDanado{"cortado",
                                 [] {
                                     const std::string a = Archivo("");
                                     return a.substr(0, a.size() * 2 / 3);
                                 }}),
    [](const auto& info) { return std::string(info.param.nombre); });


// --- names that leave the folder -------------------------------------------------------

struct CasoNombre {
    const char* caso;
    std::string nombre;  // as stored in the archive
    std::string fuera;   // where it would land if it were written; empty: nowhere to look
};

class NombreFuera : public ::testing::TestWithParam<CasoNombre> {};

// Refused while the archive is checked, with the message a ".." name gets:
// nothing is written, inside the installation or outside it.
TEST_P(NombreFuera, SeRechazaSinEscribirNada) {
    const CasoNombre& c = GetParam();
    Vendedor vendedor;
    Instalada inst(std::string("nombre_") + c.caso);
    if (!c.fuera.empty()) DeleteFileW(text::Wide(c.fuera).c_str());
    const auto antes = Arbol(inst.raiz);
    ArchiveBuilder act;
    act.AddFile("Conta\\Programa\\LIB.DLL", Pattern(90000, 21), Tipo(1));
    act.AddFile(c.nombre, "fuera", Tipo(1));
    act.AddFile("Conta\\Programa\\AYUDA.CHM", Pattern(20000, 24), Tipo(1));
    vendedor.Conta("QTRACT.KAV", act.Bytes());

    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    Dialogo d = Contestar(v, "Vale");
    EXPECT_NE(d.texto.find("Nombre de archivo no permitido en el archivo: \"" + c.nombre + "\""), std::string::npos)
        << d.texto;
    EXPECT_TRUE(Esperar([&] { return !Existe(inst.raiz + "KAVO.KAVO"); }));
    const auto despues = Arbol(inst.raiz);
    EXPECT_EQ(despues, antes) << Diferencias(antes, despues);
    if (!c.fuera.empty()) EXPECT_FALSE(Existe(c.fuera)) << c.fuera;
    PulsarTecla(v.h, VK_ESCAPE);
    Contestar(v, "Vale");
    EXPECT_TRUE(v.proceso->EsperarFin());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, NombreFuera,
    ::testing::Values(CasoNombre{"unidad", "C:\\kv_nombre_fuera.txt", "C:\\kv_nombre_fuera.txt"},
                      CasoNombre{"recurso", "\\\\servidor\\recurso\\kv_nombre_fuera.txt", ""},
                      CasoNombre{"dispositivo", "\\\\.\\pipe\\kv_nombre_fuera", ""},
                      CasoNombre{"relativo_unidad", "C:..\\kv_nombre_fuera.txt", "C:\\kv_nombre_fuera.txt"},
                      CasoNombre{"reservado", "Conta\\Programa\\CON.txt", ""},
                      CasoNombre{"reservado_carpeta", "Conta\\Programa\\nul\\x.txt", ""},
                      CasoNombre{"punto_final", "Conta\\Programa\\NOTAS.TXT.", ""},
                      CasoNombre{"espacio_final", "Conta\\Programa\\NOTAS.TXT ", ""},
                      CasoNombre{"largo", "Conta\\Programa\\" + std::string(252, 'L') + ".txt", ""}),
    [](const auto& info) { return std::string(info.param.caso); });

// --- DLLs planted beside the updater ------------------------------------------------------

// A DLL named like a system DLL beside the updater (as an installer sits in
// the Downloads folder) is never loaded: the update runs to its end with the
// system's own. Wine is told to prefer a DLL found beside the program, as
// Windows does for these names.
TEST(DllPlantadas, NoSeCarganYLaActualizacionTermina) {
    Vendedor vendedor;
    Instalada inst("dll_plantadas");
    const char* nombres[] = {"VERSION.dll", "MPR.dll", "UxTheme.dll", "WININET.dll"};
    for (const char* n : nombres)
        ASSERT_TRUE(CopyFileW(text::Wide(RutaWindows(KV_DLL_PLANTADA)).c_str(), text::Wide(inst.programa + n).c_str(),
                              FALSE));
    vendedor.Conta("QTRACT.KAV", Archivo(""));
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"version,mpr,uxtheme,wininet=n,b");
    Ventana v = inst.Arrancar();
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", nullptr);
    ASSERT_NE(v.h, nullptr) << "the updater did not start";
    Pulsar(Control(v.h, "bInstalar"));
    Contestar(v, "&No");
    EXPECT_TRUE(v.proceso->EsperarFin());
    for (const Entrada& e : Lanzamiento()) EXPECT_TRUE(ReadFile(inst.programa + e.nombre) == e.bytes) << e.nombre;
    for (const char* n : nombres) EXPECT_FALSE(Existe(inst.programa + n + ".cargada")) << n;
}

// --- faults while the files change -------------------------------------------------------

// Answers every message box the run shows until the window is idle again,
// and returns their texts.
std::vector<std::string> ContestarHastaReposo(const Ventana& v, const Instalada& inst) {
    std::vector<std::string> textos;
    for (Dialogo d = Contestar(v, "Vale"); d.h; d = Contestar(v, "Vale", 5s)) {
        textos.push_back(d.texto);
        Esperar([&] { return !IsWindow(d.h) || !IsWindowVisible(d.h); });  // not the same box again
    }
    Esperar([&] { return !Existe(inst.raiz + "KAVO.KAVO"); });
    return textos;
}

std::string Todos(const std::vector<std::string>& textos) {
    std::string r;
    for (const std::string& t : textos) r += "[" + t + "] ";
    return r;
}

enum class Obstaculo { SoloLectura, Abierto, Carpeta };

struct CasoObstaculo {
    const char* nombre;
    Obstaculo obstaculo;
    const char* fichero;  // below Contab\Programa
};

class FalloAlEscribir : public ::testing::TestWithParam<CasoObstaculo> {};

// The tree is as it was after the run, and the message names the file.
TEST_P(FalloAlEscribir, DejaElArbolComoEstaba) {
    const CasoObstaculo& c = GetParam();
    Vendedor vendedor;
    Instalada inst(std::string("obstaculo_") + c.nombre);
    const std::string ruta = inst.programa + c.fichero;
    win::FileHandle abierto;
    switch (c.obstaculo) {
    case Obstaculo::SoloLectura: SetFileAttributesW(text::Wide(ruta).c_str(), FILE_ATTRIBUTE_READONLY); break;
    case Obstaculo::Abierto:
        abierto.reset(CreateFileW(text::Wide(ruta).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(abierto);
        break;
    case Obstaculo::Carpeta: SHCreateDirectoryExW(nullptr, text::Wide(ruta).c_str(), nullptr); break;
    }
    const auto antes = Arbol(inst.raiz);
    vendedor.Conta("QTRACT.KAV", Archivo(""));
    // A program held open hides its version: the full archive is asked for.
    vendedor.Conta("QTR.KAV", Archivo(""));

    Ventana v = inst.Arrancar();
    ASSERT_NE(v.h, nullptr);
    Pulsar(Control(v.h, "bInstalar"));
    const std::vector<std::string> textos = ContestarHastaReposo(v, inst);
    EXPECT_NE(Todos(textos).find(c.fichero), std::string::npos) << Todos(textos);
    const auto despues = Arbol(inst.raiz);  // as `antes`, with the file still held
    abierto.reset();
    EXPECT_EQ(despues, antes) << Diferencias(antes, despues);
    SetFileAttributesW(text::Wide(ruta).c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, FalloAlEscribir,
    ::testing::Values(CasoObstaculo{"solo_lectura_primera", Obstaculo::SoloLectura, "CONTA.EXE"},
                      CasoObstaculo{"solo_lectura_media", Obstaculo::SoloLectura, "NOTAS.TXT"},
                      CasoObstaculo{"solo_lectura_ultima", Obstaculo::SoloLectura, "MEDIO.DLL"},
                      CasoObstaculo{"abierto_primera", Obstaculo::Abierto, "CONTA.EXE"},
                      CasoObstaculo{"abierto_media", Obstaculo::Abierto, "Util\\LIB.DLL"},
                      CasoObstaculo{"abierto_ultima", Obstaculo::Abierto, "MEDIO.DLL"},
                      CasoObstaculo{"carpeta_media", Obstaculo::Carpeta, "Nueva\\Dentro\\NUEVO.TXT"},
                      CasoObstaculo{"carpeta_ultima", Obstaculo::Carpeta, "AYUDA.CHM"}),
    [](const auto& info) { return std::string(info.param.nombre); });

// --- the run stopped halfway ---------------------------------------------------------------

// The release with enough data that the extraction takes a while: the
// files above, then large ones; with `actualizador`, the updater's own file
// third.
std::string ArchivoGrande(bool actualizador = false) {
    ArchiveBuilder act;
    for (const Entrada& e : Lanzamiento()) {
        act.AddFile("Conta\\Programa\\" + e.nombre, e.bytes, Tipo(1));
        if (actualizador && e.nombre == "LIB.DLL") act.AddFile("Conta\\Programa\\Actualizador.exe", ReadFile(Programa()), Tipo(1));
    }
    for (int i = 0; i < 8; ++i)
        act.AddFile("Conta\\Programa\\Datos" + std::to_string(i) + "\\GRANDE.DAT",
                    kavmake::MixedData(3 << 20, static_cast<uint32_t>(i + 7)), Tipo(1));
    return act.Bytes();
}

std::string RutaRegistro() { return CarpetaTemporalWindows() + "Kavo\\Conta\\Actualizador.log"; }

// How many files the run has started to write since the log had `desde` bytes.
int FicherosEmpezados(size_t desde) {
    const std::string log = ReadFile(RutaRegistro());
    int n = 0;
    for (size_t p = desde; p < log.size();) {
        size_t fin = log.find('\n', p);
        if (fin == std::string::npos) fin = log.size();
        const std::string linea = log.substr(p, fin - p);
        if (linea.find("  Reemplazando ") != std::string::npos || linea.find("  Escribiendo ") != std::string::npos) ++n;
        p = fin + 1;
    }
    return n;
}

// Starts the update of `inst` to the large release and returns once the run
// has started to write `ficheros` files (no window when it did not get there).
Ventana ActualizarHasta(const Vendedor& vendedor, const Instalada& inst, int ficheros, bool actualizador = false) {
    vendedor.Conta("QTRACT.KAV", ArchivoGrande(actualizador));
    const size_t desde = ReadFile(RutaRegistro()).size();
    Ventana v = inst.Arrancar();
    if (!v.h) return v;
    Pulsar(Control(v.h, "bInstalar"));
    if (!Esperar([&] { return FicherosEmpezados(desde) >= ficheros; })) v.h = nullptr;
    return v;
}

// A cancel through the close query in the middle of the extraction.
TEST(Detenida, CancelarEnMitadDeLaExtraccion) {
    Vendedor vendedor;
    Instalada inst("detenida_cancelar");
    const auto antes = Arbol(inst.raiz);
    Ventana v = ActualizarHasta(vendedor, inst, 3);
    ASSERT_NE(v.h, nullptr);
    PostMessageW(v.h, WM_CLOSE, 0, 0);
    Dialogo d = Contestar(v, "Vale");
    EXPECT_EQ(d.texto, "Cancelar Actualización");
    Esperar([&] { return !IsWindow(d.h) || !IsWindowVisible(d.h); });
    const std::vector<std::string> textos = ContestarHastaReposo(v, inst);
    const auto despues = Arbol(inst.raiz);
    EXPECT_EQ(despues, antes) << Diferencias(antes, despues) << Todos(textos);
}

struct PuntoTerminada {
    int ficheros;       // started when the process is ended
    bool actualizador;  // the release replaces the running updater's file
};

class Terminada : public ::testing::TestWithParam<PuntoTerminada> {};

// The process ended from outside after N files were started; the next
// start, from the updater at the path the accounting program uses, puts the
// installation back and says so, and an update then runs to its end.
TEST_P(Terminada, ElSiguienteArranqueRestaura) {
    const PuntoTerminada p = GetParam();
    Vendedor vendedor;
    Instalada inst("terminada_" + std::to_string(p.ficheros) + (p.actualizador ? "_act" : ""));
    const auto antes = Arbol(inst.raiz);
    ASSERT_NE(ActualizarHasta(vendedor, inst, p.ficheros, p.actualizador).h, nullptr);  // ended here, without any clean-up
    EXPECT_NE(Arbol(inst.raiz), antes) << "ended before it changed anything";
    EXPECT_TRUE(Existe(inst.Copias() + "\\Actualizacion.diario"));
    ASSERT_TRUE(Existe(inst.programa + inst.ejecutable)) << "no updater to start";

    // The next start: the message comes before the window.
    Ventana v;
    v.proceso = std::make_unique<Proceso>(inst.programa + inst.ejecutable, std::vector<std::string>{"PRUEBA.VER"},
                                          inst.programa);
    auto d = EsperarDialogo(v.Pid(), 30s);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->texto, "La última Actualización no terminó.\r\n\r\nSe ha restaurado la instalación tal como "
                        "estaba antes. Ya puedes actualizar de nuevo.");
    Responder(*d, "Vale");
    v.h = EsperarVentana(v.Pid(), L"KvFormulario");
    ASSERT_NE(v.h, nullptr);
    auto despues = Arbol(inst.raiz);
    despues.erase("KAVO.KAVO");  // the lock of the ended run stays behind, released
    // The updater running now, put back under itself: aside until its next start.
    despues.erase("Contab\\Programa\\Actualizador.exe.anterior");
    EXPECT_EQ(despues, antes) << Diferencias(antes, despues);

    Pulsar(Control(v.h, "bInstalar"));
    Contestar(v, "&No");
    EXPECT_TRUE(v.proceso->EsperarFin());
    for (const Entrada& e : Lanzamiento()) EXPECT_TRUE(ReadFile(inst.programa + e.nombre) == e.bytes) << e.nombre;
    EXPECT_TRUE(ReadFile(inst.programa + inst.ejecutable) == ReadFile(Programa()));
    EXPECT_FALSE(Existe(inst.Copias()));
}

INSTANTIATE_TEST_SUITE_P(Puntos, Terminada,
                         ::testing::Values(PuntoTerminada{1, false}, PuntoTerminada{5, false}, PuntoTerminada{11, false},
                                           PuntoTerminada{3, true}, PuntoTerminada{11, true}),
                         [](const auto& info) {
                             return std::to_string(info.param.ficheros) + (info.param.actualizador ? "_actualizador" : "");
                         });

// --- journals and names another user may plant --------------------------------------------

// Starts the updater and returns the first message it shows, answered.
Dialogo PrimerMensaje(Ventana& v, const Instalada& inst, const std::vector<std::string>& args) {
    v.proceso = std::make_unique<Proceso>(inst.programa + inst.ejecutable, args, inst.programa);
    auto d = EsperarDialogo(v.Pid(), 30s);
    if (!d) return {};
    ResponderYCerrar(*d, "Vale");
    return *d;
}

// A journal planted in the program folder, even beside a forged marker, is
// not obeyed: the file it names outside the installation stays, the message
// names the journal, nothing of the installation changes and the journal
// stays for support.
TEST(Plantado, DiarioConUnaRutaDeFuera) {
    Vendedor vendedor;
    for (const char* carpeta : {"Complementos", "10.05"}) {
        Instalada inst(std::string("plantado_") + carpeta);
        const std::string victima = inst.raiz + "victima.txt";
        EscribirFichero(victima, "de otro usuario");
        const std::string copias = inst.programa + carpeta;
        CreateDirectoryW(text::Wide(copias).c_str(), nullptr);
        EscribirFichero(copias + "\\Actualizacion.copia", "Copia de seguridad de una actualización\r\n" + copias + "\r\n");
        const std::string diario = copias + "\\Actualizacion.diario";
        EscribirFichero(diario, "N\t" + victima + "\r\n");
        const auto antes = Arbol(inst.raiz);

        Ventana v;
        const Dialogo d = PrimerMensaje(v, inst, {"PRUEBA.VER"});
        EXPECT_NE(d.texto.find("no se ha seguido:\r\n\r\n" + diario), std::string::npos) << carpeta << ": " << d.texto;
        v.h = EsperarVentana(v.Pid(), L"KvFormulario");
        ASSERT_NE(v.h, nullptr) << carpeta;
        const auto despues = Arbol(inst.raiz);
        EXPECT_EQ(despues, antes) << carpeta << Diferencias(antes, despues);
        PulsarTecla(v.h, VK_ESCAPE);
        Contestar(v, "Vale");
        EXPECT_TRUE(v.proceso->EsperarFin()) << carpeta;
        EXPECT_EQ(ReadFile(victima), "de otro usuario") << carpeta;
    }
}

// A backup-named folder that is a link to somewhere else: the journal found
// through it is not followed, and nothing there or in the installation goes.
TEST(Plantado, CarpetaDeCopiaQueEsUnEnlace) {
    Vendedor vendedor;
    Instalada inst("plantado_enlace");
    const std::string fuera = CarpetaNueva("plantado_enlace_fuera");
    EscribirFichero(fuera + "AJENO.TXT", "de otro sitio");
    if (!CreateSymbolicLinkW(text::Wide(inst.Copias()).c_str(), text::Wide(fuera).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !(GetFileAttributesW(text::Wide(inst.Copias()).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "this system makes no folder links";
    EscribirFichero(fuera + "Actualizacion.copia", "Copia de seguridad de una actualización\r\n" + inst.Copias() + "\r\n");
    EscribirFichero(fuera + "Actualizacion.diario", "N\t" + inst.programa + "NOTAS.TXT\r\n");
    const auto antes = Arbol(inst.raiz);
    Ventana v;
    const Dialogo d = PrimerMensaje(v, inst, {"PRUEBA.VER"});
    // Where the system lists the link among the folders, its journal is
    // refused by name; where it does not, the journal is never found.
    if (!d.texto.empty()) EXPECT_NE(d.texto.find("es un enlace a otro lugar"), std::string::npos) << d.texto;
    v.h = EsperarVentana(v.Pid(), L"KvFormulario");
    ASSERT_NE(v.h, nullptr);
    EXPECT_EQ(Arbol(inst.raiz), antes);
    EXPECT_EQ(ReadFile(fuera + "AJENO.TXT"), "de otro sitio");
    PulsarTecla(v.h, VK_ESCAPE);
    Contestar(v, "Vale");
    EXPECT_TRUE(v.proceso->EsperarFin());
}

// A second updater started while the first holds the installation's lock
// leaves an interrupted update's journal and files alone; once the lock is
// free, the next start puts the installation back.
TEST(Plantado, SegundoActualizadorConElBloqueoTomado) {
    Vendedor vendedor;
    Instalada inst("plantado_bloqueo");
    const auto antes = Arbol(inst.raiz);
    ASSERT_NE(ActualizarHasta(vendedor, inst, 5).h, nullptr);
    const auto interrumpida = Arbol(inst.raiz);
    {
        win::FileHandle bloqueo(CreateFileW(text::Wide(inst.raiz + "KAVO.KAVO").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(bloqueo);
        Ventana v = inst.Arrancar();  // no message: the window comes up
        ASSERT_NE(v.h, nullptr);
        EXPECT_EQ(Arbol(inst.raiz), interrumpida) << Diferencias(interrumpida, Arbol(inst.raiz));
        PulsarTecla(v.h, VK_ESCAPE);
        Contestar(v, "Vale");
        EXPECT_TRUE(v.proceso->EsperarFin());
    }
    // The record went with the updater that read it.
    EscribirFichero(CarpetaTemporalWindows() + "Kavo\\Conta\\PRUEBA.VER", RegistroComprimido(2026, 11, 20, 4711, 10, 6));
    Ventana v;
    const Dialogo d = PrimerMensaje(v, inst, {"PRUEBA.VER"});
    EXPECT_NE(d.texto.find("Se ha restaurado la instalación"), std::string::npos) << d.texto;
    v.h = EsperarVentana(v.Pid(), L"KvFormulario");
    ASSERT_NE(v.h, nullptr);
    auto despues = Arbol(inst.raiz);
    despues.erase("KAVO.KAVO");
    EXPECT_EQ(despues, antes) << Diferencias(antes, despues);
    PulsarTecla(v.h, VK_ESCAPE);
    Contestar(v, "Vale");
    EXPECT_TRUE(v.proceso->EsperarFin());
}

// The record named on the command line is read from, and deleted at exit
// in, the temporary folder only: a name that leads elsewhere is refused at
// start-up and the file it names stays.
TEST(Plantado, NombreDelRegistroFueraDeSuCarpeta) {
    Vendedor vendedor;
    Instalada inst("plantado_registro");
    const std::string victima = CarpetaTemporalWindows() + "victima.VER";
    const std::string registro = RegistroComprimido(2026, 11, 20, 4711, 10, 6);
    EscribirFichero(victima, registro);
    Ventana v;
    const Dialogo d = PrimerMensaje(v, inst, {"..\\..\\victima.VER"});
    EXPECT_EQ(d.texto, "El nombre del fichero de la instalación no es válido:\r\n\r\n..\\..\\victima.VER");
    EXPECT_TRUE(v.proceso->EsperarFin());
    EXPECT_TRUE(ReadFile(victima) == registro);
    DeleteFileW(text::Wide(victima).c_str());
}

}  // namespace
