// Reading (and, for the header and entry records, writing) the stored
// records of an archive.
// Fixed fields that the file is too short to hold raise EReadError;
// structurally impossible values raise EArchiver kMsgDamaged. Nothing is
// allocated from a length before it was checked against a cap and against
// the bytes that remain in the stream.
#pragma once
#include <string>

#include "ArchiverMisc.h"

namespace kav {
class Stream;

// Header size as stored: the fixed part plus the comment's Windows-1252 bytes.
int32_t HeaderSize(const TArchiveHeader& h);

// Reads a header at the stream's position. Returns false, having read only
// the signature, when it is not `signature`.
bool ReadHeader(Stream& s, TArchiveHeader& h, int32_t signature = kArchiveSignature);

// The checks every open makes after ReadHeader succeeded: a Version above 1
// is the plain error "Versión desconocida"; a BlockSize the reader cannot
// size its buffers from, or an EndOffset inside the header, is damage.
void CheckHeader(const TArchiveHeader& h);

// ReadHeader + the signature error (with `fileName`) + CheckHeader.
void ReadAndCheckHeader(Stream& s, TArchiveHeader& h, const std::string& fileName,
                        int32_t signature = kArchiveSignature);

// The stored bytes of a header (for rewriting it in place, and for tests).
std::string EncodeHeader(const TArchiveHeader& h);

// The stored bytes of an entry record, every field as given (at most
// kMaxTags tags); AltFileType only when AltName is not empty.
std::string EncodeFileEntry(const TFileEntry& e);

// Reads one entry record at the stream's position.
void ReadFileEntry(Stream& s, TFileEntry& e);

}  // namespace kav
