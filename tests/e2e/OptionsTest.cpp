// The options dialog of the real program: opened from the tray menu's
// "&Settings...", driven through its controls, with the test double of
// dwmapi.dll recording every colorization record written.
#include "e2e/E2e.h"

#include "options/OptionsDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kSettings = 1006;
constexpr WORD kExit = 1009;

HWND FindControl(HWND dialog, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    ::EnumChildWindows(
        dialog,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (::GetDlgCtrlID(child) != s->id)
                return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Control(HWND dialog, OptionsControl control) {
    return FindControl(dialog, OptionsControlId(control));
}

class Options : public ProgramTest {
protected:
    void Start(const std::vector<std::pair<const wchar_t*, const wchar_t*>>& settings = {},
               std::vector<std::wstring> environment = {L"WINEDLLOVERRIDES=dwmapi=n,b"}) {
        if (!settings.empty())
            fs::create_directories(DataFolder());
        for (const auto& [key, value] : settings)
            ::WritePrivateProfileStringW(L"General", key, value, SettingsFile().c_str());
        environment.push_back(L"HUEGLASS_DWM_LOG=" + log().wstring());
        app_.emplace(folder_.exe(), environment);
        main_ = app_->WaitMainWindow();
        ASSERT_NE(main_, nullptr);
    }
    fs::path log() const { return folder_.path() / L"dwm.log"; }

    std::vector<HWND> Dialogs() {
        std::vector<HWND> found;
        for (HWND window : WindowsOf(app_->pid(), L"#32770"))
            if (WindowText(window) == L"Hueglass Options")
                found.push_back(window);
        return found;
    }
    // Chooses "&Settings..." and waits for the dialog.
    HWND OpenOptions() {
        app_->Command(main_, kSettings);
        HWND dialog = nullptr;
        WaitFor([&] {
            const auto dialogs = Dialogs();
            dialog = dialogs.empty() ? nullptr : dialogs.front();
            return dialog != nullptr && Control(dialog, OptionsControl::BtnApply) != nullptr;
        });
        return dialog;
    }
    bool WaitClosed() {
        return WaitFor([&] { return Dialogs().empty(); });
    }
    // The control that has the focus in the program.
    HWND FocusOf(HWND window) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
        return info.hwndFocus;
    }
    void Click(HWND control) { ::SendMessageW(control, BM_CLICK, 0, 0); }
    // A screenshot once the dialog has painted what it shows now.
    void Screenshot(HWND dialog, const wchar_t* name) {
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ScreenshotIfAsked(name);
    }
    void Exit() {
        app_->Command(main_, kExit);
        EXPECT_EQ(app_->WaitExit(), 0u);
    }
    // Waits until no new colorization record has come for a while.
    std::size_t SettledRecordCount() {
        std::size_t count = ReadDwmLog(log()).size();
        for (int quiet = 0; quiet < 15;) {
            ::Sleep(100);
            const std::size_t now = ReadDwmLog(log()).size();
            quiet = now == count ? quiet + 1 : 0;
            count = now;
        }
        return count;
    }

    TestFolder folder_;
    std::optional<App> app_;
    HWND main_ = nullptr;
};

TEST_F(Options, OpensFromTheMenuComesForwardAndEscOrCancelWriteNothing) {
    Start();
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    // Each page as the user sees it (when screenshots are asked for).
    Screenshot(dialog, L"options-color");
    HWND tabs = FindControl(dialog, kOptionsTabsId);
    for (const wchar_t* page : {L"options-wallpaper", L"options-advanced"}) {
        ::SendMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
        Screenshot(dialog, page);
    }
    ::SendMessageW(tabs, WM_KEYDOWN, VK_LEFT, 0);
    ::SendMessageW(tabs, WM_KEYDOWN, VK_LEFT, 0);
    // Windows 10 as Wine reports it: no intensity, fading cleared and greyed.
    EXPECT_FALSE(::IsWindowVisible(Control(dialog, OptionsControl::Tracker)));
    EXPECT_FALSE(::IsWindowEnabled(Control(dialog, OptionsControl::CheckFade)));
    EXPECT_EQ(::SendMessageW(Control(dialog, OptionsControl::CheckFade), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(::IsWindowEnabled(Control(dialog, OptionsControl::BtnApply)));

    ::SetForegroundWindow(main_);
    app_->Command(main_, kSettings);
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == dialog; })) << "not brought forward";
    EXPECT_EQ(Dialogs().size(), 1u);

    Click(Control(dialog, OptionsControl::RbIcon));
    EXPECT_TRUE(::IsWindowEnabled(Control(dialog, OptionsControl::BtnApply)));
    HWND focus = FocusOf(dialog);
    ASSERT_NE(focus, nullptr);
    ::PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitClosed()) << "Esc did not close the dialog";

    dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::SendMessageW(Control(dialog, OptionsControl::RbWallpaper), BM_GETCHECK, 0, 0), BST_CHECKED)
        << "Esc kept a change";
    Click(Control(dialog, OptionsControl::RbContents));
    Click(FindControl(dialog, IDCANCEL));
    ASSERT_TRUE(WaitClosed());
    EXPECT_FALSE(fs::exists(SettingsFile())) << "Cancel wrote the settings";
    Exit();
}

TEST_F(Options, ApplyRestartsTheLoopAtOnceAndOkWritesTheSettings) {
    Start({{L"UseBgColor", L"0"}});
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    const std::size_t before = SettledRecordCount();

    // The source becomes the active window's contents: the dialog itself.
    Click(Control(dialog, OptionsControl::RbContents));
    Click(Control(dialog, OptionsControl::BtnApply));
    EXPECT_TRUE(WaitFor([&] { return ReadDwmLog(log()).size() > before; })) << "Apply did not restart the loop:\n"
                                                                            << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_FALSE(::IsWindowEnabled(Control(dialog, OptionsControl::BtnApply)));
    EXPECT_EQ(ReadIni(SettingsFile(), L"Mode"), std::nullopt) << "Apply wrote the file";

    Click(Control(dialog, OptionsControl::ChkMoreColors));
    Click(FindControl(dialog, IDOK));
    ASSERT_TRUE(WaitClosed());
    // The last key written; the file is written key by key.
    ASSERT_TRUE(WaitFor([&] { return ReadIni(SettingsFile(), L"ColorizeSysColors") == L"1"; }));
    EXPECT_EQ(ReadIni(SettingsFile(), L"Mode"), L"2");
    EXPECT_EQ(ReadIni(SettingsFile(), L"Intensity"), L"33") << "the hidden slider's value, on Windows 10";

    // "E&xit" with the dialog open: it closes as cancelled and the program ends.
    dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    Click(Control(dialog, OptionsControl::RbWallpaper));
    Exit();
    EXPECT_EQ(ReadIni(SettingsFile(), L"Mode"), L"2");
}

TEST_F(Options, ReactivatingWarningsShowsTheMessageAndExitClosesBoth) {
    Start({{L"Win8AutoColorizeWarn", L"0"}, {L"WarnDisableAutoPick", L"0"}, {L"FirstTimePick", L"0"}});
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    HWND link = FindControl(dialog, kOptionsLinkId);
    ASSERT_NE(link, nullptr);
    ::PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    ::PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    HWND message = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND window : WindowsOf(app_->pid(), L"#32770"))
            for (const std::wstring& text : ChildTexts(window))
                if (text.find(L"Dialogs have been reactivated.") != std::wstring::npos)
                    message = window;
        return message != nullptr;
    })) << "no message";
    ScreenshotIfAsked(L"options-reactivated");

    Exit();
    EXPECT_EQ(ReadIni(SettingsFile(), L"Win8AutoColorizeWarn"), L"1");
    EXPECT_EQ(ReadIni(SettingsFile(), L"WarnDisableAutoPick"), L"1");
    EXPECT_EQ(ReadIni(SettingsFile(), L"FirstTimePick"), L"1");
}

const wchar_t kDwmKey[] = L"Software\\Microsoft\\Windows\\DWM";

// Windows 7: the transparency of window frames, previewed as the sliders and
// the box change, and undone by Cancel.
TEST_F(Options, Windows7PreviewsIntensityAndTransparencyAndCancelRestoresThem) {
    RegistryValue opaque(kDwmKey, L"ColorizationOpaqueBlend");
    RegistryValue blur(kDwmKey, L"ColorizationBlurBalance");
    opaque.SetDword(1);
    blur.SetDword(40);
    const OlderWindows windows7(L"win7", L"6.1");
    folder_.AddVersionDouble();
    Start({{L"Intensity", L"70"}}, windows7.Environment());
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    Screenshot(dialog, L"options-color-win7");
    HWND tracker = Control(dialog, OptionsControl::Tracker);
    HWND transparency = Control(dialog, OptionsControl::CheckTrans);
    ASSERT_TRUE(::IsWindowVisible(tracker));
    ASSERT_TRUE(::IsWindowVisible(transparency));
    EXPECT_EQ(::SendMessageW(transparency, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(::SendMessageW(tracker, TBM_GETPOS, 0, 0), 70);
    const std::size_t before = SettledRecordCount();
    auto last = [&] {
        const auto records = ReadDwmLog(log());
        return records.size() > before ? std::optional<DwmRecord>(records.back()) : std::nullopt;
    };

    // The arrow key moves the slider one step, as the user's would.
    ::PostMessageW(tracker, WM_KEYDOWN, VK_RIGHT, 0);
    ASSERT_TRUE(WaitFor([&] { return last() && last()->afterglow == 71; })) << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_EQ(last()->opaqueBlend, 0xFFFFFFFFu);
    EXPECT_EQ(last()->blurBalance, 40u);

    Click(transparency);
    EXPECT_TRUE(WaitFor([&] { return opaque.Dword() == 0u; })) << "ticking did not write the registry";
    ASSERT_TRUE(WaitFor([&] { return last() && last()->opaqueBlend == 0; })) << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_EQ(last()->afterglow, 128u - 71u) << "with transparency the slider runs backwards";

    Click(FindControl(dialog, IDCANCEL));
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(opaque.Dword(), 1u) << "the registry value read at creation is back";
    ASSERT_TRUE(WaitFor([&] { return last() && last()->afterglow == 70; })) << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_EQ(last()->opaqueBlend, 0xFFFFFFFFu);
    EXPECT_EQ(last()->blurBalance, 40u);
    EXPECT_EQ(ReadIni(SettingsFile(), L"Intensity"), L"70");
    Exit();
}

TEST_F(Options, Windows81HidesTransparencyAndIs350PixelsHigh) {
    const OlderWindows windows81(L"win81", L"6.3");
    folder_.AddVersionDouble();
    Start({}, windows81.Environment());
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    Screenshot(dialog, L"options-color-win81");
    EXPECT_TRUE(::IsWindowVisible(Control(dialog, OptionsControl::Tracker)));
    EXPECT_FALSE(::IsWindowVisible(Control(dialog, OptionsControl::CheckTrans)));
    EXPECT_FALSE(::IsWindowVisible(Control(dialog, OptionsControl::TransTracker)));
    EXPECT_TRUE(::IsWindowEnabled(Control(dialog, OptionsControl::CheckFade)));
    RECT box{};
    ::GetWindowRect(dialog, &box);
    HDC screen = ::GetDC(nullptr);
    const int ppi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(box.bottom - box.top, ::MulDiv(350, ppi, 96));
    Exit();
}

} // namespace
} // namespace hg::e2e
