#include "Timer.h"

#include <map>

#include "Application.h"

namespace forms {

namespace {
// Thread timers carry no object pointer: find the timer by its id.
std::map<UINT_PTR, TTimer*>& Activos() {
    static std::map<UINT_PTR, TTimer*> m;
    return m;
}
}  // namespace

TTimer::~TTimer() { SetEnabled(false); }

void TTimer::SetEnabled(bool activo) {
    if (activo == Enabled()) return;
    if (activo) {
        id_ = SetTimer(nullptr, 0, intervalo_, &TTimer::Tic);
        if (id_) Activos()[id_] = this;
    } else {
        KillTimer(nullptr, id_);
        Activos().erase(id_);
        id_ = 0;
    }
}

void TTimer::SetInterval(unsigned ms) {
    intervalo_ = ms;
    if (Enabled()) {
        SetEnabled(false);
        SetEnabled(true);
    }
}

void CALLBACK TTimer::Tic(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    auto it = Activos().find(id);
    if (it == Activos().end()) return;  // a tick queued before the timer stopped
    TTimer* t = it->second;
    if (t->OnTimer) Application().Proteger(t->OnTimer);
}

}  // namespace forms
