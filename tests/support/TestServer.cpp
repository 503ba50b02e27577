#include "TestServer.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "FirmaFicheros.h"
#include "TextCodec.h"
#include "Win32Handle.h"

namespace {

std::string Env(const wchar_t* name) {
    const wchar_t* v = ::_wgetenv(name);
    return v ? text::Narrow(v) : std::string();
}

}  // namespace

// The server runs on the Linux side; Wine shows the root file system as Z:.
std::string WindowsPath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

const TestServer& TestServer::Get() {
    static TestServer server = [] {
        TestServer s;
        s.base_ = Env(L"KV_TEST_SERVER_URL");
        s.root_ = WindowsPath(Env(L"KV_TEST_SERVER_ROOT"));
        s.log_ = WindowsPath(Env(L"KV_TEST_SERVER_LOG"));
        return s;
    }();
    if (server.base_.empty())
        ADD_FAILURE() << "no test server: run through tools/testserver/with-testserver.sh";
    return server;
}

std::string TestServer::Put(const std::string& name, const std::string& bytes, const Publicacion& p) const {
    PutUnsigned(name, bytes);
    SignWith(name, TestSecretKey(), p);
    return Url(name);
}

std::string TestServer::PutUnsigned(const std::string& name, const std::string& bytes) const {
    std::filesystem::path file(text::Wide(root_ + "\\" + name));
    std::filesystem::create_directories(file.parent_path());
    WriteFile(root_ + "\\" + name, bytes);
    return Url(name);
}

void TestServer::Remove(const std::string& name) const {
    std::error_code ninguno;
    std::filesystem::remove(std::filesystem::path(text::Wide(root_ + "\\" + name)), ninguno);
    std::filesystem::remove(std::filesystem::path(text::Wide(root_ + "\\" + name + firma::kExtensionFirma)), ninguno);
}

void TestServer::SignWith(const std::string& name, const std::string& secretKey, const Publicacion& p) const {
    std::string published = name;
    std::replace(published.begin(), published.end(), '\\', '/');
    SignFileWith(root_ + "\\" + name, secretKey, published, p);
}

void SignFileWith(const std::string& path, const std::string& secretKey, const std::string& published,
                  const Publicacion& p) {
    firma::TDeclaracion d = firma::DeclararFichero(path);
    const std::string nombre = text::UpperAscii(d.nombre);
    d.producto = p.producto;
    const bool registro = nombre.size() > 4 && nombre.compare(nombre.size() - 4, 4, ".VER") == 0;
    d.ruta = !published.empty() ? published
                                : "_descargas_/externos/Conta/" + std::string(registro ? "clientes/" : "") + d.nombre;
    d.canal = p.canal.value_or(nombre.find("BETA") != std::string::npos ? firma::Canal::Beta : firma::Canal::Normal);
    d.version = p.version.value_or(TestServer::Release());
    const bool incremental = (nombre.size() >= 7 && nombre.compare(nombre.size() - 7, 7, "ACT.KAV") == 0) ||
                             nombre.find("DIF_") != std::string::npos;
    d.desde = p.desde ? p.desde : (incremental ? std::optional<uint32_t>(d.version - 1) : std::nullopt);
    if (p.completa) d.desde.reset();
    d.fecha = p.fecha != 0 ? p.fecha : static_cast<int64_t>(std::time(nullptr));
    WriteFile(path + firma::kExtensionFirma, firma::Firmar(d, secretKey));
}

std::string TestSecretKey() { return firma::DesdeHex(KV_TEST_SECRET_KEY, firma::kBytesClaveSecreta); }
std::string RotatedSecretKey() { return firma::DesdeHex(KV_ROTATED_SECRET_KEY, firma::kBytesClaveSecreta); }

void TestServer::Control(const std::string& query) const {
    win::InternetHandle session(::InternetOpenW(L"kv-tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    std::wstring url = text::Wide(Url("_control/" + query));
    win::InternetHandle req(::InternetOpenUrlW(
        session.get(), url.c_str(), nullptr, 0,
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
    DWORD code = 0, size = sizeof code;
    if (!req || !::HttpQueryInfoW(req.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                                  nullptr) ||
        code != 200)
        throw std::runtime_error("control request refused: " + query);
}

void TestServer::SetFault(const std::string& path, const std::string& mode) const {
    Control("fault?path=" + path + "&mode=" + mode);
}

namespace {
uint32_t g_release = Version(10, 5);
}  // namespace

void TestServer::SetRelease(uint16_t mayor, uint16_t menor) { g_release = Version(mayor, menor); }
uint32_t TestServer::Release() { return g_release; }

void TestServer::Reset() const { Control("reset"); }

std::vector<std::string> TestServer::Requests() const {
    std::istringstream in(ReadFile(log_));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int TestServer::Gets(const std::string& path) const {
    int n = 0;
    for (const std::string& line : Requests())
        if (line == "GET " + path + " HTTP/1.1" || line == "GET " + path + " HTTP/1.0") ++n;
    return n;
}

std::string Pattern(size_t size, unsigned seed) {
    std::string s(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

std::string GeneratedBody(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i % 251);
    return s;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(text::Wide(path)), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool FileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesW(text::Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(text::Wide(path)), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}
