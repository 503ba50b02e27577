// Bridge to the local installation dialog and the archive header reader
// while those units are being written: the same names and meanings, the smallest bodies that serve
// the installer window. Each one goes away as soon as its real unit is in
// the tree.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

// The local installation dialog; false when the user declines.
bool MostrarModoLocal(HWND propietario, const std::string& mensaje, const std::string& carpeta,
                      const std::string& fichero, const std::string& url);

// --- the installer's appended archive ----------------------------------------
// Reads the archive header at sfxSize in the file and returns its 128 bytes of
// user data; raises the archive engine's errors for a bad signature or
// version, or a file too short for a header.
std::array<uint8_t, 128> LeerDatosUsuarioAnexos(const std::string& ruta, int32_t sfxSize);
