// Bridge to the local installation dialog while its unit is being written:
// the same name and meaning, the smallest body that serves the installer
// window (it tells the user why and declines). It goes away as soon as the
// real dialog is in the tree.
#pragma once
#include <windows.h>

#include <string>

// The local installation dialog; false when the user declines.
bool MostrarModoLocal(HWND propietario, const std::string& mensaje, const std::string& carpeta,
                      const std::string& fichero, const std::string& url);
