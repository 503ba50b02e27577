// A stand-in for the database engine vendor's installers, which are not
// available here (window tests, demo release): a top-level window with a
// button and three static controls, doing what it is told:
//   fin        the window goes away after `segundos` (the installation ended);
//   segundo    after `segundos` the second static control shows the
//              installers' closing text of a cancelled installation, and the
//              window stays until it is closed;
//   primero    the same text in the first static control;
//   espera     nothing happens until the window is closed.
// What to do comes from the command line (--titulo T --accion A --segundos N
// --demora MS --vida S) or, since the real installers take only "/s", from
// the file beside the program named like it plus ".orden", one "clave=valor"
// a line (titulo, accion, segundos, demora, vida); the command line wins.
// Told nothing, it behaves as a silent installation: the title the installer
// window watches for, taken from its own file name (the engine archives name
// it as the vendor does), and the end after 4 seconds.
// `demora` keeps the window away for that many milliseconds at start; `vida`
// is the most it lives, so a forgotten one never outlasts a test.
// Every start appends its command line, without the program's own name, as
// one UTF-8 line to the file named like the program plus ".args".
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <fstream>
#include <map>
#include <string>

#include "MotorBaseDatos.h"

namespace {

constexpr wchar_t kTextoCierre[] = L"Setup was interrupted. Your system has not been modified.";
constexpr UINT_PTR kTimerAccion = 1, kTimerVida = 2;

struct Orden {
    std::wstring titulo = L"Instalador";
    std::wstring accion = L"fin";
    UINT segundos = 4, demora = 0, vida = 120;
};

Orden orden;
HWND estaticos[3];

std::string Utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

std::wstring RutaPrograma() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    return std::wstring(buf, n);
}

// The command line after the program's own name (quoted or not).
std::wstring Argumentos() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        p = std::wcschr(p + 1, L'"');
        p = p ? p + 1 : L"";
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

void Fijar(const std::wstring& clave, const std::wstring& valor) {
    if (clave == L"titulo") orden.titulo = valor;
    else if (clave == L"accion") orden.accion = valor;
    else if (clave == L"segundos") orden.segundos = UINT(_wtoi(valor.c_str()));
    else if (clave == L"demora") orden.demora = UINT(_wtoi(valor.c_str()));
    else if (clave == L"vida") orden.vida = UINT(_wtoi(valor.c_str()));
}

// The title of the vendor's installer that carries this file name.
void TituloPorNombre(const std::wstring& programa) {
    std::string nombre = Utf8(programa.substr(programa.find_last_of(L"\\/") + 1));
    for (uint8_t tipo : {0, 1})
        for (bool servidor : {true, false})
            if (_stricmp(nombre.c_str(), InstaladorMotor(tipo, servidor).c_str()) == 0)
                orden.titulo = Wide(*TituloInstaladorMotor(tipo, servidor));
}

void LeerOrden(const std::wstring& programa) {
    TituloPorNombre(programa);
    std::ifstream f((programa + L".orden").c_str());
    std::string linea;
    while (std::getline(f, linea)) {
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        size_t igual = linea.find('=');
        if (igual != std::string::npos) Fijar(Wide(linea.substr(0, igual)), Wide(linea.substr(igual + 1)));
    }
    int n = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &n);
    for (int i = 1; args && i + 1 < n; ++i) {
        if (std::wcsncmp(args[i], L"--", 2) != 0) continue;
        Fijar(args[i] + 2, args[i + 1]);
        ++i;
    }
    LocalFree(args);
}

LRESULT CALLBACK Procedimiento(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kTimerVida) {
            DestroyWindow(h);
        } else {
            KillTimer(h, kTimerAccion);
            if (orden.accion == L"fin") DestroyWindow(h);
            else if (orden.accion == L"segundo") SetWindowTextW(estaticos[1], kTextoCierre);
            else if (orden.accion == L"primero") SetWindowTextW(estaticos[0], kTextoCierre);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(h, msg, wp, lp);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instancia, HINSTANCE, PWSTR, int) {
    const std::wstring programa = RutaPrograma();
    {
        std::ofstream registro((programa + L".args").c_str(), std::ios::app | std::ios::binary);
        registro << Utf8(Argumentos()) << "\n";
    }
    LeerOrden(programa);
    if (orden.demora) Sleep(orden.demora);

    WNDCLASSW clase{};
    clase.lpfnWndProc = Procedimiento;
    clase.hInstance = instancia;
    clase.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    clase.lpszClassName = L"KvSimuladorInstalador";
    RegisterClassW(&clase);
    HWND h = CreateWindowExW(0, clase.lpszClassName, orden.titulo.c_str(), WS_OVERLAPPEDWINDOW, 60, 60, 420, 200,
                             nullptr, nullptr, instancia, nullptr);
    // A child of another class comes first: only the "Static" ones count.
    CreateWindowExW(0, L"Button", L"Cancel", WS_CHILD | WS_VISIBLE, 300, 120, 90, 26, h, nullptr, instancia,
                    nullptr);
    const wchar_t* textos[3] = {L"Installing the database engine.", L"Copying files...", L""};
    for (int i = 0; i < 3; ++i)
        estaticos[i] = CreateWindowExW(0, L"Static", textos[i], WS_CHILD | WS_VISIBLE, 16, 16 + 30 * i, 380, 24, h,
                                       nullptr, instancia, nullptr);
    ShowWindow(h, SW_SHOWNORMAL);
    if (orden.accion != L"espera") SetTimer(h, kTimerAccion, orden.segundos * 1000, nullptr);
    SetTimer(h, kTimerVida, orden.vida * 1000, nullptr);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
