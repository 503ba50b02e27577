// The installer's extractor: the archive engine set up as the window uses it
// (ask on errors, overwrite existing files, every entry, 64 KiB blocks, the
// Spanish texts with the house's button captions), its questions shown by
// the house's message dialogs.
#pragma once
#include "Extractor.h"

class TExtractorInstalador : public kav::TExtractor {
public:
    TExtractorInstalador();
    // The button sets the house's dialogs have go through them; any other
    // set keeps the engine's own dialog.
    int32_t MessageDlg(const std::string& text, kav::TMsgDlgType type, kav::TMsgDlgButtons buttons,
                       int32_t helpCtx) override;
};
