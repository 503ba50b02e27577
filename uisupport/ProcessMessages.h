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

// A filter that sees every message before it is dispatched, by the waiting
// loops and by the main loop alike (the window toolkit uses it for key
// preview). It returns true when it consumed the message. The argument is the
// platform's message record (MSG on Windows). Empty by default.
using MessageFilter = bool (*)(void* message);
MessageFilter SetMessageFilter(MessageFilter filter);
// True when the installed filter consumed the message.
bool FilterMessage(void* message);

}  // namespace ui
