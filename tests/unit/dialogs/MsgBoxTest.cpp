#include "dialogs/MsgBox.h"

#include <gtest/gtest.h>

#include <functional>

namespace hg {
namespace {

// Every field but the link handler, whose presence is compared instead.
void ExpectSameRecord(const TMsgBox& a, const TMsgBox& b) {
    EXPECT_EQ(a.FOwner, b.FOwner);
    EXPECT_EQ(a.FCaption, b.FCaption);
    EXPECT_EQ(a.FMainText, b.FMainText);
    EXPECT_EQ(a.FSecondText, b.FSecondText);
    EXPECT_EQ(a.FDetailsCaption, b.FDetailsCaption);
    EXPECT_EQ(a.FDetailsText, b.FDetailsText);
    EXPECT_EQ(a.FDetailsPosition, b.FDetailsPosition);
    EXPECT_EQ(a.FDetailsExpanded, b.FDetailsExpanded);
    EXPECT_EQ(a.FIcon, b.FIcon);
    EXPECT_EQ(a.FCustomIcon, b.FCustomIcon);
    EXPECT_EQ(a.FButtons, b.FButtons);
    EXPECT_EQ(a.FDefButton, b.FDefButton);
    EXPECT_EQ(a.FCustomButtons, b.FCustomButtons);
    EXPECT_EQ(a.FFooterText, b.FFooterText);
    EXPECT_EQ(a.FFooterIcon, b.FFooterIcon);
    EXPECT_EQ(a.FCustomFooterIcon, b.FCustomFooterIcon);
    EXPECT_EQ(a.FVerificationText, b.FVerificationText);
    EXPECT_EQ(a.FVerificationChecked, b.FVerificationChecked);
    EXPECT_EQ(a.FVerificationCheckedRes, b.FVerificationCheckedRes);
    EXPECT_EQ(a.FFlags, b.FFlags);
    EXPECT_EQ(a.FHyperlinks, b.FHyperlinks);
    EXPECT_EQ(a.FRadioButtons, b.FRadioButtons);
    EXPECT_EQ(a.FDefRadioButton, b.FDefRadioButton);
    EXPECT_EQ(static_cast<bool>(a.FLinkHandler), static_cast<bool>(b.FLinkHandler));
    EXPECT_EQ(a.FRadioOut, b.FRadioOut);
}

TEST(MsgBox, StartsWithMainInstructionCancellationAndOwnerRelativePlacement) {
    const TMsgBox box = MsgBox(L"A");
    TMsgBox expected;
    expected.FMainText = L"A";
    expected.FFlags = TTaskDialogFlags::FromMask(0x1008);
    ExpectSameRecord(box, expected);
    EXPECT_TRUE(box.FFlags.Contains(tfAllowDialogCancellation));
    EXPECT_TRUE(box.FFlags.Contains(tfPositionRelativeToWindow));
}

TEST(MsgBoxText, FillsMainInstructionThenContentThenAddsParagraphs) {
    const TMsgBox box = MsgBox(L"A").Text(L"B").Text(L"C").Text(L"D");
    EXPECT_EQ(box.FMainText, L"A");
    EXPECT_EQ(box.FSecondText, L"B\r\n\r\nC\r\n\r\nD");
}

TEST(MsgBoxText, EmptyFirstTextLeavesMainInstructionForTheNext) {
    const TMsgBox box = MsgBox(L"").Text(L"B");
    EXPECT_EQ(box.FMainText, L"B");
    EXPECT_EQ(box.FSecondText, L"");
}

TEST(MsgBoxText, FormattedTextFollowsTheSameRule) {
    const TMsgBox box = MsgBox(L"Main").TextFmt(L"%s has %d colours", {L"Sunset.jpg", 3});
    EXPECT_EQ(box.FSecondText, L"Sunset.jpg has 3 colours");
}

TEST(MsgBoxBuilder, EveryOperationLeavesItsSourceUnchanged) {
    bool checked = true;
    const std::vector<std::function<TMsgBox(const TMsgBox&)>> operations = {
        [](const TMsgBox& b) { return b.Text(L"x"); },
        [](const TMsgBox& b) { return b.TextFmt(L"%d", {1}); },
        [](const TMsgBox& b) { return b.Info(); },
        [](const TMsgBox& b) { return b.Warning(); },
        [](const TMsgBox& b) { return b.Question(); },
        [](const TMsgBox& b) { return b.Error(); },
        [](const TMsgBox& b) { return b.Shield(); },
        [](const TMsgBox& b) { return b.CustomIcon(reinterpret_cast<NativeIcon>(0x10)); },
        [](const TMsgBox& b) { return b.WindowCaption(L"x"); },
        [](const TMsgBox& b) { return b.Details(L"x", dpFooter, L"y", true); },
        [](const TMsgBox& b) { return b.Footer(L"x", tdiError, reinterpret_cast<NativeIcon>(0x10)); },
        [&](const TMsgBox& b) { return b.Verification(L"x", &checked); },
        [](const TMsgBox& b) { return b.Hypertext([](const std::wstring&) {}); },
        [](const TMsgBox& b) { return b.Close(); },
        [](const TMsgBox& b) { return b.OK(); },
        [](const TMsgBox& b) { return b.OKCancel(); },
        [](const TMsgBox& b) { return b.Cancel(); },
        [](const TMsgBox& b) { return b.YesNo(); },
        [](const TMsgBox& b) { return b.YesNoCancel(); },
        [](const TMsgBox& b) { return b.AddButton(L"x", 5, true); },
        [](const TMsgBox& b) { return b.DefButton(tcbNo); },
        [](const TMsgBox& b) { return b.AddRadioButton(L"x"); },
        [](const TMsgBox& b) {
            return b.AddRadioButtons({L"x", L"y"});
        },
        [](const TMsgBox& b) { return b.DefRadioButton(-1); },
        [](const TMsgBox& b) { return b.SetFlags({tfRtlLayout}); },
        [](const TMsgBox& b) { return b.AddFlag(tfCanBeMinimized); },
        [](const TMsgBox& b) { return b.ClearFlag(tfAllowDialogCancellation); },
    };
    const TMsgBox source = MsgBox(L"A").Text(L"B").Text(L"C");
    const TMsgBox snapshot = source;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        SCOPED_TRACE("operation " + std::to_string(i));
        (void)operations[i](source);
        ExpectSameRecord(source, snapshot);
    }
    // The edge case as a user of the builder meets it.
    const TMsgBox fresh = MsgBox(L"A");
    const TMsgBox warned = fresh.Warning();
    EXPECT_EQ(fresh.FIcon, tdiNone);
    EXPECT_EQ(warned.FIcon, tdiWarning);
}

TEST(MsgBoxIcons, EachOperationSetsItsIcon) {
    const TMsgBox box = MsgBox(L"A");
    EXPECT_EQ(box.Info().FIcon, 3);
    EXPECT_EQ(box.Warning().FIcon, 1);
    EXPECT_EQ(box.Question().FIcon, 32514);
    EXPECT_EQ(box.Error().FIcon, 2);
    EXPECT_EQ(box.Shield().FIcon, 4);
    EXPECT_EQ(box.Warning().Error().FIcon, 2);
}

TEST(MsgBoxButtons, CommonButtonOperationsReplaceTheWholeSet) {
    const TMsgBox box = MsgBox(L"A");
    EXPECT_EQ(box.OK().Cancel().FButtons, TTaskDialogCommonButtons{tcbCancel});
    EXPECT_EQ(box.YesNoCancel().OK().FButtons.Mask(), 0x01);
    EXPECT_EQ(box.OKCancel().FButtons.Mask(), 0x09);
    EXPECT_EQ(box.YesNo().FButtons.Mask(), 0x06);
    EXPECT_EQ(box.YesNoCancel().FButtons.Mask(), 0x0E);
    EXPECT_EQ(box.Close().FButtons.Mask(), 0x20);
    EXPECT_EQ(box.Cancel().FButtons.Mask(), 0x08);
}

TEST(MsgBoxButtons, OnlyYesNoRemovesCancellation) {
    const TMsgBox box = MsgBox(L"A");
    EXPECT_FALSE(box.YesNo().FFlags.Contains(tfAllowDialogCancellation));
    EXPECT_FALSE(box.YesNo().OKCancel().FFlags.Contains(tfAllowDialogCancellation)); // not given back
    EXPECT_TRUE(box.YesNoCancel().FFlags.Contains(tfAllowDialogCancellation));
    EXPECT_TRUE(box.OKCancel().FFlags.Contains(tfAllowDialogCancellation));
}

TEST(MsgBoxButtons, CustomButtonsAndRadioButtonsKeepTheirOrder) {
    const TMsgBox box = MsgBox(L"A")
                            .AddButton(L"&One", 10)
                            .AddButton(L"&Two", 11, true)
                            .AddRadioButton(L"r1")
                            .AddRadioButtons({L"r2", L"r3"})
                            .AddRadioButton(L"r4");
    const std::vector<TTaskDialogButtonRec> buttons = {{L"&One", 10, false}, {L"&Two", 11, true}};
    EXPECT_EQ(box.FCustomButtons, buttons);
    EXPECT_EQ(box.FRadioButtons, (std::vector<std::wstring>{L"r1", L"r2", L"r3", L"r4"}));
}

TEST(MsgBoxRadioButtons, MinusOneAsDefaultSelectsNoneForGood) {
    const TMsgBox none = MsgBox(L"A").AddRadioButtons({L"a", L"b"}).DefRadioButton(-1);
    EXPECT_EQ(none.FDefRadioButton, -1);
    EXPECT_TRUE(none.FFlags.Contains(tfNoDefaultRadioButton));
    const TMsgBox later = none.DefRadioButton(1);
    EXPECT_EQ(later.FDefRadioButton, 1);
    EXPECT_TRUE(later.FFlags.Contains(tfNoDefaultRadioButton));
    EXPECT_FALSE(MsgBox(L"A").DefRadioButton(1).FFlags.Contains(tfNoDefaultRadioButton));
}

TEST(MsgBoxVerification, PointerGivesInitialStateNullKeepsIt) {
    bool on = true;
    const TMsgBox withPointer = MsgBox(L"A").Verification(L"Check", &on);
    EXPECT_EQ(withPointer.FVerificationText, L"Check");
    EXPECT_TRUE(withPointer.FVerificationChecked);
    EXPECT_EQ(withPointer.FVerificationCheckedRes, &on);

    const TMsgBox withNull = withPointer.Verification(L"Other", nullptr);
    EXPECT_EQ(withNull.FVerificationText, L"Other");
    EXPECT_TRUE(withNull.FVerificationChecked); // left as it was
    EXPECT_EQ(withNull.FVerificationCheckedRes, nullptr);
}

TEST(MsgBoxFlags, SetAddAndClear) {
    const TMsgBox box = MsgBox(L"A").SetFlags({tfUseCommandLinks}).AddFlag(tfCanBeMinimized).AddFlag(tfSizeToContent);
    EXPECT_EQ(box.FFlags.Mask(), (1u << 4) | (1u << 15) | (1u << 16));
    EXPECT_EQ(box.ClearFlag(tfUseCommandLinks).ClearFlag(tfRtlLayout).FFlags.Mask(), (1u << 15) | (1u << 16));
}

TEST(MsgBoxHypertext, EnablesLinksWithOrWithoutHandler) {
    EXPECT_TRUE(MsgBox(L"A").Hypertext().FHyperlinks);
    EXPECT_FALSE(MsgBox(L"A").Hypertext().FLinkHandler);
    EXPECT_TRUE(MsgBox(L"A").Hypertext([](const std::wstring&) {}).FLinkHandler);
    EXPECT_FALSE(MsgBox(L"A").FHyperlinks);
}

// ---------------------------------------------------------------------------
// The configuration handed to the platform.

TEST(PlatformFlags, EachBuilderFlagMapsToItsPlatformFlag) {
    const std::uint32_t expected[] = {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080,   0x0100,
                                      0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000, 0x8000, 0x1000000};
    for (unsigned ordinal = 0; ordinal <= tfSizeToContent; ++ordinal) {
        const auto flag = static_cast<TTaskDialogFlag>(ordinal);
        EXPECT_EQ(PlatformFlags({flag}), expected[ordinal]) << "ordinal " << ordinal;
    }
    EXPECT_EQ(PlatformFlags(TTaskDialogFlags::FromMask(0x1FFFF)), 0x100FFFFu);
}

TEST(PlatformIconId, StandardIconsAndSystemResources) {
    const std::pair<TTaskDialogIcon, std::uint16_t> cases[] = {
        {tdiNone, 0},        {tdiWarning, 0xFFFF}, {tdiError, 0xFFFE}, {tdiInformation, 0xFFFD},
        {tdiShield, 0xFFFC}, {tdiQuestion, 32514}, {0x17F02, 0x7F02},  {-2, 0xFFFE},
    };
    for (const auto& [icon, id] : cases)
        EXPECT_EQ(PlatformIconId(icon), id) << "icon " << icon;
}

TEST(DescribeTaskDialog, PlainDialogAlwaysSizesToContent) {
    const TaskDialogDescription d = DescribeTaskDialog(MsgBox(L"Main").Text(L"Body").OK(), L"Hueglass");
    EXPECT_EQ(d.Flags, 0x1008u | tdf::SizeToContent);
    EXPECT_EQ(d.WindowTitle, L"Hueglass");
    EXPECT_EQ(d.MainInstruction, L"Main");
    EXPECT_EQ(d.Content, L"Body");
    EXPECT_EQ(d.CommonButtons, 0x01u);
    EXPECT_EQ(d.DefaultButton, 1);
    EXPECT_EQ(d.MainIcon, 0);
    EXPECT_TRUE(d.Buttons.empty());
    EXPECT_TRUE(d.RadioButtons.empty());
    EXPECT_EQ(DescribeTaskDialog(MsgBox(L"Main").WindowCaption(L"Own"), L"Hueglass").WindowTitle, L"Own");
}

TEST(DescribeTaskDialog, DefaultButtonIdentifier) {
    struct Case {
        const char* name;
        TMsgBox box;
        std::int32_t expected;
    };
    const TMsgBox base = MsgBox(L"A").YesNoCancel();
    const Case cases[] = {
        {"never set: identifier 1", base, 1},
        {"common default", base.DefButton(tcbNo), 7},
        {"common close", base.DefButton(tcbClose), 8},
        {"custom marked default wins", base.DefButton(tcbNo).AddButton(L"&Go", 42, true), 42},
        {"last marked custom wins", base.AddButton(L"&A", 40, true).AddButton(L"&B", 41, true), 41},
        {"unmarked custom leaves the common default", base.DefButton(tcbYes).AddButton(L"&A", 40), 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DescribeTaskDialog(c.box, L"").DefaultButton, c.expected) << c.name;
}

TEST(DescribeTaskDialog, CustomButtonsKeepOrderAndIdentifiers) {
    const TaskDialogDescription d =
        DescribeTaskDialog(MsgBox(L"A").AddButton(L"&Yes, go", 1).AddButton(L"Line\nNote", 2), L"");
    EXPECT_EQ(d.Buttons, (std::vector<TaskDialogButton>{{1, L"&Yes, go"}, {2, L"Line\nNote"}}));
    EXPECT_EQ(d.CommonButtons, 0u);
}

TEST(DescribeTaskDialog, RadioButtonsNumberedFromOneHundred) {
    const TMsgBox box = MsgBox(L"A").AddRadioButtons({L"a", L"b", L"c"});
    TaskDialogDescription d = DescribeTaskDialog(box, L"");
    EXPECT_EQ(d.RadioButtons, (std::vector<TaskDialogButton>{{100, L"a"}, {101, L"b"}, {102, L"c"}}));
    EXPECT_EQ(d.DefaultRadioButton, 100);
    EXPECT_FALSE(d.Flags & tdf::NoDefaultRadioButton);
    EXPECT_EQ(DescribeTaskDialog(box.DefRadioButton(2), L"").DefaultRadioButton, 102);
    d = DescribeTaskDialog(box.DefRadioButton(-1), L"");
    EXPECT_TRUE(d.Flags & tdf::NoDefaultRadioButton);
}

TEST(DescribeTaskDialog, RecordStateOverridesFlagsSetByHand) {
    // Flags that mirror a field follow the field, whatever SetFlags said.
    const TMsgBox byHand = MsgBox(L"A").SetFlags({tfExpandFooterArea, tfExpandedByDefault, tfUseHiconMain,
                                                  tfUseHiconFooter, tfVerificationFlagChecked, tfEnableHyperlinks});
    EXPECT_EQ(DescribeTaskDialog(byHand, L"").Flags, tdf::SizeToContent);

    bool on = true;
    const NativeIcon icon = reinterpret_cast<NativeIcon>(0x1234);
    const TaskDialogDescription d = DescribeTaskDialog(MsgBox(L"A")
                                                           .SetFlags({})
                                                           .Details(L"More", dpFooter, L"Details", true)
                                                           .CustomIcon(icon)
                                                           .Footer(L"Foot", tdiInformation, icon)
                                                           .Verification(L"Check", &on)
                                                           .Hypertext(),
                                                       L"");
    EXPECT_EQ(d.Flags, tdf::ExpandFooterArea | tdf::ExpandedByDefault | tdf::UseHiconMain | tdf::UseHiconFooter |
                           tdf::VerificationFlagChecked | tdf::EnableHyperlinks | tdf::SizeToContent);
    EXPECT_EQ(d.ExpandedInformation, L"More");
    EXPECT_EQ(d.ExpandedControlText, L"Details");
    EXPECT_EQ(d.CustomMainIcon, icon);
    EXPECT_EQ(d.CustomFooterIcon, icon);
    EXPECT_EQ(d.Footer, L"Foot");
    EXPECT_EQ(d.FooterIcon, 0xFFFD);
    EXPECT_EQ(d.VerificationText, L"Check");
}

} // namespace
} // namespace hg
