// The real dialogs behind kav::dialogs, one implementation per platform.
// Called only when no dialog script answered.
#pragma once
#include <string>
#include <vector>

#include "DialogSeam.h"

namespace kav::dialogs::native {

struct Labelled {
    std::string label, value;  // a label and the text shown beside it
};

// A message box: caption from the type, buttons as given; returns the
// native button code (equal to TModalResult).
int ShowMessageBox(const std::string& text, int type, unsigned buttons);
// Text input; true on OK.
bool InputBox(const std::string& caption, const std::string& prompt, std::string& value, bool masked);
// A question with label/value lines and a row of buttons; returns the
// result code of the button pressed (codes given beside the captions), 0 when
// the dialog was closed.
int ButtonDialog(const std::string& caption, const std::vector<Labelled>& lines, const std::string& question,
                 const std::vector<std::pair<std::string, int>>& buttons);

}  // namespace kav::dialogs::native
