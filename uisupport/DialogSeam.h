// The one seam through which every modal dialog of the program passes
// (message boxes, the archive engine's prompts, folder and file pickers).
// A test installs a script that answers instead of the user; without one,
// the real dialog is shown (Windows) or the request is refused (native).
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

struct DialogRequest {
    std::string kind;                  // which dialog: "Mensaje", "InputQuery", "BuscarCarpeta", ...
    std::string caption;
    std::string text;                  // the prompt or message
    std::vector<std::string> buttons;  // captions offered, in order
    std::string value;                 // proposed input, when the dialog asks for text
};

struct DialogAnswer {
    int result = 0;     // the dialog's result code (button pressed), as the caller defines it
    std::string value;  // the text entered, when the dialog asks for text
};

using DialogScript = std::function<DialogAnswer(const DialogRequest&)>;

// Installs the script that answers every dialog; returns the previous one.
// An empty function removes it.
DialogScript SetDialogScript(DialogScript script);

// The scripted answer when a script is installed, otherwise nothing (the
// caller then shows the real dialog).
std::optional<DialogAnswer> ScriptedAnswer(const DialogRequest& request);

// Scoped script for tests: restores the previous one on destruction.
class ScopedDialogScript {
public:
    explicit ScopedDialogScript(DialogScript script) : previous_(SetDialogScript(std::move(script))) {}
    ~ScopedDialogScript() { SetDialogScript(std::move(previous_)); }
    ScopedDialogScript(const ScopedDialogScript&) = delete;
    ScopedDialogScript& operator=(const ScopedDialogScript&) = delete;

private:
    DialogScript previous_;
};

}  // namespace ui
