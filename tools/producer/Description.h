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
//
// Differences between two releases: `kavmake --diferencias 12.05 12.06
// qtr1205.desc qtr1206.desc QTRDIF_12.05_12.06.KAV` reads both descriptions
// and writes an archive (with the new one's archive statement) holding
//   file "DIFERENCIAS.MANIFIESTO" type=7 (the manifest, first: one line
//        "parche <size before> <blake2b before> <size after> <blake2b after>
//        <name>" per patched file, after the header lines KAVO-DIFERENCIAS 1,
//        desde 12.05, hasta 12.06);
//   every changed file under its name, type, date and attributes in the new
//        release, its data a zstd patch against the earlier file (kinds below
//        14 but 9, which stay where their stored name says; others whole);
//   every new file as it is.
// Files whose bytes did not change, and files the new release dropped, are
// left out. The updater downloads it instead of the release's archive when
// it is published for the installed release (see services/Diferencias.h).
#pragma once
#include <string>

#include "ArchiveBuilder.h"

namespace kavmake {

// Parses a description; relative from= paths are taken from `baseDir`.
// Errors name the line: std::runtime_error.
ArchiveBuilder ParseDescription(const std::string& text, const std::string& baseDir);

}  // namespace kavmake
