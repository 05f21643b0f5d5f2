// The emulated task dialog's layout, measured with the fake metrics: at 96
// dpi a Tahoma -13 character is 7 pixels wide and a line 16 high; the
// instruction's -17 font gives 9 and 20; system icons are 32 pixels.
#include "fakes/dialogs/FakeTaskDialogPlatform.h"

#include "dialogs/TaskDialogLayout.h"

#include <gtest/gtest.h>

namespace hg::task_dialog {
namespace {

using hg::testing::FakeTaskDialogMetrics;

TTaskDialog Dialog(const wchar_t* inst) {
    TTaskDialog dialog;
    dialog.Title = L"Title";
    dialog.Inst = inst;
    return dialog;
}

ExecuteArguments Args(TCommonButtons buttons, TTaskDialogFlags flags = {}, TTaskDialogIcon icon = tiInformation) {
    ExecuteArguments args;
    args.CommonButtons = buttons;
    args.Flags = flags;
    args.DialogIcon = icon;
    return args;
}

EmulatedTaskDialogLayout Lay(const TTaskDialog& dialog, const ExecuteArguments& args, int dpi = 96) {
    FakeTaskDialogMetrics metrics;
    metrics.dpi = dpi;
    return LayOutEmulatedTaskDialog(dialog, args, metrics);
}

std::vector<std::wstring> TextsOf(const std::vector<const LaidOutControl*>& controls) {
    std::vector<std::wstring> texts;
    for (const LaidOutControl* c : controls)
        texts.push_back(c->Text);
    return texts;
}

TEST(TaskDialogLayout, FontIsCalibriElseTahomaElseArialAndClassicKeepsTheSystems) {
    struct Case {
        std::set<std::wstring> fonts;
        FontChoice expected;
    };
    const Case cases[] = {
        {{L"Calibri", L"Tahoma"}, {L"Calibri", -14, false}},
        {{L"Tahoma", L"Arial"}, {L"Tahoma", -13, false}},
        {{}, {L"Arial", -13, false}},
    };
    for (const Case& c : cases) {
        FakeTaskDialogMetrics metrics;
        metrics.fonts = c.fonts;
        EXPECT_EQ(EmulationFont(metrics), c.expected);
        const EmulatedTaskDialogLayout layout = LayOutEmulatedTaskDialog(Dialog(L"A"), Args({cbOK}), metrics);
        EXPECT_EQ(layout.Font, c.expected);
        const LaidOutControl& inst = *layout.Of(ControlKind::Label).at(0);
        EXPECT_EQ(inst.Font, (FontChoice{c.expected.Face, c.expected.Height - 4, false}));
        EXPECT_EQ(inst.TextColor, 0xB00000u);
    }

    ExecuteArguments classic = Args({cbOK});
    classic.EmulateClassicStyle = true;
    const EmulatedTaskDialogLayout layout = Lay(Dialog(L"A"), classic);
    EXPECT_EQ(layout.Font, (FontChoice{L"MS Shell Dlg", -11, false}));
    const LaidOutControl& inst = *layout.Of(ControlKind::Label).at(0);
    EXPECT_EQ(inst.Font, (FontChoice{L"MS Shell Dlg", -13, true}));
    EXPECT_FALSE(inst.TextColor.has_value());
}

TEST(TaskDialogLayout, WidthGrowsForLongTextsOrManyButtons) {
    const std::wstring chars42(42, L'x'); // 294 pixels: not more than 300
    const std::wstring chars43(43, L'x'); // 301 pixels
    struct Case {
        const char* name;
        std::wstring inst, content, buttons;
        std::int32_t width;
        int dpi;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"short", L"A", L"B", L"C", 0, 96, 420},
        {"instruction at the limit", chars42, L"", L"", 0, 96, 420},
        {"long instruction", chars43, L"", L"", 0, 96, 480},
        {"long content", L"A", chars43, L"", 0, 96, 480},
        {"buttons of 40 characters", L"A", L"", std::wstring(40, L'b'), 0, 96, 420},
        {"buttons of 41 characters", L"A", L"", std::wstring(41, L'b'), 0, 96, 480},
        {"given width", chars43, L"", L"", 300, 96, 300},
        {"scaled at 144 dpi", L"A", L"", L"", 0, 144, 630},
        {"given width at 144 dpi", L"A", L"", L"", 300, 144, 450},
    };
    for (const Case& c : cases) {
        TTaskDialog dialog = Dialog(c.inst.c_str());
        dialog.Content = c.content;
        dialog.Buttons = c.buttons;
        ExecuteArguments args = Args({cbOK});
        args.Width = c.width;
        EXPECT_EQ(Lay(dialog, args, c.dpi).ClientWidth, c.expected) << c.name;
    }
}

TEST(TaskDialogLayout, IconTextsAndBottomRowAtTheirPlaces) {
    TTaskDialog dialog = Dialog(L"Pick");
    const EmulatedTaskDialogLayout layout = Lay(dialog, Args({cbOK, cbCancel}));
    EXPECT_EQ(layout.Caption, L"Title");
    const LaidOutControl& icon = *layout.Of(ControlKind::MainIcon).at(0);
    EXPECT_EQ(icon.Bounds, (LayoutRect{24, 24, 32, 32}));
    EXPECT_EQ(icon.IconId, 32516);
    const auto labels = layout.Of(ControlKind::Label);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0]->Element, tdeMainInstruction);
    EXPECT_EQ(labels[0]->Bounds, (LayoutRect{80, 24, 332, 20}));
    EXPECT_EQ(labels[1]->Element, tdeContent);
    EXPECT_EQ(labels[1]->Bounds, (LayoutRect{80, 60, 332, 0}));
    EXPECT_EQ(layout.PanelHeight, 76);
    const auto buttons = layout.Of(ControlKind::Button);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0]->Text, L"OK");
    EXPECT_EQ(buttons[0]->Bounds, (LayoutRect{260, 92, 54, 28}));
    EXPECT_EQ(buttons[1]->Text, L"Cancel");
    EXPECT_EQ(buttons[1]->Bounds, (LayoutRect{326, 92, 82, 28}));
    EXPECT_EQ(layout.ClientHeight, 128);

    // Without an icon the margin doubles; the classic look has its own.
    const EmulatedTaskDialogLayout bare = Lay(dialog, Args({cbOK}, {}, tiBlank));
    EXPECT_TRUE(bare.Of(ControlKind::MainIcon).empty());
    EXPECT_EQ(bare.Of(ControlKind::Label).at(0)->Bounds, (LayoutRect{48, 48, 364, 20}));
    ExecuteArguments classic = Args({cbOK});
    classic.EmulateClassicStyle = true;
    const EmulatedTaskDialogLayout plain = Lay(dialog, classic);
    EXPECT_EQ(plain.Of(ControlKind::MainIcon).at(0)->Bounds, (LayoutRect{10, 10, 32, 32}));
    EXPECT_EQ(plain.Of(ControlKind::Label).at(0)->Bounds.Left, 52);
    EXPECT_EQ(plain.Of(ControlKind::Label).at(0)->Bounds.Top, 18);
    EXPECT_EQ(plain.Of(ControlKind::Button).at(0)->Bounds.Width, 54) << "slot 64 less 10";
    EXPECT_EQ(plain.Of(ControlKind::Button).at(0)->Bounds.Height, 22);
}

TEST(TaskDialogLayout, CommandLinksStackWithTheirNotesAsTooltips) {
    TTaskDialog dialog = Dialog(L"Go");
    dialog.Buttons = L"Open\\nthe file\n\nSave";
    ExecuteArguments args = Args({}, {tdfUseCommandLinks}, tiBlank);
    args.ButtonDef = 101;
    const EmulatedTaskDialogLayout layout = Lay(dialog, args);
    const auto links = layout.Of(ControlKind::CommandLink);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0]->Bounds, (LayoutRect{48, 108, 356, 40}));
    EXPECT_EQ(links[0]->Text, L"Open");
    EXPECT_EQ(links[0]->Hint, L"the file");
    EXPECT_EQ(links[0]->Result, 100);
    EXPECT_EQ(links[0]->Font, (FontChoice{L"Tahoma", -16, false}));
    EXPECT_TRUE(links[0]->Glyph);
    EXPECT_EQ(links[0]->GlyphMargin, 24);
    EXPECT_EQ(links[0]->GlyphSpacing, 10);
    EXPECT_FALSE(links[0]->Focused);
    EXPECT_EQ(links[1]->Bounds, (LayoutRect{48, 150, 356, 40}));
    EXPECT_EQ(links[1]->Result, 101);
    EXPECT_TRUE(links[1]->Focused);
    EXPECT_TRUE(layout.Of(ControlKind::Button).empty()) << "the links are the buttons";
    EXPECT_EQ(layout.PanelHeight, 216);
    EXPECT_EQ(layout.ClientHeight, 216);

    args.Flags.Include(tdfUseCommandLinksNoIcon);
    const EmulatedTaskDialogLayout noGlyph = Lay(dialog, args);
    EXPECT_FALSE(noGlyph.Of(ControlKind::CommandLink).at(0)->Glyph);
    // Without the flag the same lines are bottom buttons.
    args.Flags = {};
    const EmulatedTaskDialogLayout row = Lay(dialog, args);
    EXPECT_EQ(TextsOf(row.Of(ControlKind::Button)), (std::vector<std::wstring>{L"Open", L"Save"}));
}

TEST(TaskDialogLayout, RadioButtonsStartWithTheDefaultSelected) {
    struct Case {
        const char* name;
        std::int32_t radioDef;
        TTaskDialogFlags flags;
        std::vector<bool> checked;
    };
    const Case cases[] = {
        {"none given: the first", 0, {}, {true, false, false}},
        {"the first given", 200, {}, {true, false, false}},
        {"another given unchecks the first", 202, {}, {false, false, true}},
        {"unknown identifier: the first", 250, {}, {true, false, false}},
        {"none wanted", 201, {tdfNoDefaultRadioButton}, {false, false, false}},
    };
    TTaskDialog dialog = Dialog(L"Pick");
    dialog.Radios = L"Red\\nwarm\nGreen\nBlue";
    for (const Case& c : cases) {
        ExecuteArguments args = Args({cbOK}, c.flags);
        args.RadioDef = c.radioDef;
        const EmulatedTaskDialogLayout layout = Lay(dialog, args);
        const auto radios = layout.Of(ControlKind::Radio);
        ASSERT_EQ(radios.size(), 3u);
        std::vector<bool> checked;
        for (const LaidOutControl* r : radios)
            checked.push_back(r->Checked);
        EXPECT_EQ(checked, c.checked) << c.name;
    }
    const EmulatedTaskDialogLayout layout = Lay(dialog, Args({cbOK}));
    const auto radios = layout.Of(ControlKind::Radio);
    EXPECT_EQ(radios[0]->Bounds, (LayoutRect{96, 76, 308, 19}));
    EXPECT_EQ(radios[1]->Bounds, (LayoutRect{96, 95, 308, 19}));
    EXPECT_EQ(radios[0]->Text, L"Red");
    EXPECT_EQ(radios[0]->Hint, L"warm");
    EXPECT_EQ(radios[2]->Result, 202);
}

TEST(TaskDialogLayout, BottomRowReadsCommonButtonsThenCustomOnesAndMarksDefaultAndCancel) {
    TTaskDialog dialog = Dialog(L"Pick");
    dialog.Buttons = L"Later\nNever\\nnot again";
    ExecuteArguments args = Args({cbClose, cbRetry, cbCancel, cbNo, cbYes, cbOK});
    args.ButtonDef = 7;
    args.Width = 900;
    const EmulatedTaskDialogLayout layout = Lay(dialog, args);
    const auto buttons = layout.Of(ControlKind::Button);
    EXPECT_EQ(TextsOf(buttons),
              (std::vector<std::wstring>{L"OK", L"&Yes", L"&No", L"Cancel", L"&Retry", L"&Close", L"Later", L"Never"}));
    std::vector<std::int32_t> results;
    for (const LaidOutControl* b : buttons) {
        results.push_back(b->Result);
        EXPECT_EQ(b->Bounds.Top, buttons[0]->Bounds.Top) << "one row";
    }
    EXPECT_EQ(results, (std::vector<std::int32_t>{1, 6, 7, 2, 4, 3, 100, 101}));
    EXPECT_EQ(buttons.back()->Hint, L"not again");
    EXPECT_EQ(buttons.back()->Bounds.Left + buttons.back()->Bounds.Width, 900 - 12) << "right-aligned";
    EXPECT_TRUE(buttons[0]->Default);
    EXPECT_FALSE(buttons[0]->Cancel) << "OK cancels only when it is alone";
    EXPECT_TRUE(buttons[3]->Cancel);
    EXPECT_TRUE(buttons[2]->Focused);
    EXPECT_TRUE(layout.Cancellable);

    struct Case {
        const char* name;
        TCommonButtons buttons;
        TTaskDialogFlags flags;
        bool okCancels;
        bool cancellable;
    };
    const Case cases[] = {
        {"OK alone", {cbOK}, {}, true, true},
        {"Yes and No", {cbYes, cbNo}, {}, false, false},
        {"Yes and No, cancellation allowed", {cbYes, cbNo}, {tdfAllowDialogCancellation}, false, true},
    };
    for (const Case& c : cases) {
        const EmulatedTaskDialogLayout l = Lay(Dialog(L"A"), Args(c.buttons, c.flags));
        EXPECT_EQ(l.Cancellable, c.cancellable) << c.name;
        for (const LaidOutControl* b : l.Of(ControlKind::Button))
            EXPECT_EQ(b->Cancel, b->Result == 1 && c.okCancels) << c.name;
    }
}

TEST(TaskDialogLayout, ButtonThatWouldStartLeftOfHalfTheTextColumnWrapsToANewRow) {
    TTaskDialog dialog = Dialog(L"Pick");
    dialog.Buttons = L"B1\nB2\nB3\nB4\nB5\nB6"; // slots of 66 pixels
    const EmulatedTaskDialogLayout layout = Lay(dialog, Args({}));
    const auto buttons = layout.Of(ControlKind::Button);
    ASSERT_EQ(buttons.size(), 6u);
    // B1 would start at 24, left of 80 / 2: it opens a row 32 pixels lower,
    // again from the right edge.
    EXPECT_EQ(TextsOf(buttons), (std::vector<std::wstring>{L"B2", L"B3", L"B4", L"B5", L"B6", L"B1"}));
    EXPECT_EQ(buttons[0]->Bounds, (LayoutRect{90, 92, 54, 28}));
    EXPECT_EQ(buttons[4]->Bounds, (LayoutRect{354, 92, 54, 28}));
    EXPECT_EQ(buttons[5]->Bounds, (LayoutRect{354, 124, 54, 28}));
    EXPECT_EQ(layout.ClientHeight, 160);
}

TEST(TaskDialogLayout, VerificationSharesTheRowWhenItFitsLeftOfTheButtons) {
    struct Case {
        std::wstring verify;
        LayoutRect expected;
        std::int32_t height;
    };
    const Case cases[] = {
        {std::wstring(22, L'v'), {80, 92, 274, 24}, 128},  // 80 + 154 + 16 <= 354
        {std::wstring(40, L'v'), {80, 124, 340, 24}, 160}, // 80 + 280 + 16 > 354
    };
    for (const Case& c : cases) {
        TTaskDialog dialog = Dialog(L"Pick");
        dialog.Verify = c.verify;
        dialog.VerifyChecked = true;
        const EmulatedTaskDialogLayout layout = Lay(dialog, Args({cbOK}));
        const LaidOutControl& verify = *layout.Of(ControlKind::Verify).at(0);
        EXPECT_EQ(verify.Bounds, c.expected);
        EXPECT_TRUE(verify.Checked);
        EXPECT_EQ(layout.ClientHeight, c.height);
    }
    // A check box alone makes a bottom row too.
    TTaskDialog alone = Dialog(L"Pick");
    alone.Verify = L"v";
    const EmulatedTaskDialogLayout aloneLayout = Lay(alone, Args({}));
    EXPECT_EQ(aloneLayout.Of(ControlKind::Verify).at(0)->Bounds, (LayoutRect{80, 92, 340, 24}));
}

TEST(TaskDialogLayout, FooterGoesBelowALineWithItsHalfSizeIcon) {
    TTaskDialog dialog = Dialog(L"Pick");
    dialog.Footer = L"Note";
    ExecuteArguments args = Args({cbOK});
    args.FooterIcon = tfiWarning;
    const EmulatedTaskDialogLayout layout = Lay(dialog, args);
    EXPECT_EQ(layout.Of(ControlKind::Bevel).at(0)->Bounds, (LayoutRect{2, 128, 416, 2}));
    const LaidOutControl& icon = *layout.Of(ControlKind::FooterIcon).at(0);
    EXPECT_EQ(icon.Bounds, (LayoutRect{24, 144, 16, 16}));
    EXPECT_EQ(icon.IconId, 32515);
    const LaidOutControl& footer = *layout.Of(ControlKind::Label).back();
    EXPECT_EQ(footer.Element, tdeFooter);
    EXPECT_FALSE(footer.OnPanel);
    EXPECT_EQ(footer.Bounds, (LayoutRect{56, 144, 356, 16}));
    EXPECT_EQ(layout.ClientHeight, 176);

    // No icon: the text starts at 24. No bottom row: no line.
    dialog.Buttons = L"Go";
    args = Args({}, {tdfUseCommandLinks});
    args.FooterIcon = tfiBlank;
    const EmulatedTaskDialogLayout bare = Lay(dialog, args);
    EXPECT_TRUE(bare.Of(ControlKind::Bevel).empty());
    EXPECT_EQ(bare.Of(ControlKind::Label).back()->Bounds.Left, 24);
}

TEST(TaskDialogLayout, SelectionListOrQueryFieldBelowTheTexts) {
    TTaskDialog dialog = Dialog(L"Pick");
    dialog.Selection = L"One\nTwo\n\nThree";
    dialog.Query = L"Two";
    const EmulatedTaskDialogLayout list = Lay(dialog, Args({cbOK}));
    const LaidOutControl& combo = *list.Of(ControlKind::Combo).at(0);
    EXPECT_EQ(combo.Bounds, (LayoutRect{80, 76, 308, 22}));
    EXPECT_EQ(combo.Items, (std::vector<std::wstring>{L"One", L"Two", L"Three"}));
    EXPECT_EQ(combo.SelectedItem, 1);
    EXPECT_FALSE(combo.Editable);
    EXPECT_EQ(list.PanelHeight, 118);
    dialog.Query = L"Four";
    const EmulatedTaskDialogLayout editableList = Lay(dialog, Args({cbOK}, {tdfQuery}));
    const LaidOutControl& editable = *editableList.Of(ControlKind::Combo).at(0);
    EXPECT_EQ(editable.SelectedItem, -1);
    EXPECT_TRUE(editable.Editable);
    EXPECT_EQ(editable.Text, L"Four");

    dialog.Selection.clear();
    const EmulatedTaskDialogLayout query = Lay(dialog, Args({cbOK}, {tdfQuery, tdfQueryMasked, tdfQueryFieldFocused}));
    EXPECT_TRUE(query.Of(ControlKind::Combo).empty());
    const LaidOutControl& edit = *query.Of(ControlKind::Edit).at(0);
    EXPECT_EQ(edit.Bounds, (LayoutRect{80, 76, 324, 22}));
    EXPECT_EQ(edit.Text, L"Four");
    EXPECT_TRUE(edit.Masked);
    EXPECT_TRUE(edit.Focused);
    EXPECT_TRUE(Lay(dialog, Args({cbOK})).Of(ControlKind::Edit).empty()) << "no field without tdfQuery";
}

TEST(TaskDialogLayout, EverythingScalesWithTheResolution) {
    TTaskDialog dialog = Dialog(L"Pick");
    dialog.Radios = L"a";
    const EmulatedTaskDialogLayout layout = Lay(dialog, Args({cbOK}), 144);
    EXPECT_EQ(layout.Font, (FontChoice{L"Tahoma", -20, false}));
    EXPECT_EQ(layout.Of(ControlKind::MainIcon).at(0)->Bounds, (LayoutRect{36, 36, 48, 48}));
    const LaidOutControl& inst = *layout.Of(ControlKind::Label).at(0);
    EXPECT_EQ(inst.Font.Height, -26);
    EXPECT_EQ(inst.Bounds, (LayoutRect{120, 36, 498, 29}));
    const LaidOutControl& radio = *layout.Of(ControlKind::Radio).at(0);
    EXPECT_EQ(radio.Bounds, (LayoutRect{144, 113, 462, 29})) << "x + 24, height 9 + 20";
    const LaidOutControl& ok = *layout.Of(ControlKind::Button).at(0);
    EXPECT_EQ(ok.Bounds.Height, 42);
    EXPECT_EQ(ok.Bounds.Width, 20 + 78 - 18) << "slot: caption + 78, less 18";
}

} // namespace
} // namespace hg::task_dialog
