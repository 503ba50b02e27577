// The real installer window brought straight to the end of a first
// installation, where the run offers the database engine page: it starts as
// the installer (its own appended archive carries the release record), then
// takes the folder of its first argument as the one the run extracted into
// and offers the engine. A second argument is the universal name the system
// reports for that folder, as for a drive letter mapped to a share.
#include <windows.h>

#include <shellapi.h>

#include "Application.h"
#include "MotorSistema.h"
#include "ProgramaInstalador.h"
#include "TextCodec.h"

namespace {
ComHiloPrincipal g_com;

std::vector<std::string> Argumentos() {
    int n = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &n);
    std::vector<std::string> r;
    for (int i = 1; args && i < n; ++i) r.push_back(text::Narrow(args[i]));
    LocalFree(args);
    return r;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::vector<std::string> args = Argumentos();
    if (args.empty()) return 2;
    const std::string carpeta = args[0];
    if (args.size() > 1) {
        FijarConsultaRutaUniversal([carpeta, unc = args[1]](const std::string& ruta) -> std::optional<std::string> {
            if (ruta.rfind(carpeta, 0) != 0) return std::nullopt;
            return unc + ruta.substr(carpeta.size());
        });
    }
    ProgramaInstalador programa;
    if (TFMain* form = programa.Ventana()) {
        // What a local run leaves behind: the extraction folder. The
        // executable's folder stays the installer's own, where the archives
        // were read from; the installed program is not there.
        form->Extractor1.ExtractPath = carpeta;
        if (!form->bInstalar->OnClick)
            form->bInstalar->OnClick = [form] {
                if (form->PaginaActual == 2) form->LanzarInstaladorMotor();
            };
        forms::Application().Proteger([form] { form->Ejecucion().OfrecerMotor(); });
    }
    programa.Ejecutar();
    return 0;
}
