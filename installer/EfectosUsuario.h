// What a run tells the user and asks them.
#pragma once
#include <string>

#include "TiposMensaje.h"

class TEfectosUsuario {
public:
    virtual ~TEfectosUsuario() = default;

    virtual int Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones) = 0;
    virtual void MensajePlano(const std::string& texto) = 0;
};
