// A timer of the UI thread: OnTimer runs from the message loop (also from
// ProcessMessages inside long operations) every Interval milliseconds while
// Enabled.
#pragma once
#include <windows.h>

#include <functional>

namespace forms {

class TTimer {
public:
    explicit TTimer(unsigned intervalo) : intervalo_(intervalo) {}
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    void SetEnabled(bool activo);
    bool Enabled() const { return id_ != 0; }
    void SetInterval(unsigned ms);
    unsigned Interval() const { return intervalo_; }
    std::function<void()> OnTimer;

private:
    static void CALLBACK Tic(HWND, UINT, UINT_PTR id, DWORD) noexcept;
    unsigned intervalo_;
    UINT_PTR id_ = 0;
};

}  // namespace forms
