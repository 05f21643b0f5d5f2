// The program's shell: one running copy, the hidden main window, the
// settings file and the orderly end through "E&xit".
#include "e2e/E2e.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kEnabled = 1004;
constexpr WORD kExit = 1009;

bool AnyTextContains(HWND window, const std::wstring& part) {
    for (const auto& text : ChildTexts(window))
        if (text.find(part) != std::wstring::npos)
            return true;
    return false;
}

class Shell : public ProgramTest {
protected:
    WineVersion version_{L"win10"};
    TestFolder folder_;
};

TEST_F(Shell, SecondCopySignalsTheFirstAndEndsWithoutTouchingAnyFile) {
    App first(folder_.exe());
    const HWND main = first.WaitMainWindow();
    ASSERT_NE(main, nullptr) << "the main window of class TFrmHueglassMain never appeared";

    App second(folder_.exe());
    EXPECT_EQ(second.WaitExit(), 0u) << "the second copy did not end on its own";
    EXPECT_TRUE(first.Running());
    EXPECT_FALSE(fs::exists(SettingsFile())) << "a settings file was written before Exit";
    EXPECT_FALSE(::IsWindowVisible(main)) << "the main window must stay hidden";
}

// Messages of the given number that reached a window of the main window's
// class in this process.
int g_secondInstanceMessages = 0;

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == 0x042D)
        ++g_secondInstanceMessages;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(Shell, SecondCopyPostsItsMessageToTheRunningCopysWindowAndEnds) {
    // This process plays the running copy: it owns the mutex and a window of
    // the main window's class.
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"BmTrayHueglassWnd");
    ASSERT_NE(mutex, nullptr);
    ASSERT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "a copy of the program is running";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TFrmHueglassMain";
    ASSERT_NE(::RegisterClassW(&windowClass), 0);
    const HWND standIn = ::CreateWindowExW(0, L"TFrmHueglassMain", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                           windowClass.hInstance, nullptr);
    ASSERT_NE(standIn, nullptr);
    g_secondInstanceMessages = 0;

    App second(folder_.exe());
    std::optional<DWORD> exitCode;
    const bool ended = WaitFor([&] {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        return (exitCode = second.WaitExit(0ms)).has_value();
    });
    EXPECT_TRUE(ended) << "the second copy did not end";
    EXPECT_EQ(exitCode, 0u);
    // A message posted before the copy ended is in the queue by now.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    EXPECT_EQ(g_secondInstanceMessages, 1) << "the running copy's window got no message 0x042D";
    EXPECT_FALSE(fs::exists(SettingsFile()));

    ::DestroyWindow(standIn);
    ::UnregisterClassW(L"TFrmHueglassMain", windowClass.hInstance);
    ::CloseHandle(mutex);
}

TEST_F(Shell, CloseMessageOnlyHidesAndExitSavesEveryKeyThenFreesTheMutex) {
    {
        App app(folder_.exe());
        const HWND main = app.WaitMainWindow();
        ASSERT_NE(main, nullptr);
        ::SendMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(app.Running()) << "WM_CLOSE ended the program";
        EXPECT_TRUE(::IsWindow(main));

        app.Command(main, kExit);
        EXPECT_EQ(app.WaitExit(), 0u) << "Exit did not end the program";
    }
    ASSERT_TRUE(fs::exists(SettingsFile())) << "no settings file in " << DataFolder().string();
    const std::string text = ReadFileText(SettingsFile());
    // All keys, in their fixed order, with the defaults (Windows 10 forces
    // the fade off and the preview window on).
    const char* expected[] = {"Mode=0", "Intensity=70", "FadeColor=0", "UseBgColor=1", "ShowDeskOnPick=1",
                              "DisableOnPick=0", "Win8AutoColorizeWarn=1", "WarnDisableAutoPick=1",
                              "TrayIconStyle=1", "DoubleClickAction=0", "IgnoreDarkLigthColors=1",
                              "RememberCustomColors=0", "ShowPreviewWindow=1", "DualMonWallSlideUseMon=-1",
                              "ColorMode=1", "AppEnabled=1", "FirstTimePick=1", "ColorizeSysColors=0"};
    std::size_t at = text.find("[General]");
    ASSERT_NE(at, std::string::npos) << text;
    for (const char* line : expected) {
        const std::size_t next = text.find(line, at);
        ASSERT_NE(next, std::string::npos) << line << " missing or out of order in:\n" << text;
        at = next;
    }

    // The mutex went with the window: a new copy starts as the only one.
    App again(folder_.exe());
    const HWND main = again.WaitMainWindow();
    ASSERT_NE(main, nullptr) << "a new copy could not start after Exit";
    again.Command(main, kExit);
    EXPECT_EQ(again.WaitExit(), 0u);
}

TEST_F(Shell, SettingsFileBesideTheProgramMakesItPortable) {
    const fs::path beside = folder_.path() / L"Hueglass.Settings";
    ::WritePrivateProfileStringW(L"General", L"Intensity", L"0x20", beside.c_str());
    ::WritePrivateProfileStringW(L"General", L"Mode", L"abc", beside.c_str());
    ::WritePrivateProfileStringW(L"General", L"AppEnabled", L"0", beside.c_str());
    {
        App app(folder_.exe());
        const HWND main = app.WaitMainWindow();
        ASSERT_NE(main, nullptr);
        app.Command(main, kExit);
        EXPECT_EQ(app.WaitExit(), 0u);
    }
    EXPECT_EQ(ReadIni(beside, L"Intensity"), L"32");
    EXPECT_EQ(ReadIni(beside, L"Mode"), L"0");
    EXPECT_EQ(ReadIni(beside, L"AppEnabled"), L"0");
    EXPECT_EQ(ReadIni(beside, L"ColorizeSysColors"), L"0");
    EXPECT_FALSE(fs::exists(SettingsFile())) << "a portable copy wrote into the roaming folder";
}

TEST_F(Shell, WindowsOlderThanSevenIsRefusedBeforeAnyFileIsRead) {
    WineVersion old(L"winxp64");
    App app(folder_.exe());
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        const auto boxes = WindowsOf(app.pid(), L"#32770");
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
    })) << "no message box appeared";
    bool saw = false;
    for (const auto& text : ChildTexts(box))
        saw = saw || text == L"This program requires Windows 7 or higher";
    EXPECT_TRUE(saw) << "the message box does not carry the expected text";
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(app.WaitExit(), 0u);
    EXPECT_FALSE(fs::exists(SettingsFile()));
}

TEST_F(Shell, ExitWhileAMessageBoxIsOpenClosesItAndRunsTheWholeExit) {
    // A folder where the settings file should be: the save that the
    // automatic-colour item makes fails, and its error box stays open.
    fs::create_directories(SettingsFile());
    const int iconsBefore = TrayIconCount();
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return TrayIconCount() == iconsBefore + 1; })) << "the tray icon never appeared";
    app.Command(main, kEnabled);
    const HWND box = WaitDialog(app.pid());
    ASSERT_NE(box, nullptr) << "no error box for the failed save";
    EXPECT_TRUE(AnyTextContains(box, L"Unable to write to")) << "not the save's error box";
    ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ScreenshotIfAsked(L"exit-while-message-box.bmp");

    // The way is clear again; "E&xit" arrives while the box's loop runs.
    fs::remove_all(SettingsFile());
    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u) << "Exit did not end the program while its message box was open";
    EXPECT_FALSE(::IsWindow(box)) << "the message box outlived the program";
    EXPECT_EQ(ReadIni(SettingsFile(), L"AppEnabled"), L"0") << "the exit path did not save the change";
    EXPECT_TRUE(WaitFor([&] { return TrayIconCount() == iconsBefore; })) << "the tray icon stayed";

    App again(folder_.exe());
    ASSERT_NE(again.WaitMainWindow(), nullptr) << "the mutex was not released";
    again.Command(again.WaitMainWindow(), kExit);
    EXPECT_EQ(again.WaitExit(), 0u);
}

// A settings file the user made read-only: a save shows the error and
// leaves the file byte for byte as it was, with no copy beside it.
TEST_F(Shell, AReadOnlySettingsFileIsLeftAsItWasAndTheErrorShown) {
    fs::create_directories(SettingsFile().parent_path());
    const std::string before = "; kept as it is\r\n[General]\r\nAppEnabled=1\r\nUnknown=kept\r\n";
    std::ofstream(SettingsFile(), std::ios::binary) << before;
    ASSERT_TRUE(::SetFileAttributesW(SettingsFile().c_str(), FILE_ATTRIBUTE_READONLY));
    const auto text = [] {
        std::ifstream in(SettingsFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const int iconsBefore = TrayIconCount();
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return TrayIconCount() == iconsBefore + 1; })) << "the tray icon never appeared";
    app.Command(main, kEnabled);
    const HWND box = WaitDialog(app.pid());
    ASSERT_NE(box, nullptr) << "no error box for the failed save";
    EXPECT_TRUE(AnyTextContains(box, L"Unable to write to")) << "not the save's error box";
    EXPECT_EQ(text(), before) << "the read-only file was changed";
    EXPECT_TRUE(::GetFileAttributesW(SettingsFile().c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(fs::exists(SettingsFile().wstring() + L".tmp")) << "the copy stayed beside the file";
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }));

    ::SetFileAttributesW(SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
    EXPECT_EQ(ReadIni(SettingsFile(), L"AppEnabled"), L"0") << "the save after the change did not go through";
    EXPECT_EQ(ReadIni(SettingsFile(), L"Unknown"), L"kept");
}

TEST_F(Shell, ExitWhileTheTrayMenuIsOpenClosesTheMenuAndEnds) {
    const int iconsBefore = TrayIconCount();
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return TrayIconCount() == iconsBefore + 1; })) << "the tray icon never appeared";
    // The right button's release on the icon, as the shell reports it.
    ::PostMessageW(main, WM_APP + 1, 1, WM_RBUTTONUP);
    ASSERT_TRUE(WaitFor([&] { return !WindowsOf(app.pid(), L"#32768").empty(); })) << "the menu did not open";
    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u) << "Exit did not end the program while its menu was open";
    EXPECT_TRUE(WaitFor([&] { return TrayIconCount() == iconsBefore; })) << "the tray icon stayed";
}

// Windows' own automatic colorization is on: the warning with its check box
// comes at start.
class ShellWithWarning : public Shell {
protected:
    void SetUp() override {
        Shell::SetUp();
        autoColorization_.SetDword(1);
    }
    // Waits for the warning and ticks "Do not show this warning again".
    HWND TickDoNotShowAgain(const App& app) {
        const HWND warning = WaitDialog(app.pid());
        if (warning == nullptr)
            return nullptr;
        ClickButton(warning, L"Do not show this warning again");
        const bool ticked = WaitFor([&] {
            return ::SendMessageW(FindChild(warning, L"Do not show this warning again"), BM_GETCHECK, 0, 0) ==
                   BST_CHECKED;
        });
        return ticked ? warning : nullptr;
    }
    RegistryValue autoColorization_{L"Control Panel\\Desktop", L"AutoColorization"};
};

TEST_F(ShellWithWarning, ExitWhileAStartupWarningIsOpenIsNoAnswerToIt) {
    App app(folder_.exe());
    ASSERT_NE(TickDoNotShowAgain(app), nullptr) << "no warning, or its check box did not tick";
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ScreenshotIfAsked(L"exit-while-warning.bmp");
    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u) << "Exit did not end the program while the warning was open";
    // Closing the warning is not "&Turn Off" (which Esc would mean), nor is
    // the ticked box taken.
    EXPECT_EQ(autoColorization_.Dword(), 1u);
    EXPECT_EQ(ReadIni(SettingsFile(), L"Win8AutoColorizeWarn"), L"1");
}

TEST_F(ShellWithWarning, EndOfTheSessionKeepsTheChangesMadeDuringTheRun) {
    App app(folder_.exe());
    // A change that only the exit used to write: the warning silenced.
    const HWND warning = TickDoNotShowAgain(app);
    ASSERT_NE(warning, nullptr) << "no warning, or its check box did not tick";
    ASSERT_TRUE(ClickButton(warning, L"&Ignore"));
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return WindowsOf(app.pid(), L"#32770").empty(); }));

    // Sign-out as the system does it: the query, then the end, then the
    // process is ended from outside.
    DWORD_PTR answer = 0;
    ASSERT_NE(::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer),
              0);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the program held up the end of the session";
    ASSERT_NE(::SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer), 0);
    EXPECT_TRUE(app.Running()) << "the program ended itself instead of leaving that to the system";
    EXPECT_TRUE(WindowsOf(app.pid(), L"#32770").empty()) << "a dialog appeared at the end of the session";
    ASSERT_TRUE(fs::exists(SettingsFile())) << "nothing was written at the end of the session";
    EXPECT_EQ(ReadIni(SettingsFile(), L"Win8AutoColorizeWarn"), L"0");
    EXPECT_EQ(ReadIni(SettingsFile(), L"AppEnabled"), L"1");
}

} // namespace
} // namespace hg::e2e
