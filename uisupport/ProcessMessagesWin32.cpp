#include "ProcessMessages.h"

#include <windows.h>

namespace ui {
namespace {
IdleHook g_hook = nullptr;
}  // namespace

IdleHook SetProcessMessagesHook(IdleHook hook) {
    IdleHook previous = g_hook;
    g_hook = hook;
    return previous;
}

void ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the main loop, which ends the program.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (FilterMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (g_hook) g_hook();
}

}  // namespace ui
