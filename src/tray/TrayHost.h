#pragma once
// Port: what the tray logic asks of the notification-area icon and the shell.
#include "tray/TrayMenu.h"

#include <optional>
#include <string>

namespace hg {

// A ShellExecuteW call: the shell opens a document, program or address.
struct ShellRequest {
    bool ownedByMainWindow = false;   // the main window as parent, otherwise none
    std::optional<std::wstring> verb; // none: the default verb
    std::wstring file;
    std::wstring parameters;
    std::wstring directory;
    int show = 5; // SW_SHOW

    bool operator==(const ShellRequest&) const = default;
};

class ITrayHost {
public:
    virtual ~ITrayHost() = default;
    // Adds the icon to the notification area; it stays until the program ends.
    virtual void ShowTrayIcon() = 0;
    virtual bool TrayIconVisible() const = 0;
    // The image of the icon, rendered for the current resolution.
    virtual void SetTrayIcon(TrayImage image) = 0;
    virtual void SetTrayTip(const std::wstring& text) = 0;
    // A balloon notification without an icon; nothing while the icon is hidden.
    virtual void ShowTrayBalloon(const std::wstring& title, const std::wstring& text) = 0;
    // The image of the menu's Personalize item: the first icon of this file.
    virtual void SetPersonalizeImage(const std::wstring& iconFile) = 0;
    // Brings the main window to the foreground.
    virtual void BringToForeground() = 0;
    virtual void ShellRun(const ShellRequest& request) = 0;
};

// For a logic object that has no tray (yet): every request is dropped.
class NullTrayHost final : public ITrayHost {
public:
    void ShowTrayIcon() override {}
    bool TrayIconVisible() const override { return false; }
    void SetTrayIcon(TrayImage) override {}
    void SetTrayTip(const std::wstring&) override {}
    void ShowTrayBalloon(const std::wstring&, const std::wstring&) override {}
    void SetPersonalizeImage(const std::wstring&) override {}
    void BringToForeground() override {}
    void ShellRun(const ShellRequest&) override {}
};

} // namespace hg
