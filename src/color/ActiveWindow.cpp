#include "color/ActiveWindow.h"

#include "color/ImageColor.h"

namespace hg {

namespace {
// The platform's index of the button-shadow system colour.
constexpr int BtnShadowIndex = 16;
} // namespace

IActiveWindows::Handle GetWindowIconHandle(IActiveWindows& windows, IActiveWindows::Handle window) {
    // The class icon wins even over an icon the window set for itself.
    if (const auto icon = windows.ClassIcon(window))
        return icon;
    using Kind = IActiveWindows::IconKind;
    for (const Kind kind : {Kind::Small, Kind::Big, Kind::Small2}) {
        const std::optional<IActiveWindows::Handle> answer = windows.QueryIcon(window, kind);
        if (!answer)
            return 0; // hung or gone: each further question would wait again
        if (*answer != 0)
            return *answer;
    }
    return 0;
}

void ApplyActiveIconColor(IActiveWindows& windows, IActiveWindows::Handle window, ImageColorChoice choice,
                          const SetColorFn& setColor) {
    const auto icon = GetWindowIconHandle(windows, window);
    if (icon == 0)
        return;
    // A handle that does not draw as an icon must not turn the frames white.
    const std::optional<Bitmap24> picture = windows.IconToBitmap(icon);
    if (!picture)
        return;
    setColor(ImageColor(picture->View(), choice.nColorMode, choice.IgnoreDarkLigthColors));
}

void ApplyActiveContentsColor(IActiveWindows& windows, const ISystemColors& systemColors, IActiveWindows::Handle window,
                              ImageColorChoice choice, const SetColorFn& setColor) {
    if (window == 0 || !windows.WindowExists(window)) {
        setColor(systemColors.SystemColor(BtnShadowIndex) & 0x00FFFFFF);
        return;
    }
    const std::optional<Bitmap24> picture = windows.CaptureWindowToBitmap(window);
    if (!picture)
        return; // the colour on screen stays, as for a picture that cannot be read
    setColor(ImageColor(picture->View(), choice.nColorMode, choice.IgnoreDarkLigthColors));
}

} // namespace hg
