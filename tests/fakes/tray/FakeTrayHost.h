#pragma once
#include "tray/TrayHost.h"

#include <string>
#include <utility>
#include <vector>

namespace hg::testing {

// Records what the logic asked of the tray icon and the shell.
class FakeTrayHost final : public ITrayHost {
public:
    bool visible = false;
    std::vector<TrayImage> icons;
    std::wstring tip = L"Hueglass";
    std::vector<std::pair<std::wstring, std::wstring>> balloons;
    std::wstring personalizeImage;
    int foregrounds = 0;
    std::vector<ShellRequest> shell;

    void ShowTrayIcon() override { visible = true; }
    bool TrayIconVisible() const override { return visible; }
    void SetTrayIcon(TrayImage image) override { icons.push_back(image); }
    void SetTrayTip(const std::wstring& text) override { tip = text; }
    void ShowTrayBalloon(const std::wstring& title, const std::wstring& text) override {
        balloons.emplace_back(title, text);
    }
    void SetPersonalizeImage(const std::wstring& file) override { personalizeImage = file; }
    void BringToForeground() override { ++foregrounds; }
    void ShellRun(const ShellRequest& request) override { shell.push_back(request); }
};

} // namespace hg::testing
