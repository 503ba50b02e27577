#include "Entorno.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TextCodec.h"

namespace prueba {
namespace fs = std::filesystem;

namespace {

fs::path Camino(const std::string& utf8) { return fs::path(text::Wide(utf8)); }

// COM for the shell link tests, as the program initialises it at start.
class ComDelHilo : public testing::Environment {
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const kCom = testing::AddGlobalTestEnvironment(new ComDelHilo);

}  // namespace

CarpetaPrueba::CarpetaPrueba() {
    static int numero = 0;
    wchar_t temporal[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temporal);
    ruta_ = text::Narrow(temporal) + "pruebas año " + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++numero);
    fs::remove_all(Camino(ruta_));
    fs::create_directories(Camino(ruta_));
}

CarpetaPrueba::~CarpetaPrueba() {
    // Tests leave read-only files behind on purpose.
    std::error_code error;
    for (const auto& e : fs::recursive_directory_iterator(Camino(ruta_), error))
        SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(Camino(ruta_), error);
}

void EscribirFichero(const std::string& ruta, const std::string& contenido) {
    std::ofstream(Camino(ruta), std::ios::binary) << contenido;
}

std::string LeerFichero(const std::string& ruta) {
    std::ifstream f(Camino(ruta), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool Existe(const std::string& ruta) { return fs::exists(Camino(ruta)); }

void CrearCarpeta(const std::string& ruta) { fs::create_directories(Camino(ruta)); }

std::string Comillas(const std::string& texto) {
    std::string s(1, '"');
    s += texto;
    s += '"';
    return s;
}

std::string Fixture(const std::string& nombre) {
    wchar_t propio[MAX_PATH];
    GetModuleFileNameW(nullptr, propio, MAX_PATH);
    return text::Narrow(fs::path(propio).parent_path().wstring()) + "\\" + nombre;
}

Ayudante::Ayudante(const std::string& argumentos) {
    std::wstring linea = text::Wide(Comillas(Fixture("ayudante_servicios.exe")) + " " + argumentos);
    STARTUPINFOW inicio{};
    inicio.cb = sizeof inicio;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, linea.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &inicio, &pi))
        ADD_FAILURE() << "the helper did not start";
    CloseHandle(pi.hThread);
    proceso_.reset(pi.hProcess);
}

Ayudante::~Ayudante() {
    if (proceso_ && WaitForSingleObject(proceso_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(proceso_.get(), 1);
        WaitForSingleObject(proceso_.get(), 5000);
    }
}

FicheroRetenido::FicheroRetenido(const std::string& ruta)
    : ayudante_("retener " + Comillas(ruta) + " " + Comillas(ruta + ".retenido")) {
    for (int i = 0; i < 1000 && !Existe(ruta + ".retenido"); ++i) Sleep(10);
    EXPECT_TRUE(Existe(ruta + ".retenido")) << "the helper never held " << ruta;
}

}  // namespace prueba
