// The active application's icon and window contents through user32 and gdi32,
// on windows and icons of this process.
#include "color/win32/Win32ActiveWindows.h"

#include "platform/win32/Handles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace hg::win32 {
namespace {

using Handle = IActiveWindows::Handle;

// Pixels 0x00RRGGBB (alpha in the top byte for 32-bit icons).
UniqueIcon MakeIcon(int width, int height, const std::vector<std::uint32_t>& argb,
                    const std::vector<bool>& transparent) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const UniqueBitmap colour(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::memcpy(bits, argb.data(), argb.size() * 4);
    const int maskStride = ((width + 15) / 16) * 2;
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(maskStride * height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (transparent[static_cast<std::size_t>(y * width + x)])
                maskBits[static_cast<std::size_t>(y * maskStride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
    const UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, maskBits.data()));
    ICONINFO icon{TRUE, 0, 0, mask.get(), colour.get()};
    return UniqueIcon(::CreateIconIndirect(&icon));
}

UniqueIcon SolidIcon(int width, int height, std::uint32_t rgb) {
    return MakeIcon(width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), rgb),
                    std::vector<bool>(static_cast<std::size_t>(width * height), false));
}

// The pixel as 0x00RRGGBB.
std::uint32_t Pixel(const Bitmap24& b, int x, int y) {
    const std::uint8_t* p = b.Row(y) + x * 3;
    return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

// Windows of a class of this process; WM_GETICON answered by the default
// procedure, or with answer when it is set.
LRESULT CALLBACK TestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETICON)
        if (const auto answer = reinterpret_cast<LRESULT>(::GetPropW(window, L"answer")))
            return answer;
    if (message == WM_PAINT) {
        PaintDc paint(window);
        RECT r;
        ::GetClientRect(window, &r);
        RECT left = r, right = r;
        left.right = right.left = r.right / 2;
        const UniqueBrush red(::CreateSolidBrush(RGB(200, 30, 40))), green(::CreateSolidBrush(RGB(30, 160, 70)));
        ::FillRect(paint.get(), &left, red.get());
        ::FillRect(paint.get(), &right, green.get());
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

UniqueWindow MakeWindow(HICON classIcon, DWORD style = WS_OVERLAPPEDWINDOW, int x = 0, int y = 0, int w = 200,
                        int h = 100) {
    static int serial = 0;
    const std::wstring name = L"HgActiveTest" + std::to_wstring(++serial);
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hIcon = classIcon;
    wc.lpszClassName = name.c_str();
    ::RegisterClassW(&wc);
    return UniqueWindow(
        ::CreateWindowExW(0, name.c_str(), L"test", style, x, y, w, h, nullptr, nullptr, wc.hInstance, nullptr));
}

Handle H(const void* p) {
    return reinterpret_cast<Handle>(p);
}

TEST(Win32ActiveWindows, IconOrderOnRealWindows) {
    Win32ActiveWindows port;
    const UniqueIcon classIcon = SolidIcon(16, 16, 0x00FF0000), own = SolidIcon(32, 32, 0x000000FF);

    const UniqueWindow withClassIcon = MakeWindow(classIcon.get());
    ::SendMessageW(withClassIcon.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(own.get()));
    EXPECT_EQ(GetWindowIconHandle(port, H(withClassIcon.get())), H(classIcon.get()));

    const UniqueWindow onlyBig = MakeWindow(nullptr);
    ::SendMessageW(onlyBig.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(own.get()));
    EXPECT_EQ(GetWindowIconHandle(port, H(onlyBig.get())), H(own.get()));

    const UniqueWindow none = MakeWindow(nullptr);
    EXPECT_EQ(GetWindowIconHandle(port, H(none.get())), 0u);

    // A window that answers with something that is no icon: no colour, not white.
    const UniqueWindow bogus = MakeWindow(nullptr);
    ::SetPropW(bogus.get(), L"answer", reinterpret_cast<HANDLE>(0x1234));
    std::vector<TColor> applied;
    ApplyActiveIconColor(port, H(bogus.get()), {}, [&](TColor c) { applied.push_back(c); });
    EXPECT_TRUE(applied.empty());

    // A real icon gives its colour: red 0x20, green 0x80, blue 0xC0.
    const UniqueIcon blue = SolidIcon(32, 32, 0x002080C0);
    ::SendMessageW(onlyBig.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(blue.get()));
    ApplyActiveIconColor(port, H(onlyBig.get()), {}, [&](TColor c) { applied.push_back(c); });
    EXPECT_EQ(applied, std::vector<TColor>{0x00C08020});
}

TEST(Win32ActiveWindows, AWindowOnAHungThreadDoesNotHoldTheCallerUp) {
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND hungWindow = nullptr;
    std::thread owner([&] {
        UniqueWindow window = MakeWindow(nullptr);
        hungWindow = window.get();
        ::SetEvent(ready);
        ::WaitForSingleObject(release, 20000); // hangs: no message is handled
    });
    ASSERT_EQ(::WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    ASSERT_NE(hungWindow, nullptr);

    Win32ActiveWindows port;
    const auto start = std::chrono::steady_clock::now();
    const Handle icon = GetWindowIconHandle(port, H(hungWindow));
    const auto waited = std::chrono::steady_clock::now() - start;
    ::SetEvent(release);
    owner.join();
    EXPECT_EQ(icon, 0u);
    // One timed-out query and no more: far below the hang.
    EXPECT_LT(waited, std::chrono::milliseconds(IconQueryTimeoutMs * 2 + 1000));
    ::CloseHandle(release);
    ::CloseHandle(ready);
}

TEST(Win32ActiveWindows, IconsDrawnOverWhiteAtTheirOwnSize) {
    // 20 x 12: the left 10 columns opaque, the rest transparent.
    std::vector<std::uint32_t> pixels(20 * 12, 0x00C81E28);
    std::vector<bool> transparent(20 * 12, false);
    for (int i = 0; i < 20 * 12; ++i)
        if (i % 20 >= 10) { // an icon's image is black where its mask is transparent
            transparent[static_cast<std::size_t>(i)] = true;
            pixels[static_cast<std::size_t>(i)] = 0;
        }
    const UniqueIcon masked = MakeIcon(20, 12, pixels, transparent);
    auto picture = IconToBitmap(masked.get());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 20);
    EXPECT_EQ(picture->Height(), 12);
    EXPECT_EQ(Pixel(*picture, 2, 5), 0x00C81E28u);
    EXPECT_EQ(Pixel(*picture, 15, 5), 0x00FFFFFFu);

    // Half-transparent blue is blended over the white.
    const UniqueIcon alpha =
        MakeIcon(16, 16, std::vector<std::uint32_t>(256, 0x800000FF), std::vector<bool>(256, false));
    picture = IconToBitmap(alpha.get());
    ASSERT_TRUE(picture);
    const std::uint32_t blended = Pixel(*picture, 8, 8);
    EXPECT_EQ(blended & 0xFF, 0xFFu);
    EXPECT_NEAR(static_cast<int>(blended >> 16), 127, 2);

    // A monochrome icon has no colour image: the standard icon size.
    std::vector<std::uint8_t> andBits(2 * 16, 0x00), xorBits(2 * 16, 0xFF);
    const UniqueIcon mono(::CreateIcon(nullptr, 16, 16, 1, 1, andBits.data(), xorBits.data()));
    ASSERT_TRUE(mono);
    picture = IconToBitmap(mono.get());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), ::GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(picture->Height(), ::GetSystemMetrics(SM_CYICON));

    // A huge icon is drawn scaled down.
    const UniqueIcon huge = SolidIcon(4096, 64, 0x00FF0000);
    picture = IconToBitmap(huge.get());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), MaxIconSide);
    EXPECT_EQ(picture->Height(), 16);
    EXPECT_EQ(Pixel(*picture, 500, 8), 0x00FF0000u);

    EXPECT_FALSE(IconToBitmap(reinterpret_cast<HICON>(0x1234)));
    EXPECT_FALSE(IconToBitmap(nullptr));
}

TEST(Win32ActiveWindows, CaptureIsDisplaySizedAndHoldsTheWindowsPixels) {
    const UniqueWindow window = MakeWindow(nullptr, WS_POPUP | WS_VISIBLE, 40, 30, 200, 100);
    ::UpdateWindow(window.get());
    Win32ActiveWindows port;
    ASSERT_TRUE(port.WindowExists(H(window.get())));
    const auto picture = port.CaptureWindowToBitmap(H(window.get()));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(picture->Height(), ::GetSystemMetrics(SM_CYSCREEN));
    // From the client area's corner: the window's two halves.
    EXPECT_EQ(Pixel(*picture, 5, 5), 0x00C81E28u);
    EXPECT_EQ(Pixel(*picture, 195, 95), 0x001EA046u);
}

TEST(Win32ActiveWindows, GoneWindowGivesTheButtonShadowColour) {
    Win32ActiveWindows port;
    HWND gone = MakeWindow(nullptr).release();
    ::DestroyWindow(gone);
    EXPECT_FALSE(port.CaptureWindowToBitmap(H(gone)));
    struct : ISystemColors {
        TColor SystemColor(int index) const override { return static_cast<TColor>(::GetSysColor(index)); }
    } system;
    std::vector<TColor> applied;
    ApplyActiveContentsColor(port, system, H(gone), {}, [&](TColor c) { applied.push_back(c); });
    EXPECT_EQ(applied, std::vector<TColor>{static_cast<TColor>(::GetSysColor(COLOR_BTNSHADOW))});
}

// The process's GDI objects: GetGuiResources where it answers, otherwise
// (Wine) every handle value that names a live object.
DWORD GdiObjects() {
    if (const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return count;
    DWORD count = 0;
    for (std::uintptr_t h = 1; h < 0x10000; ++h)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(h)) != 0)
            ++count;
    return count;
}

TEST(Win32ActiveWindows, NoGdiObjectIsLeftBehindOnAnyPath) {
    const UniqueIcon colour = SolidIcon(32, 32, 0x00FF8000);
    std::vector<std::uint8_t> andBits(4 * 32, 0x00), xorBits(4 * 32, 0xAA);
    const UniqueIcon mono(::CreateIcon(nullptr, 32, 32, 1, 1, andBits.data(), xorBits.data()));
    const UniqueWindow window = MakeWindow(nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 120, 80);
    HWND gone = MakeWindow(nullptr).release();
    ::DestroyWindow(gone);
    Win32ActiveWindows port;
    const auto round = [&] {
        EXPECT_TRUE(port.IconToBitmap(H(colour.get())));
        EXPECT_TRUE(port.IconToBitmap(H(mono.get())));
        EXPECT_FALSE(port.IconToBitmap(0x1234));
        EXPECT_TRUE(port.CaptureWindowToBitmap(H(window.get())));
        EXPECT_FALSE(port.CaptureWindowToBitmap(H(gone)));
    };
    round(); // first use may set up caches of the system
    const DWORD before = GdiObjects();
    for (int i = 0; i < 100; ++i)
        round();
    EXPECT_EQ(GdiObjects(), before);
}

} // namespace
} // namespace hg::win32
