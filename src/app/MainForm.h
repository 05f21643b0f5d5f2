#pragma once
// The main window's behaviour, free of any window system: start-up checks,
// settings, the automatic loop's state and the orderly end. The hidden
// window of class "TFrmHueglassMain" owns one and forwards to it.
#include "app/MainHost.h"
#include "app/Settings.h"
#include "dialogs/MsgBox.h"
#include "manual/CustomColors.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "tray/TrayHost.h"
#include "tray/TrayMenu.h"

#include <cstdint>
#include <string>

namespace hg {

using TColor = std::uint32_t;

struct MainPorts {
    IMainHost& host;
    ISystemInfo& system;
    IFileSystem& files;
    IProfile& profile;
    IRegistry& registry;
    ITaskDialogHost& dialogs;
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

    State state() const { return state_; }
    const TAppOptions& AppOptions() const { return AppOptions_; }
    TAppOptions& AppOptions() { return AppOptions_; }
    bool MenuEnabledChecked() const { return menuEnabledChecked_; }
    const std::wstring& IniFileName() const { return IniFileName_; }
    bool PortableMode() const { return location_.PortableMode(); }

    // Fields of the main window, named as the rest of the program knows them.
    bool bInWarning = false;
    bool bIsPicking = false;
    std::int32_t LastWallpaper = -1;
    TColor LastAeroColor = 0;
    TColor LastBgColor = static_cast<TColor>(-1);
    TColor LastPickColor = 0;
    std::int32_t CurrentStep = 0;
    TColor OldAeroColor = 0;
    TColor NewAeroColor = 0;
    bool AreWeOnWindows10 = false;
    bool AreWeOnWindows8 = false;
    bool bDarkSystemTheme = false;
    std::uintptr_t LastForegroundWindow = 0;

    // ----- Tray icon and menu; colours remembered per wallpaper -----
    // The window's notification-area icon; until one is attached, requests
    // to it are dropped.
    void AttachTray(ITrayHost& tray) { tray_ = &tray; }
    // The menu follows the loop's state and source; the icon is set afresh.
    void RefreshTrayMenu();
    void UpdateTrayIcons(bool bActiveOnly);
    // The item a double click runs, from DoubleClickAction.
    void InitDefaultMenu();
    void TrayDblClick();
    void MnuStartDisplayClick();
    void MnuDonateClick();
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
    // "&Reset Manual Color" for the entry at index, or hidden for -1.
    void ShowManualColorItem(std::int32_t index);

    TTrayMenu TrayMenu;
    ::hg::CustomColorList CustomColorList;
    std::wstring CustomColorFile; // "CustomColorCache.Settings" in the data folder

private:
    NullTrayHost nullTray_;
    ITrayHost* tray_ = &nullTray_;
    // After "&Reset Manual Color": the wallpaper's colour is made afresh.
    void RestartAutomaticColor();

    void WarnIfCompositionOff();
    void WarnIfAutoColorizationOn();
    void OpenPersonalization();

    MainPorts ports_;
    SettingsLocation location_;
    State state_ = State::Creating;
    TAppOptions AppOptions_;
    std::wstring IniFileName_;
    bool menuEnabledChecked_ = true;
};

} // namespace hg
