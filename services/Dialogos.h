// The folder picker and the save dialog. Both are modal dialogs: a test
// script installed with ui::ScopedDialogScript answers them first
// (kinds "BuscarCarpeta" and "GuardarComo"; result IDOK with the chosen
// path in the answer's value means the user confirmed).
#pragma once
#include <windows.h>

#include <string>

// Shows the shell's folder picker starting at `carpeta`. When the user
// chooses a folder it is stored into `carpeta` and the result is true;
// otherwise `carpeta` is left as it was. An empty `raiz` roots the tree at
// the desktop.
bool BuscarCarpeta(HWND propietario, std::string& carpeta, const std::string& titulo,
                   bool estiloNuevo, const std::string& raiz);

// The settings of a save dialog; FileName carries the chosen name back.
struct TSaveDialog {
    std::string FileName;
    std::string DefaultExt;  // without the point
    std::string Filter;      // "Descripción|*.ext|Otra|*.x"
    std::string Title;
    std::string InitialDir;
    bool OverwritePrompt = false;
    bool FileMustExist = false;
    bool NoChangeDir = false;
    HWND Owner = nullptr;  // the owner form's window, or none
};

// Shows the save dialog; true when the user confirmed a name (stored into
// dialogo.FileName). The current folder is the same afterwards.
bool GuardarComo(TSaveDialog& dialogo);
