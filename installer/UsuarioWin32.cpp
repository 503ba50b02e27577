#include "UsuarioWin32.h"

#include "Mensajes.h"

int TUsuarioWin32::Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones) {
    return ::Mensaje(texto, tipo, botones);
}

void TUsuarioWin32::MensajePlano(const std::string& texto) { MostrarMensaje(texto); }
