// firma: the vendor's signing command. Makes a key pair and signs every file
// of a release folder, writing each signature beside its file.
//
//   firma claves NOMBRE              NOMBRE.secreta and NOMBRE.publica (hex);
//                                    prints the public key for the build
//   firma firmar SECRETA CARPETA     signs every file under CARPETA
//   firma comprobar PUBLICAS FICHERO...   checks files against their signatures
//
// PUBLICAS is a file with one or more public keys. Exit status 0 when all is
// well, 1 with the message on standard error, 2 for a usage mistake.
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace firmatool {

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Signs every regular file under carpeta (signatures themselves excepted);
// returns the paths signed, sorted.
std::vector<std::string> FirmarCarpeta(const std::string& carpeta, const std::string& secreta);

}  // namespace firmatool
