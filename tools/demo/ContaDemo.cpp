// The stand-in accounting program of the demo release: a window that says
// what it is, so that starting "the accounting program" shows something.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"Contabilidad Kavo\r\n\r\nPrograma de demostración instalado por el Actualizador.",
                L"Contabilidad Kavo", MB_OK | MB_ICONINFORMATION);
    return 0;
}
