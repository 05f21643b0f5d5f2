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

    host.SetPreviewColor(0x00336699);
    ::SendMessageW(preview, WM_CLOSE, 0, 0);
    EXPECT_EQ(closing, 1);
    EXPECT_FALSE(::IsWindow(preview));
    EXPECT_FALSE(host.PreviewExists());
}

} // namespace
} // namespace hg::win32
