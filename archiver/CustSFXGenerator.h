// TCustomSFXGenerator: tells the extractor where an archive starts inside an
// executable, from the sizes its version information states.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "Messages.h"

namespace kav {

class TCustomSFXGenerator {
public:
    TCustomSFXGenerator() = default;
    virtual ~TCustomSFXGenerator() = default;
    TCustomSFXGenerator(const TCustomSFXGenerator&) = delete;
    TCustomSFXGenerator& operator=(const TCustomSFXGenerator&) = delete;

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
    friend class SFXGeneratorRef;
    TLanguage language_ = TLanguage::lgAutomatic;
    // Expires with the generator, so that the extractors referring to it
    // see it gone.
    std::shared_ptr<TCustomSFXGenerator*> self_ = std::make_shared<TCustomSFXGenerator*>(this);
};

// An extractor's reference to a generator: reads as null once the
// generator has been destroyed.
class SFXGeneratorRef {
public:
    SFXGeneratorRef& operator=(TCustomSFXGenerator* g) {
        if (g) alive_ = g->self_;
        else alive_.reset();
        return *this;
    }
    TCustomSFXGenerator* get() const {
        const auto self = alive_.lock();
        return self ? *self : nullptr;
    }
    operator TCustomSFXGenerator*() const { return get(); }
    TCustomSFXGenerator* operator->() const { return get(); }

private:
    std::weak_ptr<TCustomSFXGenerator*> alive_;
};

}  // namespace kav
