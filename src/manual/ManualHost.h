#pragma once
// Port: what setting a colour by hand asks of the window system — the
// platform's colour dialog, the screen pick (pointer, capture, the pixel
// under the pointer, the preview window) and bringing the program forward.
#include "color/Color.h"
#include "manual/Palette.h"

#include <optional>
#include <string>

namespace hg {

class IManualColorHost {
public:
    virtual ~IManualColorHost() = default;

    struct ColorChoice {
        TColor color = 0;
        CustomColorPalette customColors{};
    };
    // Runs the colour dialog modally, fully open, starting at `initial` with
    // the given custom colours. nullopt when it was cancelled (or could not
    // be shown).
    virtual std::optional<ColorChoice> RunColorDialog(TColor initial, const CustomColorPalette& customColors) = 0;

    // Asks for the main window to become the foreground window; false when
    // the system refused. Never synthesises input.
    virtual bool ForceForegroundWindow() = 0;

    // ----- The screen pick -----
    // Minimises every window. Throws an error for the user (the platform's
    // text) when that fails.
    virtual void MinimizeAll() = 0;
    // The normal arrow becomes a cross-hair over every window, and back.
    // Failures are harmless: the pick works with any pointer.
    virtual void ReplaceArrowCursor() = 0;
    virtual void RestoreCursors() = 0;
    // The main window takes the mouse; releasing it delivers the loss of the
    // capture to the main window before ReleaseCapture returns.
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    // The colour of the screen pixel under the pointer; nullopt when it
    // cannot be read.
    virtual std::optional<TColor> PixelUnderCursor() = 0;
    // The preview window: created, placed next to the taskbar and shown
    // without taking the focus. glass: the composition colour shows through
    // it; otherwise its background is the colour set below.
    virtual void ShowPreview(bool glass, bool showInstructions) = 0;
    virtual bool PreviewExists() const = 0;
    virtual void SetPreviewColor(TColor color) = 0;
    // Closes and destroys the preview window (once its own close, if that is
    // what runs, has returned).
    virtual void ClosePreview() = 0;
};

// For a logic object without a window system: nothing can be chosen or picked.
class NullManualColorHost final : public IManualColorHost {
public:
    std::optional<ColorChoice> RunColorDialog(TColor, const CustomColorPalette&) override { return std::nullopt; }
    bool ForceForegroundWindow() override { return false; }
    void MinimizeAll() override {}
    void ReplaceArrowCursor() override {}
    void RestoreCursors() override {}
    void SetCapture() override {}
    void ReleaseCapture() override {}
    std::optional<TColor> PixelUnderCursor() override { return std::nullopt; }
    void ShowPreview(bool, bool) override {}
    bool PreviewExists() const override { return false; }
    void SetPreviewColor(TColor) override {}
    void ClosePreview() override {}
};

} // namespace hg
