#include "tray/TrayMenu.h"

namespace hg {

namespace {

TrayMenuItem Item(TrayItem id, const wchar_t* caption, std::optional<MenuCommand> command,
                  MenuImage image = MenuImage::None) {
    TrayMenuItem item;
    item.id = id;
    item.caption = caption;
    item.command = command;
    item.image = image;
    return item;
}

TrayMenuItem Separator(TrayItem id) { return Item(id, L"-", std::nullopt); }

} // namespace

TTrayMenu::TTrayMenu()
    : items_{
          Item(TrayItem::MnuStartDisplay, L"&Personalize", MenuCommand::StartDisplay),
          Separator(TrayItem::N2),
          Item(TrayItem::MnuFromScreen, L"Pick Color &From Screen", MenuCommand::FromScreen),
          Item(TrayItem::MnuSelColor, L"Select a &Color...", MenuCommand::SelColor),
          Separator(TrayItem::N1),
          Item(TrayItem::MenuEnabled, L"&Enabled", MenuCommand::Enabled),
          Item(TrayItem::MnuClearCurrentManualColor, L"&Reset Manual Color", MenuCommand::ClearCurrentManualColor),
          Item(TrayItem::Settings2, L"&Settings...", MenuCommand::Settings),
          Separator(TrayItem::N3),
          Item(TrayItem::MnuDonate, L"&Donate...", MenuCommand::Donate, MenuImage::Donate),
          Item(TrayItem::About1, L"&About...", MenuCommand::About),
          Separator(TrayItem::sep),
          Item(TrayItem::Close1, L"E&xit", MenuCommand::Close, MenuImage::Close),
      } {
    (*this)[TrayItem::MnuStartDisplay].ownerMeasured = true;
    (*this)[TrayItem::MnuClearCurrentManualColor].visible = false;
    (*this)[TrayItem::sep].isDefault = true;
}

void TTrayMenu::SetDefault(TrayItem id) {
    for (auto& item : items_)
        item.isDefault = item.id == id;
}

std::optional<TrayItem> TTrayMenu::DefaultItem() const {
    for (const auto& item : items_)
        if (item.isDefault)
            return item.id;
    return std::nullopt;
}

std::optional<TrayItem> TTrayMenu::ItemOf(MenuCommand command) const {
    for (const auto& item : items_)
        if (item.command == command)
            return item.id;
    return std::nullopt;
}

void RefreshTrayMenu(TTrayMenu& menu, bool menuEnabledChecked, std::int32_t Mode) {
    std::wstring source;
    if (!menuEnabledChecked)
        source = L"Disabled (Manual)";
    else if (Mode == 0)
        source = L"Wallpaper";
    else if (Mode == 1)
        source = L"Active application icon";
    else if (Mode == 2)
        source = L"Active application contents";
    menu[TrayItem::MenuEnabled].caption = L"Automatic Color: " + source;
    menu[TrayItem::MenuEnabled].checked = menuEnabledChecked;
    // While the loop follows the active application, a manual colour would
    // be replaced at the next change of window.
    const bool manualColours = Mode == 0 || !menuEnabledChecked;
    menu[TrayItem::MnuFromScreen].enabled = manualColours;
    menu[TrayItem::MnuSelColor].enabled = manualColours;
}

void InitDefaultMenu(TTrayMenu& menu, std::int32_t DoubleClickAction) {
    switch (DoubleClickAction) {
    case 0:
        menu.SetDefault(TrayItem::MnuStartDisplay);
        break;
    case 1:
        menu.SetDefault(TrayItem::MnuFromScreen);
        break;
    case 2:
        menu.SetDefault(TrayItem::MnuSelColor);
        break;
    default:
        break;
    }
}

TrayImage ChooseTrayIcon(std::int32_t TrayIconStyle, bool AreWeOnWindows10, bool bDarkSystemTheme) {
    if (TrayIconStyle == 0)
        return TrayImage::Hueglass;
    if (!AreWeOnWindows10)
        return TrayImage::Win78;
    // A light glyph on the dark taskbar, a dark one on the light taskbar.
    return bDarkSystemTheme ? TrayImage::Win10w : TrayImage::Win10b;
}

TrayEvent TrayEventFromMessage(std::uint32_t mouseMessage) {
    constexpr std::uint32_t kContextMenu = 0x007B;    // WM_CONTEXTMENU
    constexpr std::uint32_t kLButtonDblClk = 0x0203;  // WM_LBUTTONDBLCLK
    constexpr std::uint32_t kRButtonUp = 0x0205;      // WM_RBUTTONUP
    constexpr std::uint32_t kRButtonDblClk = 0x0206;  // WM_RBUTTONDBLCLK
    constexpr std::uint32_t kMButtonDblClk = 0x0209;  // WM_MBUTTONDBLCLK
    switch (mouseMessage) {
    case kLButtonDblClk:
    case kRButtonDblClk:
    case kMButtonDblClk:
        return TrayEvent::DoubleClick;
    case kRButtonUp:
    case kContextMenu:
        return TrayEvent::ContextMenu;
    default:
        return TrayEvent::None;
    }
}

TrayAction TrayDblClick(bool bInWarning, std::int32_t DoubleClickAction) {
    if (bInWarning)
        return TrayAction::None;
    switch (DoubleClickAction) {
    case 0:
        return TrayAction::StartDisplay;
    case 1:
        return TrayAction::FromScreen;
    case 2:
        return TrayAction::SelColor;
    default:
        return TrayAction::None;
    }
}

void Close1MeasureItem(const TrayMenuItem& item, IMenuTextMeasure& canvas, int& Width, int& Height) {
    if (item.caption == L"-") {
        Height = 6;
        return;
    }
    const auto text = canvas.Measure(item.caption, item.isDefault);
    const auto line = canvas.Measure(L"AA", item.isDefault);
    Width = text.width + 57;
    Height = line.height + 7;
}

std::wstring TrayTooltip(bool menuEnabledChecked, std::int32_t Mode) {
    if (!menuEnabledChecked)
        return L"Hueglass is disabled";
    const wchar_t* source = Mode == 0   ? L"wallpaper"
                            : Mode == 1 ? L"active application icon"
                            : Mode == 2 ? L"active application contents"
                                        : L"";
    return std::wstring(L"Hueglass (Setting the Accent color via ") + source + L")";
}

} // namespace hg
