// "E&xit" while windows of the program are open, and the end of the
// session, driven through fake ports.
#include "app/MainForm.h"

#include "fakes/app/FakeMainPorts.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

using namespace hg::testing;

const std::wstring kIni = L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings";
const std::wstring kColours = L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\CustomColorCache.Settings";
const std::pair<std::wstring, std::wstring> kAutoColorization{L"Control Panel\\Desktop", L"AutoColorization"};

class ShellExit : public FakeMainPorts {
protected:
    MainForm& Create() {
        form_ = NewForm();
        form_->FormCreate();
        return *form_;
    }
    // "E&xit" chosen from the tray: a command handler of the main window.
    void ChooseExit() {
        const auto handler = form_->Modals.EnterHandler();
        form_->Close1Click();
    }
    // A window of the program that "E&xit" closes; its loop ends then.
    class Dialog final : public IModalWindow {
    public:
        void BringForward() override { ++forwards; }
        void CloseAsCancelled() override { ++closes; }
        int forwards = 0, closes = 0;
    };

    std::unique_ptr<MainForm> form_;
};

TEST_F(ShellExit, ExitDuringTheStartupWarningIsNoAnswerAndTheExitRunsAfterwards) {
    system.SetWindows8();
    registry.dwords[kAutoColorization] = 1;
    profile.values[kIni] = {{L"Intensity", L"40"}};
    // The warning closed by the exit reports 2, which would mean "&Turn Off",
    // with the check box ticked.
    dialogs.outcome = TaskDialogOutcome{2, 0, true};
    dialogs.whileShown = [&] { ChooseExit(); };
    MainForm& form = Create();
    EXPECT_EQ(registry.dwords[kAutoColorization], 1u)
        << "the user's Windows setting was changed by a dialog nobody answered";
    EXPECT_EQ(form.state(), MainForm::State::Closing);
    form.DeferredStart();
    EXPECT_FALSE(tray.visible) << "the tray icon appeared on a closing program";
    EXPECT_TRUE(timers.enabled.empty());

    EXPECT_TRUE(form.ExitIfDue());
    EXPECT_EQ(form.state(), MainForm::State::Closed);
    EXPECT_EQ(profile.values[kIni][L"Intensity"], L"40");
    EXPECT_EQ(profile.values[kIni][L"Win8AutoColorizeWarn"], L"1") << "the unanswered check box was taken";
    EXPECT_FALSE(form.ExitIfDue()) << "the exit path ran twice";
}

TEST_F(ShellExit, ExitDuringTheCompositionWarningEndsWithoutWritingTheUnreadSettings) {
    system.composition = false;
    dialogs.outcome = TaskDialogOutcome{2, 0, false};
    dialogs.whileShown = [&] { ChooseExit(); };
    MainForm& form = Create();
    EXPECT_EQ(dialogs.shown.size(), 1u) << "creation went on to the next warning";
    EXPECT_TRUE(form.ExitIfDue());
    EXPECT_TRUE(profile.writes.empty()) << "defaults overwrote a settings file that was never read";
    EXPECT_TRUE(files.files.empty());
}

TEST_F(ShellExit, ExitWhileAWindowIsOpenClosesItAndTheCommandDoesNotResume) {
    MainForm& form = Create();
    form.DeferredStart();
    Dialog options;
    bool resumed = false;
    {
        const auto handler = form.Modals.EnterHandler(); // "&Settings..."
        const auto result = form.Modals.Run(WindowKind::Options, options, [&] {
            ChooseExit();
            EXPECT_FALSE(form.ExitIfDue()) << "the main window would go underneath the running loop";
            return 1; // OK, as far as the dialog knows
        });
        resumed = result.has_value();
        EXPECT_FALSE(form.ExitIfDue());
    }
    EXPECT_EQ(options.closes, 1);
    EXPECT_FALSE(resumed);
    EXPECT_EQ(host.deferredExits, 1) << "nothing reminds the window once the last loop has gone";
    EXPECT_TRUE(timers.enabled.empty()) << "the loop went on while the exit waited";
    EXPECT_TRUE(form.ExitIfDue());
    EXPECT_EQ(profile.writes.size(), 18u);
    EXPECT_EQ(form.state(), MainForm::State::Closed);
}

TEST_F(ShellExit, ExitArrivingWhileTheFirstColourIsMadeWaitsForTheStartToUnwind) {
    // A one-pixel 24-bit bitmap as the wallpaper.
    // clang-format off
    files.files[L"C:\\Wall\\a.bmp"].bytes = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,
        0, 0, 0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x90, 0x20, 0};
    // clang-format on
    registry.strings[{L"Control Panel\\Desktop", L"Wallpaper"}] = L"C:\\Wall\\a.bmp";
    MainForm& form = Create();
    host.whileMessagesRun = [&] { ChooseExit(); };
    {
        const auto handler = form.Modals.EnterHandler(); // the deferred start's handler
        form.DeferredStart();
        EXPECT_FALSE(form.ExitIfDue());
    }
    ASSERT_EQ(host.processMessages, 1) << "the wallpaper was not turned into a colour";
    EXPECT_TRUE(composition.written.empty()) << "a colour was applied after Exit";
    EXPECT_FALSE(tray.visible);
    EXPECT_TRUE(form.ExitIfDue());
    EXPECT_TRUE(timers.enabled.empty());
}

TEST_F(ShellExit, TheDoubleClickDoesNothingOnceTheProgramExits) {
    MainForm& form = Create();
    form.DeferredStart();
    Dialog about;
    const auto open = form.Modals.Register(WindowKind::About, about);
    ChooseExit();
    form.TrayDblClick();
    EXPECT_EQ(tray.foregrounds, 0);
    EXPECT_TRUE(tray.shell.empty());
}

TEST_F(ShellExit, SessionEndWritesTheSettingsAndColourFileSilentlyAndNothingElse) {
    system.SetWindows8();
    registry.dwords[kAutoColorization] = 1;
    profile.values[kIni] = {{L"RememberCustomColors", L"1"}};
    dialogs.outcome = TaskDialogOutcome{3, 0, true}; // "&Ignore" with the box ticked
    MainForm& form = Create();
    form.DeferredStart();
    ASSERT_TRUE(profile.writes.empty());
    ASSERT_EQ(files.files.count(kColours), 0u);

    form.SessionEnding();
    EXPECT_EQ(profile.values[kIni][L"Win8AutoColorizeWarn"], L"0") << "the ticked box was lost at sign-out";
    EXPECT_EQ(profile.writes.size(), 18u);
    EXPECT_EQ(files.files.count(kColours), 1u) << "the colour file was not written";
    EXPECT_EQ(form.state(), MainForm::State::Running) << "the program does not end by itself";
    EXPECT_TRUE(tray.visible);

    profile.failWrites = true;
    files.failWrites = true;
    form.SessionEnding();
    EXPECT_TRUE(host.errors.empty()) << "no dialog while the session ends";
}

TEST_F(ShellExit, SessionEndBeforeTheSettingsAreInUseOrAfterTheExitWritesNothing) {
    system.version = {2, 6, 0}; // refused start
    Create().SessionEnding();
    EXPECT_TRUE(profile.writes.empty());

    system = FakeSystemInfo{};
    MainForm& form = Create();
    form.DeferredStart();
    ChooseExit();
    ASSERT_TRUE(form.ExitIfDue());
    profile.writes.clear();
    form.SessionEnding();
    EXPECT_TRUE(profile.writes.empty()) << "written again after the exit";
}

} // namespace
} // namespace hg
