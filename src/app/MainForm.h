#pragma once
// The main window's behaviour, free of any window system: start-up checks,
// settings, the automatic colour loop and the orderly end. The hidden
// window of class "TFrmHueglassMain" owns one and forwards to it.
#include "app/MainHost.h"
#include "app/Settings.h"
#include "app/Timers.h"
#include "color/Bitmap.h"
#include "colorize/Colorizer.h"
#include "dialogs/MsgBox.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

#include <cstdint>
#include <optional>
#include <string>

namespace hg {

class IPlatformPictures;

struct MainPorts {
    IMainHost& host;
    ISystemInfo& system;
    IFileSystem& files;
    IProfile& profile;
    IRegistry& registry;
    ITaskDialogHost& dialogs;
    ITimers& timers;
    Composition& composition;
    IPlatformPictures* pictures = nullptr; // readers of the rarer picture kinds, if any
};

class MainForm {
public:
    enum class State { Creating, Refused, WaitingForStart, Running, Closed };

    explicit MainForm(MainPorts ports);

    // The creation handler: runs inside the window's creation.
    void FormCreate();
    // Reads the theme flag that chooses the tray icon variant.
    void InitVisualStyle();
    // The deferred-start message: the loop starts and the tray icon shows.
    void DeferredStart();
    // The close handler ("E&xit"): saves the settings. A save that fails is
    // reported and the program still ends, so the user is never trapped.
    void FormClose();

    // The automatic loop.
    void InitTimers();
    void OnTimer(TimerId id);
    void TimerBackgroundTimer();
    void TimerIconTimer();
    void SetColorFromWall(std::wstring sMainWall);
    void MenuEnabledClick();
    // The tray icon's tooltip for the loop's state.
    const std::wstring& TrayHint() const { return trayHint_; }

    State state() const { return state_; }
    const TAppOptions& AppOptions() const { return AppOptions_; }
    TAppOptions& AppOptions() { return AppOptions_; }
    bool MenuEnabledChecked() const { return menuEnabledChecked_; }
    void SetMenuEnabledChecked(bool checked) { menuEnabledChecked_ = checked; }
    const std::wstring& IniFileName() const { return IniFileName_; }
    bool PortableMode() const { return location_.PortableMode(); }
    Colorizer& colorizer() { return colorizer_; }

    // Fields of the main window, named as the rest of the program knows them
    // (the colour last applied and the fade's fields live in the Colorizer).
    bool bInWarning = false;
    bool bIsPicking = false;
    std::int32_t LastWallpaper = -1;
    TColor LastBgColor = static_cast<TColor>(-1);
    TColor LastPickColor = 0;
    bool AreWeOnWindows10 = false;
    bool AreWeOnWindows8 = false;
    bool bDarkSystemTheme = false;
    std::uintptr_t LastForegroundWindow = 0;

private:
    class AnimeTimer final : public FadeTimer {
    public:
        explicit AnimeTimer(ITimers& timers) : timers_(timers) {}
        void Enable() override { timers_.Enable(TimerId::Anime); }
        void Disable() override { timers_.Disable(TimerId::Anime); }
        bool IsEnabled() const override { return timers_.IsEnabled(TimerId::Anime); }

    private:
        ITimers& timers_;
    };

    void WarnIfCompositionOff();
    void WarnIfAutoColorizationOn();
    void OpenPersonalization();
    std::wstring WallpaperPath();
    void WallpaperSettled();
    // The background poll runs again, unless the loop stopped meanwhile.
    void ResumeBackgroundPolling();

    MainPorts ports_;
    SettingsLocation location_;
    AnimeTimer timerAnime_;
    Colorizer colorizer_;
    State state_ = State::Creating;
    TAppOptions AppOptions_;
    std::wstring IniFileName_;
    bool menuEnabledChecked_ = true;
    std::wstring trayHint_;
    // A changed wallpaper waiting for its writer to finish.
    std::wstring settlingPath_;
    std::int32_t settlingAge_ = -1;
};

} // namespace hg
