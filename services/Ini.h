// Settings files (INI): the one reader and writer of the program's, the
// executable's and the vendor's INI files. Values of any length come back
// whole: a value cut to a fixed buffer could turn one customer code of a
// list into a shorter one. Names and values are UTF-8; the file keeps the
// system's code page, as the system's own INI calls write it.
#pragma once
#include <string>
#include <vector>

// The value of the key, or `defecto` when the file, the section or the key
// is missing. Blanks around the value and enclosing quotes are removed, as
// the system does.
std::string LeerIniTexto(const std::string& fichero, const std::string& seccion, const std::string& clave,
                         const std::string& defecto);

// The value's leading decimal number, `defecto` when the key is missing and
// 0 when the value does not start with a number (the system's rule).
int LeerIniEntero(const std::string& fichero, const std::string& seccion, const std::string& clave,
                  int defecto);

// Booleans are stored as integers: 0 false, any other value true.
bool LeerIniBooleano(const std::string& fichero, const std::string& seccion, const std::string& clave,
                     bool defecto);

// True when the key is present, also with an empty value.
bool ExisteClaveIni(const std::string& fichero, const std::string& seccion, const std::string& clave);

// True when the section holds at least one key.
bool ExisteSeccionIni(const std::string& fichero, const std::string& seccion);

// The keys of the section, in file order.
std::vector<std::string> ClavesSeccionIni(const std::string& fichero, const std::string& seccion);

// Writes the key (creating file and section when missing); throws the
// system's text + "\r\n\r\n" + file when it cannot be written.
void EscribirIni(const std::string& fichero, const std::string& seccion, const std::string& clave,
                 const std::string& valor);
