// Versions read from the disk: a program file's version resource, the
// versions of an installed program folder, a release's compressed record.
#pragma once
#include <string>

#include "Versiones.h"

// The file version of the fixed version information; zeros when the file
// is missing, has no version resource or it cannot be read.
// "Información de versión no disponible" when the resource has no usable
// fixed information.
TypeVersion LeerVersionFichero(const std::string& ruta);

// The record of the files found in `carpeta`: the updater (`nombreActualizador`)
// in slot 98, CONTA.EXE in 99, the program of table index 202 in 100, the core
// packages in their slots, the module packages in their entries with their
// groups. Missing files give zero versions.
TypeVersionesConta LeerVersionesInstaladas(const std::string& carpeta,
                                           const std::string& nombreActualizador);

// A release's record file (a zlib stream). The system's text and the path
// when it cannot be opened; "Error de descompresión" and the path when it is
// not a valid compressed record.
TypeVersionesConta LeerVersionesComprimidas(const std::string& ruta);
