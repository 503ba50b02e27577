// The run's side effects on Windows: one Win32 side per seam, each built
// from what the window lends it (the extractor, the lock, the download
// folder, the progress bar once there is one, a way to end the
// application), none reaching back into the window.
#pragma once
#include <functional>

#include "Efectos.h"
#include "ExtraccionWin32.h"
#include "FicherosWin32.h"
#include "ProcesoWin32.h"
#include "ServidorWin32.h"
#include "UsuarioWin32.h"

class TEfectosWin32 {
public:
    TEfectosWin32(TExtractorInstalador& extractor, TBloqueo& bloqueo, TCarpetaPrivada& descargas,
                  std::function<HWND()> barra, std::function<void()> terminar)
        : ficheros_(descargas),
          extraccion_(extractor, descargas),
          proceso_(bloqueo, std::move(barra), std::move(terminar)) {}

    TEfectos Efectos() { return {ficheros_, servidor_, extraccion_, usuario_, proceso_}; }

private:
    TFicherosWin32 ficheros_;
    TServidorWin32 servidor_;
    TExtraccionWin32 extraccion_;
    TUsuarioWin32 usuario_;
    TProcesoWin32 proceso_;
};
