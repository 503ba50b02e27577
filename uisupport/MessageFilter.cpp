#include "ProcessMessages.h"

namespace ui {
namespace {
MessageFilter g_filter = nullptr;
}

MessageFilter SetMessageFilter(MessageFilter filter) {
    MessageFilter previous = g_filter;
    g_filter = filter;
    return previous;
}

bool FilterMessage(void* message) { return g_filter && g_filter(message); }

}  // namespace ui
