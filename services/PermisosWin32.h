// The access lists of Permisos.h applied to and read from files and folders
// through the system. Windows only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Permisos.h"

namespace permisos {

// The list of a file or folder as the system reports it (a folder without
// a list, open to all, reads as Everyone with every right); false with the
// system's text in `error` when it cannot be read.
bool LeerPermisos(const std::string& ruta, std::vector<TAce>& lista, std::string& error);

// Gives the folder exactly this list, protected from its parent's entries;
// the system passes the inheritable ones on to what it holds. Empty when
// done, otherwise the system's text.
std::string FijarPermisos(const std::string& carpeta, const std::vector<TAce>& lista);

// The user of this process's token, and whether the token counts as an
// administrator's (elevated). Empty sid when the token cannot be read.
TUsuario UsuarioActual();

// A security descriptor holding a protected list, for creating a file or
// folder that has it from its first instant.
class TDescriptor {
public:
    explicit TDescriptor(const std::vector<TAce>& lista);  // raises the system's text
    SECURITY_ATTRIBUTES* Atributos() { return &atributos_; }

private:
    std::vector<uint8_t> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES atributos_{};
};

}  // namespace permisos
