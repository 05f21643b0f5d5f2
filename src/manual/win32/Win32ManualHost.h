#pragma once
// The Windows side of colours set by hand: the colour dialog, the pointer,
// the mouse capture, the screen pixel and the preview window of a pick.
#include "manual/ManualHost.h"
#include "manual/win32/ColorPreview.h"
#include "platform/ModalWindows.h"
#include "platform/win32/Handles.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

namespace hg::win32 {

class Win32ManualHost final : public IManualColorHost {
public:
    struct Events {
        std::function<HICON()> trayIcon;       // the tray icon's current image
        std::function<void()> previewClosing;  // the user closes the preview window
        std::function<void()> captureLost;     // the pick lost the mouse without a message
    };
    explicit Win32ManualHost(Events events);
    ~Win32ManualHost() override;

    // The main window: owner of the colour dialog, holder of the capture;
    // the colour dialog is registered with its open windows.
    void Attach(HWND owner, ModalWindows& modals) {
        owner_ = owner;
        modals_ = &modals;
    }

    std::optional<ColorChoice> RunColorDialog(TColor initial, const CustomColorPalette& customColors) override;
    bool ForceForegroundWindow() override;
    void MinimizeAll() override;
    void ReplaceArrowCursor() override;
    void RestoreCursors() override;
    void SetCapture() override;
    void ReleaseCapture() override;
    std::optional<TColor> PixelUnderCursor() override;
    void ShowPreview(bool glass, bool showInstructions) override;
    bool PreviewExists() const override;
    void SetPreviewColor(TColor color) override;
    void ClosePreview() override;

private:
    static UINT_PTR CALLBACK ColorDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    Events events_;
    HWND owner_ = nullptr;
    ModalWindows* modals_ = nullptr;
    // A copy of the normal arrow, to put back should the system not reload
    // its cursors.
    UniqueHandle<HCURSOR, ::DestroyCursor> savedArrow_;
    std::unique_ptr<ColorPreview> preview_;
    // Previews that were closed: each is freed only once its window is gone
    // and none of its handlers (its close above all) is on the stack.
    std::vector<std::unique_ptr<ColorPreview>> retired_;
    void FreeFinishedPreviews();
};

} // namespace hg::win32
