// The warnings at start-up: desktop composition off, and Windows' own
// automatic colorization on. Driven as a user would, through the dialogs.
#include "e2e/E2e.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kExit = 1009;

std::string Dump(const std::vector<std::wstring>& texts) {
    std::string out;
    for (const auto& t : texts)
        out += "  [" + std::string(t.begin(), t.end()) + "]\n";
    return out;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& part) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::wstring& t) { return t.find(part) != std::wstring::npos; });
}

class StartupWarnings : public ProgramTest {
protected:
    void ExitAndWait(App& app) {
        const HWND main = app.WaitMainWindow();
        ASSERT_NE(main, nullptr);
        app.Command(main, kExit);
        EXPECT_EQ(app.WaitExit(), 0u);
    }
};

class CompositionOff : public StartupWarnings {
protected:
    // Windows 7 under Wine reports composition off (Wine's own dwmapi: the
    // program is started without the double's override).
    WineVersion version_{L"win7"};
    TestFolder folder_;
};

TEST_F(CompositionOff, CancelEndsTheProgramWithoutWritingAndTheNextStartIsNotBlocked) {
    {
        App app(folder_.exe());
        const HWND dialog = WaitDialog(app.pid());
        ASSERT_NE(dialog, nullptr) << "the composition warning never appeared";
        const auto texts = ChildTexts(dialog);
        EXPECT_TRUE(Contains(texts, L"Windows DWM is not enabled in your current Windows session")) << Dump(texts);
        EXPECT_TRUE(Contains(texts, L"It's strongly recommended that Windows DWM is turned on")) << Dump(texts);
        for (const wchar_t* button : {L"&Enable DWM", L"&Ignore", L"&Cancel"})
            EXPECT_NE(FindChild(dialog, button), nullptr) << "no button " << std::string(button, button + wcslen(button))
                                                          << "\n" << Dump(texts);
        ASSERT_TRUE(ClickButton(dialog, L"&Cancel"));
        EXPECT_EQ(app.WaitExit(), 0u) << "Cancel did not end the program";
    }
    EXPECT_FALSE(fs::exists(SettingsFile())) << "settings were written after Cancel";

    App next(folder_.exe());
    const HWND dialog = WaitDialog(next.pid());
    ASSERT_NE(dialog, nullptr) << "the next start was blocked";
    ASSERT_TRUE(ClickButton(dialog, L"&Ignore"));
    ExitAndWait(next);
    EXPECT_TRUE(fs::exists(SettingsFile())) << "Ignore should let the program run on and save at Exit";
}

class AutoColorization : public StartupWarnings {
protected:
    void SetUp() override {
        StartupWarnings::SetUp();
        value_.SetDword(1);
    }
    WineVersion version_{L"win10"};
    TestFolder folder_;
    RegistryValue value_{L"Control Panel\\Desktop", L"AutoColorization"};
};

TEST_F(AutoColorization, TurnOffWritesZero) {
    App app(folder_.exe());
    const HWND dialog = WaitDialog(app.pid());
    ASSERT_NE(dialog, nullptr) << "the automatic colorization warning never appeared";
    const auto texts = ChildTexts(dialog);
    EXPECT_EQ(WindowText(dialog), L"Warning");
    EXPECT_TRUE(Contains(texts, L"Windows auto colorization is switched on")) << Dump(texts);
    EXPECT_NE(FindChild(dialog, L"&Open &Personalize"), nullptr) << Dump(texts);
    EXPECT_NE(FindChild(dialog, L"Do not show this warning again"), nullptr) << Dump(texts);
    ASSERT_TRUE(ClickButton(dialog, L"&Turn Off"));
    EXPECT_TRUE(WaitFor([&] { return value_.Dword() == 0u; })) << "AutoColorization was not set to 0";
    ExitAndWait(app);
    EXPECT_EQ(ReadIni(SettingsFile(), L"Win8AutoColorizeWarn"), L"1");
}

TEST_F(AutoColorization, IgnoreWithTheBoxTickedLeavesTheRegistryAndSilencesTheWarning) {
    App app(folder_.exe());
    const HWND dialog = WaitDialog(app.pid());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickButton(dialog, L"Do not show this warning again"));
    ASSERT_TRUE(WaitFor([&] {
        const HWND box = FindChild(dialog, L"Do not show this warning again");
        return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    })) << "the check box did not tick";
    ASSERT_TRUE(ClickButton(dialog, L"&Ignore"));
    ExitAndWait(app);
    EXPECT_EQ(value_.Dword(), 1u);
    EXPECT_EQ(ReadIni(SettingsFile(), L"Win8AutoColorizeWarn"), L"0");
}

TEST_F(AutoColorization, EscapeActsAsTurnOff) {
    App app(folder_.exe());
    const HWND dialog = WaitDialog(app.pid());
    ASSERT_NE(dialog, nullptr);
    // What the dialog manager makes of the Esc key.
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return value_.Dword() == 0u; })) << "Esc did not turn automatic colorization off";
    ExitAndWait(app);
}

} // namespace
} // namespace hg::e2e
