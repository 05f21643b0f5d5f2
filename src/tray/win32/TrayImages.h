#pragma once
// The image collection on Windows: each image is an icon resource holding
// every size, rendered from its drawing at that size; a caller asks for the
// size its current resolution needs and never gets a small image scaled up.
#include "platform/win32/Handles.h"
#include "tray/TrayMenu.h"

#include <optional>
#include <string>

namespace hg::win32 {

// The resolution (pixels per inch) of the monitor at a point, and of the
// monitor that shows the taskbar. 96 when it cannot be told.
UINT DpiAtPoint(POINT point);
UINT TaskbarDpi();

// The image lists' size at a resolution: 20 x 20 at 120 pixels per inch.
int ImageListSize(UINT dpi);

int ResourceIdOf(TrayImage image);
int ResourceIdOf(MenuImage image); // 0 for images that are not resources

// The icon resource at exactly size x size pixels, taken from its closest
// larger size (never scaled up). Null when the resource is missing.
UniqueIcon LoadSizedIcon(int resourceId, int size);
// The first icon of an icon file or library at size x size; null when missing.
UniqueIcon ExtractSizedIcon(const std::wstring& file, int size);
// Whether popup menus are drawn in the classic style whatever the theme, and
// show item bitmaps without blending their alpha channel (Wine's menus).
bool ClassicMenus();

// A 32-bit bitmap with premultiplied alpha, as menus show item images; or,
// for menus that do not blend, the icon laid over an opaque background.
UniqueBitmap MenuBitmapOf(HICON icon, std::optional<COLORREF> background = std::nullopt);
// The bitmap a menu item receives for an icon: premultiplied for menus that
// blend (Windows), laid over the menu colour for classic ones (Wine).
UniqueBitmap MenuItemBitmap(HICON icon, bool classicMenus);

} // namespace hg::win32
