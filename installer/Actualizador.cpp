// The program entry: the application, its title, the main window; the loop
// runs only when the window's start-up succeeded.
#include <windows.h>

#include "ProgramaInstalador.h"

namespace {
ComHiloPrincipal g_com;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ProgramaInstalador programa;
    return programa.Ejecutar();
}
