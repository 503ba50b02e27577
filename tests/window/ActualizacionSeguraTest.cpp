// Updates that never leave a broken installation, end to end: the real
// Actualizador.exe under Wine updating an installed copy from the test web
// server, with a fault placed somewhere in the run. Each case compares the
// whole installation tree, byte for byte, with what it must be afterwards.
#include <gtest/gtest.h>

#include <functional>

#include "InstalacionPrueba.h"

using namespace prueba;
using kavmake::ArchiveBuilder;

namespace {

// Every file and folder below `carpeta` (relative path -> bytes; folders as
// "<carpeta>"), the lock file and the updater's own copy left out: they are
// the run's, not the installation's.
std::map<std::string, std::string> Arbol(const std::string& carpeta, const std::string& relativa = {}) {
    std::map<std::string, std::string> r;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(text::Wide(carpeta + relativa + "*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return r;
    do {
        const std::string nombre = text::Narrow(d.cFileName);
        if (nombre == "." || nombre == "..") continue;
        const std::string ruta = relativa + nombre;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            r[ruta + "\\"] = "<carpeta>";
            r.merge(Arbol(carpeta, ruta + "\\"));
        } else {
            r[ruta] = ReadFile(carpeta + ruta);
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

}  // namespace
