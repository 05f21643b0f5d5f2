#pragma once
// The options dialog "Hueglass Options" on Windows: a modal dialog with the
// tabs "Color", "Wallpaper" and "Advanced". It creates the controls at the
// dialog's design positions (given at 120 pixels per inch, scaled to the
// monitor), hands every change the user makes to the OptionsForm and shows
// the state the form decides. It decides nothing itself.
#include "options/OptionsDialog.h"
#include "platform/win32/WinSpinEdit.h"

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

namespace hg::win32 {

class TFrmOptions final : public IOptionsDialog {
public:
    // owner: the window the dialog belongs to (the main window), asked when
    // the dialog opens.
    explicit TFrmOptions(std::function<HWND()> owner);
    ~TFrmOptions() override;

    int ShowModal(OptionsForm& form) override;
    void BringForward() override;
    void CloseAsCancelled() override;

    HWND hwnd() const { return dialog_; }

private:
    enum Page { PageColor, PageWallpaper, PageAdvanced, PageCount };

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    HWND AddControl(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, int x, int y,
                    int width, int height, HFONT font);
    // A check box, radio button or label sized to its text (at least
    // minWidth wide, at the design resolution).
    HWND AddTextControl(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, int x, int y,
                        HFONT font, int minWidth = 0);
    HWND Control(OptionsControl control) const { return controls_[static_cast<std::size_t>(control)]; }
    // The right edge of a control in its parent, at the design resolution.
    int DesignRight(HWND control) const;
    void WidenToFit();
    void ShowPage(int page);
    // Shows the form's state in the controls; source, the control whose
    // notification is being handled, keeps what the user gave it.
    void Sync(HWND source = nullptr);
    // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp: the next or
    // previous page, as in every property sheet. True when msg was one.
    bool SwitchPageByKey(const MSG& msg);
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code, HWND control);
    void OnScroll(HWND control);
    void Close(int result);
    int Scale(int designPixels) const; // 120 pixels per inch to the dialog's resolution

    std::function<HWND()> owner_;
    OptionsForm* form_ = nullptr;
    HWND dialog_ = nullptr;
    HWND tabs_ = nullptr;
    std::array<HWND, PageCount> pages_{};
    std::array<HWND, static_cast<std::size_t>(OptionsControl::Count)> controls_{};
    std::unique_ptr<TWinSpinEdit> spinMon_; // one per dialog shown
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    int dpi_ = 96;
    bool syncing_ = false;      // the controls are being set from the form
    bool filled_ = false;       // the controls show the loaded settings
    bool closePending_ = false; // closed as cancelled before it was up
    bool closing_ = false;
};

} // namespace hg::win32
