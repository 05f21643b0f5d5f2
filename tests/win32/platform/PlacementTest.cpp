// Placement on the real desktop under Wine: the window lands where the
// portable rules say, with its outer size, and resolutions are read.
#include "platform/win32/Placement.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace hg::win32 {
namespace {

class TopLevel {
public:
    TopLevel(const wchar_t* className, int width, int height) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        ::RegisterClassW(&wc);
        hwnd_ = ::CreateWindowExW(0, className, L"placed", WS_OVERLAPPEDWINDOW, 5, 5, width, height, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    }
    ~TopLevel() { ::DestroyWindow(hwnd_); }
    TopLevel(const TopLevel&) = delete;
    TopLevel& operator=(const TopLevel&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

RECT OuterRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

TEST(Win32Placement, WindowGoesIntoTheWorkAreaCornerBesideTheTaskbar) {
    TopLevel window(L"HueglassPlacementTest", 300, 200);
    ASSERT_NE(window.hwnd(), nullptr);
    const RECT before = OuterRect(window.hwnd());

    PlaceNearTray(window.hwnd());

    const RECT after = OuterRect(window.hwnd());
    EXPECT_EQ(after.right - after.left, before.right - before.left) << "the size changed";
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top) << "the size changed";
    Win32DesktopGeometry desktop;
    const Rect work = desktop.WorkArea();
    const TaskbarEdge edge = GetTaskbarEdge();
    // Every edge but the top keeps 20 pixels to the work area's bottom; the
    // left edge 20 to its left, the others 20 to its right.
    if (edge == TaskbarEdge::Top)
        EXPECT_EQ(after.top, work.top + 10);
    else
        EXPECT_EQ(after.bottom, work.bottom - 20);
    if (edge == TaskbarEdge::Left)
        EXPECT_EQ(after.left, work.left + 20);
    else
        EXPECT_EQ(after.right, work.right - 20);
    // Wine's taskbar window has an empty rectangle: no taskbar, the bottom.
    RECT taskbar{};
    if (const HWND shell = ::FindWindowW(L"Shell_TrayWnd", nullptr);
        shell != nullptr && ::GetWindowRect(shell, &taskbar) && ::IsRectEmpty(&taskbar)) {
        EXPECT_EQ(edge, TaskbarEdge::Bottom);
    }
}

TEST(Win32Placement, MainMonitorResolutionFollowsTheMainWindowOrThePrimaryMonitor) {
    const HDC screen = ::GetDC(nullptr);
    const int system = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    // Without a main window: the primary monitor's resolution.
    EXPECT_EQ(GetMainMonitorPPI(), system);
    {
        TopLevel main(L"TFrmHueglassMain", 100, 100);
        ASSERT_NE(main.hwnd(), nullptr);
        EXPECT_EQ(GetMainMonitorPPI(), system);
    }
    EXPECT_EQ(ScaleByPPI(300), hg::ScaleByPPI(300, system));
}

} // namespace
} // namespace hg::win32
