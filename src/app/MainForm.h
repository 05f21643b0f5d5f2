#pragma once
// The main window's behaviour, free of any window system: start-up checks,
// settings, the automatic colour loop and the orderly end. The hidden
// window of class "TFrmHueglassMain" owns one and forwards to it.
#include "about/AboutHost.h"
#include "app/MainHost.h"
#include "settings/Settings.h"
#include "app/Timers.h"
#include "app/WallpaperWatch.h"
#include "color/ActiveWindow.h"
#include "color/Bitmap.h"
#include "colorize/Colorizer.h"
#include "dialogs/MsgBox.h"
#include "manual/CustomColors.h"
#include "manual/ManualHost.h"
#include "options/OptionsForm.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/ModalWindows.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "tray/TrayHost.h"
#include "tray/TrayMenu.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hg {

class IPlatformPictures;
class IOptionsDialog;
namespace task_dialog {
class ITaskDialogPlatform;
}

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
    IActiveWindows* activeWindows = nullptr; // the foreground application's windows, if followed
    IOptionsDialog* options = nullptr;       // the options dialog's window, if any
    task_dialog::ITaskDialogPlatform* taskDialogs = nullptr; // messages of the options dialog
};

class MainForm {
public:
    // Closing: "E&xit" was chosen and waits for open windows to close.
    enum class State { Creating, Refused, WaitingForStart, Running, Closing, Closed };

    explicit MainForm(MainPorts ports);

    // The creation handler: runs inside the window's creation.
    void FormCreate();
    // Reads the theme flag that chooses the tray icon variant and prepares
    // the Personalize item's image.
    void InitVisualStyle();
    // A system setting changed (WM_SETTINGCHANGE with the name of its area).
    void SettingChanged(std::wstring_view area);
    // The deferred-start message: the loop starts and the tray icon shows.
    void DeferredStart();
    // The close handler: saves the settings and the colour file. A save
    // that fails is reported and the program still ends, so the user is
    // never trapped.
    void FormClose();

    // The windows the program has open. A command opens its window through
    // Modals.Run, which brings an open one forward instead and tells the
    // command to stop when "E&xit" closed its window.
    ModalWindows Modals;
    // "E&xit": the open windows close as cancelled; the exit path runs from
    // ExitIfDue once they have gone.
    void Close1Click();
    // Asked by the window after each of its message handlers has returned:
    // runs the close handler when "E&xit" is due. True when the program has
    // closed and its window is to be destroyed.
    bool ExitIfDue();
    // The session ends (sign-out, shutdown): the settings and the colour
    // file are written as at the exit, silently. Nothing else of the exit
    // runs; the system ends the process.
    void SessionEnding();
    // The session has ended: the wallpaper watches close.
    void SessionEnded();

    // The automatic loop.
    void InitTimers();
    void OnTimer(TimerId id);
    void TimerBackgroundTimer();
    void TimerIconTimer();
    // False only when the picture file was held by another program and could
    // not be read: the change is then not yet handled.
    bool SetColorFromWall(std::wstring sMainWall);
    // The wallpaper's notifications; until a watch is attached there are none
    // and the poll alone finds changes.
    void AttachWallpaperWatch(IWallpaperWatch& watch) { watch_ = &watch; }
    // A notification: the poll's check, at once. Heard exactly when the
    // poll's tick would be; one coming while a change is being handled makes
    // one more check afterwards, so a burst of them gives one colour.
    void WallpaperNotified(WallpaperNotice notice);
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
    // The path of the wallpaper file last handled: another file with the
    // same age is a new wallpaper too.
    std::wstring LastWallpaperPath;
    TColor LastBgColor = static_cast<TColor>(-1);
    TColor LastPickColor = 0;
    bool AreWeOnWindows10 = false;
    bool AreWeOnWindows8 = false;
    bool bDarkSystemTheme = false;
    std::uintptr_t LastForegroundWindow = 0;

    // ----- Tray icon and menu; colours remembered per wallpaper -----
    // The window's notification-area icon; until one is attached, requests
    // to it are dropped.
    void AttachTray(ITrayHost& tray) { tray_ = &tray; }
    // The About box; until one is attached, "&About..." shows nothing.
    void AttachAboutBox(IAboutBoxHost& about) { aboutBox_ = &about; }
    // The menu follows the loop's state and source; the icon is set afresh.
    void RefreshTrayMenu();
    void UpdateTrayIcons(bool bActiveOnly);
    // The item a double click runs, from DoubleClickAction.
    void InitDefaultMenu();
    void TrayDblClick();
    void MnuStartDisplayClick();
    void MnuDonateClick();
    // "&Settings...": the options dialog; after OK the loop restarts and the
    // settings are saved (a failed save is reported).
    void Settings2Click();
    void About1Click();
    void MnuClearCurrentManualColorClick();
    // A second copy of the program was started: say that this one runs.
    void SecondInstance();
    void LoadCustomColorCache();
    // False when the file could not be written.
    bool SaveCustomColorCache();
    // Remembers colour for the wallpaper at path whose picture is given (when
    // RememberCustomColors is on), shows "&Reset Manual Color" for it and
    // writes the file; a failed write is left for the save at the end.
    void SaveCustomColor(const std::wstring& wallpaper, const Bitmap24& picture, TColor colour);
    void SaveCustomColor(const std::wstring& wallpaper, const ImageCorners& corners, TColor colour);
    // Remembers LastAeroColor for the wallpaper shown now (loaded afresh to
    // read its corners); a plain background records nothing.
    void SaveCustomColor();
    // "&Reset Manual Color" for the entry at index, or hidden for -1.
    void ShowManualColorItem(std::int32_t index);

    // ----- Colours set by hand -----
    void AttachManualHost(IManualColorHost& host) { manual_ = &host; }
    // "Select a &Color...": the colour dialog with the custom palette.
    void MnuSelColorClick();
    bool ColorDialogOpen() const { return colorDialogOpen_; }
    // After a colour set by hand while the loop runs: the warning that the
    // next wallpaper would replace it, and what the user chose there.
    void WarnUserIfOnAutoSettings();
    // "Pick Color &From Screen" and the pick it starts: sampled at every
    // TimerPick tick, ended by the buttons or any loss of the capture.
    void MnuFromScreenClick();
    void TimerPickTimer();
    void PickLeftButton();
    void PickRightButton();
    void PickCaptureChanged();
    // The preview window is being closed by the user.
    void PreviewClosing();
    // A pick's end (or the preview's close) is running: no new pick or colour
    // dialog starts until it has returned.
    bool PickEnding() const { return pickEndDepth_ > 0; }

    TTrayMenu TrayMenu;
    ::hg::CustomColorList CustomColorList;
    std::wstring CustomColorFile; // "CustomColorCache.Settings" in the data folder

private:
    // The composition values of Windows 7 the options dialog read last.
    OptionsInitialValues optionsInitial_;

    class AnimeTimer final : public FadeTimer {
    public:
        explicit AnimeTimer(ITimers& timers) : timers_(timers) {}
        void Enable() override { timers_.Enable(TimerId::Anime); }
        void Disable() override { timers_.Disable(TimerId::Anime); }
        bool IsEnabled() const override { return timers_.IsEnabled(TimerId::Anime); }

    private:
        ITimers& timers_;
    };
    NullTrayHost nullTray_;
    ITrayHost* tray_ = &nullTray_;
    IAboutBoxHost* aboutBox_ = nullptr;
    NullManualColorHost nullManual_;
    IManualColorHost* manual_ = &nullManual_;
    bool colorDialogOpen_ = false;
    // The running pick was confirmed with the left button; any other end
    // cancels it.
    bool pickConfirmed_ = false;
    int pickEndDepth_ = 0;
    // Counts what makes a wallpaper colour found before the message pump
    // stale: a colour set by hand, a pick started, the loop restarted.
    std::uint64_t colorEvents_ = 0;
    // The program ends during a pick: the pointer and the mouse are given
    // back and the colour from before the pick returns.
    void AbandonPick();
    // The pick is over: the timer stops, the pointer (and, when asked, the
    // mouse) is given back and the preview closes.
    void StopPicking(bool releaseCapture);
    // A colour set by hand: applied at once; a fade under way stops.
    void ApplyManualColor(TColor color);
    // The pick ended without a colour chosen: the colour from before it is
    // back on the frames.
    void RestorePickStartColor();
    // After "&Reset Manual Color": the wallpaper's colour is made afresh.
    void RestartAutomaticColor();

    // Writes the settings and the colour file, if they were read; reports
    // failures when asked.
    void SaveEverything(bool reportFailures);
    void ReadSystemTheme();
    void WarnIfCompositionOff();
    void WarnIfAutoColorizationOn();
    void OpenPersonalization();
    std::wstring WallpaperPath();
    // The poll's check, from a tick or a notification.
    void CheckWallpaper();
    // One look at the wallpaper; true when a change waits for its writer to
    // finish (the check goes on once it has).
    bool LookAtWallpaper();
    // The changed wallpaper is turned into a colour and noted as handled.
    void ReadWallpaper(const std::wstring& path);
    // The end of a check: one more look if notifications came meanwhile.
    void FinishCheck();
    bool HearsWallpaperChanges() const;
    void WatchWallpaperFolders(const std::wstring& path);
    void StopWatchingWallpaper();
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
    NullWallpaperWatch nullWatch_;
    IWallpaperWatch* watch_ = &nullWatch_;
    // The wallpaper source is followed (its timer runs, or a change is handled).
    bool wallpaperLoopOn_ = false;
    // A check is under way (waiting for the writer, or making the colour).
    bool checking_ = false;
    // A notification came during the check.
    bool recheck_ = false;
};

} // namespace hg
