#include "FrameInstalar.h"

using namespace forms;

TFFrameInstalar::TFFrameInstalar(TContenedor* padre) : TFFrameBase(padre, "FrameInstalar", 340) {
    const Fuente f = FuenteActual();
    const auto izq = TLabel::Alineacion::Izquierda;
    gbInstalar1 = Crear<TGroupBox>("gbInstalar1", Limites{10, 40, 320, 49}, " Introduzca Nombre Directorio ");
    bDir = gbInstalar1->Crear<TButton>("bDir", Limites{288, 16, 23, 24}, "...");
    lbDirInstalar = gbInstalar1->Crear<TLabel>("lbDirInstalar", Limites{8, 0, 159, 13},
                                               " Introduzca Nombre Directorio ", f, izq, true);
    eDirInstalar = gbInstalar1->Crear<TEdit>("eDirInstalar", Limites{12, 17, 271, 21}, "");
    gbInstalar2 = Crear<TGroupBox>("gbInstalar2", Limites{10, 105, 320, 107}, " INSTALANDO PROGRAMA ");
    stText = gbInstalar2->Crear<TLabel>("stText", Limites{85, 42, 219, 17}, "", f, izq);
    stDe = gbInstalar2->Crear<TLabel>("stDe", Limites{11, 23, 300, 13}, "Extrayendo de:", f, izq);
    stCopiar = gbInstalar2->Crear<TLabel>("stCopiar", Limites{22, 41, 61, 17}, "Copiando a:", f, izq);
    ProgressBar1 = gbInstalar2->Crear<TProgressBar>("ProgressBar1", Limites{16, 64, 289, 16});
    Label1 = gbInstalar2->Crear<TLabel>("Label1", Limites{8, 0, 135, 13}, " INSTALANDO PROGRAMA ", f, izq, true);
    bDir->MostrarIconoCarpeta();
    bDir->SetEnabled(false);
    lbDirInstalar->SetEnabled(false);
    eDirInstalar->SetEnabled(false);
}
