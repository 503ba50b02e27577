// Text functions of the installer's labels that need no system call.
// Portable.
#pragma once
#include <functional>
#include <string>
#include <string_view>

// Decimal text right-aligned in `ancho` characters with the padding made of
// zeros (after the sign); longer numbers are not shortened; 0 gives the plain
// number. FormatoCeros(7, 2) = "07", FormatoCeros(123, 2) = "123".
std::string FormatoCeros(long long numero, int ancho);

// Exactly `ancho` characters: padded with zeros on the left, or cut to the
// first `ancho` characters when longer. FormatoCerosFijo(123, 2) = "12".
std::string FormatoCerosFijo(long long numero, int ancho);

// The path without one trailing backslash (only one).
std::string QuitarBarraFinal(std::string ruta);

// The path with a trailing backslash (an empty text becomes "\").
std::string ConBarraFinal(std::string ruta);

// Shortens a path until `medir` says it fits in `ancho`: the leading folders
// give way to "...\" one by one, then the drive goes; the file name always
// stays. `medir` returns the width of a text in the caller's units.
using MedidaTexto = std::function<int(std::string_view)>;
std::string AcortarRuta(const std::string& ruta, const MedidaTexto& medir, int ancho);
