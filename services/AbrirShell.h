// The shell's "open" of a URL, folder, document or program: not awaited, in a
// normal window. Tests replace the real call through the seam below, so a
// click opens no browser or file manager.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

struct PeticionShell {
    HWND propietario = nullptr;
    std::string fichero;     // what to open
    std::string parametros;  // empty: none
    std::string carpeta;     // working folder; empty: none
    // No message box of the system's own when it cannot be opened (the
    // caller has its own way to notice).
    bool sinAvisos = false;
};

// True when the shell accepted the request.
bool AbrirConShell(const PeticionShell& peticion);

using TAbrirShell = std::function<bool(const PeticionShell&)>;
// Installs what AbrirConShell does instead of asking the shell; an empty
// function restores the shell. Returns the previous one.
TAbrirShell SetAbrirShell(TAbrirShell sustituto);
