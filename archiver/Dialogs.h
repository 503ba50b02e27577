// The engine's modal dialogs. Each first asks the dialog seam
// (ui::ScriptedAnswer) so tests and native builds can answer; without a
// script the Windows build shows a real window and the native build refuses
// with an error (it has no user to ask).
#pragma once
#include <cstdint>
#include <string>

#include "ArchiverRoot.h"

namespace kav::dialogs {

// Request kinds seen by a dialog script.
inline constexpr const char* kMessageDlg = "MessageDlg";
inline constexpr const char* kInputQuery = "InputQuery";
inline constexpr const char* kInputPassword = "InputPassword";
inline constexpr const char* kContinue = "ContinueDialog";
inline constexpr const char* kOverwrite = "OverwriteDialog";

// Returns the TModalResult of the button pressed.
int32_t MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
// OK returns true and sets value (at most 511 characters); Cancel leaves it.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value, bool masked);
// mrYes, mrYesToAll, mrNo, or mrNone when closed.
int32_t ContinueDialog(const std::string& error, const std::string& fileName, int64_t size, double date);
// mrYes, mrYesToAll, mrNo or mrCancel.
int32_t OverwriteDialog(const std::string& existingName, int64_t existingSize, double existingDate,
                        const std::string& newName, int64_t newSize, double newDate);

// "%.0n bytes  %s": size with thousands separators, two spaces, date and time.
std::string SizeAndDateLine(int64_t size, double date);

}  // namespace kav::dialogs
