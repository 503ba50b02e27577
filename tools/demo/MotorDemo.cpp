// Stand-in for the database engine's installer in the demo release: shows a
// window under the title the installer watches for (chosen by its own file
// name, as the engine archives name them), works for a few seconds and ends,
// as the real one does after a silent installation.
#include <windows.h>

#include <string>

namespace {
LRESULT CALLBACK Procedimiento(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_TIMER) DestroyWindow(h);
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(h, m, w, l);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instancia, HINSTANCE, PWSTR, int) {
    wchar_t ruta[1024];
    GetModuleFileNameW(nullptr, ruta, 1024);
    std::wstring nombre(ruta);
    const wchar_t* titulo = nombre.find(L"Btrieve") != std::wstring::npos ? L"Actian Btrieve 12"
                            : nombre.find(L"Client") != std::wstring::npos ? L"Actian PSQL v12 Client"
                                                                            : L"Actian PSQL v12 Workgroup";
    WNDCLASSW c{};
    c.lpfnWndProc = Procedimiento;
    c.hInstance = instancia;
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpszClassName = L"MotorDemo";
    RegisterClassW(&c);
    HWND h = CreateWindowW(L"MotorDemo", titulo, WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 200, 200, 420, 160,
                           nullptr, nullptr, instancia, nullptr);
    CreateWindowW(L"STATIC", L"Instalando el motor de base de datos (demostración)...", WS_CHILD | WS_VISIBLE,
                  20, 30, 380, 20, h, nullptr, instancia, nullptr);
    SetTimer(h, 1, 4000, nullptr);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    return 0;
}
