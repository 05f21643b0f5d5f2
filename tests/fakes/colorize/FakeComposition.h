#pragma once
// Fakes of colour output's ports: a composition engine that keeps one record
// and logs every platform call in order, and a hand-stepped fade timer.
#include "colorize/Colorizer.h"
#include "colorize/Composition.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace hg::fakes {

class FakeComposition : public Composition {
public:
    bool compositionEnabled = true;
    bool hasGet = true;
    bool hasSet = true;
    bool getFails = false;
    // What the engine holds; distinct values so "left as read" can be seen.
    TDwmColorizationParams engine{0xC4123456, 0xC4123456, 40, 10, 20, 50, 1};
    std::map<int, TColor> sysColors;

    // Every call that changes something, in order: "sys 13=0x00123456",
    // "broadcast", "params", "accent 0x00123456,0x00123456".
    std::vector<std::string> calls;
    std::vector<TDwmColorizationParams> written;
    std::vector<std::pair<TColor, TColor>> accents;

    bool IsCompositionEnabled() override { return compositionEnabled; }
    bool HasColorizationParams() const override { return hasGet && hasSet; }
    bool GetColorizationParams(TDwmColorizationParams& params) override {
        if (!hasGet || getFails)
            return false;
        params = engine;
        return true;
    }
    void SetColorizationParams(const TDwmColorizationParams& params) override {
        engine = params;
        written.push_back(params);
        calls.push_back("params");
    }
    void SetAccentColorPreference(TColor first, TColor second) override {
        accents.emplace_back(first, second);
        calls.push_back("accent " + Hex(first) + "," + Hex(second));
    }
    void SetSysColor(int element, TColor value) override {
        sysColors[element] = value;
        calls.push_back("sys " + std::to_string(element) + "=" + Hex(value));
    }
    TColor SystemColor(int index) const override {
        const auto it = sysColors.find(index);
        return it == sysColors.end() ? 0 : it->second;
    }
    void BroadcastSysColorChange() override { calls.push_back("broadcast"); }

    // The red channel of every colour written to the engine (0x00RRGGBB).
    std::vector<unsigned> WrittenReds() const {
        std::vector<unsigned> reds;
        for (const auto& p : written)
            reds.push_back((p.Color >> 16) & 0xFF);
        return reds;
    }

    static std::string Hex(TColor value) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
        return text;
    }
};

class FakeFadeTimer : public FadeTimer {
public:
    bool enabled = false;
    int enables = 0; // every Enable call; on the platform each one restarts the interval

    void Enable() override {
        ++enables;
        enabled = true;
    }
    void Disable() override { enabled = false; }
    bool IsEnabled() const override { return enabled; }
};

} // namespace hg::fakes
