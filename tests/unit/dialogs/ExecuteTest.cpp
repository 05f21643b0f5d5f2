#include "fakes/dialogs/FakeTaskDialogHost.h"

#include "dialogs/MsgBox.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

using testing::FakeTaskDialogHost;

const NativeWindow kForm = reinterpret_cast<NativeWindow>(0xF0F0);

TEST(MsgBoxExecute, OwnerIsTheFormElseTheDesktopElseNone) {
    FakeTaskDialogHost host;
    TMsgBox box = MsgBox(L"A");
    box.Execute(host, kForm, true);
    EXPECT_EQ(box.FOwner, kForm);
    box.Execute(host, nullptr, true);
    EXPECT_EQ(box.FOwner, host.desktop);
    box.Execute(host, nullptr, false);
    EXPECT_EQ(box.FOwner, nullptr);
    ASSERT_EQ(host.shown.size(), 3u);
    EXPECT_EQ(host.shown[0].Parent, kForm);
    EXPECT_EQ(host.shown[1].Parent, host.desktop);
    EXPECT_EQ(host.shown[2].Parent, nullptr);
}

TEST(MsgBoxExecute, ReturnsTheClosingButtonsIdentifier) {
    FakeTaskDialogHost host;
    for (const TModalResult button : {1, 2, 6, 7, 42}) {
        host.outcome = TaskDialogOutcome{button, 0, false};
        EXPECT_EQ(MsgBox(L"A").AddButton(L"&Go", 42).YesNo().Execute(host, nullptr, true), button);
    }
}

TEST(MsgBoxExecute, ChainTemporaryIsExecutedInOneExpression) {
    FakeTaskDialogHost host;
    host.outcome = TaskDialogOutcome{7, 0, false};
    EXPECT_EQ(MsgBox(L"Delete?").Question().YesNo().Execute(host, nullptr, true), mrNo);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].MainIcon, 32514);
    EXPECT_EQ(host.shown[0].Flags & tdf::AllowDialogCancellation, 0u);
}

TEST(MsgBoxExecute, RadioOutIsThePositionOfTheSelectedButton) {
    struct Case {
        const char* name;
        std::int32_t radioCount;
        std::int32_t reportedId;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"first", 3, 100, 0},           {"last", 3, 102, 2},
        {"none selected", 3, 0, -1},    {"unknown identifier", 3, 103, -1},
        {"no radio buttons", 0, 0, -1}, {"no radio buttons, stray id", 0, 100, -1},
    };
    for (const Case& c : cases) {
        FakeTaskDialogHost host;
        host.outcome = TaskDialogOutcome{1, c.reportedId, false};
        TMsgBox box = MsgBox(L"A");
        for (std::int32_t i = 0; i < c.radioCount; ++i)
            box = box.AddRadioButton(L"r" + std::to_wstring(i));
        std::int32_t radio = 12345;
        EXPECT_EQ(box.Execute(radio, host, nullptr), 1) << c.name;
        EXPECT_EQ(radio, c.expected) << c.name;
        EXPECT_EQ(box.FRadioOut, c.expected) << c.name;
    }
}

TEST(MsgBoxExecute, SecondFormHasNoDesktopOwner) {
    FakeTaskDialogHost host;
    std::int32_t radio = 0;
    TMsgBox box = MsgBox(L"A");
    box.Execute(radio, host, nullptr);
    EXPECT_EQ(box.FOwner, nullptr);
    box.Execute(radio, host, kForm);
    EXPECT_EQ(box.FOwner, kForm);
}

TEST(MsgBoxExecute, VerificationStateIsReadBack) {
    FakeTaskDialogHost host;
    bool checked = false;
    host.outcome = TaskDialogOutcome{1, 0, true};
    MsgBox(L"A").Verification(L"Don't ask", &checked).Execute(host, nullptr, true);
    EXPECT_TRUE(checked);
    EXPECT_EQ(host.shown.back().Flags & tdf::VerificationFlagChecked, 0u); // started clear

    host.outcome = TaskDialogOutcome{1, 0, false};
    MsgBox(L"A").Verification(L"Don't ask", &checked).Execute(host, nullptr, true);
    EXPECT_FALSE(checked);
    EXPECT_NE(host.shown.back().Flags & tdf::VerificationFlagChecked, 0u); // started ticked
}

TEST(MsgBoxExecute, VerificationWithoutPointerShowsTheBoxButReportsNothing) {
    FakeTaskDialogHost host;
    host.outcome = TaskDialogOutcome{1, 0, true};
    bool untouched = false;
    TMsgBox box = MsgBox(L"A").Verification(L"Don't ask", &untouched).Verification(L"Don't ask", nullptr);
    EXPECT_EQ(box.Execute(host, nullptr, true), 1);
    EXPECT_EQ(host.shown.back().VerificationText, L"Don't ask");
    EXPECT_FALSE(untouched);
}

TEST(MsgBoxExecute, DialogThatCannotBeShownReportsCancelNoRadioAndInitialCheckState) {
    FakeTaskDialogHost host;
    host.outcome = std::nullopt;
    bool checked = true;
    TMsgBox box = MsgBox(L"A").OK().AddRadioButtons({L"a", L"b"}).Verification(L"Check", &checked);
    checked = false; // the initial state was taken when the chain was built
    std::int32_t radio = 5;
    EXPECT_EQ(box.Execute(radio, host, nullptr), mrCancel);
    EXPECT_EQ(radio, -1);
    EXPECT_TRUE(checked);
}

TEST(MsgBoxTryExecute, TellsAFailureFromACancellation) {
    FakeTaskDialogHost host;
    bool checked = true;
    host.outcome = std::nullopt;
    EXPECT_EQ(MsgBox(L"A").Verification(L"Check", &checked).TryExecute(host, nullptr, true), std::nullopt);
    EXPECT_TRUE(checked);
    host.outcome = TaskDialogOutcome{mrCancel, 0, false};
    EXPECT_EQ(MsgBox(L"A").Verification(L"Check", &checked).TryExecute(host, nullptr, true), mrCancel);
    EXPECT_FALSE(checked);
}

TEST(MsgBoxExecute, LinksGoToTheHandlerAndTheDialogCarriesOn) {
    FakeTaskDialogHost host;
    host.linksToClick = {L"https://example.org/a", L"https://example.org/b"};
    host.outcome = TaskDialogOutcome{2, 0, false};
    std::vector<std::wstring> clicked;
    TMsgBox box = MsgBox(L"A").Text(L"<a href=\"https://example.org/a\">a</a>").Hypertext([&](const std::wstring& url) {
        clicked.push_back(url);
    });
    EXPECT_EQ(box.Execute(host, nullptr, true), 2);
    EXPECT_EQ(clicked, host.linksToClick);
    EXPECT_TRUE(host.openedUrls.empty());
}

TEST(MsgBoxExecute, LinksWithoutHandlerOpenThroughTheShellWithTheOwner) {
    FakeTaskDialogHost host;
    host.linksToClick = {L"https://example.org/a"};
    TMsgBox box = MsgBox(L"A").Hypertext();
    box.Execute(host, kForm, true);
    ASSERT_EQ(host.openedUrls.size(), 1u);
    EXPECT_EQ(host.openedUrls[0].first, L"https://example.org/a");
    EXPECT_EQ(host.openedUrls[0].second, kForm);

    host.openedUrls.clear();
    box.Execute(host, nullptr, true);
    ASSERT_EQ(host.openedUrls.size(), 1u);
    EXPECT_EQ(host.openedUrls[0].second, host.desktop);
}

TEST(MsgBoxExecute, LinksStayInactiveWithoutHypertext) {
    FakeTaskDialogHost host;
    host.linksToClick = {L"https://example.org/a"};
    MsgBox(L"A").Text(L"<a href=\"https://example.org/a\">a</a>").Execute(host, nullptr, true);
    EXPECT_EQ(host.shown.back().Flags & tdf::EnableHyperlinks, 0u);
    EXPECT_TRUE(host.openedUrls.empty());
}

} // namespace
} // namespace hg
