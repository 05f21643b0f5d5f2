#include "tray/win32/TrayImages.h"

#include "platform/win32/EntryPoints.h"
#include "platform/win32/Placement.h"
#include "../../../resources/resource.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace hg::win32 {

UINT DpiAtPoint(POINT point) { return DpiOfMonitor(::MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY)); }

UINT TaskbarDpi() {
    const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    const HMONITOR monitor = taskbar ? ::MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                                     : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    return DpiOfMonitor(monitor);
}

int ImageListSize(UINT dpi) { return ::MulDiv(20, static_cast<int>(dpi), 120); }

int ResourceIdOf(TrayImage image) {
    switch (image) {
    case TrayImage::Hueglass:
        return IDI_HUEGLASS;
    case TrayImage::Win78:
        return IDI_WIN78;
    case TrayImage::Win10b:
        return IDI_WIN10B;
    case TrayImage::Win10w:
        return IDI_WIN10W;
    }
    return 0;
}

int ResourceIdOf(MenuImage image) {
    switch (image) {
    case MenuImage::Close:
        return IDI_CLOSE;
    case MenuImage::Donate:
        return IDI_DONATE;
    default:
        return 0;
    }
}

UniqueIcon LoadSizedIcon(int resourceId, int size) {
    if (resourceId == 0 || size <= 0)
        return {};
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    // Scales a larger image down rather than a smaller one up.
    if (const auto scaleDown = GetEntryPoints().LoadIconWithScaleDown) {
        HICON icon = nullptr;
        if (SUCCEEDED(scaleDown(instance, MAKEINTRESOURCEW(resourceId), size, size, &icon)) && icon)
            return UniqueIcon(icon);
    }
    return UniqueIcon(static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

UniqueIcon ExtractSizedIcon(const std::wstring& file, int size) {
    if (file.empty() || size <= 0)
        return {};
    HICON icon = nullptr;
    // The file's own image of the best-fitting size, as the shell would show it.
    if (::SHDefExtractIconW(file.c_str(), 0, 0, &icon, nullptr, static_cast<UINT>(size)) != S_OK)
        return {};
    return UniqueIcon(icon);
}

bool ClassicMenus() {
    static const bool classic =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return classic;
}

UniqueBitmap MenuBitmapOf(HICON icon, std::optional<COLORREF> background) {
    if (icon == nullptr)
        return {};
    ICONINFO parts{};
    if (!::GetIconInfo(icon, &parts))
        return {};
    const UniqueBitmap colourPart(parts.hbmColor), maskPart(parts.hbmMask);
    BITMAP shape{};
    if (!colourPart || !::GetObjectW(colourPart.get(), sizeof(shape), &shape) || shape.bmWidth <= 0 ||
        shape.bmHeight <= 0)
        return {};
    const int w = shape.bmWidth, h = shape.bmHeight;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<std::uint32_t> colour(count), mask(count);
    const WindowDc screen(nullptr);
    if (::GetDIBits(screen.get(), colourPart.get(), 0, static_cast<UINT>(h), colour.data(), &info, DIB_RGB_COLORS) !=
        h)
        return {};
    bool hasAlpha = false;
    for (const auto p : colour)
        hasAlpha = hasAlpha || (p >> 24) != 0;
    if (!hasAlpha) {
        // An icon without alpha: its mask tells which pixels it covers.
        BITMAPINFO maskInfo = info;
        if (!maskPart || ::GetDIBits(screen.get(), maskPart.get(), 0, static_cast<UINT>(h), mask.data(), &maskInfo,
                                     DIB_RGB_COLORS) != h)
            std::fill(mask.begin(), mask.end(), 0);
        for (std::size_t i = 0; i < count; ++i)
            colour[i] = (mask[i] & 0x00FFFFFF) != 0 ? 0 : (colour[i] | 0xFF000000);
    }
    if (background) {
        // Icons store straight alpha: blend each pixel over the background
        // (where the mask leaves a pixel uncovered, the background shows).
        const std::uint32_t under[3] = {GetBValue(*background), GetGValue(*background), GetRValue(*background)};
        for (auto& p : colour) {
            const std::uint32_t a = p >> 24;
            std::uint32_t out = 0xFF000000;
            for (int c = 0; c < 3; ++c) {
                const std::uint32_t over = (p >> (8 * c)) & 0xFF;
                out |= ((over * a + under[c] * (255 - a) + 127) / 255) << (8 * c);
            }
            p = out;
        }
    } else {
        // Menus blend premultiplied pixels; icons store them straight.
        for (auto& p : colour) {
            const std::uint32_t a = p >> 24;
            const auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            p = a << 24 | mul((p >> 16) & 0xFF) << 16 | mul((p >> 8) & 0xFF) << 8 | mul(p & 0xFF);
        }
    }
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr)
        return {};
    std::memcpy(bits, colour.data(), count * 4);
    return bitmap;
}

UniqueBitmap MenuItemBitmap(HICON icon, bool classicMenus) {
    return MenuBitmapOf(icon, classicMenus ? std::optional<COLORREF>(::GetSysColor(COLOR_MENU)) : std::nullopt);
}

} // namespace hg::win32
