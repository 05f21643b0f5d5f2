#pragma once
// The colour of the application the user works in: the foreground window's
// icon, or what its window shows. Each colour is set at once (no fade), once
// per change of the foreground window (the main window's icon timer decides
// when).
#include "color/Bitmap.h"
#include "color/Color.h"
#include "color/SystemColors.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace hg {

// Port: another application's window as the colour sources need it. Handles
// are plain numbers; icon handles belong to the window or its class and are
// never destroyed here.
class IActiveWindows {
public:
    using Handle = std::uintptr_t;
    // The icon a window is asked for (the values of the platform's query).
    enum class IconKind { Small = 0, Big = 1, Small2 = 2 };

    virtual ~IActiveWindows() = default;
    virtual bool WindowExists(Handle window) = 0;
    // The icon of the window's class, read without asking the window; 0 if none.
    virtual Handle ClassIcon(Handle window) = 0;
    // Asks the window for its icon and waits a short while for the answer:
    // 0 when it has none, nullopt when it did not answer in time (hung or
    // busy) or is gone.
    virtual std::optional<Handle> QueryIcon(Handle window, IconKind kind) = 0;
    // The icon drawn at its own size over white; nullopt when the handle is
    // not a usable icon or the picture cannot be made.
    virtual std::optional<Bitmap24> IconToBitmap(Handle icon) = 0;
    // A display-sized picture starting at the corner of the window's client
    // area; nullopt when the window's pixels cannot be had or the picture
    // cannot be made.
    virtual std::optional<Bitmap24> CaptureWindowToBitmap(Handle window) = 0;
};

// How a picture becomes one colour (the settings of ImageColor).
struct ImageColorChoice {
    int nColorMode = 1;
    bool IgnoreDarkLigthColors = true;
};

using SetColorFn = std::function<void(TColor)>;

// The window's icon: its class's icon first, then what the window answers for
// its small, big and generated small icon. A window that does not answer is
// not asked again: it counts as having no icon. 0 for no icon.
IActiveWindows::Handle GetWindowIconHandle(IActiveWindows& windows, IActiveWindows::Handle window);

// Sets the colour of the window's icon drawn over white. A window without a
// usable icon leaves the colour as it is.
void ApplyActiveIconColor(IActiveWindows& windows, IActiveWindows::Handle window, ImageColorChoice choice,
                          const SetColorFn& setColor);

// Sets the colour of what the window shows. A window that is gone (or handle
// 0, no foreground window) gives the button-shadow system colour; a capture
// that cannot be made leaves the colour as it is.
void ApplyActiveContentsColor(IActiveWindows& windows, const ISystemColors& systemColors, IActiveWindows::Handle window,
                              ImageColorChoice choice, const SetColorFn& setColor);

} // namespace hg
