// Colours set by hand, on the real Hueglass.exe under Wine: the colour
// dialog driven through its controls, the warning about a manual colour in
// automatic mode, and the screen pick with its preview window. The test
// double of dwmapi.dll logs every colour written.
#include "e2e/E2e.h"

#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kFromScreen = 1002;
constexpr WORD kSelColor = 1003;
constexpr WORD kExit = 1009;
// Controls of the platform's colour dialog.
constexpr int kRedEdit = 706, kGreenEdit = 707, kBlueEdit = 708, kAddCustomColor = 712;

const std::wstring kRememberLink = L"&Keep automatic color but remember the manual set color\nAll manually set colors "
                                   L"will be remembered for each wallpaper and supersede the automatic color";
const std::wstring kContinueLink =
    L"&Continue using the automatic color\nAll manually set colors will be lost the next time this wallpaper is set";
const std::wstring kWarningInstruction = L"The Accent color has been set manually but is set to automatic mode";

// A window of one colour in a thread of its own, under the pointer, that
// counts every mouse button press it receives.
class TargetWindow {
public:
    explicit TargetWindow(COLORREF colour) : colour_(colour) {
        thread_ = std::thread([this] { Run(); });
        WaitFor([&] { return window_.load() != nullptr; });
        ::SetCursorPos(250, 200);
    }
    ~TargetWindow() {
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    int presses() const { return presses_; }
    void SetColour(COLORREF colour) {
        colour_ = colour;
        ::InvalidateRect(window_, nullptr, TRUE);
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TargetWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_NCLBUTTONDOWN:
        case WM_RBUTTONDOWN:
            ++self->presses_;
            break;
        case WM_ERASEBKGND: {
            RECT box;
            ::GetClientRect(window, &box);
            HBRUSH brush = ::CreateSolidBrush(self->colour_);
            ::FillRect(reinterpret_cast<HDC>(wParam), &box, brush);
            ::DeleteObject(brush);
            return 1;
        }
        case WM_CLOSE:
            ::DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    void Run() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HueglassTestTarget";
        ::RegisterClassW(&wc);
        HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"target", WS_POPUP, 100,
                                        100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);
        window_ = window;
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageW(&msg);
    }

    std::atomic<COLORREF> colour_;
    std::atomic<int> presses_{0};
    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

COLORREF ScreenPixel(int x, int y) {
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, x, y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The remembered colour of the last entry of a colour file; nullopt when it has none.
std::optional<std::uint32_t> LastRememberedColour(const fs::path& file) {
    const auto bytes = ReadBytes(file);
    if (bytes.size() < 260 + 24)
        return std::nullopt;
    const std::size_t at = bytes.size() - 24 + 16;
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

class ManualColors : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (!older_)
            windows10_.emplace(L"win10");
        // A wallpaper to remember colours for.
        const test::Bytes row{0x40, 0x80, 0xC0, 0x40, 0x80, 0xC0, 0, 0};
        test::Bytes pixels;
        for (int i = 0; i < 2; ++i)
            for (auto b : row)
                pixels.push_back(b);
        const fs::path wallpaper = folder_.path() / L"wallpaper.bmp";
        const test::Bytes bmp = test::MakeBmp(40, 2, 2, 24, 0, {}, pixels);
        std::ofstream(wallpaper, std::ios::binary)
            .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
        wallpaperValue_.SetString(wallpaper.wstring());
    }
    void Settings(const wchar_t* key, const wchar_t* value) {
        fs::create_directories(DataFolder());
        ::WritePrivateProfileStringW(L"General", key, value, SettingsFile().c_str());
    }
    std::unique_ptr<App> Start() {
        std::vector<std::wstring> environment =
            older_ ? older_->Environment() : std::vector<std::wstring>{L"WINEDLLOVERRIDES=dwmapi=n,b"};
        environment.push_back(L"HUEGLASS_DWM_LOG=" + log().wstring());
        auto app = std::make_unique<App>(folder_.exe(), environment);
        main_ = app->WaitMainWindow();
        return app;
    }
    fs::path log() const { return folder_.path() / L"dwm.log"; }
    fs::path ColourFile() const { return DataFolder() / L"CustomColorCache.Settings"; }
    bool WaitLastColour(std::uint32_t rgb) {
        return WaitFor([&] {
            const auto records = ReadDwmLog(log());
            return !records.empty() && (records.back().color & 0xFFFFFF) == rgb;
        });
    }
    // The colour dialog of the process, once its controls are up.
    HWND WaitColourDialog(DWORD pid) {
        HWND found = nullptr;
        WaitFor([&] {
            for (HWND dialog : WindowsOf(pid, L"#32770"))
                if (::GetDlgItem(dialog, kRedEdit) != nullptr)
                    found = dialog;
            return found != nullptr;
        });
        return found;
    }
    // The warning of the process, if one is open.
    HWND OpenWarning(DWORD pid) {
        for (HWND dialog : WindowsOf(pid, L"#32770"))
            for (const auto& text : ChildTexts(dialog))
                if (text.find(kWarningInstruction) != std::wstring::npos || text == kRememberLink)
                    return dialog;
        return nullptr;
    }
    HWND WaitWarning(DWORD pid, std::chrono::milliseconds timeout = 20s) {
        HWND found = nullptr;
        WaitFor([&] { return (found = OpenWarning(pid)) != nullptr; }, timeout);
        return found;
    }
    // Chooses red, green, blue in the open colour dialog, adds it to the
    // custom colours and confirms.
    void ChooseColour(App& app, int red, int green, int blue) {
        app.Command(main_, kSelColor);
        const HWND dialog = WaitColourDialog(app.pid());
        ASSERT_NE(dialog, nullptr) << "the colour dialog did not open";
        ::SetDlgItemInt(dialog, kRedEdit, static_cast<UINT>(red), FALSE);
        ::SetDlgItemInt(dialog, kGreenEdit, static_cast<UINT>(green), FALSE);
        ::SetDlgItemInt(dialog, kBlueEdit, static_cast<UINT>(blue), FALSE);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(::GetDlgItem(dialog, kAddCustomColor), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); })) << "the colour dialog did not close";
    }
    // Starts a pick; its preview window, once shown.
    HWND StartPick(App& app) {
        app.Command(main_, kFromScreen);
        HWND preview = nullptr;
        WaitFor([&] {
            const auto windows = WindowsOf(app.pid(), L"TFrmColorPreview");
            preview = windows.empty() ? nullptr : windows.front();
            return preview != nullptr;
        });
        return preview;
    }
    // Whether the preview's background comes to show this colour.
    static bool PreviewShows(HWND preview, COLORREF colour) {
        RECT client{};
        ::GetClientRect(preview, &client);
        POINT inside{client.right / 2, client.bottom - 4};
        ::ClientToScreen(preview, &inside);
        return WaitFor([&] { return ScreenPixel(inside.x, inside.y) == colour; });
    }
    void Exit(App& app) {
        app.Command(main_, kExit);
        EXPECT_EQ(app.WaitExit(), 0u) << "the program did not end";
    }

    std::optional<OlderWindows> older_; // set by fixtures of an older Windows
    std::optional<WineVersion> windows10_; // otherwise
    TestFolder folder_;
    RegistryValue wallpaperValue_{L"Control Panel\\Desktop", L"Wallpaper"};
    HWND main_ = nullptr;
};

TEST_F(ManualColors, ColourDialogAppliesTheColourAndKeepsThePalette) {
    Settings(L"AppEnabled", L"0"); // no warning: the loop is off
    auto app = Start();
    ASSERT_NE(main_, nullptr);

    // Cancel changes nothing, not even the palette.
    const auto before = ReadBytes(SettingsFile());
    app->Command(main_, kSelColor);
    HWND dialog = WaitColourDialog(app->pid());
    ASSERT_NE(dialog, nullptr);
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ScreenshotIfAsked(L"colour-dialog.bmp");
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    EXPECT_EQ(ReadBytes(SettingsFile()), before);

    ChooseColour(*app, 10, 200, 30);
    EXPECT_TRUE(WaitLastColour(0x0AC81E)) << DescribeDwmLog(ReadDwmLog(log()));
    // Written just after the colour was applied.
    std::optional<std::wstring> palette;
    ASSERT_TRUE(WaitFor([&] { return (palette = ReadIni(SettingsFile(), L"CustomColors")).has_value(); }));
    EXPECT_EQ(std::count(palette->begin(), palette->end(), L'='), 16) << std::string(palette->begin(), palette->end());
    EXPECT_NE(palette->find(L"=1EC80A"), std::wstring::npos) << "the added custom colour is not in the palette";
    EXPECT_NE(palette->find(L"ColorB=FFCF8A"), std::wstring::npos) << "the default palette was not shown";
    Exit(*app);

    // After a restart the dialog shows the edited palette: confirmed as it
    // is, it is written back unchanged.
    app = Start();
    app->Command(main_, kSelColor);
    dialog = WaitColourDialog(app->pid());
    ASSERT_NE(dialog, nullptr);
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    Exit(*app);
    EXPECT_EQ(ReadIni(SettingsFile(), L"CustomColors"), palette);
}

TEST_F(ManualColors, WarningRemembersTheColourWithoutClickingAnything) {
    TargetWindow target(RGB(30, 60, 90));
    auto app = Start();
    ASSERT_NE(main_, nullptr);
    ChooseColour(*app, 10, 200, 30);
    const HWND warning = WaitWarning(app->pid());
    ASSERT_NE(warning, nullptr) << "no warning with the loop on";
    ScreenshotIfAsked(L"warning.bmp");
    EXPECT_EQ(target.presses(), 0) << "the window under the pointer received a button press";
    EXPECT_EQ(WindowText(warning), L"Warning");
    ASSERT_TRUE(ClickButton(warning, kRememberLink));
    EXPECT_TRUE(WaitFor([&] { return ReadIni(SettingsFile(), L"RememberCustomColors") == L"1"; }));
    EXPECT_TRUE(WaitFor([&] { return LastRememberedColour(ColourFile()) == 0x001EC80Au; }))
        << "the colour was not recorded for the wallpaper";
    Exit(*app);
    EXPECT_EQ(target.presses(), 0);
}

TEST_F(ManualColors, WarningClosedWithEscTurnsTheLoopOffAndTheCheckBoxSilencesIt) {
    auto app = Start();
    ASSERT_NE(main_, nullptr);
    ChooseColour(*app, 1, 2, 3);
    HWND warning = WaitWarning(app->pid());
    ASSERT_NE(warning, nullptr);
    ::PostMessageW(warning, WM_CLOSE, 0, 0); // as Esc
    EXPECT_TRUE(WaitFor([&] { return ReadIni(SettingsFile(), L"AppEnabled") == L"0"; }));
    Exit(*app);
    EXPECT_EQ(ReadIni(SettingsFile(), L"AppEnabled"), L"0");

    Settings(L"AppEnabled", L"1");
    app = Start();
    ChooseColour(*app, 4, 5, 6);
    warning = WaitWarning(app->pid());
    ASSERT_NE(warning, nullptr);
    ASSERT_TRUE(ClickButton(warning, L"Do not show this warning again"));
    ASSERT_TRUE(ClickButton(warning, kContinueLink));
    EXPECT_TRUE(WaitFor([&] { return ReadIni(SettingsFile(), L"WarnDisableAutoPick") == L"0"; }));
    EXPECT_EQ(ReadIni(SettingsFile(), L"AppEnabled"), L"1");
    ChooseColour(*app, 7, 8, 9);
    EXPECT_TRUE(WaitLastColour(0x070809));
    EXPECT_EQ(WaitWarning(app->pid(), 2s), nullptr) << "the silenced warning came back";
    Exit(*app);
}

TEST_F(ManualColors, PickTakesTheColourUnderThePointerThroughThePreview) {
    Settings(L"ShowDeskOnPick", L"0");
    Settings(L"RememberCustomColors", L"1");
    TargetWindow target(RGB(10, 120, 200));
    auto app = Start();
    ASSERT_NE(main_, nullptr);

    HWND preview = StartPick(*app);
    ASSERT_NE(preview, nullptr) << "no preview window";
    EXPECT_TRUE(PreviewShows(preview, RGB(10, 120, 200)));
    ScreenshotIfAsked(L"preview.bmp");
    RECT box{}, work{};
    ::GetWindowRect(preview, &box);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(work.right - box.right, 40) << "not beside the taskbar's corner";
    EXPECT_LE(work.bottom - box.bottom, 40) << "not beside the taskbar's corner";
    EXPECT_TRUE(::GetWindowLongW(preview, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetWindow(preview, GW_OWNER), main_) << "an ownerless preview has a taskbar button";

    ::PostMessageW(main_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(WaitLastColour(0x0A78C8)) << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(preview); })) << "the preview stayed";
    EXPECT_TRUE(WaitFor([&] { return LastRememberedColour(ColourFile()) == 0x00C8780Au; }));
    EXPECT_EQ(target.presses(), 0);

    // A right click, and closing the preview, bring back the colour from
    // before the pick; a cancel remembers nothing for the wallpaper.
    target.SetColour(RGB(200, 30, 30));
    for (const bool closePreview : {false, true}) {
        const std::size_t records = ReadDwmLog(log()).size();
        preview = StartPick(*app);
        ASSERT_NE(preview, nullptr);
        EXPECT_TRUE(PreviewShows(preview, RGB(200, 30, 30)));
        if (closePreview)
            ::PostMessageW(preview, WM_CLOSE, 0, 0);
        else
            ::PostMessageW(main_, WM_RBUTTONDOWN, MK_RBUTTON, 0);
        EXPECT_TRUE(WaitFor([&] { return ReadDwmLog(log()).size() > records; })) << closePreview;
        EXPECT_EQ(ReadDwmLog(log()).back().color & 0xFFFFFF, 0x0A78C8u) << closePreview;
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(preview); })) << closePreview;
        EXPECT_EQ(LastRememberedColour(ColourFile()), 0x00C8780Au) << closePreview;
    }
    Exit(*app);
    EXPECT_EQ(LastRememberedColour(ColourFile()), 0x00C8780Au);
    EXPECT_EQ(ReadIni(SettingsFile(), L"FirstTimePick"), L"0");
}

TEST_F(ManualColors, DesktopThatCannotBeShownIsReportedAndNoPickStarts) {
    auto app = Start(); // ShowDeskOnPick is on by default; Wine cannot minimise all windows
    ASSERT_NE(main_, nullptr);
    app->Command(main_, kFromScreen);
    const HWND box = WaitDialog(app->pid());
    ASSERT_NE(box, nullptr) << "the error was not reported";
    ScreenshotIfAsked(L"pick-error.bmp");
    const auto texts = ChildTexts(box);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::wstring& t) { return t.find(L"mplemented") != std::wstring::npos; }))
        << "not the platform's text for the failure";
    EXPECT_TRUE(WindowsOf(app->pid(), L"TFrmColorPreview").empty());
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
    EXPECT_TRUE(WindowsOf(app->pid(), L"TFrmColorPreview").empty());
    Exit(*app);
}

TEST_F(ManualColors, ExitWhileTheColourDialogIsOpenOrAPickRuns) {
    for (const WORD command : {kSelColor, kFromScreen}) {
        fs::remove(SettingsFile()); // written again only by the exit
        Settings(L"ShowDeskOnPick", L"0");
        auto app = Start();
        ASSERT_NE(main_, nullptr);
        app->Command(main_, command);
        if (command == kSelColor)
            ASSERT_NE(WaitColourDialog(app->pid()), nullptr);
        else
            ASSERT_TRUE(WaitFor([&] { return !WindowsOf(app->pid(), L"TFrmColorPreview").empty(); }));
        app->Command(main_, kExit);
        EXPECT_EQ(app->WaitExit(), 0u) << "the program did not end, command " << command;
        EXPECT_EQ(ReadIni(SettingsFile(), L"AppEnabled"), L"1") << "settings not written, command " << command;
    }
}

// Windows 7, as far as the program can tell: the frames show the live colour.
class ManualColorsOnWindows7 : public ManualColors {
protected:
    void SetUp() override {
        older_.emplace(L"win7", L"6.1.7601");
        folder_.AddVersionDouble();
        ManualColors::SetUp();
    }
};

TEST_F(ManualColorsOnWindows7, PickWritesTheLiveColourToTheFramesThroughGlass) {
    Settings(L"ShowDeskOnPick", L"0");
    Settings(L"AppEnabled", L"0"); // no fade, no warning
    TargetWindow target(RGB(10, 120, 200));
    auto app = Start();
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !ReadDwmLog(log()).empty(); }));
    const std::uint32_t before = ReadDwmLog(log()).back().color & 0xFFFFFF;
    ASSERT_NE(before, 0x0A78C8u);

    const HWND preview = StartPick(*app);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(WaitLastColour(0x0A78C8)) << "the live colour is not on the frames:\n" << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_TRUE(PreviewShows(preview, RGB(0, 0, 0))) << "the glass does not reach over the client area";
    ScreenshotIfAsked(L"preview-windows7.bmp");

    ::PostMessageW(main_, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(preview); }));
    EXPECT_TRUE(WaitLastColour(before)) << DescribeDwmLog(ReadDwmLog(log()));
    Exit(*app);
}

} // namespace
} // namespace hg::e2e
