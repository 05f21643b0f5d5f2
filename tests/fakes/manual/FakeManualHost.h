#pragma once
#include "manual/ManualHost.h"
#include "platform/Errors.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hg::testing {

// Records what the manual-colour logic asked of the window system, in order
// ("choose", "cursor", "restore", "capture", "release", "preview",
// "preview-colour", "close-preview", "minimize", "foreground").
class FakeManualHost final : public IManualColorHost {
public:
    std::vector<std::string> calls;
    // The colour dialog's answer; whileChoosing runs while it is "open".
    std::optional<ColorChoice> choice;
    std::function<void()> whileChoosing;
    TColor shownColor = 0;
    CustomColorPalette shownCustomColors{};
    // Called by ReleaseCapture, as the platform delivers the capture's loss.
    std::function<void()> onCaptureLost;
    bool minimizeFails = false;
    std::optional<TColor> pixel;
    bool preview = false, previewGlass = false, previewInstructions = false;
    std::optional<TColor> previewColor;
    bool captured = false, crossHair = false;

    std::optional<ColorChoice> RunColorDialog(TColor initial, const CustomColorPalette& custom) override {
        calls.push_back("choose");
        shownColor = initial;
        shownCustomColors = custom;
        if (whileChoosing)
            whileChoosing();
        return choice;
    }
    bool ForceForegroundWindow() override {
        calls.push_back("foreground");
        return true;
    }
    void MinimizeAll() override {
        calls.push_back("minimize");
        if (minimizeFails)
            throw SystemError(0x80004001); // E_NOTIMPL
    }
    void ReplaceArrowCursor() override {
        calls.push_back("cursor");
        crossHair = true;
    }
    void RestoreCursors() override {
        calls.push_back("restore");
        crossHair = false;
    }
    void SetCapture() override {
        calls.push_back("capture");
        captured = true;
    }
    void ReleaseCapture() override {
        calls.push_back("release");
        if (!captured)
            return;
        captured = false;
        if (onCaptureLost)
            onCaptureLost();
    }
    std::optional<TColor> PixelUnderCursor() override { return pixel; }
    void ShowPreview(bool glass, bool instructions) override {
        calls.push_back("preview");
        preview = true;
        previewGlass = glass;
        previewInstructions = instructions;
    }
    bool PreviewExists() const override { return preview; }
    void SetPreviewColor(TColor color) override { previewColor = color; }
    // Runs inside ClosePreview, as messages dispatched while the preview closes.
    std::function<void()> whileClosingPreview;
    void ClosePreview() override {
        calls.push_back("close-preview");
        preview = false;
        if (whileClosingPreview)
            whileClosingPreview();
    }
};

} // namespace hg::testing
