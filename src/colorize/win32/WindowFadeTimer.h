#pragma once
// TimerAnime on a window: a WM_TIMER with a fixed id every 70 ms while
// enabled. The window's procedure forwards that WM_TIMER to
// Colorizer::TimerAnimeTimer only while IsEnabled(): KillTimer leaves a tick
// that is already queued in the queue, and it must not run a step after the
// fade was stopped.
#include "colorize/Colorizer.h"

#include <windows.h>

namespace hg::win32 {

class WindowFadeTimer final : public FadeTimer {
public:
    WindowFadeTimer(HWND window, UINT_PTR id, UINT intervalMs = TimerAnimeIntervalMs);
    ~WindowFadeTimer() override;
    WindowFadeTimer(const WindowFadeTimer&) = delete;
    WindowFadeTimer& operator=(const WindowFadeTimer&) = delete;

    // Enabling an enabled timer keeps its rhythm (SetTimer would restart it).
    void Enable() override;
    void Disable() override;
    bool IsEnabled() const override { return enabled_; }
    UINT_PTR id() const { return id_; }

private:
    HWND window_;
    UINT_PTR id_;
    UINT intervalMs_;
    bool enabled_ = false;
};

} // namespace hg::win32
