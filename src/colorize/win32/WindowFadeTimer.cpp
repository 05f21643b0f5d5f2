#include "colorize/win32/WindowFadeTimer.h"

namespace hg::win32 {

WindowFadeTimer::WindowFadeTimer(HWND window, UINT_PTR id, UINT intervalMs)
    : window_(window), id_(id), intervalMs_(intervalMs) {}

WindowFadeTimer::~WindowFadeTimer() {
    Disable();
}

void WindowFadeTimer::Enable() {
    if (enabled_)
        return;
    // Without the timer the fade stays at its first step; nothing else is
    // harmed, so a refusal is only remembered as "not enabled".
    enabled_ = ::SetTimer(window_, id_, intervalMs_, nullptr) != 0;
}

void WindowFadeTimer::Disable() {
    if (!enabled_)
        return;
    ::KillTimer(window_, id_);
    enabled_ = false;
}

} // namespace hg::win32
