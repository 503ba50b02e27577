// The lock file "KAVO.KAVO": held open without sharing for the whole of one
// installation or update, so that a second installer or updater working on
// the same folder refuses to start.
#pragma once
#include <string>

#include "Win32Handle.h"

class TBloqueo {
public:
    // Creates the folder (with its parents) and the lock file in it. Raises
    // the "another user" message when the file is held elsewhere, or the
    // creation failure with the system's text.
    void Tomar(const std::string& carpeta, bool modoActualizacion);
    // Closes and deletes the lock file (raising when it cannot be deleted).
    void Liberar();
    bool Tomado() const { return static_cast<bool>(manejador_); }

private:
    win::FileHandle manejador_;
    std::string ruta_;
};
