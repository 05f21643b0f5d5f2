#include "app/MainForm.h"

#include "fakes/app/FakeMainPorts.h"


#include <gtest/gtest.h>

namespace hg {
namespace {

using namespace hg::testing;

const std::pair<std::wstring, std::wstring> kAutoColorization{L"Control Panel\\Desktop", L"AutoColorization"};
const std::pair<std::wstring, std::wstring> kLightTheme{
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", L"SystemUsesLightTheme"};
const std::pair<std::wstring, std::wstring> kPersonalize{L"control.exe", L" /name Microsoft.Personalization"};

class MainFormTest : public FakeMainPorts {
protected:
    MainForm& Create() {
        form_ = NewForm();
        form_->FormCreate();
        return *form_;
    }
    // The dialog closed with this button (and this check-box state).
    void Answer(std::int32_t button, bool checked = false) {
        dialogs.outcome = TaskDialogOutcome{button, 0, checked};
    }

    std::unique_ptr<MainForm> form_;
};

TEST_F(MainFormTest, WindowsOlderThanSevenIsRefusedBeforeAnythingIsRead) {
    system.version = {2, 6, 0};
    MainForm& form = Create();
    EXPECT_EQ(host.messages, std::vector<std::wstring>{L"This program requires Windows 7 or higher"});
    EXPECT_EQ(host.quits, 1);
    EXPECT_EQ(host.deferredStarts, 0);
    EXPECT_EQ(form.state(), MainForm::State::Refused);
    EXPECT_TRUE(form.IniFileName().empty());
    EXPECT_TRUE(files.directories.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainFormTest, NormalStartReadsSettingsAndPostsTheDeferredStart) {
    system.SetWindows7();
    profile.values[L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings"] = {
        {L"AppEnabled", L"0"}, {L"Intensity", L"40"}};
    MainForm& form = Create();
    EXPECT_EQ(host.deferredStarts, 1);
    EXPECT_EQ(host.quits, 0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(form.AreWeOnWindows8);
    EXPECT_FALSE(form.AreWeOnWindows10);
    EXPECT_FALSE(form.MenuEnabledChecked());
    EXPECT_EQ(form.AppOptions().Intensity, 40);
    EXPECT_EQ(form.LastBgColor, 0xFFFFFFFFu);
    EXPECT_EQ(form.state(), MainForm::State::WaitingForStart);
    form.DeferredStart();
    EXPECT_EQ(form.state(), MainForm::State::Running);
}

TEST_F(MainFormTest, CompositionOffWarnsAndActsOnEachAnswer) {
    struct Case {
        std::int32_t button;
        int quits;
        bool personalize;
    };
    for (const Case c : {Case{1, 0, true}, Case{2, 0, false}, Case{3, 1, false}}) {
        host = {};
        dialogs.shown.clear();
        system.composition = false;
        Answer(c.button);
        MainForm& form = Create();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].MainInstruction, L"Windows DWM is not enabled in your current Windows session");
        EXPECT_EQ(host.quits, c.quits) << "button " << c.button;
        EXPECT_EQ(!host.opened.empty(), c.personalize) << "button " << c.button;
        if (c.personalize) {
            EXPECT_EQ(host.opened[0], kPersonalize);
        }
        // Creation still runs to its end; a posted quit ends the loop first.
        EXPECT_EQ(host.deferredStarts, 1);
        EXPECT_FALSE(form.IniFileName().empty());
        EXPECT_EQ(form.state() == MainForm::State::Refused, c.button == 3);
        // The deferred start is already queued when "&Cancel" posts the quit,
        // and may still be handled: then it must start nothing.
        tray = {};
        timers.enabled.clear();
        form.DeferredStart();
        EXPECT_EQ(tray.visible, c.button != 3) << "button " << c.button;
        EXPECT_EQ(timers.enabled.empty(), c.button == 3) << "button " << c.button;
    }
}

TEST_F(MainFormTest, AutoColorizationWarningTurnsItOffOrIsSilenced) {
    struct Case {
        std::int32_t button;
        bool checked;
        std::uint32_t registryAfter;
        bool warnAfter;
        bool personalize;
    };
    const Case cases[] = {
        {1, false, 1, true, true},  // "&Open &Personalize"
        {2, false, 0, true, false}, // "&Turn Off" (also Esc and the close box)
        {3, true, 1, false, false}, // "&Ignore" with "Do not show this warning again"
        {2, true, 0, false, false},
    };
    for (const Case& c : cases) {
        host = {};
        dialogs.shown.clear();
        registry.dwords[kAutoColorization] = 1;
        Answer(c.button, c.checked);
        MainForm& form = Create();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].WindowTitle, L"Warning");
        EXPECT_EQ(registry.dwords[kAutoColorization], c.registryAfter) << "button " << c.button;
        EXPECT_EQ(form.AppOptions().Win8AutoColorizeWarn, c.warnAfter) << "button " << c.button;
        EXPECT_EQ(!host.opened.empty(), c.personalize);
    }
}

TEST_F(MainFormTest, AutoColorizationIsOnlyANonZeroDwordOnWindowsEightAndLater) {
    registry.strings[kAutoColorization] = L"1"; // text, not a number: off
    Create();
    EXPECT_TRUE(dialogs.shown.empty());

    registry.strings.clear();
    registry.dwords[kAutoColorization] = 1;
    system.SetWindows7();
    Create();
    EXPECT_TRUE(dialogs.shown.empty());

    system.SetWindows8();
    profile.values[L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings"] = {
        {L"Win8AutoColorizeWarn", L"0"}};
    Create();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainFormTest, AWarningThatCannotBeShownChangesNothing) {
    registry.dwords[kAutoColorization] = 1;
    dialogs.outcome = std::nullopt;
    MainForm& form = Create();
    EXPECT_EQ(registry.dwords[kAutoColorization], 1u);
    EXPECT_TRUE(form.AppOptions().Win8AutoColorizeWarn);
}

TEST_F(MainFormTest, ThemeIsDarkUnlessWindowsTenSaysLight) {
    struct Case {
        bool windows10;
        std::optional<std::uint32_t> light;
        bool dark;
    };
    for (const Case& c : {Case{true, 0u, true}, Case{true, 1u, false}, Case{true, std::nullopt, true},
                          Case{false, 0u, false}}) {
        registry.dwords.erase(kLightTheme);
        if (c.light)
            registry.dwords[kLightTheme] = *c.light;
        if (c.windows10)
            system = FakeSystemInfo{};
        else
            system.SetWindows8();
        EXPECT_EQ(Create().bDarkSystemTheme, c.dark);
    }
}

TEST_F(MainFormTest, CloseSavesAndAFailedSaveIsReportedWithoutTrappingTheUser) {
    MainForm& form = Create();
    form.FormClose();
    EXPECT_EQ(profile.writes.size(), 18u);
    EXPECT_EQ(form.state(), MainForm::State::Closed);

    MainForm& again = Create();
    profile.failWrites = true;
    again.FormClose();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], L"Unable to write to " + again.IniFileName());
    EXPECT_EQ(again.state(), MainForm::State::Closed);
}

} // namespace
} // namespace hg
