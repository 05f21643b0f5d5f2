#pragma once
// Layout of the emulated task dialog: where every control goes, with which
// font and text. Decided here, portably, from measurements the platform
// supplies; the Windows side only creates what the layout lists.
//
// The layout's lengths are given for 96 pixels per inch and scaled to the
// screen's resolution; fonts are given by their height in pixels (negative:
// the character height without internal leading), scaled alike.
#include "dialogs/TaskDialog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hg::task_dialog {

struct FontChoice {
    std::wstring Face;
    std::int32_t Height = 0;
    bool Bold = false;

    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

struct LayoutRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

enum class ControlKind : std::uint8_t {
    MainIcon,    // system icon at its natural size
    Label,       // word-wrapped text
    CommandLink, // a push button with the arrow glyph, caption and tooltip
    Radio,
    Combo,
    Edit,
    Button,     // bottom row
    Verify,     // verification check box
    Bevel,      // the line above the footer
    FooterIcon, // system icon at half size
};

struct LaidOutControl {
    ControlKind Kind = ControlKind::Label;
    LayoutRect Bounds;
    std::wstring Text;
    std::wstring Hint; // tooltip
    FontChoice Font;
    std::optional<std::uint32_t> TextColor;  // 0x00BBGGRR; none: the system's
    bool OnPanel = false;                    // on the white top panel
    TTaskDialogElement Element = tdeContent; // labels: which text
    std::int32_t Result = 0;                 // buttons and links: the result; radio buttons: their identifier
    std::uint16_t IconId = 0;                // icons: the system icon
    bool Checked = false;                    // radio buttons and the check box
    bool Default = false;                    // the button that Enter presses
    bool Cancel = false;                     // the button that Esc presses
    bool Focused = false;                    // has the keyboard focus at the start
    bool Glyph = false;                      // command links: show the arrow
    std::int32_t GlyphMargin = 0;
    std::int32_t GlyphSpacing = 0;
    std::vector<std::wstring> Items; // combo box
    std::int32_t SelectedItem = -1;
    bool Editable = false; // combo box
    bool Masked = false;   // edit field: shows "*" per character
};

struct EmulatedTaskDialogLayout {
    NativeWindow Owner = nullptr;
    std::wstring Caption;
    std::int32_t Dpi = 96;
    std::int32_t ClientWidth = 0;
    std::int32_t ClientHeight = 0;
    std::int32_t PanelHeight = 0; // the white top panel (not classic)
    bool Classic = false;
    FontChoice Font; // the form's font
    // Closing without a cancel button (Esc, Alt+F4, the close box) is allowed
    // and gives 2.
    bool Cancellable = false;
    std::vector<LaidOutControl> Controls;

    // The controls of one kind, in layout order.
    std::vector<const LaidOutControl*> Of(ControlKind kind) const;
};

struct IconSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// Port: measurements at the screen's resolution.
class ITaskDialogMetrics {
public:
    virtual ~ITaskDialogMetrics() = default;
    virtual std::int32_t Dpi() = 0;
    virtual bool HasFont(std::wstring_view face) = 0;
    // The system's dialog font, which the classic look keeps.
    virtual FontChoice ClassicFont() = 0;
    // Width of the text on one line.
    virtual std::int32_t TextWidth(const FontChoice& font, std::wstring_view text) = 0;
    // Height of the text word-wrapped to `width`; 0 for an empty text.
    virtual std::int32_t TextHeight(const FontChoice& font, std::wstring_view text, std::int32_t width) = 0;
    virtual IconSize SystemIconSize(std::uint16_t iconId) = 0;
};

// The emulated dialog for `dialog` (Title and Inst already resolved).
EmulatedTaskDialogLayout LayOutEmulatedTaskDialog(const TTaskDialog& dialog, const ExecuteArguments& args,
                                                  ITaskDialogMetrics& metrics);

// The emulation's font: Calibri when the system has it, else Tahoma, else
// Arial, at the given resolution.
FontChoice EmulationFont(ITaskDialogMetrics& metrics);

} // namespace hg::task_dialog
