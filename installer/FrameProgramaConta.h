// The accounting product's page 0: the check box sits lower.
#pragma once
#include "FramePrograma.h"

class TFFrameProgramaConta : public TFFramePrograma {
public:
    explicit TFFrameProgramaConta(forms::TContenedor* padre) : TFFramePrograma(padre, "FrameProgramaConta") {
        cbComprobarActualizaciones->SetPosicion({10, 213, 166, 17});
    }
};
