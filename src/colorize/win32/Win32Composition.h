#pragma once
// The composition port over the real platform: the colorization ordinals of
// dwmapi.dll, the accent colour ordinal of uxtheme.dll, SetSysColors and the
// WM_SYSCOLORCHANGE broadcast.
#include "colorize/Composition.h"
#include "platform/win32/EntryPoints.h"

namespace hg::win32 {

class Win32Composition final : public Composition {
public:
    explicit Win32Composition(const EntryPoints& entryPoints = GetEntryPoints());

    bool IsCompositionEnabled() override;
    bool HasColorizationParams() const override;
    bool GetColorizationParams(TDwmColorizationParams& params) override;
    void SetColorizationParams(const TDwmColorizationParams& params) override;
    void SetAccentColorPreference(TColor first, TColor second) override;
    void SetSysColor(int element, TColor value) override;
    TColor SystemColor(int index) const override;
    void BroadcastSysColorChange() override;

private:
    const EntryPoints& entryPoints_;
};

// DwmIsCompositionEnabled of dwmapi.dll, which is loaded for the test and
// released afterwards, so that the answer is always today's.
bool IsDesktopCompositionEnabled();

} // namespace hg::win32
