// Bridge to the network services, the platform detection, the local
// installation dialog and the archive header reader while those units are
// being written: the same names and meanings, the smallest bodies that serve
// the installer window. Each one goes away as soon as its real unit is in
// the tree.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace forms {
class TProgressBar;
}

// --- platform ------------------------------------------------------------
// 1 = Windows 9x family, 2 = NT family.
int LeerPlataforma();

// --- network services ------------------------------------------------------
// Progress: bytes so far, total (0 while unknown), in/out cancel.
using ProgresoDescargaFn = std::function<void(uint32_t progreso, uint32_t maximo, bool& cancelar)>;
void DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                      const ProgresoDescargaFn& progreso);
bool HayConexionInternet();
void PosicionBarra(forms::TProgressBar& barra, int posicion);

// The local installation dialog; false when the user declines.
bool MostrarModoLocal(HWND propietario, const std::string& mensaje, const std::string& carpeta,
                      const std::string& fichero, const std::string& url);

// --- the installer's appended archive ----------------------------------------
// Reads the archive header at sfxSize in the file and returns its 128 bytes of
// user data; raises the archive engine's errors for a bad signature or
// version, or a file too short for a header.
std::array<uint8_t, 128> LeerDatosUsuarioAnexos(const std::string& ruta, int32_t sfxSize);
