#pragma once
// The main window as the options dialog sees it, recording what it is asked.
#include "options/OptionsForm.h"

#include <vector>

namespace hg::testing {

struct CompositionCall {
    TColor color;
    std::int32_t intensity;
    bool storeColor;
    std::int32_t transparent;
    std::int32_t transValue;
    friend bool operator==(const CompositionCall&, const CompositionCall&) = default;
};

class FakeOptionsOwner final : public IOptionsOwner {
public:
    TAppOptions options;
    bool menuEnabled = true;
    TColor lastAeroColor = 0x00336699;
    int monitors = 1;
    std::vector<CompositionCall> compositionCalls;
    int resetSysColors = 0;
    int initDefaultMenu = 0;
    int updateTrayIcons = 0;
    int initTimers = 0;

    TAppOptions& AppOptions() override { return options; }
    bool MenuEnabledChecked() override { return menuEnabled; }
    void SetMenuEnabledChecked(bool checked) override { menuEnabled = checked; }
    TColor LastAeroColor() override { return lastAeroColor; }
    void SetCompositionColor(TColor color, std::int32_t intensity, bool storeColor, std::int32_t transparent,
                             std::int32_t transValue) override {
        compositionCalls.push_back({color, intensity, storeColor, transparent, transValue});
    }
    void ResetSysColors() override { ++resetSysColors; }
    void InitDefaultMenu() override { ++initDefaultMenu; }
    void UpdateTrayIcons(bool) override { ++updateTrayIcons; }
    void InitTimers() override { ++initTimers; }
    int MonitorCount() override { return monitors; }
};

} // namespace hg::testing
