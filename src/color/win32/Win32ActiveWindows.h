#pragma once
#include "color/ActiveWindow.h"

#include <windows.h>

namespace hg::win32 {

// How long an icon query waits for another program's window. A window that
// answers at all answers within microseconds; one that does not must not
// hold Hueglass up.
inline constexpr UINT IconQueryTimeoutMs = 200;

// The foreground application's windows through user32 and gdi32: icons drawn
// over white, window contents copied from the window's device context.
class Win32ActiveWindows final : public IActiveWindows {
public:
    bool WindowExists(Handle window) override;
    Handle ClassIcon(Handle window) override;
    std::optional<Handle> QueryIcon(Handle window, IconKind kind) override;
    std::optional<Bitmap24> IconToBitmap(Handle icon) override;
    std::optional<Bitmap24> CaptureWindowToBitmap(Handle window) override;
};

// Icons larger than this on either side are drawn scaled down to fit, so a
// hostile icon cannot make a picture of hundreds of megabytes.
inline constexpr int MaxIconSide = 1024;

std::optional<Bitmap24> IconToBitmap(HICON icon);
std::optional<Bitmap24> CaptureWindowToBitmap(HWND window);

} // namespace hg::win32
