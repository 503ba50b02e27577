// The program's message dialogs. Every one first asks the dialog seam (tests
// answer there); otherwise a real Win32 message box is shown with Spanish
// captions and buttons.
#pragma once
#include <string>

#include "TiposMensaje.h"

// The title shown for a dialog type: "Advertencia", "Error", "Información",
// "Confirmación".
std::string TituloMensaje(TipoMensaje tipo);

int Mensaje(const std::string& texto, TipoMensaje tipo, BotonesMensaje botones);
void MensajeError(const std::string& texto);
void MensajeInfo(const std::string& texto);
void MensajeAviso(const std::string& texto);
// The real Win32 message box behind them all (no seam): Spanish button
// captions; `icono` is one of the MB_ICON* values (0: none).
int MostrarDialogo(const std::string& texto, const std::string& titulo, unsigned icono, BotonesMensaje botones);

// The plain message: the application title as caption, one "Vale" button.
void MostrarMensaje(const std::string& texto);
