#include "DialogSeam.h"

namespace ui {
namespace {
DialogScript& CurrentScript() {
    static DialogScript script;
    return script;
}
}  // namespace

DialogScript SetDialogScript(DialogScript script) {
    DialogScript previous = std::move(CurrentScript());
    CurrentScript() = std::move(script);
    return previous;
}

std::optional<DialogAnswer> ScriptedAnswer(const DialogRequest& request) {
    if (!CurrentScript()) return std::nullopt;
    return CurrentScript()(request);
}

}  // namespace ui
