#include "ProcessMessages.h"

namespace ui {
namespace {
IdleHook g_hook = nullptr;
}  // namespace

IdleHook SetProcessMessagesHook(IdleHook hook) {
    IdleHook previous = g_hook;
    g_hook = hook;
    return previous;
}

// No window system on this side: only the test hook runs.
void ProcessMessages() {
    if (g_hook) g_hook();
}

}  // namespace ui
