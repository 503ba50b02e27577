// A cut download resumed against a web server we did not write: Debian's
// nginx (started by tools/testserver/with-nginx.sh), with its own ETag,
// If-Range and 206 answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "LibActualizadorComunRed.h"
#include "PoliticaFirmas.h"
#include "TestServer.h"
#include "TextCodec.h"
#include "Win32Handle.h"

namespace {

std::string Env(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? v : "";
}

// The file's last-write time, so that the file can be put back as nginx
// knew it (its ETag is made of that time and the size).
FILETIME Fecha(const std::string& ruta) {
    win::FileHandle h(::CreateFileW(text::Wide(ruta).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME f = {};
    ::GetFileTime(h.get(), nullptr, nullptr, &f);
    return f;
}

void FijarFecha(const std::string& ruta, const FILETIME& f) {
    win::FileHandle h(::CreateFileW(text::Wide(ruta).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(h && ::SetFileTime(h.get(), nullptr, nullptr, &f));
}

// The transfer is cut by emptying the file under nginx while it sends it
// (nginx then drops the connection, and says so in its error log); the file
// is then put back, same bytes and same date, so that nginx still names it
// with the same ETag and the resume may go on.
TEST(DescargaNginx, ResumesACutTransferAgainstNginx) {
    const std::string url = Env("KV_NGINX_URL");
    ASSERT_FALSE(url.empty()) << "run through tools/testserver/with-nginx.sh";
    const std::string raiz = WindowsPath(Env("KV_NGINX_ROOT"));
    const std::string errores = WindowsPath(Env("KV_NGINX_ERROR_LOG"));
    const std::string body = Pattern(3000000, 7);
    const std::string publicado = raiz + "\\nginx.kav";
    WriteFile(publicado, body);
    // Published as the product's, at the server's root where nginx serves it.
    firma::Politica().producto = "QTR";
    SignFileWith(publicado, TestSecretKey(), "nginx.kav");
    const FILETIME fecha = Fecha(publicado);

    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    const std::string dir = text::Narrow(tmp) + "kvdescarga_nginx\\";
    ::CreateDirectoryW(text::Wide(dir).c_str(), nullptr);

    bool cortado = false;
    DescargarFichero(url, "nginx.kav", dir, [&](void*, uint32_t p, uint32_t, TEstadoDescarga, const std::string&, bool&) {
        if (cortado || p < 500000) return;
        cortado = true;
        std::filesystem::resize_file(std::filesystem::path(text::Wide(publicado)), 0);
        for (int i = 0; i < 600 && ReadFile(errores).empty(); ++i) ::Sleep(50);
        WriteFile(publicado, body);
        FijarFecha(publicado, fecha);
    });
    ASSERT_TRUE(cortado);
    EXPECT_NE(ReadFile(errores), "") << "nginx did not see the file cut";
    EXPECT_TRUE(ReadFile(dir + "nginx.kav") == body);

    // "GET /nginx.kav HTTP/1.1 STATUS BYTES "RANGE" "IF-RANGE""
    std::istringstream log(ReadFile(WindowsPath(Env("KV_NGINX_ACCESS_LOG"))));
    std::vector<std::string> lineas;
    for (std::string l; std::getline(log, l);)
        if (l.rfind("GET /nginx.kav ", 0) == 0) lineas.push_back(l);
    ASSERT_EQ(lineas.size(), 2u);
    std::istringstream primera(lineas[0]), segunda(lineas[1]);
    std::string metodo, ruta, version, estado1, estado2, rango;
    uint64_t bytes1 = 0, bytes2 = 0;
    primera >> metodo >> ruta >> version >> estado1 >> bytes1;
    segunda >> metodo >> ruta >> version >> estado2 >> bytes2 >> rango;
    EXPECT_EQ(estado1, "200");
    EXPECT_EQ(estado2, "206");
    EXPECT_LT(bytes1, body.size());
    // The resume asked for the bytes it did not hold, and got only those.
    EXPECT_EQ(rango, "\"bytes=" + std::to_string(body.size() - bytes2) + "-\"") << lineas[1];
    EXPECT_NE(lineas[1].find("\\x22"), std::string::npos) << "no If-Range with the ETag: " << lineas[1];
}

}  // namespace
