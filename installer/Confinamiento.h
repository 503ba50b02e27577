// Paths the updater acts on from the word of a file that another user of the
// machine may have written (a journal, a command line): each must name a
// place inside the installation, spelled so that Windows cannot read it as
// somewhere else. Portable: decided on the text; the file system's part
// (reparse points) is asked through the run's effects.
#pragma once
#include <optional>
#include <string>
#include <vector>

// A plain file name that stays in the folder it is joined to: no separator,
// drive or stream, not "." or "..", no wildcard or control character, no
// trailing dot or space (Windows would drop them and name another file), no
// device name (CON, NUL, COM1, ... with or without an extension), at most
// 255 characters.
bool NombreSimple(const std::string& nombre);

// The one spelling of an absolute path ("C:\..." or "\\server\share\..."):
// separators as "\", doubled ones and "." parts dropped, no trailing
// separator. None when the path is relative or drive-relative ("C:x"), a
// device or long-path form ("\\.\", "\\?\"), or when one of its parts is
// "..", or not a plain name (a stream, a device name, a trailing dot), and
// for a bare drive or share, which no installation is.
std::optional<std::string> RutaCanonica(const std::string& ruta);

// True when canonical `ruta` lies strictly below canonical `carpeta`
// (ASCII case ignored, as Windows compares names).
bool DentroDe(const std::string& ruta, const std::string& carpeta);

// The folders between `carpeta` (included) and `ruta` (excluded), outermost
// first: the places where a junction would take a path elsewhere. Both
// canonical, `ruta` below `carpeta`.
std::vector<std::string> CarpetasIntermedias(const std::string& carpeta, const std::string& ruta);
