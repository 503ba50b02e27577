// The program entry: the application, its title, the main window; the loop
// runs only when the window's start-up succeeded.
#include <windows.h>

#include "CargaSistema.h"
#include "ProgramaInstalador.h"

namespace {
// First of all, before COM or anything else can load a DLL.
const bool g_dllSoloDelSistema = RestringirCargaDll();
ComHiloPrincipal g_com;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ProgramaInstalador programa;
    return programa.Ejecutar();
}
