// Test support: the archive tests read through the product's extraction
// engine. The segments are written as files beside each other (QTR.KAV,
// QTR.001, ...; QTR.EXE for an archive appended to a program) in a fresh
// folder; nobody answers a dialog: every prompt is recorded and cancelled.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ArchiverMisc.h"

namespace kav::testing {

struct Seen {
    std::vector<TArchiveHeader> headers;  // each segment file's header, as stored
    TArchiveHeader opened{};              // the header after Open (a solid archive's inner one)
    std::vector<TFileEntry> entries;      // every entry extraction met, as its first record
    std::map<std::string, std::string> content;  // the extracted bytes by entry name
};

// Extracts the archive into a scratch folder (stored paths restored) and
// collects what the engine met; TestFiles must pass on it too.
Seen Read(const std::vector<std::string>& segments, const std::string& key = {}, int64_t sfxStart = 0);

// The error `f` raises, prefixed by its kind; "" when it returns; a
// cancelled prompt is "prompt: " and the prompt's text.
std::string CaughtError(const std::function<void()>& f);

// The error reading the archive ends with ("" when it passes): TestFiles and
// ExtractFiles must end with the same one.
std::string ReadError(const std::vector<std::string>& segments, const std::string& key = {});

}  // namespace kav::testing
