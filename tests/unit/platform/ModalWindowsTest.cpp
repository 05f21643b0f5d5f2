#include "platform/ModalWindows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hg {
namespace {

// A window that records what the shell asked of it; closing it may end its
// registration at once (a mode without a loop of its own, such as a pick).
class FakeWindow final : public IModalWindow {
public:
    FakeWindow(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void BringForward() override { log_.push_back("forward " + name_); }
    void CloseAsCancelled() override {
        log_.push_back("close " + name_);
        if (endsAtOnce)
            open.reset();
    }
    ModalWindows::Registration open;
    bool endsAtOnce = false;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class ModalWindowsTest : public ::testing::Test {
protected:
    std::vector<std::string> log;
    int nudges = 0;
    ModalWindows modals{[this] { ++nudges; }};
};

TEST_F(ModalWindowsTest, ASecondRequestBringsTheOpenWindowForwardInsteadOfOpeningAnother) {
    FakeWindow options("options", log), about("about", log);
    int shown = 0;
    const auto result = modals.Run(WindowKind::Options, options, [&] {
        ++shown;
        // The same command again, from the menu or a double click, while
        // the first one's loop runs; another kind opens on top.
        EXPECT_EQ(modals.Run(WindowKind::Options, options, [&] { return ++shown; }), std::nullopt);
        EXPECT_EQ(modals.Run(WindowKind::About, about, [&] { return 7; }), 7);
        return 1;
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(log, std::vector<std::string>{"forward options"});
    EXPECT_FALSE(modals.AnyOpen());
    EXPECT_FALSE(modals.BringForward(WindowKind::Options)) << "a closed window must not be brought forward";
}

TEST_F(ModalWindowsTest, ExitClosesTheOpenWindowsInnermostFirstAndRunsOnlyOnceAllHaveUnwound) {
    FakeWindow outer("options", log), inner("message", log);
    bool resumed = false;
    std::optional<int> outerResult = 0;
    {
        const auto handler = modals.EnterHandler(); // the menu command's handler
        outerResult = modals.Run(WindowKind::Options, outer, [&] {
            const auto innerResult = modals.Run(WindowKind::Message, inner, [&] {
                // "E&xit" chosen from the tray while both loops run.
                const auto exitHandler = modals.EnterHandler();
                modals.RequestExit();
                EXPECT_FALSE(modals.ExitDue()) << "the exit ran underneath running loops";
                return 1; // the loop ends with a result that nobody may act on
            });
            EXPECT_EQ(innerResult, std::nullopt);
            EXPECT_FALSE(modals.ExitDue());
            return 1;
        });
        if (outerResult)
            resumed = true;
        EXPECT_FALSE(modals.ExitDue()) << "the command's handler still runs";
    }
    EXPECT_FALSE(resumed) << "a command resumed after the exit closed its window";
    EXPECT_EQ(log, (std::vector<std::string>{"close message", "close options"}));
    EXPECT_EQ(nudges, 1) << "the main window must be reminded once the last window has gone";
    EXPECT_TRUE(modals.ExitDue());
    EXPECT_FALSE(modals.ExitDue()) << "the exit path runs once";
}

TEST_F(ModalWindowsTest, ExitWithNothingOpenIsDueWhenTheHandlerReturnsAndOpensNothingAfterwards) {
    {
        const auto handler = modals.EnterHandler();
        modals.RequestExit();
        EXPECT_FALSE(modals.ExitDue());
    }
    FakeWindow about("about", log);
    EXPECT_EQ(modals.Run(WindowKind::About, about, [] { return 1; }), std::nullopt);
    EXPECT_FALSE(modals.AnyOpen());
    EXPECT_EQ(nudges, 0);
    EXPECT_TRUE(modals.ExitDue());
}

TEST_F(ModalWindowsTest, AWindowThatLeavesWhileClosingAndAMessageOfTheExitPathAreHandled) {
    FakeWindow pick("pick", log), warning("warning", log);
    pick.endsAtOnce = true;
    pick.open = modals.Register(WindowKind::ScreenPick, pick);
    warning.open = modals.Register(WindowKind::Warning, warning);
    warning.endsAtOnce = true;
    modals.RequestExit();
    EXPECT_EQ(log, (std::vector<std::string>{"close warning", "close pick"}));
    EXPECT_FALSE(modals.AnyOpen());
    ASSERT_TRUE(modals.ExitDue());

    // The exit path may still show its own message ("Unable to write ...").
    FakeWindow message("message", log);
    {
        const auto open = modals.Register(WindowKind::Message, message);
        EXPECT_TRUE(modals.IsOpen(WindowKind::Message));
    }
    EXPECT_EQ(nudges, 1) << "no reminder after the exit has run";
}

TEST_F(ModalWindowsTest, ExitChosenAgainAsksTheWindowsAgain) {
    FakeWindow stubborn("dialog", log);
    const auto open = modals.Register(WindowKind::ColorDialog, stubborn);
    modals.RequestExit();
    modals.RequestExit();
    EXPECT_EQ(log, (std::vector<std::string>{"close dialog", "close dialog"}));
    EXPECT_FALSE(modals.ExitDue());
}

} // namespace
} // namespace hg
