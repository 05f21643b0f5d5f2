#include "platform/win32/Placement.h"

#include "platform/win32/EntryPoints.h"
#include "platform/win32/Handles.h"

namespace hg::win32 {

std::optional<Rect> Win32DesktopGeometry::TaskbarRect() {
    const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT r{};
    if (taskbar == nullptr || !::GetWindowRect(taskbar, &r))
        return std::nullopt;
    return Rect{r.left, r.top, r.right, r.bottom};
}

Rect Win32DesktopGeometry::WorkArea() {
    RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        // Without a work area, the whole screen is the best guess.
        const Size screen = ScreenSize();
        return Rect{0, 0, screen.width, screen.height};
    }
    return Rect{r.left, r.top, r.right, r.bottom};
}

Size Win32DesktopGeometry::ScreenSize() {
    return Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

UINT DpiOfMonitor(HMONITOR monitor) {
    const auto& entry = GetEntryPoints();
    if (monitor != nullptr && entry.GetDpiForMonitor != nullptr) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(entry.GetDpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x > 0)
            return x;
    }
    // Before Windows 8.1 every monitor has the system resolution.
    const WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

namespace {

HWND MainWindowOfThisProcess() {
    const DWORD self = ::GetCurrentProcessId();
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, L"TFrmHueglassMain", nullptr)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == self)
            return window;
    }
    return nullptr;
}

} // namespace

int GetMainMonitorPPI() {
    const HWND main = MainWindowOfThisProcess();
    const HMONITOR monitor = main != nullptr ? ::MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST)
                                             : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    return static_cast<int>(DpiOfMonitor(monitor));
}

int ScaleByPPI(int n) { return hg::ScaleByPPI(n, GetMainMonitorPPI()); }

TaskbarEdge GetTaskbarEdge() {
    Win32DesktopGeometry desktop;
    return hg::GetTaskbarEdge(desktop);
}

void PlaceNearTray(HWND window) {
    RECT outer{};
    if (window == nullptr || !::GetWindowRect(window, &outer))
        return;
    Win32DesktopGeometry desktop;
    const Point at = hg::PlaceNearTray(desktop, Size{outer.right - outer.left, outer.bottom - outer.top});
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace hg::win32
