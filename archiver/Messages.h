// The engine's message texts (Spanish, UTF-8) and the process-wide texts of
// its dialogs' buttons and labels.
#pragma once
#include <string>

namespace kav {

enum class TLanguage {
    lgAutomatic, lgEnglish, lgFrench, lgChinese, lgPortuguese, lgGerman,
    lgItalian, lgRussian, lgSpanish, lgDanish, lgDutch, lgCzech
};

// Button and label texts every engine dialog takes; the message set loaded
// or assigned last publishes into it, for every component of the process.
struct DialogTexts {
    std::string Ok = "OK", Cancel = "&Cancel", Information = "Information", Warning = "Warning",
                Confirmation = "Confirmation", Error = "Error", Yes = "&Yes", YesToAll = "Yes to &All",
                No = "&No", ReplaceFile = "Replace File :", WithFile = "With File :",
                ConfirmFileOverwrite = "Confirm File Overwrite", File = "File",
                CanContinue = "Do you want to continue ?";
};
DialogTexts& SharedDialogTexts();

class TMessages {
public:
    TMessages() { LoadDefaults(); }
    virtual ~TMessages() = default;

    // Every language loads the same Spanish texts.
    virtual void SetLanguage(TLanguage) { LoadDefaults(); }
    virtual void Assign(const TMessages& other);
    virtual void PublishDialogTexts() const;

    std::string BadSignature, FileNameNeeded, SystemMessage, AcceptArchiveFailed, EnterCryptKey,
        EnterDecryptKey, KeyTooShort, ConfirmCryptKey, KeyNotConfirmed, ArchiveIsReadOnly,
        CanNotCreateArchive, CannotCreateDir, SelectADirectory, Ok, Cancel, Information, Warning,
        Confirmation, Error, CanNotBuildTempFileName, Yes, YesToAll, No, AFile, CanContinue,
        UnknownVersion, CannotCreateFile, CannotOpenFile, ArchiverBusy;

protected:
    void LoadDefaults();
    virtual void LoadTexts();
};

class TExtrMessages : public TMessages {
public:
    TExtrMessages() { LoadDefaults(); }
    void Assign(const TMessages& other) override;
    void PublishDialogTexts() const override;

    std::string CouldNotUncompressBlock, AskOverwrite, NeedExtractPath, InsertDisk, LocateSegment,
        WrongSegment, InsertLastSegment, LocateLastSegment, WrongLastSegment, WrongNextSegment, BadCRC,
        BadKey, ReplaceFile, WithFile, ConfirmFileOverwrite, ExtractingFile, LoadingArchiveContnent,
        UncompressingSolidArchive, CheckingFile;

protected:
    void LoadTexts() override;
};

// printf-style formatting of a message text (%s, %d, %x as the texts use).
std::string Format(const std::string& pattern, ...);

}  // namespace kav
