#pragma once
// The preview window of a screen pick, "TFrmColorPreview": a small window
// next to the taskbar, always on top, that shows the colour under the
// pointer (through the composition glass on Windows 7 and 8, as its
// background from Windows 10 on) and, until the first confirmed pick, how
// to confirm or cancel.
#include "color/Color.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Window.h"

#include <functional>

namespace hg::win32 {

class ColorPreview final : public Window {
public:
    // onUserClose runs when the window is closed by the user (its close box,
    // Alt+F4, WM_CLOSE from outside).
    explicit ColorPreview(std::function<void()> onUserClose);
    ~ColorPreview() override;

    // Creates the window owned by owner (so it has no taskbar button of its
    // own) with its own copy of icon, places it next to the taskbar and
    // shows it without taking the focus.
    bool Show(HWND owner, HICON icon, bool glass, bool showInstructions);
    void SetColor(TColor color);
    // Hides the window at once; it is destroyed from a message it posts
    // itself, never inside one of its own handlers, and never while its
    // close handler is still on the stack.
    void Close();
    bool Alive() const { return hwnd() != nullptr && !closeRequested_; }
    // The window is gone and none of its handlers runs: the object may be freed.
    bool Finished() const { return hwnd() == nullptr && closeDepth_ == 0; }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint();

    std::function<void()> onUserClose_;
    UniqueIcon icon_;
    UniqueFont font_;
    bool glass_ = false;
    bool showInstructions_ = false;
    COLORREF background_;
    int ppi_ = 120;
    int closeDepth_ = 0; // close handlers on the stack
    bool closeRequested_ = false;
};

} // namespace hg::win32
