// The About box, its update check and the licence viewer, driven through the
// real Hueglass.exe under Wine with a test double of wininet.dll answering the
// download.
#include "e2e/E2e.h"

#include <gtest/gtest.h>

#include <fstream>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kAbout = 1008;
constexpr WORD kExit = 1009;
// Control ids of the About box and the licence window.
constexpr int kLabelDownload = 103, kLabelDownloadText = 104, kLabelLA = 108;
constexpr int kMemo = 100, kCopyText = 102;

fs::path TempFolder() {
    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    return temp;
}

// Files the program could have left in the temporary folder.
std::vector<fs::path> TempFilesNamedTmp() {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(TempFolder(), ec))
        if (entry.path().filename().wstring().rfind(L"TMP", 0) == 0)
            found.push_back(entry.path());
    return found;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

class About : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // The double in System32 (TestFolder), chosen for the program by its
        // override.
        wininetOverride_.SetString(L"native,builtin");
        tempBefore_ = TempFilesNamedTmp();
    }
    void TearDown() override {
        EXPECT_EQ(TempFilesNamedTmp(), tempBefore_) << "a temporary file was left behind";
        ProgramTest::TearDown();
    }

    // Starts the program with the download answered by `answer` ("error",
    // "hang" or the name of a fixture file written from `content`).
    std::unique_ptr<App> Start(const std::string& answer, const std::string& content = {}) {
        std::wstring answerValue(answer.begin(), answer.end());
        if (answer == "file") {
            const fs::path fixture = folder_.path() / L"answer.upd";
            std::ofstream(fixture, std::ios::binary) << content;
            answerValue = fixture.wstring();
        }
        return std::make_unique<App>(folder_.exe(), std::vector<std::wstring>{
                                                        L"HUEGLASS_WININET_LOG=" + log().wstring(),
                                                        L"HUEGLASS_WININET_ANSWER=" + answerValue,
                                                    });
    }
    HWND OpenAbout(App& app) {
        const HWND main = app.WaitMainWindow();
        EXPECT_NE(main, nullptr);
        app.Command(main, kAbout);
        const HWND box = WaitWindowNamed(app.pid(), L"About Hueglass");
        EXPECT_NE(box, nullptr) << "the About box did not open";
        return box;
    }
    // The text the download label shows, link or plain.
    static std::wstring DownloadLabel(HWND box) {
        const HWND link = ::GetDlgItem(box, kLabelDownload);
        const HWND text = ::GetDlgItem(box, kLabelDownloadText);
        return ::IsWindowVisible(link) ? WindowText(link) : WindowText(text);
    }
    fs::path log() const { return folder_.path() / L"wininet.log"; }

    WineVersion version_{L"win10"};
    RegistryValue wininetOverride_{L"Software\\Wine\\AppDefaults\\Hueglass.exe\\DllOverrides", L"wininet"};
    TestFolder folder_;
    std::vector<fs::path> tempBefore_;
};

TEST_F(About, OpensFromTheMenuWithTheVersionAndClosesWithEsc) {
    auto app = Start("error");
    const HWND box = OpenAbout(*app);
    ASSERT_NE(box, nullptr);
    const auto texts = ChildTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Version 2.01 SR1 (64-bit)"), texts.end());
    EXPECT_NE(DownloadLabel(box).find(L"Check for updates"), std::wstring::npos) << DownloadLabel(box);
    ScreenshotIfAsked(L"about-start.bmp");
    // Beside the tray: Wine's taskbar shows nothing, which counts as one at
    // the bottom, so the box sits 20 pixels in from the work area's right
    // and bottom edges.
    RECT taskbar{};
    const HWND shell = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_TRUE(shell == nullptr || (::GetWindowRect(shell, &taskbar) && ::IsRectEmpty(&taskbar)));
    RECT work{}, outer{};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_TRUE(WaitFor([&] {
        ::GetWindowRect(box, &outer);
        return outer.right == work.right - 20 && outer.bottom == work.bottom - 20;
    })) << "the box is at " << outer.left << "," << outer.top << "-" << outer.right << "," << outer.bottom
        << " in a work area ending at " << work.right << "," << work.bottom;

    PressEscape(::GetDlgItem(box, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); })) << "Esc did not close the About box";
    EXPECT_TRUE(app->Running());
    app->Command(app->WaitMainWindow(), kExit);
    EXPECT_EQ(app->WaitExit(), 0u);
}

TEST_F(About, CheckForUpdatesEndsInTheStateOfTheAnswer) {
    struct Case {
        const char* name;
        std::string answer, content;
        std::wstring label;
    };
    const Case cases[] = {
        {"newer", "file", "[CurrentVersions]\r\nHueglass=2.0.2.0\r\n", L"Hueglass 2.02 is available for download"},
        {"same", "file", "[CurrentVersions]\r\nHueglass=2.0.1.1\r\n", L"Hueglass is up to date"},
        {"older", "file", "[CurrentVersions]\r\nHueglass=1.9.0.0\r\n", L"Hueglass is up to date"},
        {"error", "error", "", L"Error checking for new version"},
        // A server's error page arrives as a "successful" download.
        {"page", "file", "<html><body>404 Not Found</body></html>", L"Error checking for new version"},
        {"nonnumeric", "file", "[CurrentVersions]\r\nHueglass=2.0.x.0\r\n", L"Error checking for new version"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(log(), ec);
        auto app = Start(c.answer, c.content);
        const HWND box = OpenAbout(*app);
        ASSERT_NE(box, nullptr);
        ClickLink(::GetDlgItem(box, kLabelDownload));
        EXPECT_TRUE(WaitFor([&] { return DownloadLabel(box).find(c.label) != std::wstring::npos; }))
            << "the label shows: " << DownloadLabel(box);
        EXPECT_EQ(ReadFileText(log()), "https://www.brenmoor.com/hueglass.upd\n");
        ScreenshotIfAsked((L"about-" + std::wstring(c.name, c.name + strlen(c.name)) + L".bmp").c_str());
        PressEscape(::GetDlgItem(box, IDOK));
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
        app->Command(app->WaitMainWindow(), kExit);
        EXPECT_EQ(app->WaitExit(), 0u);
    }
}

TEST_F(About, LicenceViewerShowsTheLicenceAndCopiesItsText) {
    auto app = Start("error");
    const HWND box = OpenAbout(*app);
    ASSERT_NE(box, nullptr);
    ClickLink(::GetDlgItem(box, kLabelLA));
    const HWND licence = WaitWindowNamed(app->pid(), L"License Agreement");
    ASSERT_NE(licence, nullptr) << "the licence viewer did not open";
    const std::wstring shown = WindowText(::GetDlgItem(licence, kMemo));
    EXPECT_NE(shown.find(L"MIT License"), std::wstring::npos) << shown;
    EXPECT_NE(shown.find(L"Copyright (c) 2014-2026 Brenmoor Software"), std::wstring::npos);
    EXPECT_NE(shown.find(L"Permission is hereby granted, free of charge"), std::wstring::npos);
    EXPECT_EQ(shown.find(L"\\rtf"), std::wstring::npos) << "the RTF source is shown";
    ScreenshotIfAsked(L"licence.bmp");

    ::PostMessageW(licence, WM_COMMAND, MAKEWPARAM(kCopyText, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return ClipboardText().find(L"Permission is hereby granted") != std::wstring::npos; }))
        << ClipboardText();
    const std::wstring copied = ClipboardText();
    EXPECT_NE(copied.find(L"OTHER DEALINGS IN THE SOFTWARE."), std::wstring::npos) << "the end was cut off";
    EXPECT_EQ(copied.find(L"\\par"), std::wstring::npos) << "RTF control words were copied";
    EXPECT_EQ(copied.find(L"{"), std::wstring::npos);

    PressEscape(::GetDlgItem(licence, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(licence); })) << "Esc did not close the licence viewer";
    EXPECT_TRUE(::IsWindow(box)) << "the About box closed with the licence";
    PressEscape(::GetDlgItem(box, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
    app->Command(app->WaitMainWindow(), kExit);
    EXPECT_EQ(app->WaitExit(), 0u);
}

TEST_F(About, ExitDuringACheckEndsTheProgramPromptly) {
    auto app = Start("hang");
    const HWND box = OpenAbout(*app);
    ASSERT_NE(box, nullptr);
    ClickLink(::GetDlgItem(box, kLabelDownload));
    ASSERT_TRUE(WaitFor([&] { return !ReadFileText(log()).empty(); })) << "the download never started";
    EXPECT_EQ(DownloadLabel(box), L"Checking for updates...");

    app->Command(app->WaitMainWindow(), kExit);
    EXPECT_EQ(app->WaitExit(10s), 0u) << "Exit waited for the download";
    EXPECT_TRUE(fs::exists(SettingsFile())) << "the normal exit path did not run";
}

TEST_F(About, OneBoxAtATimeAndExitClosesTheLicenceAndTheBox) {
    auto app = Start("error");
    const HWND box = OpenAbout(*app);
    ASSERT_NE(box, nullptr);
    const HWND main = app->WaitMainWindow();
    app->Command(main, kAbout); // brings the open box forward
    ClickLink(::GetDlgItem(box, kLabelLA));
    ASSERT_NE(WaitWindowNamed(app->pid(), L"License Agreement"), nullptr);
    int boxes = 0;
    for (HWND window : WindowsOf(app->pid(), L"#32770"))
        boxes += WindowText(window) == L"About Hueglass" ? 1 : 0;
    EXPECT_EQ(boxes, 1);

    app->Command(main, kExit);
    EXPECT_EQ(app->WaitExit(10s), 0u) << "Exit did not end the program with the licence open";
}

} // namespace
} // namespace hg::e2e
