// The local installation dialog in a program of its own, for the window
// tests: a main form with the dialog over it, the dialog's answer as exit
// code (1 true, 0 false). What a link would open is appended, one line each,
// to the file named by the last argument instead of reaching the shell.
//   modo_local_prueba CARPETA FICHERO URLBASE ERROR REGISTRO
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "AbrirShell.h"
#include "Application.h"
#include "Form.h"
#include "ModoLocal.h"
#include "TextCodec.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) return 2;
    forms::TApplication& app = forms::Application();
    app.Initialize();
    app.SetTitle("Instalación Contabilidad Kavo");
    const std::filesystem::path registro(argv[5]);
    SetAbrirShell([registro](const PeticionShell& p) {
        std::ofstream(registro, std::ios::binary | std::ios::app) << p.fichero << "\n";
        return true;
    });
    forms::TForm principal("Principal", 800, 600, "Instalación Contabilidad Kavo");
    app.SetMainForm(&principal);
    principal.SetAlphaBlendValue(255);
    principal.Show();
    bool r = MostrarModoLocal(principal.Handle(), text::Narrow(argv[4]), text::Narrow(argv[1]),
                              text::Narrow(argv[2]), text::Narrow(argv[3]));
    return r ? 1 : 0;
}
