// The stand-in accounting program of the demo release. Started plainly it
// shows a window that says what it is and which version it is. Started with
// /ACTUALIZAR it does what the real program does when it finds an update:
// fetches this installation's release record from the vendor's server (the
// customer code recorded in its CONTA.INI) into the updater's temporary
// folder and starts the updater beside it with the record's name.
#include <windows.h>
#include <shellapi.h>
#include <urlmon.h>

#include <string>

namespace {

std::wstring CarpetaPropia() {
    wchar_t buf[1024];
    DWORD n = GetModuleFileNameW(nullptr, buf, 1024);
    std::wstring r(buf, n);
    return r.substr(0, r.find_last_of(L'\\') + 1);
}

std::wstring VersionPropia() {
    wchar_t ruta[1024];
    GetModuleFileNameW(nullptr, ruta, 1024);
    DWORD tam = GetFileVersionInfoSizeW(ruta, nullptr);
    std::string datos(tam, '\0');
    VS_FIXEDFILEINFO* f = nullptr;
    UINT n = 0;
    if (!tam || !GetFileVersionInfoW(ruta, 0, tam, datos.data()) ||
        !VerQueryValueW(datos.data(), L"\\", reinterpret_cast<void**>(&f), &n))
        return L"?";
    wchar_t t[32];
    wsprintfW(t, L"%u.%02u", HIWORD(f->dwFileVersionMS), LOWORD(f->dwFileVersionMS));
    return t;
}

int Error(const std::wstring& texto) {
    MessageBoxW(nullptr, texto.c_str(), L"Contabilidad Kavo", MB_OK | MB_ICONERROR);
    return 1;
}

int BuscarActualizacion() {
    const std::wstring carpeta = CarpetaPropia();
    wchar_t codigo[32];
    GetPrivateProfileStringW(L"ACTUALIZACION", L"CODIGOCLIENTE", L"", codigo, 32, (carpeta + L"CONTA.INI").c_str());
    if (!*codigo) return Error(L"No se encuentra el Código de Cliente en CONTA.INI");
    wchar_t servidor[512];
    if (!GetEnvironmentVariableW(L"KAVO_SERVIDOR", servidor, 512)) lstrcpyW(servidor, L"http://www.kavo.es");
    const std::wstring nombre = std::wstring(L"CLI") + codigo + L".VER";
    wchar_t temporal[MAX_PATH];
    GetTempPathW(MAX_PATH, temporal);
    std::wstring destino = std::wstring(temporal) + L"Kavo\\";
    CreateDirectoryW(destino.c_str(), nullptr);
    destino += L"Conta\\";
    CreateDirectoryW(destino.c_str(), nullptr);
    const std::wstring url = std::wstring(servidor) + L"/_descargas_/externos/Conta/clientes/" + nombre;
    if (FAILED(URLDownloadToFileW(nullptr, url.c_str(), (destino + nombre).c_str(), 0, nullptr)))
        return Error(L"No se puede descargar\r\n" + url);
    std::wstring linea = L"\"" + carpeta + L"Actualizador.exe\" " + nombre;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, linea.data(), nullptr, nullptr, FALSE, 0, nullptr, carpeta.c_str(), &si, &pi))
        return Error(L"No se puede Ejecutar la Aplicación\r\n" + linea);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

}  // namespace

// Whoever starts it may quote the option, as Windows programs often do.
bool PideActualizar() {
    int n = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &n);
    bool pide = args && n == 2 && lstrcmpiW(args[1], L"/ACTUALIZAR") == 0;
    LocalFree(args);
    return pide;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (PideActualizar()) return BuscarActualizacion();
    std::wstring texto = L"Contabilidad Kavo\r\n\r\nVersión " + VersionPropia() +
                         L"\r\n\r\nPrograma de demostración instalado por el Actualizador.";
    MessageBoxW(nullptr, texto.c_str(), L"Contabilidad Kavo", MB_OK | MB_ICONINFORMATION);
    return 0;
}
