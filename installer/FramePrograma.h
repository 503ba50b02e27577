// Page 0: the folder the program is installed into.
#pragma once
#include "FrameBase.h"

class TFFramePrograma : public TFFrameBase {
public:
    explicit TFFramePrograma(forms::TContenedor* padre, const std::string& nombre = "FramePrograma");

    forms::TGroupBox* gbEditPrograma;
    forms::TButton* bDirPrograma;
    forms::TLabel* lbDirPrograma;
    forms::TEdit* eDirPrograma;
    forms::TCheckBox* cbComprobarActualizaciones;

    // The folder picker of the folder button.
    void bDirProgramaClick();
};
