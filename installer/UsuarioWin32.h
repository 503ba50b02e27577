// The user seam on Windows: the house's message dialogs.
#pragma once
#include "EfectosUsuario.h"

class TUsuarioWin32 : public TEfectosUsuario {
public:
    int Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones) override;
    void MensajePlano(const std::string& texto) override;
};
