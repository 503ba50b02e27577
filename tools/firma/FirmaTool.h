// firma: the vendor's signing command. Makes a key pair and signs every file
// of a release folder, writing each signature beside its file.
//
//   firma claves NOMBRE              NOMBRE.secreta and NOMBRE.publica (hex);
//                                    prints the public key for the build
//   firma firmar SECRETA CARPETA --producto P --version V [--canal C]
//                [--desde V] [--ruta PREFIJO] [--fecha F]
//                                    signs every file under CARPETA (or the
//                                    one file CARPETA names)
//   firma comprobar PUBLICAS FICHERO...   checks files against their
//                                    signatures and prints what each binds
//
// Each statement binds the product code P, the channel C (normal, the
// default; beta; V2), the release's version V ("12.05"), the version an
// incremental archive starts from (--desde; none by default), the moment
// (--fecha "2026-12-11T09:30:00Z"; now by default) and the path the file is
// published under: PREFIJO followed by the file's path below CARPETA with
// "/" (CARPETA is then the server's root when PREFIJO is empty). PUBLICAS is
// a file with one or more public keys. Exit status 0 when all is well, 1
// with the message on standard error, 2 for a usage mistake.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "FirmaFicheros.h"

namespace firmatool {

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What a signing run binds every file to; nombre, tamano, resumen and ruta
// are each file's own.
struct TPublicacion {
    firma::TDeclaracion campos;
    std::string prefijoRuta;
};

// Signs every regular file under carpeta (signatures themselves excepted),
// or carpeta itself when it is a file; returns the paths signed, sorted.
std::vector<std::string> FirmarCarpeta(const std::string& carpeta, const std::string& secreta,
                                       const TPublicacion& publicacion);

}  // namespace firmatool
