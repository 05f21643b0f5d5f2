#include "colorize/Colorizer.h"

#include <utility>

namespace hg {

namespace {

struct SysColorValue {
    int element;
    TColor value;
};

// The light scheme's colours of the elements that sit around a colorized
// highlight, so that they stay readable next to it.
constexpr SysColorValue OtherSysColors[] = {
    {SysColor::BtnFace, 0xF0F0F0},         {SysColor::Menu, 0xF0F0F0},
    {SysColor::MenuBar, 0xF0F0F0},         {SysColor::ScrollBar, 0xF0F0F0},
    {SysColor::BtnShadow, 0xA0A0A0},       {SysColor::DkShadow3D, 0x696969},
    {SysColor::Light3D, 0xE3E3E3},         {SysColor::AppWorkspace, 0xABABAB},
    {SysColor::Window, 0xFFFFFF},          {SysColor::BtnHighlight, 0xFFFFFF},
    {SysColor::HighlightText, 0xFFFFFF},   {SysColor::InfoBk, 0xE1FFFF},
    {SysColor::ActiveBorder, 0xB4B4B4},    {SysColor::InactiveBorder, 0xFCF7F4},
    {SysColor::InactiveCaption, 0xDBCDBF}, {SysColor::GradientInactiveCaption, 0xF2E4D7},
};

// The standard colours of the elements that follow the accent colour.
constexpr SysColorValue StandardAccentSysColors[] = {
    {SysColor::Background, 0x000000},    {SysColor::Highlight, 0xFF9933},
    {SysColor::ActiveCaption, 0xD1B499}, {SysColor::GradientActiveCaption, 0xEAD1B9},
    {SysColor::HotLight, 0xCC6600},      {SysColor::MenuHilight, 0xFF9933},
};

// The elements that take the accent colour itself, in the order they are set.
constexpr int AccentSysColors[] = {
    SysColor::Highlight,
    SysColor::ActiveCaption,
    SysColor::GradientActiveCaption,
    SysColor::MenuHilight,
};

} // namespace

Colorizer::Colorizer(Composition& composition, FadeTimer& timerAnime, OptionsSource options)
    : composition_(composition), timerAnime_(timerAnime), options_(std::move(options)) {}

void Colorizer::SetCompositionColor(TColor AColor, std::int32_t nIntensity, bool bStoreClastColor,
                                    std::int32_t nTransparent, std::int32_t nTransValue) {
    if (!composition_.IsCompositionEnabled() || !composition_.HasColorizationParams())
        return;

    // The engine's record is read first so that what this call does not set
    // (transparency, reflection, balance) is written back unchanged. When it
    // cannot be read, writing a record of zeros would wipe those settings, so
    // nothing is written at all, and the colour on screen, as the program
    // knows it, stays the one it was.
    TDwmColorizationParams params{};
    if (!composition_.GetColorizationParams(params))
        return;

    if (bStoreClastColor && options_().ColorizeSysColors) {
        // A TColor is already the platform's COLORREF: passed on as it came.
        for (int element : AccentSysColors)
            composition_.SetSysColor(element, AColor);
        FixOtherSysColors();
        composition_.BroadcastSysColorChange();
    }

    if (bStoreClastColor)
        LastAeroColor = AColor;

    params.Afterglow = static_cast<std::uint32_t>(nIntensity);
    params.ColorBalance = static_cast<std::uint32_t>(nIntensity);
    if (nTransparent >= 0) {
        params.OpaqueBlend = nTransparent == 0 ? 0xFFFFFFFFu : 0u;
        if (nTransValue >= 0)
            params.BlurBalance = static_cast<std::uint32_t>(nTransValue);
    }
    params.Color = ColorToArgb(AColor, 0); // 0x00RRGGBB; a top byte is dropped
    composition_.SetColorizationParams(params);

    // A trial colour (not stored) leaves the preference at the colour shown.
    composition_.SetAccentColorPreference(LastAeroColor, LastAeroColor);
}

TColor Colorizer::ReadCompositionColor() {
    if (!composition_.IsCompositionEnabled() || !composition_.HasColorizationParams())
        return DefaultAccentColor;
    TDwmColorizationParams params{};
    if (!composition_.GetColorizationParams(params))
        return DefaultAccentColor;
    return ArgbToColor(params.Color);
}

void Colorizer::FixOtherSysColors() {
    for (const auto& [element, value] : OtherSysColors)
        composition_.SetSysColor(element, value);
}

void Colorizer::ResetSysColors() {
    for (const auto& [element, value] : StandardAccentSysColors)
        composition_.SetSysColor(element, value);
    FixOtherSysColors();
}

void Colorizer::SeedFromComposition() {
    OldAeroColor = ReadCompositionColor();
    LastAeroColor = ReadCompositionColor();
}

void Colorizer::SetColorFromWallBg(TColor color) {
    const ColorizeOptions options = options_();
    if (!options.FadeColor) {
        SetCompositionColor(color, options.Intensity, true, -1, -1);
        return;
    }
    // A fade still running is dropped: the new one starts from its last step,
    // the colour on screen now.
    OldAeroColor = LastAeroColor;
    NewAeroColor = color;
    CurrentStep = 1;
    TimerAnimeTimer();
    // A running timer keeps its rhythm, so the next step of a restarted fade
    // comes at the old fade's next tick.
    if (!timerAnime_.IsEnabled())
        timerAnime_.Enable();
}

void Colorizer::TimerAnimeTimer() {
    ++CurrentStep;
    const std::int32_t intensity = options_().Intensity;
    if (CurrentStep < FadeSteps) {
        SetCompositionColor(InterpolateColor(OldAeroColor, NewAeroColor, CurrentStep, FadeSteps), intensity, true, -1,
                            -1);
        return;
    }
    timerAnime_.Disable();
    SetCompositionColor(NewAeroColor, intensity, true, -1, -1);
    OldAeroColor = NewAeroColor;
}

void Colorizer::StopFade() {
    timerAnime_.Disable();
}

void Colorizer::CompleteFade() {
    if (!timerAnime_.IsEnabled())
        return;
    timerAnime_.Disable();
    CurrentStep = FadeSteps;
    SetCompositionColor(NewAeroColor, options_().Intensity, true, -1, -1);
    OldAeroColor = NewAeroColor;
}

TColor Colorizer::InterpolateColor(TColor color1, TColor color2, std::int32_t step, std::int32_t steps) {
    return hg::InterpolateColor(color1, color2, step, steps, composition_);
}

} // namespace hg
