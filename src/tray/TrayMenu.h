#pragma once
// The tray icon's popup menu as data: items, captions, images and states.
// The Windows side builds the real menu from it each time it opens, so the
// model is the only place these states live.
#include "tray/Commands.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace hg {

// The menu's items, top to bottom.
enum class TrayItem : std::uint8_t {
    MnuStartDisplay,            // "&Personalize"
    N2,                         // separator
    MnuFromScreen,              // "Pick Color &From Screen"
    MnuSelColor,                // "Select a &Color..."
    N1,                         // separator
    MenuEnabled,                // "Automatic Color: ..."; its check mark is the loop's on/off state
    MnuClearCurrentManualColor, // "&Reset Manual Color"
    Settings2,                  // "&Settings..."
    N3,                         // separator
    MnuDonate,                  // "&Donate..."
    About1,                     // "&About..."
    sep,                        // separator, the default item unless the settings choose another
    Close1,                     // "E&xit"
};
inline constexpr std::size_t TrayItemCount = 13;

// Entries of the menu's image list.
enum class MenuImage : std::int8_t { None = -1, Close = 0, Donate = 1, DisplayIco = 2 };

// Entries of the tray icon's image list.
enum class TrayImage : std::uint8_t { Hueglass = 0, Win78 = 1, Win10b = 2, Win10w = 3 };

struct TrayMenuItem {
    TrayItem id{};
    std::wstring caption;             // "-" for a separator
    std::optional<MenuCommand> command; // none for separators
    MenuImage image = MenuImage::None;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    bool isDefault = false; // drawn bold; run by a double click
    std::wstring hint;
    bool ownerMeasured = false; // its size comes from Close1MeasureItem

    bool separator() const { return caption == L"-"; }
};

class TTrayMenu {
public:
    // The items as the form describes them: "&Enabled" until the first
    // refresh, the reset item hidden, the separator above "E&xit" the default.
    TTrayMenu();

    TrayMenuItem& operator[](TrayItem id) { return items_[static_cast<std::size_t>(id)]; }
    const TrayMenuItem& operator[](TrayItem id) const { return items_[static_cast<std::size_t>(id)]; }
    const std::array<TrayMenuItem, TrayItemCount>& items() const { return items_; }

    // Makes one item the default and clears the mark on all others.
    void SetDefault(TrayItem id);
    std::optional<TrayItem> DefaultItem() const;
    // The item that sends this command.
    std::optional<TrayItem> ItemOf(MenuCommand command) const;

private:
    std::array<TrayMenuItem, TrayItemCount> items_;
};

// Caption of the automatic-colour item and the enabled state of the two
// manual-colour items, from the loop's state and source (Mode).
void RefreshTrayMenu(TTrayMenu& menu, bool menuEnabledChecked, std::int32_t Mode);

// The double click's item: 0 Personalize, 1 pick from screen, 2 colour
// dialog; any other value leaves the default mark where it is.
void InitDefaultMenu(TTrayMenu& menu, std::int32_t DoubleClickAction);

// The tray icon: the application's own image for style 0, otherwise the
// image native to the Windows version and theme.
TrayImage ChooseTrayIcon(std::int32_t TrayIconStyle, bool AreWeOnWindows10, bool bDarkSystemTheme);

// What the shell's notification-icon callback asks for.
enum class TrayEvent { None, DoubleClick, ContextMenu };
// The callback's mouse message (the low word of its lParam).
TrayEvent TrayEventFromMessage(std::uint32_t mouseMessage);

// What a double click on the icon does: the program always comes to the
// foreground; the action runs unless a warning is open.
enum class TrayAction { None, StartDisplay, FromScreen, SelColor };
TrayAction TrayDblClick(bool bInWarning, std::int32_t DoubleClickAction);

// Text measurement of the menu's font, as the menu would draw the caption.
class IMenuTextMeasure {
public:
    virtual ~IMenuTextMeasure() = default;
    struct Size {
        int width = 0;
        int height = 0;
    };
    // The text in the menu font (bold when asked) without counting the "&"
    // prefix markers and with tabs expanded.
    virtual Size Measure(const std::wstring& text, bool bold) = 0;
};

// Size of the Personalize item: the caption's width plus room for the image
// and the margins, and the height of a line of text plus a margin. Width and
// Height come in as the menu's own proposal.
void Close1MeasureItem(const TrayMenuItem& item, IMenuTextMeasure& canvas, int& Width, int& Height);

// The tray icon's tooltip: the loop's source while it runs.
std::wstring TrayTooltip(bool menuEnabledChecked, std::int32_t Mode);

} // namespace hg
