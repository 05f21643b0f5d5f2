#pragma once
// Port: the main window's timers. The logic asks for a timer to run or
// stop; the window calls the matching tick handler. Nothing ever sleeps.
#include <cstdint>

namespace hg {

enum class TimerId : std::uint32_t {
    Icon = 1,            // TimerIcon: foreground-window polling
    Background = 2,      // TimerBackground: wallpaper polling
    Anime = 3,           // TimerAnime: fade steps
    Pick = 4,            // TimerPick: screen sampling during a pick
    WallpaperSettle = 5, // one-shot: a changed wallpaper is read once its writer is done
    DpiSettle = 6,       // one-shot: the tray image is refreshed after a DPI change
};

// Intervals in milliseconds.
constexpr std::uint32_t IntervalOf(TimerId id) {
    switch (id) {
    case TimerId::Icon:
        return 100;
    case TimerId::Background:
        return 1000;
    case TimerId::Anime:
        return 70;
    case TimerId::Pick:
        return 50;
    case TimerId::WallpaperSettle:
        return 300;
    case TimerId::DpiSettle:
        return 5000;
    }
    return 1000;
}

class ITimers {
public:
    virtual ~ITimers() = default;
    virtual void Enable(TimerId id) = 0;
    virtual void Disable(TimerId id) = 0;
    virtual bool IsEnabled(TimerId id) const = 0;
};

} // namespace hg
