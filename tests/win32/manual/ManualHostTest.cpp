// The Windows side of a pick under Wine: the mouse capture and its loss,
// and the preview window's icon, layout and close.
#include "manual/win32/Win32ManualHost.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace hg::win32 {
namespace {

// A hidden top-level window of this thread, like the program's main window.
class Owner {
public:
    Owner() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Owner::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HueglassPickOwner";
        ::RegisterClassW(&wc);
        hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Owner() { ::DestroyWindow(hwnd_); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    HWND hwnd() const { return hwnd_; }
    int captureChanges = 0;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CAPTURECHANGED)
            if (auto* self = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
                ++self->captureChanges;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};

// Runs this thread's messages until done() holds, at most for a few seconds.
template <class Done> bool PumpUntil(Done done) {
    const DWORD deadline = ::GetTickCount() + 5000;
    while (!done()) {
        if (static_cast<int>(::GetTickCount() - deadline) > 0)
            return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

TEST(Win32ManualHost, CaptureEndsThePickAtOnceWhenReleasedOrNeverTaken) {
    Owner owner;
    ModalWindows modals;
    int lost = 0;
    Win32ManualHost host({nullptr, nullptr, [&] { ++lost; }});
    host.Attach(owner.hwnd(), modals);

    host.SetCapture();
    EXPECT_EQ(::GetCapture(), owner.hwnd());
    host.ReleaseCapture();
    EXPECT_EQ(owner.captureChanges, 1) << "the loss of the capture comes before ReleaseCapture returns";
    EXPECT_EQ(lost, 0);

    // No capture held: the end comes from the host itself, so the pick
    // never waits for a button that cannot reach it.
    host.ReleaseCapture();
    EXPECT_EQ(lost, 1);
}

TEST(Win32ManualHost, PreviewOwnsItsIconAndClosesFromInsideItsOwnClose) {
    Owner owner;
    ModalWindows modals;
    HICON trayIcon = static_cast<HICON>(::CopyImage(::LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(trayIcon, nullptr);
    Win32ManualHost* self = nullptr;
    int closing = 0;
    Win32ManualHost host({[&] { return trayIcon; },
                          [&] {
                              // The user closed the preview: the pick ends, which
                              // closes the preview while its close still runs.
                              ++closing;
                              self->ClosePreview();
                          },
                          nullptr});
    self = &host;
    host.Attach(owner.hwnd(), modals);

    host.ShowPreview(false, true);
    ASSERT_TRUE(host.PreviewExists());
    const HWND preview = ::FindWindowW(L"TFrmColorPreview", nullptr);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(::GetWindowLongW(preview, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT client{};
    ::GetClientRect(preview, &client);
    const int ppi = ::GetDeviceCaps(::GetDC(nullptr), LOGPIXELSX);
    EXPECT_EQ(client.right, ::MulDiv(241, ppi, 120));
    EXPECT_EQ(client.bottom, ::MulDiv(80, ppi, 120));

    // The tray replaces its icon: the preview's own copy stays valid.
    ::DestroyIcon(trayIcon);
    const auto icon = reinterpret_cast<HICON>(::SendMessageW(preview, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon, trayIcon);
    ICONINFO info{};
    EXPECT_TRUE(::GetIconInfo(icon, &info));
    ::DeleteObject(info.hbmMask);
    ::DeleteObject(info.hbmColor);

    // Owned by the main window: no taskbar button of its own.
    EXPECT_EQ(::GetWindow(preview, GW_OWNER), owner.hwnd());
    EXPECT_FALSE(::GetWindowLongW(preview, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    host.SetPreviewColor(0x00336699);
    ::SendMessageW(preview, WM_CLOSE, 0, 0);
    EXPECT_EQ(closing, 1);
    EXPECT_FALSE(host.PreviewExists());
    EXPECT_FALSE(::IsWindowVisible(preview)) << "gone from the screen at once";
    EXPECT_TRUE(::IsWindow(preview)) << "destroyed from the message loop, not inside its own close";
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(preview); }));
}

TEST(Win32ManualHost, ANewPreviewInsideTheOldOnesCloseLeavesItAlive) {
    Owner owner;
    ModalWindows modals;
    Win32ManualHost* self = nullptr;
    HWND first = nullptr;
    Win32ManualHost host({nullptr,
                          [&] {
                              self->ClosePreview();
                              // Whatever runs inside the close (a dialog's message loop) must
                              // neither destroy nor free the window whose handler is on the stack.
                              MSG msg;
                              while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                                  ::DispatchMessageW(&msg);
                              EXPECT_TRUE(::IsWindow(first)) << "destroyed inside its own close";
                              self->ShowPreview(false, false);
                              ::SendMessageW(first, WM_NULL, 0, 0);
                          },
                          nullptr});
    self = &host;
    host.Attach(owner.hwnd(), modals);
    host.ShowPreview(false, false);
    first = ::FindWindowW(L"TFrmColorPreview", nullptr);
    ASSERT_NE(first, nullptr);
    ::SendMessageW(first, WM_CLOSE, 0, 0);
    EXPECT_TRUE(host.PreviewExists()) << "the new one";
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(first); }));
    host.ClosePreview();
}

// The labels' text pixels over a preview of this colour: how many are
// darker and how many lighter than the background.
struct LabelInk {
    int darker = 0, lighter = 0;
};
LabelInk InkOver(TColor background) {
    Owner owner;
    ModalWindows modals;
    Win32ManualHost host({nullptr, nullptr, nullptr});
    host.Attach(owner.hwnd(), modals);
    host.ShowPreview(false, true);
    const HWND preview = ::FindWindowW(L"TFrmColorPreview", nullptr);
    host.SetPreviewColor(background);
    ::UpdateWindow(preview);
    LabelInk ink;
    const HDC dc = ::GetDC(preview);
    RECT client{};
    ::GetClientRect(preview, &client);
    const int sum = GetRValue(background) + GetGValue(background) + GetBValue(background);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
            const COLORREF pixel = ::GetPixel(dc, x, y);
            const int s = GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel);
            if (s < sum - 150)
                ++ink.darker;
            else if (s > sum + 150)
                ++ink.lighter;
        }
    ::ReleaseDC(preview, dc);
    host.ClosePreview();
    PumpUntil([&] { return !::IsWindow(preview); });
    return ink;
}

TEST(Win32ManualHost, PreviewLabelsStayReadableOverLightAndDarkColours) {
    const LabelInk light = InkOver(0x00E0F0F0);
    EXPECT_GT(light.darker, 50) << "dark text over a light colour";
    EXPECT_EQ(light.lighter, 0);
    const LabelInk dark = InkOver(0x00402010);
    EXPECT_GT(dark.lighter, 50) << "light text over a dark colour";
    EXPECT_EQ(dark.darker, 0);
}

} // namespace
} // namespace hg::win32
