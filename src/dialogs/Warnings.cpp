#include "dialogs/Warnings.h"

namespace hg {

namespace {
constexpr std::wstring_view kDontShowAgain = L"Do not show this warning again";
} // namespace

TMsgBox CompositionOffWarning() {
    using namespace composition_warning;
    const std::wstring link = L"What is the <a href=\"" + std::wstring(kDesktopWindowManagerArticleUrl) +
                              L"\">Windows Desktop Window Manager (DWM)</a>?";
    return MsgBox(L"Windows DWM is not enabled in your current Windows session")
        .Text(L"It's strongly recommended that Windows DWM is turned on in order to enjoy the full experience of "
              L"Hueglass.")
        .Text(link)
        .Text(L"To enable Windows DWM, click on \"Enable DWM\" and select a compatible Theme. If  there are no "
              L"Themes to select, then your hardware might not be compatible with DWM")
        .Warning()
        .Hypertext()
        .AddButton(L"&Enable DWM", EnableDwm)
        .AddButton(L"&Ignore", Ignore)
        .AddButton(L"&Cancel", Cancel);
}

TMsgBox AutoColorizationWarning(bool& dontShowAgain) {
    using namespace auto_colorization_warning;
    dontShowAgain = false;
    return MsgBox(L"Windows auto colorization is switched on")
        .Text(L"Hueglass requires that this feature of Windows to be turned off so it can function properly")
        .Warning()
        .Hypertext()
        .AddButton(L"&Open &Personalize", OpenPersonalize)
        .AddButton(L"&Turn Off", TurnOff)
        .AddButton(L"&Ignore", Ignore)
        .Verification(kDontShowAgain, &dontShowAgain)
        .WindowCaption(L"Warning");
}

TMsgBox ManualColorInAutoModeWarning(bool& dontShowAgain) {
    using namespace manual_color_warning;
    dontShowAgain = false;
    return MsgBox(L"The Accent color has been set manually but is set to automatic mode")
        .Text(L"The Accent color has been set manually but is set to automatic")
        .Warning()
        .AddButton(L"&Keep automatic color but remember the manual set color\n"
                   L"All manually set colors will be remembered for each wallpaper and supersede the automatic color",
                   RememberManualColors)
        .AddButton(L"&Turn off automatic settings\nThe Accent color will be always set manually", TurnOffAutomatic)
        .AddButton(L"&Continue using the automatic color\n"
                   L"All manually set colors will be lost the next time this wallpaper is set",
                   ContinueAutomatic)
        .Verification(kDontShowAgain, &dontShowAgain)
        .WindowCaption(L"Warning")
        .Footer(L"All options can be set in the settings dialog", tdiInformation)
        .AddFlag(tfUseCommandLinks);
}

} // namespace hg
