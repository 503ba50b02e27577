// The updater's temporary folder, the shell's special folders and shortcuts.
#pragma once
#include <string>

// The product word of the temporary folder: "Rolda" until the product sets
// its own at start-up (the accounting product: "Conta"), before first use.
extern std::string PalabraProducto;

// The system's temporary folder + "Kavo\" + PalabraProducto + "\", created
// with its parents when missing.
std::string CarpetaTemporal();

// The path of a shell special folder (a CSIDL number) with a trailing
// backslash; empty when the shell has no such folder on disk.
std::string CarpetaEspecial(int csidl);

// The user's desktop directory (CSIDL 16).
std::string CarpetaEscritorio();

// Writes the shortcut carpeta + nombre + ".lnk" (the folder ends with a
// backslash) to the program `destino`, working in the program's folder,
// with the icon of `icono` when that file exists. Overwrites a shortcut of
// that name. COM must be initialised; a missing shell link object throws.
void CrearAccesoDirecto(const std::string& destino, const std::string& nombre,
                        const std::string& carpeta, const std::string& icono);
