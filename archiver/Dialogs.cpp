#include "Dialogs.h"

#include <cstdio>

#include "DialogSeam.h"
#include "DialogsNative.h"
#include "platform/DateConvert.h"

namespace kav::dialogs {
namespace {

std::string CaptionFor(TMsgDlgType type) {
    const DialogTexts& t = SharedDialogTexts();
    switch (type) {
    case mtWarning: return t.Warning;
    case mtError: return t.Error;
    case mtConfirmation: return t.Confirmation;
    default: return t.Information;
    }
}

// The native box offers fixed button groups; the first group that the
// requested set matches wins.
std::vector<std::string> ButtonCaptions(TMsgDlgButtons b) {
    const DialogTexts& t = SharedDialogTexts();
    auto has = [b](std::initializer_list<TMsgDlgBtn> l) { return (b & Buttons(l)) == Buttons(l); };
    if (has({mbAbort, mbRetry, mbIgnore})) return {"Abort", "Retry", "Ignore"};
    if (has({mbYes, mbNo, mbCancel})) return {t.Yes, t.No, t.Cancel};
    if (has({mbYes, mbNo})) return {t.Yes, t.No};
    if (has({mbRetry, mbCancel})) return {"Retry", t.Cancel};
    if (has({mbOK, mbCancel})) return {t.Ok, t.Cancel};
    return {t.Ok};
}

std::string WithColon(const std::string& label) { return label + " :"; }

}  // namespace

std::string SizeAndDateLine(int64_t size, double date) {
    std::string digits = std::to_string(size < 0 ? -size : size), grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += '.';
        grouped += digits[i];
    }
    if (size < 0) grouped = "-" + grouped;
    os::CivilTime c = os::CivilFromDate(date);
    char when[48];
    std::snprintf(when, sizeof when, "%02d/%02d/%04d %d:%02d:%02d", c.day, c.month, c.year, c.hour, c.minute,
                  c.second);
    return grouped + " bytes  " + when;
}

int32_t MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    ui::DialogRequest r{kMessageDlg, CaptionFor(type), text, ButtonCaptions(buttons), {}};
    if (auto a = ui::ScriptedAnswer(r)) return a->result;
    return native::ShowMessageBox(text, type, buttons);
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value, bool masked) {
    const DialogTexts& t = SharedDialogTexts();
    ui::DialogRequest r{masked ? kInputPassword : kInputQuery, caption, prompt, {t.Ok, t.Cancel}, value};
    if (auto a = ui::ScriptedAnswer(r)) {
        if (a->result != mrOk) return false;
        value = a->value.substr(0, 511);
        return true;
    }
    std::string edited = value;
    if (!native::InputBox(caption, prompt, edited, masked)) return false;
    value = edited.substr(0, 511);
    return true;
}

int32_t ContinueDialog(const std::string& error, const std::string& fileName, int64_t size, double date) {
    const DialogTexts& t = SharedDialogTexts();
    std::vector<native::Labelled> lines{{WithColon(t.Error), error}, {WithColon(t.File), fileName},
                                        {"", SizeAndDateLine(size, date)}};
    std::string text;
    for (const auto& l : lines) text += (l.label.empty() ? "" : l.label + " ") + l.value + "\n";
    text += t.CanContinue;
    ui::DialogRequest r{kContinue, t.Confirmation, text, {t.Yes, t.YesToAll, t.No}, {}};
    if (auto a = ui::ScriptedAnswer(r)) return a->result;
    return native::ButtonDialog(t.Confirmation, lines, t.CanContinue,
                                {{t.Yes, mrYes}, {t.YesToAll, mrYesToAll}, {t.No, mrNo}});
}

int32_t OverwriteDialog(const std::string& existingName, int64_t existingSize, double existingDate,
                        const std::string& newName, int64_t newSize, double newDate) {
    const DialogTexts& t = SharedDialogTexts();
    std::vector<native::Labelled> lines{{t.ReplaceFile, existingName},
                                        {"", SizeAndDateLine(existingSize, existingDate)},
                                        {t.WithFile, newName},
                                        {"", SizeAndDateLine(newSize, newDate)}};
    std::string text;
    for (const auto& l : lines) text += (l.label.empty() ? "" : l.label + " ") + l.value + "\n";
    ui::DialogRequest r{kOverwrite, t.ConfirmFileOverwrite, text, {t.Yes, t.YesToAll, t.No, t.Cancel}, {}};
    if (auto a = ui::ScriptedAnswer(r)) return a->result;
    return native::ButtonDialog(t.ConfirmFileOverwrite, lines, "",
                                {{t.Yes, mrYes}, {t.YesToAll, mrYesToAll}, {t.No, mrNo}, {t.Cancel, mrCancel}});
}

}  // namespace kav::dialogs
