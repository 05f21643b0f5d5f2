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

} // namespace hg::win32
