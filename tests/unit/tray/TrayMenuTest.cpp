#include "tray/TrayMenu.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

TEST(TrayMenu, ItemsInOrderWithCaptionsCommandsAndImages) {
    const TTrayMenu menu;
    struct Expected {
        const wchar_t* caption;
        std::optional<MenuCommand> command;
        MenuImage image;
    };
    const Expected expected[] = {
        {L"&Personalize", MenuCommand::StartDisplay, MenuImage::None},
        {L"-", std::nullopt, MenuImage::None},
        {L"Pick Color &From Screen", MenuCommand::FromScreen, MenuImage::None},
        {L"Select a &Color...", MenuCommand::SelColor, MenuImage::None},
        {L"-", std::nullopt, MenuImage::None},
        {L"&Enabled", MenuCommand::Enabled, MenuImage::None},
        {L"&Reset Manual Color", MenuCommand::ClearCurrentManualColor, MenuImage::None},
        {L"&Settings...", MenuCommand::Settings, MenuImage::None},
        {L"-", std::nullopt, MenuImage::None},
        {L"&Donate...", MenuCommand::Donate, MenuImage::Donate},
        {L"&About...", MenuCommand::About, MenuImage::None},
        {L"-", std::nullopt, MenuImage::None},
        {L"E&xit", MenuCommand::Close, MenuImage::Close},
    };
    ASSERT_EQ(std::size(expected), menu.items().size());
    for (std::size_t i = 0; i < menu.items().size(); ++i) {
        const auto& item = menu.items()[i];
        EXPECT_EQ(static_cast<std::size_t>(item.id), i);
        EXPECT_EQ(item.caption, expected[i].caption);
        EXPECT_EQ(item.command, expected[i].command) << i;
        EXPECT_EQ(item.image, expected[i].image) << i;
        EXPECT_EQ(item.visible, item.id != TrayItem::MnuClearCurrentManualColor) << i;
        EXPECT_TRUE(item.enabled);
    }
    EXPECT_EQ(menu.DefaultItem(), TrayItem::sep);
    EXPECT_TRUE(menu[TrayItem::MnuStartDisplay].ownerMeasured);
    EXPECT_EQ(menu.ItemOf(MenuCommand::Donate), TrayItem::MnuDonate);
}

TEST(TrayMenu, RefreshShowsTheSourceAndGreysManualColoursWhileFollowingTheActiveApplication) {
    struct Case {
        bool checked;
        std::int32_t mode;
        const wchar_t* caption;
        bool manualEnabled;
    };
    const Case cases[] = {
        {true, 0, L"Automatic Color: Wallpaper", true},
        {true, 1, L"Automatic Color: Active application icon", false},
        {true, 2, L"Automatic Color: Active application contents", false},
        {true, 7, L"Automatic Color: ", false},
        {false, 0, L"Automatic Color: Disabled (Manual)", true},
        {false, 1, L"Automatic Color: Disabled (Manual)", true},
        {false, 2, L"Automatic Color: Disabled (Manual)", true},
    };
    for (const Case& c : cases) {
        TTrayMenu menu;
        RefreshTrayMenu(menu, c.checked, c.mode);
        EXPECT_EQ(menu[TrayItem::MenuEnabled].caption, c.caption);
        EXPECT_EQ(menu[TrayItem::MenuEnabled].checked, c.checked);
        EXPECT_EQ(menu[TrayItem::MnuFromScreen].enabled, c.manualEnabled) << c.caption << c.mode;
        EXPECT_EQ(menu[TrayItem::MnuSelColor].enabled, c.manualEnabled) << c.caption << c.mode;
    }
}

TEST(TrayMenu, DoubleClickActionChoosesTheOneDefaultItem) {
    struct Case {
        std::int32_t action;
        TrayItem item;
    };
    for (const Case c : {Case{0, TrayItem::MnuStartDisplay}, Case{1, TrayItem::MnuFromScreen},
                         Case{2, TrayItem::MnuSelColor}, Case{3, TrayItem::sep}, Case{-1, TrayItem::sep}}) {
        TTrayMenu menu;
        InitDefaultMenu(menu, c.action);
        EXPECT_EQ(menu.DefaultItem(), c.item) << c.action;
        int defaults = 0;
        for (const auto& item : menu.items())
            defaults += item.isDefault;
        EXPECT_EQ(defaults, 1) << c.action;
    }
    // A later out-of-range value keeps the choice made before.
    TTrayMenu menu;
    InitDefaultMenu(menu, 2);
    InitDefaultMenu(menu, 9);
    EXPECT_EQ(menu.DefaultItem(), TrayItem::MnuSelColor);
}

TEST(TrayIcon, ImageByStyleWindowsVersionAndTheme) {
    struct Case {
        std::int32_t style;
        bool windows10, dark;
        TrayImage image;
    };
    const Case cases[] = {
        {0, false, false, TrayImage::Hueglass}, {0, true, true, TrayImage::Hueglass},
        {0, true, false, TrayImage::Hueglass},  {1, false, false, TrayImage::Win78},
        {1, false, true, TrayImage::Win78},     {1, true, false, TrayImage::Win10b},
        {1, true, true, TrayImage::Win10w},     {5, true, true, TrayImage::Win10w},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseTrayIcon(c.style, c.windows10, c.dark), c.image)
            << c.style << c.windows10 << c.dark;
}

TEST(TrayIcon, CallbackMessagesBecomeIntents) {
    EXPECT_EQ(TrayEventFromMessage(0x0203), TrayEvent::DoubleClick);
    EXPECT_EQ(TrayEventFromMessage(0x0206), TrayEvent::DoubleClick);
    EXPECT_EQ(TrayEventFromMessage(0x0209), TrayEvent::DoubleClick);
    EXPECT_EQ(TrayEventFromMessage(0x0205), TrayEvent::ContextMenu);
    EXPECT_EQ(TrayEventFromMessage(0x007B), TrayEvent::ContextMenu);
    for (std::uint32_t other : {0x0200u, 0x0201u, 0x0202u, 0x0204u, 0x0400u})
        EXPECT_EQ(TrayEventFromMessage(other), TrayEvent::None) << other;
}

TEST(TrayIcon, DoubleClickRunsTheChosenActionUnlessAWarningIsOpen) {
    EXPECT_EQ(TrayDblClick(false, 0), TrayAction::StartDisplay);
    EXPECT_EQ(TrayDblClick(false, 1), TrayAction::FromScreen);
    EXPECT_EQ(TrayDblClick(false, 2), TrayAction::SelColor);
    EXPECT_EQ(TrayDblClick(false, 3), TrayAction::None);
    for (std::int32_t action : {0, 1, 2})
        EXPECT_EQ(TrayDblClick(true, action), TrayAction::None);
}

// Widths and heights in pixels that differ between regular and bold text.
class FakeMeasure final : public IMenuTextMeasure {
public:
    std::vector<std::pair<std::wstring, bool>> asked;
    Size Measure(const std::wstring& text, bool bold) override {
        asked.emplace_back(text, bold);
        return {static_cast<int>(text.size()) * (bold ? 8 : 7), bold ? 17 : 15};
    }
};

TEST(TrayMenu, PersonalizeItemSizeFollowsItsCaptionAndBoldness) {
    TTrayMenu menu;
    FakeMeasure canvas;
    int width = 1, height = 1;
    Close1MeasureItem(menu[TrayItem::MnuStartDisplay], canvas, width, height);
    EXPECT_EQ(width, 12 * 7 + 57);
    EXPECT_EQ(height, 15 + 7);

    InitDefaultMenu(menu, 0);
    Close1MeasureItem(menu[TrayItem::MnuStartDisplay], canvas, width, height);
    EXPECT_EQ(width, 12 * 8 + 57);
    EXPECT_EQ(height, 17 + 7);
    EXPECT_EQ(canvas.asked.back(), (std::pair<std::wstring, bool>{L"AA", true}));

    width = 40;
    canvas.asked.clear();
    Close1MeasureItem(menu[TrayItem::N2], canvas, width, height);
    EXPECT_EQ(height, 6);
    EXPECT_EQ(width, 40);
    EXPECT_TRUE(canvas.asked.empty());
}

TEST(TrayIcon, TooltipNamesTheSourceWhileTheLoopRuns) {
    EXPECT_EQ(TrayTooltip(true, 0), L"Hueglass (Setting the Accent color via wallpaper)");
    EXPECT_EQ(TrayTooltip(true, 1), L"Hueglass (Setting the Accent color via active application icon)");
    EXPECT_EQ(TrayTooltip(true, 2), L"Hueglass (Setting the Accent color via active application contents)");
    EXPECT_EQ(TrayTooltip(true, 3), L"Hueglass (Setting the Accent color via )");
    EXPECT_EQ(TrayTooltip(false, 0), L"Hueglass is disabled");
}

} // namespace
} // namespace hg
