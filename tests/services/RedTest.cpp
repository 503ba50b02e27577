// The URL probe, the size text, the progress bar helper, the server address
// and the platform family.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Application.h"
#include "LibActualizadorComunPlataforma.h"
#include "LibActualizadorComunRed.h"
#include "ProcessMessages.h"
#include "TestServer.h"
#include "TextCodec.h"

namespace {

// Sets an environment variable for the test's lifetime (children inherit it).
class EnvVar {
public:
    EnvVar(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[4096];
        DWORD n = ::GetEnvironmentVariableW(name, old, 4096);
        had_ = n > 0 && n < 4096;
        if (had_) old_ = old;
        ::SetEnvironmentVariableW(name, value.c_str());
        _wputenv_s(name, value.c_str());
    }
    ~EnvVar() {
        ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr);
        _wputenv_s(name_, had_ ? old_.c_str() : L"");
    }

private:
    const wchar_t* name_;
    std::wstring old_;
    bool had_ = false;
};

// A folder put first on PATH whose ping.bat prints the given summary line, so
// that "ping" answers as a Spanish system would.
class PingFalso {
public:
    explicit PingFalso(const std::string& resumen) {
        wchar_t tmp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, tmp);
        dir_ = text::Narrow(tmp) + "kvping";
        ::CreateDirectoryW(text::Wide(dir_).c_str(), nullptr);
        WriteFile(dir_ + "\\ping.bat", "@echo off\r\necho " + resumen + "\r\n");
        wchar_t path[8192];
        ::GetEnvironmentVariableW(L"PATH", path, 8192);
        path_.emplace(L"PATH", text::Wide(dir_) + L";" + path);
    }

private:
    std::string dir_;
    std::optional<EnvVar> path_;
};

// What the program's callers announce: the application's title.
std::string Agente() {
    forms::Application().SetTitle("Instalación Conta Kavo");
    return forms::Application().Title();
}

TEST(ComprobarURL, WithSpanishPingTellsTheStatusOfTheUrl) {
    const TestServer& server = TestServer::Get();
    server.Reset();
    EnvVar servidor(L"KAVO_SERVIDOR", text::Wide(server.Url()));
    PingFalso ping("    Paquetes: enviados = 1, recibidos = 1, perdidos = 0");
    server.Put("ok.html", "<html></html>");
    server.Put("roto.html", "<html></html>");
    server.SetFault("/roto.html", "500");
    struct Caso {
        const char* path;
        uint8_t esperado;
    } casos[] = {{"ok.html", urlCorrecta}, {"falta.html", urlNoResponde}, {"roto.html", urlNoResponde}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ComprobarURL(server.Url(c.path), Agente()), c.esperado);
    }
    EXPECT_EQ(ComprobarURL("http://127.0.0.1:9/x.html", Agente()), urlNoResponde);  // nobody listens
}

TEST(ComprobarURL, WithoutTheSpanishPingSummaryThereIsNoServer) {
    const TestServer& server = TestServer::Get();
    EnvVar servidor(L"KAVO_SERVIDOR", text::Wide(server.Url()));
    server.Put("ok.html", "<html></html>");
    // The system's own ping (Wine's speaks English), then a lost packet.
    EXPECT_EQ(ComprobarURL(server.Url("ok.html"), Agente()), urlSinServidor);
    PingFalso ping("    Paquetes: enviados = 1, recibidos = 0, perdidos = 1");
    EXPECT_EQ(ComprobarURL(server.Url("ok.html"), Agente()), urlSinServidor);
}

TEST(FormatoTamano, ThreeSignificantDigitsInTheRightUnit) {
    struct Caso {
        uint32_t bytes;
        const char* texto;
    } casos[] = {
        {0, "0 bytes"},          {999, "999 bytes"},     {1000, "0.977 KB"},
        {1536000, "1.46 MB"},    {2147483648u, "2 GB"},  {1023999, "1000 KB"},
        {1048575999, "1000 MB"}, {1048576000, "0.977 GB"}, {4294967295u, "4 GB"},
    };
    for (const Caso& c : casos) EXPECT_EQ(FormatoTamano(c.bytes, '.'), c.texto) << c.bytes;
    EXPECT_EQ(FormatoTamano(1536000, ','), "1,46 MB");
    // The tests run with a Spanish user locale.
    EXPECT_EQ(FormatoTamano(1000), "0,977 KB");
}

// A progress bar that records every position it is given.
std::vector<LPARAM> g_posiciones;
WNDPROC g_barraOriginal = nullptr;
LRESULT CALLBACK BarraGrabadora(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == PBM_SETPOS) g_posiciones.push_back(static_cast<LPARAM>(wp));
    return ::CallWindowProcW(g_barraOriginal, w, msg, wp, lp);
}

TEST(PosicionBarra, MovesTheBarAndRepaintsAtOnce) {
    ::InitCommonControls();
    HWND bar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    ::SendMessageW(bar, PBM_SETRANGE32, 0, 1000);
    ::SendMessageW(bar, PBM_SETPOS, 100, 0);
    g_barraOriginal = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BarraGrabadora)));
    static int pumped;
    pumped = 0;
    auto previous = ui::SetProcessMessagesHook([] { ++pumped; });
    struct Caso {
        bool temas;
        int valor;
        std::vector<LPARAM> posiciones;
    } casos[] = {
        // The themed bar animates towards a new value: stepping there, back
        // and there again makes it draw the value at once.
        {true, 250, {250, 100, 250}},
        {false, 1000, {1000}},
        {true, 10, {10, 1000, 10}},
    };
    for (const Caso& c : casos) {
        g_posiciones.clear();
        PosicionBarra(bar, c.valor, c.temas);
        EXPECT_EQ(g_posiciones, c.posiciones);
        EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), c.valor);
    }
    g_posiciones.clear();
    PosicionBarra(bar, 500);  // the system's own look
    EXPECT_EQ(g_posiciones.back(), 500);
    ui::SetProcessMessagesHook(previous);
    EXPECT_EQ(pumped, 4);
    ::DestroyWindow(bar);
}

TEST(ServidorKavo, EnvironmentOverridesTheBuildDefault) {
    {
        EnvVar vacio(L"KAVO_SERVIDOR", L"");
        EXPECT_EQ(ServidorKavo(), KV_VENDOR_URL);
    }
    EnvVar otro(L"KAVO_SERVIDOR", L"http://127.0.0.1:8080");
    EXPECT_EQ(ServidorKavo(), "http://127.0.0.1:8080");
}

TEST(HostDeURL, TakesTheHostOutOfAnyUrlForm) {
    struct Caso {
        const char* url;
        const char* host;
    } casos[] = {
        {"http://www.kavo.es", "www.kavo.es"},
        {"http://www.kavo.es/descargas/x.kav", "www.kavo.es"},
        {"http://127.0.0.1:8080/", "127.0.0.1"},
        {"https://user:pw@host.example:1/x?y#z", "host.example"},
        {"http://[::1]:80/", "::1"},
        {"kavo.es", "kavo.es"},
    };
    for (const Caso& c : casos) EXPECT_EQ(HostDeURL(c.url), c.host) << c.url;
}

TEST(LeerPlataforma, ReportsTheNtFamily) { EXPECT_EQ(LeerPlataforma(), 2); }

}  // namespace
