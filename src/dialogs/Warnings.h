#pragma once
// The program's warnings, as task dialogs ready to Execute with the desktop
// window as owner.
#include "dialogs/MsgBox.h"

namespace hg {

// Address behind "Windows Desktop Window Manager (DWM)" in the composition
// warning.
inline constexpr std::wstring_view kDesktopWindowManagerArticleUrl =
    L"https://en.wikipedia.org/wiki/Desktop_Window_Manager";

// Desktop composition is off (shown at start-up).
namespace composition_warning {
inline constexpr TModalResult EnableDwm = 1; // open the personalization settings
inline constexpr TModalResult Ignore = 2;    // also Esc and the close box
inline constexpr TModalResult Cancel = 3;    // end the program
} // namespace composition_warning
TMsgBox CompositionOffWarning();

// Windows' own automatic colorization is on (shown at start-up, Windows 8 and
// later). dontShowAgain is cleared, the check box starts clear, and its state
// at close lands in dontShowAgain when the dialog is executed.
namespace auto_colorization_warning {
inline constexpr TModalResult OpenPersonalize = 1;
inline constexpr TModalResult TurnOff = 2; // also Esc and the close box
inline constexpr TModalResult Ignore = 3;
} // namespace auto_colorization_warning
TMsgBox AutoColorizationWarning(bool& dontShowAgain);

// A colour was set by hand while the automatic loop runs. Same check box
// contract as above.
namespace manual_color_warning {
inline constexpr TModalResult RememberManualColors = 1;
inline constexpr TModalResult TurnOffAutomatic = 2; // also Esc and the close box
inline constexpr TModalResult ContinueAutomatic = 3;
} // namespace manual_color_warning
TMsgBox ManualColorInAutoModeWarning(bool& dontShowAgain);

} // namespace hg
