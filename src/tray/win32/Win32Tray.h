#pragma once
// The notification-area icon and its popup menu on Windows. The main window
// forwards its messages here; shell callbacks become intents for the logic,
// and the popup menu is built afresh from the menu model each time it opens.
#include "platform/ModalWindows.h"
#include "platform/win32/Handles.h"
#include "tray/TrayHost.h"
#include "tray/TrayMenu.h"

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace hg::win32 {

class Win32Tray final : public ITrayHost {
public:
    struct Events {
        std::function<void()> doubleClick;          // a double click with any button
        std::function<const TTrayMenu&()> menu;     // the menu model to show
    };

    // callbackMessage: the private message the shell sends for the icon.
    Win32Tray(UINT callbackMessage, Events events);
    ~Win32Tray() override;
    Win32Tray(const Win32Tray&) = delete;
    Win32Tray& operator=(const Win32Tray&) = delete;

    // The window that owns the icon and receives its messages.
    void Attach(HWND owner) { owner_ = owner; }
    // The program's open windows: the popup menu counts as one while it is
    // open, so that "E&xit" arriving meanwhile closes it.
    void AttachModals(ModalWindows& modals) { modals_ = &modals; }
    // Handles the icon's callback, the shell's "TaskbarCreated" and the
    // popup menu's measuring and drawing. False for other messages.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Takes the icon out of the notification area (at the end of the program).
    void Remove();
    // Renders the icon afresh for the current resolution.
    void RefreshIcon();
    // The icon's current image (owned by the tray; copy it to keep it).
    HICON CurrentIcon() const { return icon_.get(); }

    // ITrayHost
    void ShowTrayIcon() override;
    bool TrayIconVisible() const override { return visible_; }
    void SetTrayIcon(TrayImage image) override;
    void SetTrayTip(const std::wstring& text) override;
    void ShowTrayBalloon(const std::wstring& title, const std::wstring& text) override;
    void SetPersonalizeImage(const std::wstring& iconFile) override;
    void BringToForeground() override;
    void ShellRun(const ShellRequest& request) override;

private:
    NOTIFYICONDATAW IconData(UINT flags) const;
    bool Add();
    void ShowMenu();
    void MeasureItem(MEASUREITEMSTRUCT& item);
    void DrawItem(const DRAWITEMSTRUCT& item);
    UniqueFont MenuFont(bool bold) const;

    UINT callbackMessage_;
    UINT taskbarCreated_;
    Events events_;
    HWND owner_ = nullptr;
    ModalWindows* modals_ = nullptr;
    bool visible_ = false;
    bool added_ = false;
    TrayImage image_ = TrayImage::Hueglass;
    std::wstring tip_ = L"Hueglass";
    UniqueIcon icon_;
    std::wstring personalizeFile_;

    // What the open popup menu shows; kept until the next one opens.
    UINT menuDpi_ = 96;
    const TrayMenuItem* measured_ = nullptr;
    UniqueIcon personalizeIcon_;
    std::vector<UniqueBitmap> menuBitmaps_;
};

} // namespace hg::win32
