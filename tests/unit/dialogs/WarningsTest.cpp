#include "fakes/dialogs/FakeTaskDialogHost.h"

#include "dialogs/Warnings.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

using testing::FakeTaskDialogHost;

constexpr std::uint32_t kDefaultFlags =
    tdf::AllowDialogCancellation | tdf::PositionRelativeToWindow | tdf::SizeToContent;

TaskDialogDescription Shown(TMsgBox box, FakeTaskDialogHost& host) {
    box.Execute(host, nullptr, true);
    return host.shown.back();
}

TEST(CompositionOffWarning, ConfigurationAsTheUserSeesIt) {
    FakeTaskDialogHost host;
    const TaskDialogDescription d = Shown(CompositionOffWarning(), host);
    EXPECT_EQ(d.Parent, host.desktop);
    EXPECT_EQ(d.WindowTitle, L"Hueglass");
    EXPECT_EQ(d.MainInstruction, L"Windows DWM is not enabled in your current Windows session");
    EXPECT_EQ(d.Content,
              L"It's strongly recommended that Windows DWM is turned on in order to enjoy the full experience of "
              L"Hueglass.\r\n\r\n"
              L"What is the <a href=\"https://en.wikipedia.org/wiki/Desktop_Window_Manager\">Windows Desktop "
              L"Window Manager (DWM)</a>?\r\n\r\n"
              L"To enable Windows DWM, click on \"Enable DWM\" and select a compatible Theme. If  there are no "
              L"Themes to select, then your hardware might not be compatible with DWM");
    EXPECT_EQ(d.MainIcon, 0xFFFF);
    EXPECT_EQ(d.Flags, kDefaultFlags | tdf::EnableHyperlinks);
    EXPECT_EQ(d.CommonButtons, 0u);
    EXPECT_EQ(d.Buttons, (std::vector<TaskDialogButton>{{1, L"&Enable DWM"}, {2, L"&Ignore"}, {3, L"&Cancel"}}));
    EXPECT_EQ(d.DefaultButton, composition_warning::EnableDwm);
    EXPECT_EQ(d.VerificationText, L"");
    EXPECT_EQ(d.Footer, L"");
}

TEST(CompositionOffWarning, LinkOpensInTheDefaultHandlerWithTheDesktopAsParent) {
    FakeTaskDialogHost host;
    host.linksToClick = {std::wstring(kDesktopWindowManagerArticleUrl)};
    host.outcome = TaskDialogOutcome{composition_warning::Ignore, 0, false};
    TMsgBox box = CompositionOffWarning();
    EXPECT_EQ(box.Execute(host, nullptr, true), composition_warning::Ignore);
    ASSERT_EQ(host.openedUrls.size(), 1u);
    EXPECT_EQ(host.openedUrls[0].first, L"https://en.wikipedia.org/wiki/Desktop_Window_Manager");
    EXPECT_EQ(host.openedUrls[0].second, host.desktop);
}

TEST(AutoColorizationWarning, ConfigurationAsTheUserSeesIt) {
    FakeTaskDialogHost host;
    bool dontShowAgain = true;
    const TaskDialogDescription d = Shown(AutoColorizationWarning(dontShowAgain), host);
    EXPECT_EQ(d.WindowTitle, L"Warning");
    EXPECT_EQ(d.MainInstruction, L"Windows auto colorization is switched on");
    EXPECT_EQ(d.Content,
              L"Hueglass requires that this feature of Windows to be turned off so it can function properly");
    EXPECT_EQ(d.MainIcon, 0xFFFF);
    EXPECT_EQ(d.Flags, kDefaultFlags | tdf::EnableHyperlinks); // check box starts clear
    EXPECT_EQ(d.Buttons,
              (std::vector<TaskDialogButton>{{1, L"&Open &Personalize"}, {2, L"&Turn Off"}, {3, L"&Ignore"}}));
    EXPECT_EQ(d.DefaultButton, auto_colorization_warning::OpenPersonalize);
    EXPECT_EQ(d.VerificationText, L"Do not show this warning again");
}

TEST(AutoColorizationWarning, CheckBoxStateAndCancellation) {
    struct Case {
        const char* name;
        std::optional<TaskDialogOutcome> outcome;
        TModalResult result;
        bool dontShowAgain;
    };
    const Case cases[] = {
        {"ticked, Ignore", TaskDialogOutcome{3, 0, true}, auto_colorization_warning::Ignore, true},
        {"clear, Turn Off", TaskDialogOutcome{2, 0, false}, auto_colorization_warning::TurnOff, false},
        {"Esc", TaskDialogOutcome{2, 0, false}, auto_colorization_warning::TurnOff, false},
        {"not shown", std::nullopt, auto_colorization_warning::TurnOff, false},
    };
    for (const Case& c : cases) {
        FakeTaskDialogHost host;
        host.outcome = c.outcome;
        bool dontShowAgain = true;
        EXPECT_EQ(AutoColorizationWarning(dontShowAgain).Execute(host, nullptr, true), c.result) << c.name;
        EXPECT_EQ(dontShowAgain, c.dontShowAgain) << c.name;
    }
}

TEST(ManualColorInAutoModeWarning, ConfigurationAsTheUserSeesIt) {
    FakeTaskDialogHost host;
    bool dontShowAgain = false;
    const TaskDialogDescription d = Shown(ManualColorInAutoModeWarning(dontShowAgain), host);
    EXPECT_EQ(d.WindowTitle, L"Warning");
    EXPECT_EQ(d.MainInstruction, L"The Accent color has been set manually but is set to automatic mode");
    EXPECT_EQ(d.Content, L"The Accent color has been set manually but is set to automatic");
    EXPECT_EQ(d.MainIcon, 0xFFFF);
    EXPECT_EQ(d.Flags, kDefaultFlags | tdf::UseCommandLinks);
    EXPECT_EQ(d.Buttons,
              (std::vector<TaskDialogButton>{
                  {1, L"&Keep automatic color but remember the manual set color\nAll manually set colors will be "
                      L"remembered for each wallpaper and supersede the automatic color"},
                  {2, L"&Turn off automatic settings\nThe Accent color will be always set manually"},
                  {3, L"&Continue using the automatic color\nAll manually set colors will be lost the next time "
                      L"this wallpaper is set"}}));
    EXPECT_EQ(d.DefaultButton, manual_color_warning::RememberManualColors);
    EXPECT_EQ(d.VerificationText, L"Do not show this warning again");
    EXPECT_EQ(d.Footer, L"All options can be set in the settings dialog");
    EXPECT_EQ(d.FooterIcon, 0xFFFD);

    host.outcome = TaskDialogOutcome{3, 0, true};
    EXPECT_EQ(ManualColorInAutoModeWarning(dontShowAgain).Execute(host, nullptr, true),
              manual_color_warning::ContinueAutomatic);
    EXPECT_TRUE(dontShowAgain);
}

} // namespace
} // namespace hg
