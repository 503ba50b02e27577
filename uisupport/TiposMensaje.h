// The kinds, button sets and answers of the program's message dialogs.
// Portable: the installer's run decides with them in both trees.
#pragma once

enum class TipoMensaje { Aviso, Error, Informacion, Confirmacion };
enum class BotonesMensaje { Ok, OkCancelar, SiNo };
// The button pressed (the values are Win32's IDOK, IDCANCEL, IDYES, IDNO).
enum ResultadoMensaje : int { mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };
