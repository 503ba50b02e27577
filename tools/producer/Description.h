// kavmake's description language: one statement per line, words separated
// by blanks, values in double quotes when they hold blanks; '#' starts a
// comment line.
//
//   archive blocksize=65536 id=0x4B41564F comment="Versión 5" key="clave larga"
//           userdata=48656C6C6F segment-size=100000 solid flags=0x02
//           no-last-flag partial-totals version=1 signature=4664
//   file "dir\a.txt" text="hola"            (or from=PATH, or fill=BYTES)
//        stored | compressed (default: compressed unless that does not shrink)
//        level=9   encrypted   date="2024-03-15 10:30:00"
//        attr=0x21 type=3 alt="otro\a.txt" alt-type=4 tags=1,2,3
//        wrong-crc | standard-crc
//   folder "dir\vacia\" attr=0x10
//   break                                   (next entry starts a new segment)
#pragma once
#include <string>

#include "ArchiveBuilder.h"

namespace kavmake {

// Parses a description; relative from= paths are taken from `baseDir`.
// Errors name the line: std::runtime_error.
ArchiveBuilder ParseDescription(const std::string& text, const std::string& baseDir);

}  // namespace kavmake
