// Signatures of release files. The vendor signs each file it publishes with
// an Ed25519 key; the updater checks the signature before it opens the file,
// so a file changed on its way (a hostile network, a proxy, a poisoned name
// server) is refused instead of written onto the customer's machine.
//
// A signature over a file alone only says "the vendor once published a file
// of this name": an old release replayed by a stale mirror, an incremental
// archive made for another pair of versions or a file of another product
// would pass. So what is signed is a statement that binds the release: the
// file's name, size and BLAKE2b digest (computed while the file streams: a
// release archive is never held in memory), the product, the channel, the
// path the file is published under, the release's version, the version an
// incremental archive starts from, and the moment it was signed. The
// signature file sits beside its file, named as the file plus
// kExtensionFirma, and is text, one LF after each line:
//
//     KAVO-FIRMA 2
//     nombre QTRACT.KAV
//     tamano 1234567
//     blake2b <128 hex digits>
//     producto QTR
//     canal normal                 (normal, beta or V2)
//     ruta _descargas_/externos/Conta/QTRACT.KAV
//     version 12.05                (major.minor, the minor with two digits)
//     desde 12.04                  (an incremental archive's start, else -)
//     fecha 2026-12-11T09:30:00Z   (UTC)
//     firma <128 hex digits>
//
// The lines before "firma" are the statement, byte for byte as signed. The
// earlier form "KAVO-FIRMA 1" (name, size and digest only) is no longer
// read: a statement that binds nothing is refused. Portable.
#pragma once
#include <cstdint>
#include <optional>
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

// The release channels a file can belong to.
enum class Canal { Normal, Beta, V2 };
std::string TextoCanal(Canal canal);

// What a statement says about a file. resumen holds the raw digest bytes;
// versions are major * 65536 + minor (TypeVersion::MayorMenor); fecha is
// seconds since 1970-01-01 UTC.
struct TDeclaracion {
    std::string nombre;
    uint64_t tamano = 0;
    std::string resumen;
    std::string producto;
    Canal canal = Canal::Normal;
    std::string ruta;
    uint32_t version = 0;
    std::optional<uint32_t> desde;  // only an incremental archive has one
    int64_t fecha = 0;
};

// What the updater asked for when it fetched a file; a statement is
// accepted only when every field says the same. The name and the path are
// compared without regard to case (the server's are Windows names).
struct TEsperado {
    std::string nombre;
    std::string producto;
    Canal canal = Canal::Normal;
    std::string ruta;
    // The release asked for; none when the file is not bound to one (a
    // release description, a per-installation record before it is read).
    std::optional<uint32_t> version;
    // The installed version an incremental archive must start from; none
    // means a file that is no incremental archive.
    std::optional<uint32_t> desde;
    // The newest signing moment already accepted: an older statement is a
    // replay.
    int64_t fechaMinima = 0;
};

// "12.05" for major 12, minor 5; the reverse throws Exception on anything
// but that one form.
std::string TextoVersionFirma(uint32_t version);
uint32_t LeerVersionFirma(std::string_view texto);
// "2026-12-11T09:30:00Z"; the reverse throws Exception on anything but that
// one form of a moment from 1970 to 9999.
std::string TextoFecha(int64_t segundos);
int64_t LeerFecha(std::string_view texto);

struct TParClaves {
    std::string publica;  // raw bytes
    std::string secreta;  // raw bytes
};

// Name (last path component, either separator), size and digest of a file,
// read in pieces; the other fields are the signer's to fill. ruta is UTF-8.
// Throws Exception when it cannot be read.
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

// A signature file's text checked before its file is fetched: its form, a
// signature under one of the public keys, and every field against what was
// asked for. Returns the statement; otherwise throws EFirmaRechazada naming
// esperado.nombre.
TDeclaracion ComprobarDeclaracion(std::string_view texto, const std::vector<std::string>& clavesPublicas,
                                  const TEsperado& esperado);
// The file at ruta against an accepted statement: its size and digest.
// Throws EFirmaRechazada naming the file.
void ComprobarContenido(const std::string& ruta, const TDeclaracion& declaracion);
// The text of a signature file, cut at kMaximoFicheroFirma + 1 bytes (more
// than the reader takes); none when it cannot be opened.
std::optional<std::string> LeerFicheroFirma(const std::string& ruta);
// Both, for a file with its signature file beside it (ruta +
// kExtensionFirma).
TDeclaracion ComprobarFichero(const std::string& ruta, const std::vector<std::string>& clavesPublicas,
                              const TEsperado& esperado);
// The refusal of a file: "Fichero NAME rechazado: REASON."
std::string Rechazo(const std::string& nombre, const std::string& motivo);

TParClaves NuevoParClaves();

// The public keys this build carries (the KV_CLAVES_PUBLICAS build setting);
// none means files are not checked.
std::vector<std::string> ClavesDeLaVersion();

// Keys as text: lowercase hex. A list of public keys is separated by
// semicolons, commas or blanks; anything else than keys throws Exception.
std::string Hex(std::string_view bytes);
std::string DesdeHex(std::string_view hex, size_t bytes);
std::vector<std::string> LeerClavesPublicas(std::string_view lista);

}  // namespace firma
