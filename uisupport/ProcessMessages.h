// Keeps the window alive inside long operations on the one UI thread:
// dispatches every pending window message and returns. Every waiting loop of
// the program calls this one function (downloads, extraction, polling).
#pragma once

namespace ui {

void ProcessMessages();

// A hook run after the pending messages were dispatched (tests use it to act
// "while the operation runs"). Empty by default.
using IdleHook = void (*)();
IdleHook SetProcessMessagesHook(IdleHook hook);

}  // namespace ui
