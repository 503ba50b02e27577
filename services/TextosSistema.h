// Text functions that ask the system: text widths in a real font, absolute
// paths, the user's month names, the user and computer names.
#pragma once
#include <windows.h>

#include <string>

// The path shortened ("C:\...\carpeta\fichero.txt") until it fits in
// `ancho` pixels in the font selected into `superficie`.
std::string AcortarRuta(const std::string& ruta, HDC superficie, int ancho);
// The same, measured in `fuente` on a screen-compatible surface.
std::string AcortarRuta(const std::string& ruta, HFONT fuente, int ancho);

// The absolute path of a text of at least 4 characters; shorter texts (a
// bare drive such as "C:\") come back unchanged.
std::string ExpandirRuta(const std::string& ruta);

// The user locale's long name of the month 1..12; empty otherwise.
std::string NombreMes(int mes);

// The logged-on user's name in upper case; "Desconocido" when unknown.
std::string NombreUsuario();

// The computer's name; empty when the system cannot tell.
std::string NombreEquipo();

// Upper case by the user's locale (accented letters too).
std::string Mayusculas(const std::string& texto);
