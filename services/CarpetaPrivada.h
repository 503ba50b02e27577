// The folder a run downloads into, private to it. Another user of the
// machine must not be able to put a file there first, read what arrives,
// or swap a checked archive: under SYSTEM the temporary folder is one that
// every user can write to. Windows only.
#pragma once
#include <string>

#include "Win32Handle.h"

class TCarpetaPrivada {
public:
    TCarpetaPrivada() = default;
    TCarpetaPrivada(const TCarpetaPrivada&) = delete;
    TCarpetaPrivada& operator=(const TCarpetaPrivada&) = delete;
    ~TCarpetaPrivada();

    // The folder, with a trailing backslash, made at the first call below
    // CarpetaTemporal(): a name no one can guess, created by this call
    // (never one that already exists, never through a link), with a list
    // that lets only this process's user in, and held open so that it can
    // be neither renamed nor deleted while the program runs. Raises when it
    // cannot be made.
    std::string Ruta();
    // Deletes it with everything in it; nothing when none was made.
    void Borrar() noexcept;

private:
    std::string ruta_;
    win::FileHandle manejador_;
};
