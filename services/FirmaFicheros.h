// Signatures of release files. The vendor signs each file it publishes with
// an Ed25519 key; the updater checks the signature before it opens the file,
// so a file changed on its way (a hostile network, a proxy, a poisoned name
// server) is refused instead of written onto the customer's machine.
//
// What is signed is a short statement of the file's name, size and BLAKE2b
// digest, computed while the file streams: a release archive is never held
// in memory. The signature file sits beside its file, named as the file plus
// kExtensionFirma, and is text:
//
//     KAVO-FIRMA 1
//     nombre PROGRAMA.KAV
//     tamano 1234567
//     blake2b <128 hex digits>
//     firma <128 hex digits>
//
// The first four lines are the statement, byte for byte as signed. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Exception.h"

namespace firma {

inline constexpr const char* kExtensionFirma = ".firma";
// Ed25519 public key, secret key (seed and public key) and signature sizes.
inline constexpr size_t kBytesClavePublica = 32;
inline constexpr size_t kBytesClaveSecreta = 64;
inline constexpr size_t kBytesFirma = 64;
inline constexpr size_t kBytesResumen = 64;
// A signature file is a few hundred bytes; more is not one.
inline constexpr size_t kMaximoFicheroFirma = 4096;

// A file refused for its signature; the message names the file.
class EFirmaRechazada : public Exception {
public:
    using Exception::Exception;
};

// What a statement says about a file. resumen holds the raw digest bytes.
struct TDeclaracion {
    std::string nombre;
    uint64_t tamano = 0;
    std::string resumen;
};

struct TParClaves {
    std::string publica;  // raw bytes
    std::string secreta;  // raw bytes
};

// Name (last path component, either separator), size and digest of a file,
// read in pieces. ruta is UTF-8. Throws Exception when it cannot be read.
TDeclaracion DeclararFichero(const std::string& ruta);

// The BLAKE2b-512 digest of bytes held in memory (raw bytes, kBytesResumen).
std::string Resumen(std::string_view bytes);

// The bytes the signature covers.
std::string TextoDeclaracion(const TDeclaracion& d);

// The signature file's text for d, signed with a secret key.
std::string Firmar(const TDeclaracion& d, const std::string& secreta);

// The statement and signature read from a signature file's text. Throws
// Exception on anything but the exact form above.
struct TFirmaLeida {
    TDeclaracion declaracion;
    std::string firma;  // raw bytes
};
TFirmaLeida LeerFirma(std::string_view texto);

// Checks the file at ruta against ruta + kExtensionFirma under any of the
// public keys. Returns quietly when the signature is good; otherwise throws
// EFirmaRechazada naming the file. nombre is the name the vendor published
// the file under when it was saved under another one (empty: the file's own).
void ComprobarFichero(const std::string& ruta, const std::vector<std::string>& clavesPublicas,
                      const std::string& nombre = {});

TParClaves NuevoParClaves();

// The public keys this build carries (the KV_CLAVES_PUBLICAS build setting);
// none means files are not checked.
std::vector<std::string> ClavesDeLaVersion();
// ComprobarFichero under the build's keys; nothing when it carries none.
void ComprobarConClavesDeLaVersion(const std::string& ruta);

// Keys as text: lowercase hex. A list of public keys is separated by
// semicolons, commas or blanks; anything else than keys throws Exception.
std::string Hex(std::string_view bytes);
std::string DesdeHex(std::string_view hex, size_t bytes);
std::vector<std::string> LeerClavesPublicas(std::string_view lista);

}  // namespace firma
