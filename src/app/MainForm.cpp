#include "app/MainForm.h"

#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "dialogs/Warnings.h"

#include <exception>
#include <utility>

namespace hg {

namespace {
constexpr wchar_t kPersonalizeKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop\\";
constexpr wchar_t kAutoColorization[] = L"AutoColorization";
} // namespace

MainForm::MainForm(MainPorts ports)
    : Modals([host = &ports.host] { host->PostDeferredExit(); }), ports_(ports),
      location_(ports.system, ports.files), timerAnime_(ports.timers),
      colorizer_(ports.composition, timerAnime_, [this] {
          return ColorizeOptions{AppOptions_.Intensity, AppOptions_.ColorizeSysColors, AppOptions_.FadeColor};
      }) {}

void MainForm::FormCreate() {
    state_ = State::Creating;
    if (!IsWindows7OrHigher(ports_.system)) {
        ports_.host.ShowPlainMessage(L"This program requires Windows 7 or higher");
        ports_.host.PostQuit();
        state_ = State::Refused;
        return;
    }
    WarnIfCompositionOff();
    if (Modals.ExitRequested())
        return; // "E&xit" came while the warning was open: nothing was read, nothing is written

    AreWeOnWindows10 = IsWindows10OrHigher(ports_.system);
    AreWeOnWindows8 = IsWindows8OrHigher(ports_.system);

    IniFileName_ = location_.GetIniFile();
    bIsPicking = false;
    bInWarning = false;

    AppOptions_ = LoadSettings(ports_.profile, IniFileName_, IsWindows10OrHigher(ports_.system));
    menuEnabledChecked_ = AppOptions_.AppEnabled;
    InitDefaultMenu();
    LoadCustomColorCache();

    WarnIfAutoColorizationOn();

    LastForegroundWindow = 0;
    colorizer_.SeedFromComposition();
    LastWallpaperPath = WallpaperPath();
    LastWallpaper = ports_.files.FileAge(LastWallpaperPath);
    LastBgColor = static_cast<TColor>(-1);
    InitVisualStyle();

    ports_.host.PostDeferredStart();
    if (state_ == State::Creating)
        state_ = State::WaitingForStart;
}

void MainForm::WarnIfCompositionOff() {
    if (IsCompositionEnabled(ports_.system))
        return;
    TMsgBox box = CompositionOffWarning();
    const TModalResult result = box.Execute(ports_.dialogs, nullptr, true);
    if (Modals.ExitRequested())
        return; // closed by "E&xit", not answered
    switch (result) {
    case composition_warning::EnableDwm:
        OpenPersonalization();
        break;
    case composition_warning::Cancel:
        // The rest of creation still runs, but the loop ends at its first
        // message: no timer starts and the tray icon never shows.
        ports_.host.PostQuit();
        state_ = State::Refused;
        break;
    default:
        break;
    }
}

void MainForm::WarnIfAutoColorizationOn() {
    if (!AreWeOnWindows8 || !AppOptions_.Win8AutoColorizeWarn)
        return;
    // Only a 32-bit value that is not 0 means on; text or a missing value is off.
    const auto value = ports_.registry.ReadDword(kDesktopKey, kAutoColorization);
    if (!value || *value == 0)
        return;
    bool dontShowAgain = false;
    TMsgBox box = AutoColorizationWarning(dontShowAgain);
    // A dialog that could not be shown at all must not turn the user's
    // setting off unasked, as a cancelled one would.
    const auto result = box.TryExecute(ports_.dialogs, nullptr, true);
    if (!result || Modals.ExitRequested())
        return; // closed by "E&xit" is not an answer either
    if (*result == auto_colorization_warning::OpenPersonalize)
        OpenPersonalization();
    else if (*result == auto_colorization_warning::TurnOff)
        ports_.registry.WriteDword(kDesktopKey, kAutoColorization, 0);
    if (dontShowAgain)
        AppOptions_.Win8AutoColorizeWarn = false;
}

void MainForm::OpenPersonalization() { ports_.host.ShellOpen(L"control.exe", L" /name Microsoft.Personalization"); }

void MainForm::ReadSystemTheme() {
    bDarkSystemTheme = false;
    if (AreWeOnWindows10) {
        // A missing or unreadable value counts as the dark theme.
        const auto light = ports_.registry.ReadDword(kPersonalizeKey, L"SystemUsesLightTheme");
        bDarkSystemTheme = !light || *light == 0;
    }
}

void MainForm::InitVisualStyle() {
    ReadSystemTheme();
    // The Personalize item shows the image of the Windows personalization
    // settings.
    tray_->SetPersonalizeImage(AddBackslash(ports_.system.WindowsFolder()) + L"System32\\Themecpl.dll");
    TrayMenu[TrayItem::MnuStartDisplay].image = MenuImage::DisplayIco;
}

void MainForm::DeferredStart() {
    if (state_ != State::WaitingForStart)
        return;
    state_ = State::Running;
    InitTimers();
    // The first colour lets pending messages run: "E&xit" may have come.
    if (state_ == State::Running)
        tray_->ShowTrayIcon();
}

void MainForm::SettingChanged(std::wstring_view area) {
    // The user switched Windows between light and dark: the tray icon's
    // variant is chosen again, as at start-up.
    if (area != L"ImmersiveColorSet" || state_ == State::Closed)
        return;
    ReadSystemTheme();
    UpdateTrayIcons(false);
}

void MainForm::FormClose() {
    AbandonPick();
    StopWatchingWallpaper();
    for (TimerId id : {TimerId::Icon, TimerId::Background, TimerId::Anime, TimerId::WallpaperSettle, TimerId::Pick})
        ports_.timers.Disable(id);
    SaveEverything(true);
    state_ = State::Closed;
}

void MainForm::SaveEverything(bool reportFailures) {
    // An exit during the first warning comes before the settings were read:
    // defaults must not overwrite the user's file.
    if (!IniFileName_.empty()) {
        try {
            SaveSettings(ports_.profile, ports_.files, IniFileName_, AppOptions_, menuEnabledChecked_);
        } catch (const SettingsWriteError& error) {
            if (reportFailures)
                ports_.host.ShowError(error.message());
        }
    }
    if (!SaveCustomColorCache() && reportFailures)
        ports_.host.ShowError(L"Unable to write to " + CustomColorFile);
}

void MainForm::Close1Click() {
    if (state_ == State::Closed)
        return;
    // A refused start ends through its posted quit and writes nothing.
    if (state_ != State::Refused)
        state_ = State::Closing;
    for (TimerId id : {TimerId::Icon, TimerId::Background, TimerId::Anime, TimerId::WallpaperSettle})
        ports_.timers.Disable(id);
    StopWatchingWallpaper();
    Modals.RequestExit();
}

bool MainForm::ExitIfDue() {
    if (!Modals.ExitDue())
        return false;
    if (state_ == State::Closing) {
        // The exit is due once only: whatever fails in the close handler, the
        // program still ends, so the user is never left with one that cannot.
        try {
            FormClose();
        } catch (...) {
            state_ = State::Closed;
            ports_.host.ReportError(std::current_exception());
        }
    }
    return true;
}

void MainForm::SessionEnding() {
    // The pointer and the mouse are given back before anything else.
    AbandonPick();
    // Only what the running program holds is written: not before the start
    // has read the settings, not after the exit wrote them, not for a
    // refused start.
    if (state_ == State::WaitingForStart || state_ == State::Running || state_ == State::Closing)
        SaveEverything(false);
}

void MainForm::SessionEnded() { StopWatchingWallpaper(); }

} // namespace hg

namespace hg {

std::wstring MainForm::WallpaperPath() {
    return CurrentWallpaperPath(ports_.registry, ports_.files, ports_.host.MonitorCount(),
                                AppOptions_.DualMonWallSlideUseMon, AreWeOnWindows8);
}

void MainForm::InitTimers() {
    ports_.timers.Disable(TimerId::Background);
    ports_.timers.Disable(TimerId::Icon);
    ports_.timers.Disable(TimerId::WallpaperSettle);
    wallpaperLoopOn_ = checking_ = recheck_ = false;
    colorizer_.StopFade(); // a running fade stays at the colour it reached
    ++colorEvents_;        // a wallpaper colour found before this is stale

    std::wstring source;
    if (menuEnabledChecked_) {
        switch (AppOptions_.Mode) {
        case 0:
            source = L"wallpaper";
            SetColorFromWall(L"");
            if (state_ == State::Closing || state_ == State::Closed)
                return; // "E&xit" came while messages ran
            ports_.timers.Enable(TimerId::Background);
            WatchWallpaperFolders(WallpaperPath());
            wallpaperLoopOn_ = true;
            break;
        case 1:
            source = L"active application icon";
            ports_.timers.Enable(TimerId::Icon);
            break;
        case 2:
            source = L"active application contents";
            ports_.timers.Enable(TimerId::Icon);
            break;
        default:
            break;
        }
    } else {
        // Off: the colour last shown is applied again and stays.
        colorizer_.SetCompositionColor(colorizer_.LastAeroColor, AppOptions_.Intensity, true, -1, -1);
    }
    if (!wallpaperLoopOn_)
        watch_->Stop();
    trayHint_ = menuEnabledChecked_ ? L"Hueglass (Setting the Accent color via " + source + L")"
                                    : L"Hueglass is disabled";
    tray_->SetTrayTip(trayHint_);
    RefreshTrayMenu();
}

void MainForm::OnTimer(TimerId id) {
    // A tick already queued when its timer was stopped is dropped: a fade
    // must not take a step after the loop was restarted.
    if (state_ != State::Running || !ports_.timers.IsEnabled(id))
        return;
    switch (id) {
    case TimerId::Background:
        TimerBackgroundTimer();
        break;
    case TimerId::Icon:
        TimerIconTimer();
        break;
    case TimerId::Anime:
        colorizer_.TimerAnimeTimer();
        break;
    case TimerId::Pick:
        TimerPickTimer();
        break;
    case TimerId::WallpaperSettle:
        WallpaperSettled();
        break;
    case TimerId::DpiSettle:
        ports_.timers.Disable(TimerId::DpiSettle);
        UpdateTrayIcons(false);
        break;
    default:
        break;
    }
}

void MainForm::TimerBackgroundTimer() {
    if (!menuEnabledChecked_)
        return;
    // A pick owns the colour on screen while it runs: the poll waits (the
    // timer stays on) and takes a new wallpaper once the pick has ended.
    if (bIsPicking)
        return;
    CheckWallpaper();
}

bool MainForm::HearsWallpaperChanges() const {
    // As the poll's tick: not while the loop is off or follows another
    // source, nor during a pick (the poll takes a new wallpaper after it),
    // nor once "E&xit" was chosen.
    return state_ == State::Running && wallpaperLoopOn_ && menuEnabledChecked_ && !bIsPicking;
}

void MainForm::WallpaperNotified(WallpaperNotice) {
    if (!HearsWallpaperChanges())
        return;
    if (checking_) {
        // The file is still being written, or the registry and the file
        // changed together: looked at once more when this change is handled.
        recheck_ = true;
        return;
    }
    CheckWallpaper();
}

void MainForm::CheckWallpaper() {
    // Off while the check runs: checks never overlap, and the next tick
    // comes a full interval after this one ends.
    ports_.timers.Disable(TimerId::Background);
    checking_ = true;
    recheck_ = false;
    if (!LookAtWallpaper())
        FinishCheck();
}

bool MainForm::LookAtWallpaper() {
    const std::wstring path = WallpaperPath();
    WatchWallpaperFolders(path);
    if (path.empty()) {
        if (AppOptions_.UseBgColor) {
            const TColor background = ports_.composition.SystemColor(SysColor::Background);
            if (background != LastBgColor) {
                colorizer_.SetColorFromWallBg(background);
                LastBgColor = background;
            }
        }
        return false;
    }
    // Another file, or the same file with another age, is a new wallpaper.
    if (ports_.files.FileAge(path) == LastWallpaper && path == LastWallpaperPath)
        return false;
    if (IsWindows10OrHigher(ports_.system)) {
        // Windows 10 writes the converted wallpaper in steps: read it once
        // the writer is done. A timer, so the thread stays free.
        settlingPath_ = path;
        ports_.timers.Enable(TimerId::WallpaperSettle);
        return true;
    }
    ReadWallpaper(path);
    return false;
}

void MainForm::ReadWallpaper(const std::wstring& path) {
    // The age as the file is read: writes during the wait belong to this
    // change and do not make it a second one.
    const std::int32_t age = ports_.files.FileAge(path);
    // Even when no colour could be made; but a picture another program
    // held is read again at the next tick (a virus scanner or Explorer
    // reading the new wallpaper just then), and a pick that started while
    // the picture was read holds it back until it has ended.
    if (!SetColorFromWall(path) || bIsPicking)
        return;
    LastWallpaper = age;
    LastWallpaperPath = path;
}

void MainForm::FinishCheck() {
    while (std::exchange(recheck_, false) && HearsWallpaperChanges())
        if (LookAtWallpaper())
            return; // a further change waits for its writer
    checking_ = recheck_ = false;
    ResumeBackgroundPolling();
}

void MainForm::WallpaperSettled() {
    if (bIsPicking)
        return; // the timer stays on: the wallpaper is read after the pick
    ports_.timers.Disable(TimerId::WallpaperSettle);
    if (!menuEnabledChecked_) {
        checking_ = recheck_ = false;
        return;
    }
    ReadWallpaper(settlingPath_);
    FinishCheck();
}

void MainForm::WatchWallpaperFolders(const std::wstring& path) {
    // The watch follows the wallpaper into its folder.
    watch_->Watch(WallpaperFolders(path));
}

void MainForm::StopWatchingWallpaper() {
    wallpaperLoopOn_ = checking_ = recheck_ = false;
    watch_->Stop();
}

void MainForm::ResumeBackgroundPolling() {
    if (state_ == State::Running && menuEnabledChecked_ && AppOptions_.Mode == 0)
        ports_.timers.Enable(TimerId::Background);
}

bool MainForm::SetColorFromWall(std::wstring sMainWall) {
    if (bIsPicking)
        return true; // the pick owns the colour on screen
    if (sMainWall.empty())
        sMainWall = WallpaperPath();
    if (sMainWall.empty())
        return true;
    // The colour and the corners are gathered while the picture is decoded;
    // no bitmap of it is made.
    PictureColorRows picture({AppOptions_.nColorMode, AppOptions_.IgnoreDarkLigthColors});
    if (const std::string error = LoadWallpaperRows(ports_.files, sMainWall, picture, ports_.pictures);
        !error.empty())
        return error != kPictureInUse; // the colour on screen stays; nothing to report
    try {
        // A colour the user set by hand for this wallpaper wins.
        TColor colour = NoCustomColor;
        std::int32_t index = -1;
        if (AppOptions_.RememberCustomColors)
            colour = IsThisColorSet(CustomColorList, ports_.files, sMainWall, picture.Corners(), index);
        if (colour == NoCustomColor) {
            colour = picture.Color();
            index = -1;
        }
        ShowManualColorItem(index);
        const std::uint64_t eventsBefore = colorEvents_;
        ports_.host.ProcessMessages();
        if (state_ != State::Running && state_ != State::WaitingForStart)
            return true; // the program was closed meanwhile
        // A command that ran meanwhile has the last word: the loop switched
        // off or to another source, restarted (it found its own colour), a
        // colour set by hand or a pick started. The colour found is stale.
        if (!menuEnabledChecked_ || AppOptions_.Mode != 0 || bIsPicking || colorEvents_ != eventsBefore)
            return true;
        colorizer_.SetColorFromWallBg(colour);
    } catch (const std::exception&) {
        // A failure here (out of memory on a huge picture) leaves the colour
        // on screen as it is, like a picture that cannot be read.
    }
    return true;
}

void MainForm::TimerIconTimer() {
    if (!menuEnabledChecked_)
        return;
    const std::uintptr_t window = ports_.host.ForegroundWindow();
    if (window == LastForegroundWindow || window == ports_.host.MainWindowHandle())
        return;
    LastForegroundWindow = window;
    if (ports_.activeWindows == nullptr)
        return;
    const ImageColorChoice choice{AppOptions_.nColorMode, AppOptions_.IgnoreDarkLigthColors};
    // At once, never as a fade.
    const SetColorFn apply = [this](TColor colour) {
        colorizer_.SetCompositionColor(colour, AppOptions_.Intensity, true, -1, -1);
    };
    try {
        if (AppOptions_.Mode == 1)
            ApplyActiveIconColor(*ports_.activeWindows, window, choice, apply);
        else if (AppOptions_.Mode == 2)
            ApplyActiveContentsColor(*ports_.activeWindows, ports_.composition, window, choice, apply);
    } catch (const std::exception&) {
        // Out of memory for a capture: the colour on screen stays, and the
        // window is not tried again until the foreground changes.
    }
}

void MainForm::MenuEnabledClick() {
    menuEnabledChecked_ = !menuEnabledChecked_;
    RefreshTrayMenu();
    LastWallpaper = -1; // the next tick handles the wallpaper again
    InitTimers();
    try {
        SaveSettings(ports_.profile, ports_.files, IniFileName_, AppOptions_, menuEnabledChecked_);
    } catch (const SettingsWriteError& error) {
        ports_.host.ShowError(error.message());
    }
}

} // namespace hg
