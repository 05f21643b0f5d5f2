// The accent colour follows the active application: the real program, with
// full-screen windows of known colours in the foreground and the test double
// of dwmapi.dll recording every colorization record written.
#include "e2e/E2e.h"

#include "color/ImageColor.h"

#include <gtest/gtest.h>

#include <fstream>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kExit = 1009;

// Two colours split at a fraction of the width (vertical) or the height.
struct Pattern {
    COLORREF first, second;
    int percent; // of the width (or height) that has the first colour
    bool vertical;

    bool IsFirst(int x, int y, int width, int height) const {
        return vertical ? x < width * percent / 100 : y < height * percent / 100;
    }
};

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        const auto* pattern = reinterpret_cast<const Pattern*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window, &ps);
        RECT r;
        ::GetClientRect(window, &r);
        RECT first = r, second = r;
        if (pattern->vertical)
            first.right = second.left = r.right * pattern->percent / 100;
        else
            first.bottom = second.top = r.bottom * pattern->percent / 100;
        HBRUSH a = ::CreateSolidBrush(pattern->first), b = ::CreateSolidBrush(pattern->second);
        ::FillRect(dc, &first, a);
        ::FillRect(dc, &second, b);
        ::DeleteObject(a);
        ::DeleteObject(b);
        ::EndPaint(window, &ps);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A borderless window of this process covering the screen.
class PatternWindow {
public:
    explicit PatternWindow(const Pattern& pattern, HICON classIcon = nullptr) : pattern_(pattern) {
        static int serial = 0;
        const std::wstring name = L"HgActiveE2e" + std::to_wstring(++serial);
        WNDCLASSW wc{};
        wc.lpfnWndProc = PatternProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hIcon = classIcon;
        wc.lpszClassName = name.c_str();
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowExW(0, name.c_str(), L"pattern", WS_POPUP, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                                    ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&pattern_));
        ::ShowWindow(window_, SW_SHOW);
        ::UpdateWindow(window_);
    }
    ~PatternWindow() { ::DestroyWindow(window_); }
    HWND get() const { return window_; }

    // Raises the window without activating it, waits until the screen shows
    // its pattern, and only then makes it the foreground window: the program
    // samples the window as soon as the foreground changes, so the pixels must
    // already be there (a window raised and activated at once may still show
    // the one it covered for a moment).
    bool Activate() const {
        ::SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        if (!WaitFor([&] {
                Pump();
                return ScreenShowsPattern();
            }))
            return false;
        ::SetForegroundWindow(window_);
        return WaitFor([&] {
            Pump();
            return ::GetForegroundWindow() == window_;
        });
    }

    // The engine's form (0x00RRGGBB) of the colour the program should make
    // of this window, with the project's own colour code.
    std::uint32_t ExpectedColor() const {
        const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
        auto picture = Bitmap24::Allocate(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const COLORREF c = pattern_.IsFirst(x, y, width, height) ? pattern_.first : pattern_.second;
                std::uint8_t* p = picture->Row(y) + x * 3;
                p[0] = GetBValue(c);
                p[1] = GetGValue(c);
                p[2] = GetRValue(c);
            }
        const TColor c = ImageColor(picture->View(), ColorModePredominant, true);
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }

    // The middle of each of the pattern's two parts shows its colour (away from
    // the corners, where Wine's tray puts its icons).
    bool ScreenShowsPattern() const {
        const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
        const int p = pattern_.percent;
        const POINT first = pattern_.vertical ? POINT{width * p / 200, height / 2} : POINT{width / 2, height * p / 200};
        const POINT second = pattern_.vertical ? POINT{width * (100 + p) / 200, height / 2}
                                               : POINT{width / 2, height * (100 + p) / 200};
        HDC screen = ::GetDC(nullptr);
        const bool shown = ::GetPixel(screen, first.x, first.y) == pattern_.first &&
                           ::GetPixel(screen, second.x, second.y) == pattern_.second;
        ::ReleaseDC(nullptr, screen);
        return shown;
    }

    static void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

private:
    Pattern pattern_;
    HWND window_ = nullptr;
};

class ActiveSource : public ProgramTest {
protected:
    // Windows 8.1, its kernel too, where the wallpaper's colours may fade:
    // these must not.
    void Start(const wchar_t* mode) {
        fs::create_directories(DataFolder());
        ::WritePrivateProfileStringW(L"General", L"Mode", mode, SettingsFile().c_str());
        ::WritePrivateProfileStringW(L"General", L"FadeColor", L"1", SettingsFile().c_str());
        folder_.AddVersionDouble();
        versionOverride_.SetString(L"native,builtin");
        app_.emplace(folder_.exe(),
                     std::vector<std::wstring>{L"WINEDLLOVERRIDES=dwmapi=n,b", L"HUEGLASS_KERNEL_VERSION=6.3",
                                               L"HUEGLASS_DWM_LOG=" + log().wstring()});
        main_ = app_->WaitMainWindow();
        ASSERT_NE(main_, nullptr);
    }
    fs::path log() const { return folder_.path() / L"dwm.log"; }
    std::vector<std::uint32_t> Colors() const {
        std::vector<std::uint32_t> colors;
        for (const auto& r : ReadDwmLog(log()))
            colors.push_back(r.color);
        return colors;
    }
    // Waits, letting the test's windows paint, until the log holds exactly
    // these colours.
    bool WaitColors(const std::vector<std::uint32_t>& expected) {
        return WaitFor([&] {
                   PatternWindow::Pump();
                   return Colors().size() >= expected.size();
               }) &&
               Colors() == expected;
    }
    std::string Log() const { return DescribeDwmLog(ReadDwmLog(log())); }

    WineVersion version_{L"win81"};
    // Wine loads its own version.dll for the program unless told otherwise in
    // the registry (the environment's override does not reach that library).
    RegistryValue versionOverride_{L"Software\\Wine\\AppDefaults\\Hueglass.exe\\DllOverrides", L"version"};
    TestFolder folder_;
    std::optional<App> app_;
    HWND main_ = nullptr;
};

TEST_F(ActiveSource, ContentsOfEachForegroundWindowAreWrittenOnceWithoutAFade) {
    const PatternWindow first({RGB(200, 40, 50), RGB(240, 240, 240), 70, true});
    const PatternWindow second({RGB(40, 90, 200), RGB(30, 30, 30), 60, false});
    const std::uint32_t a = first.ExpectedColor(), b = second.ExpectedColor();
    ASSERT_NE(a, b);
    ASSERT_TRUE(first.Activate());
    Start(L"2");

    EXPECT_TRUE(WaitColors({a})) << "expected 0x" << std::hex << a << " once in:\n" << Log();
    ASSERT_TRUE(second.Activate());
    EXPECT_TRUE(WaitColors({a, b})) << "expected 0x" << std::hex << b << " once, no steps before it:\n" << Log();
    ASSERT_TRUE(first.Activate());
    EXPECT_TRUE(WaitColors({a, b, a})) << Log();
    EXPECT_EQ(ReadDwmLog(log()).back().afterglow, 70u);

    app_->Command(main_, kExit);
    EXPECT_EQ(app_->WaitExit(), 0u);
    // Fades were on: Windows 10 would have switched them off and saved that.
    EXPECT_EQ(ReadIni(SettingsFile(), L"FadeColor"), L"1");
}

TEST_F(ActiveSource, AnotherProgramsIconCannotBeReadUnderWineSoNothingIsWritten) {
    // The class icon and the window's own: both out of reach of another process under Wine.
    const PatternWindow window({RGB(200, 40, 50), RGB(240, 240, 240), 70, true}, ::LoadIconW(nullptr, IDI_ERROR));
    ::SendMessageW(window.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(::LoadIconW(nullptr, IDI_WARNING)));
    ASSERT_TRUE(window.Activate());
    Start(L"1");
    // Twenty ticks of the icon timer.
    EXPECT_FALSE(WaitFor(
        [&] {
            PatternWindow::Pump();
            return !Colors().empty();
        },
        2s))
        << Log();
    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0)
        << "the program stopped answering";
    app_->Command(main_, kExit);
    EXPECT_EQ(app_->WaitExit(), 0u);
}

} // namespace
} // namespace hg::e2e
