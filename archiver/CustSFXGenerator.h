// TCustomSFXGenerator: tells the extractor where an archive starts inside an
// executable, from the sizes its version information states.
#pragma once
#include <cstdint>
#include <string>

#include "Messages.h"

namespace kav {

class TCustomSFXGenerator {
public:
    TCustomSFXGenerator() = default;
    virtual ~TCustomSFXGenerator() = default;

    TLanguage Language() const { return language_; }
    void SetLanguage(TLanguage value) {
        language_ = value;
        LanguageChanged();
    }

    int32_t SFXCodeSize = 0;
    int32_t TagInfoSize = 0;
    // A concrete generator supplies its own defaults.
    virtual int32_t DefaultSFXCodeSize() const { return 0; }
    virtual int32_t DefaultTagInfoSize() const { return 0; }

    // Virtual operations in slot order.
    virtual void LanguageChanged() {}
    virtual void Hook1(const std::string&) {}
    virtual void Hook2(const std::string&) {}
    // Reads "SFXCodeSize" and "TagInfoSize" from the file's version texts (0
    // when absent or not a number); a missing file gives the defaults.
    virtual void GetSizes(const std::string& fileName);

private:
    TLanguage language_ = TLanguage::lgAutomatic;
};

}  // namespace kav
