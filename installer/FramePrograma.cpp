#include "FramePrograma.h"

#include "LibActualizadorComun.h"

using namespace forms;

namespace {
const char* kTituloCarpeta = " Introduzca Nombre Directorio Instalación ";
}

TFFramePrograma::TFFramePrograma(TContenedor* padre, const std::string& nombre) : TFFrameBase(padre, nombre, 340) {
    gbEditPrograma = Crear<TGroupBox>("gbEditPrograma", Limites{10, 90, 320, 49}, kTituloCarpeta);
    bDirPrograma = gbEditPrograma->Crear<TButton>("bDirPrograma", Limites{288, 16, 23, 24}, "...");
    lbDirPrograma = gbEditPrograma->Crear<TLabel>("lbDirPrograma", Limites{8, 0, 218, 13}, kTituloCarpeta,
                                                  FuenteActual(), TLabel::Alineacion::Izquierda, true);
    eDirPrograma = gbEditPrograma->Crear<TEdit>("eDirPrograma", Limites{12, 17, 271, 21}, "C:\\Kavo");
    cbComprobarActualizaciones = Crear<TCheckBox>("cbComprobarActualizaciones", Limites{10, 184, 166, 17},
                                                  "Comprobar Actualizaciones");
    cbComprobarActualizaciones->SetHint("El programa comprobará automáticamente la existencia de actualizaciones");
    cbComprobarActualizaciones->SetVisible(false);
    bDirPrograma->MostrarIconoCarpeta();
    bDirPrograma->OnClick = [this] { bDirProgramaClick(); };
}

void TFFramePrograma::bDirProgramaClick() {
    std::string carpeta = eDirPrograma->Text();
    if (BuscarCarpeta(Handle(), carpeta, "Selecciona el Directorio de Instalación", true, ""))
        eDirPrograma->SetText(carpeta);
}
