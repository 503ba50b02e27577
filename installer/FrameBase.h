// The base of every wizard page: a white frame in the window font, stacked in
// the window's page host.
#pragma once
#include "Controls.h"

class TFFrameBase : public forms::TFrame {
public:
    TFFrameBase(forms::TContenedor* padre, const std::string& nombre, int ancho = 320)
        : forms::TFrame(padre, nombre, {0, 0, ancho, 245}) {}
};
