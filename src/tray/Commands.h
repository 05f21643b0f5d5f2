#pragma once
// Identifiers shared by the main window, its tray menu and the tests that
// drive the program with window messages.
#include <cstdint>

namespace hg {

// Private messages of the main window.
enum class AppMessage : std::uint32_t {
    DeferredStart = 0x0400 + 42,  // WM_DEFERRED_START: start the loop, show the tray icon
    SecondInstance = 0x0400 + 45, // WM_SECOND_INSTANCE: posted by a second copy
    TrayCallback = 0x8000 + 1,    // WM_APP + 1: the shell's notification-icon callback
    DeferredExit = 0x8000 + 2,    // WM_APP + 2: look at a pending "E&xit" once the handlers have returned
    WallpaperNotice = 0x8000 + 3, // WM_APP + 3: the wallpaper may have changed (wParam: hg::WallpaperNotice)
};

// Menu commands (WM_COMMAND identifiers of the tray menu items).
enum class MenuCommand : std::uint16_t {
    StartDisplay = 1001,         // "&Personalize"
    FromScreen = 1002,           // pick a colour from the screen
    SelColor = 1003,             // colour dialog
    Enabled = 1004,              // "&Enabled"
    ClearCurrentManualColor = 1005,
    Settings = 1006,
    Donate = 1007,
    About = 1008,
    Close = 1009,                // "E&xit"
};

inline constexpr wchar_t kMainWindowClass[] = L"TFrmHueglassMain";
inline constexpr wchar_t kSingleInstanceMutex[] = L"BmTrayHueglassWnd";

} // namespace hg
