// Records of the .KAV archive format as the engine holds them in memory, the
// engine's error kinds and the texts the format code raises.
#pragma once
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "Exception.h"

namespace kav {

// ---- constants of the stored layout ----
inline constexpr int32_t kArchiveSignature = 4664;  // 0x00001238
inline constexpr int32_t kHeaderFixedSize = 268;    // header without the comment text
inline constexpr int kUserDataSize = 128;
inline constexpr int kHeaderReservedSize = 63;
inline constexpr int kMaxTags = 10;
inline constexpr int kBlockHeaderSize = 8;          // length L + checksum

// ArchiveFlags bits.
inline constexpr uint8_t kArchiveKeepKey = 0x01;    // key valid until the archive closes
inline constexpr uint8_t kArchiveSolid = 0x04;
inline constexpr uint8_t kArchiveReadOnly = 0x08;
inline constexpr uint8_t kArchiveLastSegment = 0x10;

// FileFlags bits.
inline constexpr uint8_t kFileFolder = 0x02;
inline constexpr uint8_t kFileLastPart = 0x04;
inline constexpr uint8_t kFileEncrypted = 0x08;

// FileType with a meaning for the engine itself (post-processed series file).
inline constexpr uint8_t kFileTypeSerie = 6;

// Caps on lengths read from a file, before anything is allocated. Names are
// paths (Windows' long-path limit); comments are free text.
inline constexpr int32_t kMaxNameLength = 32767;
inline constexpr int32_t kMaxCommentLength = 1 << 20;
// The reader allocates two buffers of about BlockSize; a header asking for
// more than this is not one the vendor's tooling writes.
inline constexpr int32_t kMaxBlockSize = 16 << 20;

// ---- texts ----
inline constexpr const char* kMsgBadSignature = "Firma Erronea: el archivo \"%s\" no es valido";
inline constexpr const char* kMsgUnknownVersion = "Versión desconocida";
inline constexpr const char* kMsgBadCRC = "CRC incorrecto: los datos dentro del archivo estan corrompidos";
inline constexpr const char* kMsgBadKey = "El archivo no podra desencriptarse. Introdujo una clave invalida";
inline constexpr const char* kMsgCouldNotUncompressBlock = "No es posible descomprimir el bloque";
inline constexpr const char* kMsgWrongNextSegment = "El segmento no es el siguente en la sequencia";
inline constexpr const char* kMsgCannotOpenFile = "No puedo abrir %s";
// Structurally impossible values (the vendor's tooling never writes them).
inline constexpr const char* kMsgDamaged = "El archivo está dañado";
// A file ends inside a structure it should hold.
inline constexpr const char* kMsgReadError = "Error de lectura: el archivo termina antes de lo esperado";

// ---- errors ----
class EArchiver : public Exception {
public:
    using Exception::Exception;
};
class EArchiverUncompress : public EArchiver {
public:
    EArchiverUncompress() : EArchiver(kMsgCouldNotUncompressBlock) {}
    using EArchiver::EArchiver;
};
class EArchiverBadCRC : public EArchiver {
public:
    EArchiverBadCRC() : EArchiver(kMsgBadCRC) {}
    using EArchiver::EArchiver;
};
class EArchiverBadKey : public EArchiver {
public:
    EArchiverBadKey() : EArchiver(kMsgBadKey) {}
    using EArchiver::EArchiver;
};
// The stream could not deliver the bytes asked for.
class EReadError : public Exception {
public:
    EReadError() : Exception(kMsgReadError) {}
    using Exception::Exception;
};

[[noreturn]] void RaiseDamaged();

// Fills the %s and %d of a message text, in order, with already formatted
// values ("%%" is a percent sign).
std::string FormatText(std::string_view format, std::initializer_list<std::string> values);

// ---- records ----
struct TArchiveInfo {
    int32_t FileCount = 0;
    double Reserved = 0;
    double PackedSize = 0;  // blocks with their 8-byte headers
};

struct TUserData {
    std::array<uint8_t, kUserDataSize> Bytes{};
};

struct TArchiveHeader {
    int32_t Signature = kArchiveSignature;
    int32_t Version = 1;
    int32_t ArchiveID = 0;
    int32_t BlockSize = 65536;
    int32_t EndOffset = kHeaderFixedSize;
    uint16_t Segment = 1;  // the stored int32 keeps only its low 16 bits
    uint8_t ArchiveFlags = 0;
    TArchiveInfo ArchiveInfo;
    TArchiveInfo SegmentInfo;
    TUserData UserData;
    std::array<uint8_t, kHeaderReservedSize> Reserved{};
    std::string Comment;  // UTF-8 here, Windows-1252 in the file
};

struct TFileEntry {
    std::string Name;  // UTF-8 here, Windows-1252 in the file
    double Date = 0;   // days since 30 December 1899, local time
    int32_t Attr = 0;
    uint16_t Segment = 0;
    int32_t Offset = 0;  // of this record, from its segment's header
    int32_t PartOffset = 0;
    uint8_t FileFlags = 0;
    int32_t Size = 0;
    int32_t Reserved1 = 0;
    int32_t Reserved2 = 0;
    int32_t PackedPartSize = 0;
    uint8_t FileType = 0;
    std::string AltName;
    uint8_t AltFileType = 0;
    uint8_t TagCount = 0;
    std::array<uint8_t, kMaxTags> Tags{};
};

// ---- 80-bit extended <-> double (portable; not the compiler's long double) ----
using Extended80 = std::array<uint8_t, 10>;
// Rounds to the nearest double; infinities and NaNs carry over.
double ExtendedToDouble(const Extended80& x);
// Exact: every double is representable.
Extended80 DoubleToExtended(double d);

}  // namespace kav

// ---- primitive fields on a stream (little-endian; see the layout above) ----
namespace kav {
class Stream;

int32_t ReadInt32(Stream& s);
uint16_t ReadUInt16(Stream& s);
uint8_t ReadByte(Stream& s);
double ReadExtended(Stream& s);
// A length-prefixed Windows-1252 string, returned as UTF-8. A negative
// length, one above `cap`, or one past the end of the stream is damage.
std::string ReadString(Stream& s, int32_t cap);

// Writers append to a byte string (the header rewrite and the producer).
void PutInt32(std::string& out, int32_t v);
void PutUInt16(std::string& out, uint16_t v);
void PutByte(std::string& out, uint8_t v);
void PutExtended(std::string& out, double v);
// UTF-8 in, Windows-1252 with its int32 length written.
void PutString(std::string& out, const std::string& utf8);

}  // namespace kav
