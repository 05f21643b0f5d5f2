#include "fakes/dialogs/FakeTaskDialogPlatform.h"

#include "dialogs/TaskDialog.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace hg::task_dialog {
namespace {

using testing::FakeTaskDialogPlatform;

const NativeWindow kParent = reinterpret_cast<NativeWindow>(0xF0F0);

TEST(TaskDialogText, LineBreaksCaptionsAndLists) {
    EXPECT_EQ(ExpandLineFeeds(L"a\\nb\\n\\nc\\"), L"a\nb\n\nc\\");
    EXPECT_EQ(ExpandLineFeeds(L"no breaks"), L"no breaks");

    const CaptionHint plain = SplitCaptionHint(L"Save");
    EXPECT_EQ(plain.Caption, L"Save");
    EXPECT_EQ(plain.Hint, L"");
    const CaptionHint noted = SplitCaptionHint(L"Save\\nKeeps the file\\nas it is");
    EXPECT_EQ(noted.Caption, L"Save");
    EXPECT_EQ(noted.Hint, L"Keeps the file\nas it is");

    struct Case {
        const wchar_t* list;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {L"", {}},
        {L" \r\n \t", {}},
        {L"One", {L"One"}},
        {L"One\r\nTwo\nThree\rFour", {L"One", L"Two", L"Three", L"Four"}},
        {L"\n\nOne\n\n\r\n\tTwo\n", {L"One", L"Two"}},
        {L"  One  \nTwo words\\nnote ", {L"One  ", L"Two words\\nnote"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListLines(c.list), c.lines) << ::testing::PrintToString(std::wstring(c.list));
}

TEST(TaskDialogText, AddButtonAppendsLinesWithTheirNotes) {
    TTaskDialog dialog;
    dialog.AddButton(L"Open");
    dialog.AddButton(L"Save", L"Keeps the file");
    EXPECT_EQ(dialog.Buttons, L"Open\nSave\\nKeeps the file");
}

TEST(TaskDialogExecute, WithoutButtonsShowsOneDefaultOkAndFillsTheBlanks) {
    FakeTaskDialogPlatform platform;
    TTaskDialog dialog;
    EXPECT_EQ(dialog.Execute(platform, {}, 0, {}, tiWarning), 1);
    ASSERT_EQ(platform.nativeShown.size(), 1u);
    const TaskDialogDescription& d = platform.nativeShown[0];
    EXPECT_EQ(d.CommonButtons, 1u);
    EXPECT_EQ(d.DefaultButton, 1);
    EXPECT_NE(d.Flags & tdf::AllowDialogCancellation, 0u) << "a lone OK can be cancelled";
    EXPECT_EQ(d.WindowTitle, L"Hueglass");
    EXPECT_EQ(d.MainInstruction, L"Warning");
    EXPECT_EQ(d.Parent, platform.activeWindow);
    EXPECT_EQ(dialog.Title, L"Hueglass");

    // Blank lines are no buttons: still the lone OK.
    TTaskDialog blank;
    blank.Buttons = L"\r\n \n";
    blank.Execute(platform, {}, 7);
    EXPECT_EQ(platform.nativeShown.back().CommonButtons, 1u);
    EXPECT_EQ(platform.nativeShown.back().DefaultButton, 7) << "a given default stays";
}

TEST(TaskDialogExecute, DefaultInstructionFollowsTheIcon) {
    struct Case {
        TTaskDialogIcon icon;
        const wchar_t* instruction;
        std::uint16_t nativeIcon;
    };
    const Case cases[] = {
        {tiBlank, L"", 17},
        {tiWarning, L"Warning", 84},
        {tiQuestion, L"Confirm", 99},
        {tiError, L"Error", 98},
        {tiInformation, L"Information", 81},
        {tiNotUsed, L"", 0},
        {tiShield, L"Information", 78},
    };
    for (const Case& c : cases) {
        FakeTaskDialogPlatform platform;
        TTaskDialog dialog;
        dialog.Execute(platform, {cbOK}, 0, {}, c.icon);
        EXPECT_EQ(dialog.Inst, c.instruction) << int(c.icon);
        EXPECT_EQ(platform.nativeShown.at(0).MainIcon, c.nativeIcon) << int(c.icon);
    }
}

TEST(TaskDialogExecute, NativeDialogGetsNumberedLinesTextsAndOnlyThePlatformsFlags) {
    FakeTaskDialogPlatform platform;
    TTaskDialog dialog;
    dialog.Title = L"Title";
    dialog.Inst = L"Main\\ninstruction";
    dialog.Content = L"Content";
    dialog.Buttons = L"\nFirst\\nwith a note\n\nSecond\n";
    dialog.Radios = L"Red\r\n\r\nGreen";
    dialog.Info = L"More";
    dialog.InfoExpanded = L"Less";
    dialog.InfoCollapse = L"Details";
    dialog.Footer = L"Foot";
    dialog.Verify = L"Remember";
    dialog.VerifyChecked = true;
    // The input-field flags without tdfQuery do not ask for the emulation,
    // and must not reach the platform, whose bit 16 means something else.
    dialog.Execute(platform, {cbCancel}, 101,
                   {tdfUseCommandLinks, tdfQueryMasked, tdfQueryFieldFocused, tdfUseHIconMain, tdfUseHIconFooter},
                   tiError, tfiInformation, 201, 300, kParent);
    ASSERT_EQ(platform.nativeShown.size(), 1u);
    ASSERT_TRUE(platform.emulatedShown.empty());
    const TaskDialogDescription& d = platform.nativeShown[0];
    EXPECT_EQ(d.Parent, kParent);
    EXPECT_EQ(d.Flags, tdf::UseCommandLinks | tdf::VerificationFlagChecked);
    EXPECT_EQ(d.CommonButtons, 1u << cbCancel);
    EXPECT_EQ(d.Buttons, (std::vector<TaskDialogButton>{{100, L"First\nwith a note"}, {101, L"Second"}}));
    EXPECT_EQ(d.RadioButtons, (std::vector<TaskDialogButton>{{200, L"Red"}, {201, L"Green"}}));
    EXPECT_EQ(d.DefaultButton, 101);
    EXPECT_EQ(d.DefaultRadioButton, 201);
    EXPECT_EQ(d.Width, 300);
    EXPECT_EQ(d.WindowTitle, L"Title");
    EXPECT_EQ(d.MainInstruction, L"Main\ninstruction");
    EXPECT_EQ(d.ExpandedInformation, L"More");
    EXPECT_EQ(d.ExpandedControlText, L"Less");
    EXPECT_EQ(d.CollapsedControlText, L"Details");
    EXPECT_EQ(d.Footer, L"Foot");
    EXPECT_EQ(d.FooterIcon, 65533);
    EXPECT_EQ(d.MainIcon, 98);
    EXPECT_EQ(d.VerificationText, L"Remember");

    // Unchecked verification, custom buttons: no checked flag, no added cancellation.
    TTaskDialog plain;
    plain.Buttons = L"Go";
    plain.Verify = L"Remember";
    plain.Execute(platform, {cbOK});
    EXPECT_EQ(platform.nativeShown.back().Flags, 0u);
}

TEST(TaskDialogExecute, InputOrNonNativeOrMissingNativeGoesToTheEmulation) {
    struct Case {
        const char* name;
        bool hasNative;
        bool nonNative;
        TTaskDialogFlags flags;
        const wchar_t* selection;
        bool emulated;
    };
    const Case cases[] = {
        {"plain", true, false, {}, L"", false},
        {"query", true, false, {tdfQuery}, L"", true},
        {"selection", true, false, {}, L"a\nb", true},
        {"forced", true, true, {}, L"", true},
        {"no native dialog", false, false, {}, L"", true},
    };
    for (const Case& c : cases) {
        FakeTaskDialogPlatform platform;
        platform.hasNative = c.hasNative;
        TTaskDialog dialog;
        dialog.Selection = c.selection;
        dialog.Execute(platform, {cbOK}, 0, c.flags, tiInformation, tfiWarning, 0, 0, nullptr, c.nonNative);
        EXPECT_EQ(platform.emulatedShown.size(), c.emulated ? 1u : 0u) << c.name;
        EXPECT_EQ(dialog.Dialog.Emulated, c.emulated) << c.name;
    }
}

TEST(TaskDialogExecute, ResultsAreReadBack) {
    FakeTaskDialogPlatform native;
    native.presses = {100};
    native.nativeOutcome = {0, 201, true};
    TTaskDialog dialog;
    dialog.Buttons = L"Go";
    dialog.Radios = L"a\nb";
    dialog.Verify = L"v";
    EXPECT_EQ(dialog.Execute(native), 100);
    EXPECT_EQ(dialog.RadioRes, 201);
    EXPECT_TRUE(dialog.VerifyChecked);

    FakeTaskDialogPlatform emulation;
    emulation.hasNative = false;
    emulation.presses = {3};
    emulation.emulatedOutcome.RadioRes = 200;
    emulation.emulatedOutcome.VerifyChecked = false;
    emulation.emulatedOutcome.Query = L"typed";
    emulation.emulatedOutcome.SelectionRes = -1;
    TTaskDialog query;
    query.Query = L"initial";
    query.VerifyChecked = true;
    query.SelectionRes = 5;
    EXPECT_EQ(query.Execute(emulation, {cbClose}, 0, {tdfQuery}), 3);
    EXPECT_EQ(query.RadioRes, 200);
    EXPECT_FALSE(query.VerifyChecked);
    EXPECT_EQ(query.Query, L"typed");
    EXPECT_EQ(query.SelectionRes, -1);

    // Fields the emulation did not have stay as they were.
    emulation.emulatedOutcome = {};
    TTaskDialog untouched;
    untouched.Query = L"kept";
    untouched.VerifyChecked = true;
    untouched.Execute(emulation, {cbOK}, 0, {}, tiInformation, tfiWarning, 0, 0, nullptr, true);
    EXPECT_EQ(untouched.Query, L"kept");
    EXPECT_TRUE(untouched.VerifyChecked);

    // Nothing could be shown: as if cancelled.
    emulation.emulationFails = true;
    EXPECT_EQ(TTaskDialog{}.Execute(emulation), 2);
}

TEST(TaskDialogExecute, ClickHandlerCanKeepTheDialogOpenAndChangeItsTexts) {
    for (const bool nonNative : {false, true}) {
        FakeTaskDialogPlatform platform;
        platform.presses = {100, 101};
        TTaskDialog dialog;
        dialog.Buttons = L"Check\nDone";
        std::vector<std::int32_t> seen;
        const std::int32_t result =
            dialog.Execute(platform, {}, 0, {}, tiInformation, tfiWarning, 0, 0, nullptr, nonNative, false,
                           [&](TTaskDialog& sender, std::int32_t button, bool& canClose) {
                               EXPECT_EQ(&sender, &dialog);
                               EXPECT_EQ(sender.Dialog.Wnd, platform.window.handle);
                               seen.push_back(button);
                               if (button == 100) {
                                   canClose = false;
                                   sender.SetElementText(tdeContent, L"Checked\\nall");
                               }
                           });
        EXPECT_EQ(result, 101);
        EXPECT_EQ(seen, (std::vector<std::int32_t>{100, 101}));
        EXPECT_EQ(platform.refused, std::vector<std::int32_t>{100});
        ASSERT_EQ(platform.window.texts.size(), 1u);
        EXPECT_EQ(platform.window.texts[0].second, L"Checked\nall");
        EXPECT_EQ(dialog.Dialog.Form, nullptr) << "no running dialog after Execute";
        EXPECT_EQ(dialog.Dialog.Emulated, nonNative);
        dialog.SetElementText(tdeContent, L"ignored once closed");
        EXPECT_EQ(platform.window.texts.size(), 1u);
    }
}

TEST(TaskDialogExecute, ThrowingHandlerLeavesNoRunningDialogBehind) {
    FakeTaskDialogPlatform platform;
    TTaskDialog dialog;
    EXPECT_THROW(dialog.Execute(platform, {cbOK}, 0, {}, tiInformation, tfiWarning, 0, 0, nullptr, false, false,
                                [](TTaskDialog&, std::int32_t, bool&) { throw std::runtime_error("handler"); }),
                 std::runtime_error);
    EXPECT_EQ(dialog.Dialog.Form, nullptr);
    EXPECT_EQ(dialog.Dialog.Wnd, nullptr);
}

TEST(TaskDialogEx, InitCopiesTheDefaultsAndExecutePassesTheArguments) {
    TTaskDialogEx ex;
    ex.Width = 99;
    ex.Init();
    EXPECT_EQ(ex.Width, 0);
    EXPECT_EQ(ex.DialogIcon, tiInformation);
    EXPECT_EQ(ex.FooterIcon, tfiWarning);

    FakeTaskDialogPlatform platform;
    platform.presses = {6};
    ex.Base.Inst = L"Sure?";
    ex.CommonButtons = {cbYes, cbNo};
    ex.ButtonDef = 7;
    ex.DialogIcon = tiQuestion;
    EXPECT_EQ(ex.Execute(platform, kParent), 6);
    const TaskDialogDescription& d = platform.nativeShown.at(0);
    EXPECT_EQ(d.CommonButtons, (1u << cbYes) | (1u << cbNo));
    EXPECT_EQ(d.DefaultButton, 7);
    EXPECT_EQ(d.MainIcon, 99);
    EXPECT_EQ(d.Parent, kParent);
}

TEST(TaskMessageDlg, TypeGivesTheIconAndOnlyTheKnownButtonsShow) {
    struct Case {
        std::uint8_t type;
        std::uint16_t buttons;
        std::uint16_t icon;
        std::uint32_t common;
    };
    using namespace msg_button;
    const Case cases[] = {
        {msg_type::Warning, OK, 84, 1u << cbOK},
        {msg_type::Error, Yes | No | Cancel, 98, (1u << cbYes) | (1u << cbNo) | (1u << cbCancel)},
        {msg_type::Information, Retry | Abort | Ignore, 81, 1u << cbRetry},
        {msg_type::Confirmation, Help | All | YesToAll | NoToAll | Close, 99, 1u << cbOK}, // none known: OK
        {msg_type::Custom, OK | Cancel, 0, (1u << cbOK) | (1u << cbCancel)},
        {200, OK, 0, 1u << cbOK},
    };
    for (const Case& c : cases) {
        FakeTaskDialogPlatform platform;
        TaskMessageDlg(platform, L"Dialogs have been reactivated.", c.type, c.buttons, 0, kParent);
        const TaskDialogDescription& d = platform.nativeShown.at(0);
        EXPECT_EQ(d.MainIcon, c.icon) << int(c.type);
        EXPECT_EQ(d.CommonButtons, c.common) << int(c.type);
        EXPECT_EQ(d.MainInstruction, L"Dialogs have been reactivated.");
        EXPECT_EQ(d.Content, L"");
        EXPECT_EQ(d.Parent, kParent);
        EXPECT_EQ(d.WindowTitle, L"Hueglass");
        EXPECT_NE(d.Flags & tdf::EnableHyperlinks, 0u);
        EXPECT_NE(d.Flags & tdf::AllowDialogCancellation, 0u);
    }

    FakeTaskDialogPlatform platform;
    platform.presses = {2};
    EXPECT_EQ(TaskMessageDlg(platform, L"M", msg_type::Warning, msg_button::OK | msg_button::Cancel, 0, nullptr,
                             L"Title", L"Footer"),
              2);
    const TaskDialogDescription& d = platform.nativeShown.at(0);
    EXPECT_EQ(d.WindowTitle, L"Title");
    EXPECT_EQ(d.Footer, L"Footer");
    EXPECT_EQ(d.FooterIcon, 84);
    EXPECT_EQ(d.DefaultButton, 0);
}

} // namespace
} // namespace hg::task_dialog
