#pragma once
// Colour output: every colour the program shows ends in SetCompositionColor,
// which writes the composition engine's colorization record, the accent
// colour preference and, when the user asked for it, the classic system
// colours. Colours of the automatic loop can walk there in a short fade,
// stepped by TimerAnime.
//
// The main window's logic owns one Colorizer. The fields below are the
// window's own (the picker and the colour dialog write the fade fields too),
// so they are public.
#include "colorize/ColorMath.h"
#include "colorize/Composition.h"

#include <cstdint>
#include <functional>

namespace hg {

// The settings colour output reads, taken fresh on every use.
struct ColorizeOptions {
    std::int32_t Intensity = 70;
    bool ColorizeSysColors = false;
    bool FadeColor = false; // always off on Windows 10 and later
};

// Port: the fade's timer, TimerAnime. While enabled it calls
// Colorizer::TimerAnimeTimer every TimerAnimeIntervalMs.
class FadeTimer {
public:
    virtual ~FadeTimer() = default;
    virtual void Enable() = 0;
    virtual void Disable() = 0;
    virtual bool IsEnabled() const = 0;
};

inline constexpr unsigned TimerAnimeIntervalMs = 70;
// Steps of a fade as InterpolateColor counts them: steps 2 to 9 are shown,
// the tick that reaches 10 writes the target once more and ends the fade.
inline constexpr std::int32_t FadeSteps = 10;

class Colorizer {
public:
    using OptionsSource = std::function<ColorizeOptions()>;

    Colorizer(Composition& composition, FadeTimer& timerAnime, OptionsSource options);

    // Applies AColor. nIntensity goes into the record's intensity fields.
    // bStoreClastColor: the colour is now the one shown (remembered in
    // LastAeroColor, copied to the system colours when enabled); false for a
    // trial colour. nTransparent < 0 keeps the engine's transparency; 0 makes
    // frames opaque, > 0 transparent, and then nTransValue >= 0 sets the blur
    // balance. Does nothing at all while composition is off or the engine's
    // entry points are missing.
    void SetCompositionColor(TColor AColor, std::int32_t nIntensity, bool bStoreClastColor, std::int32_t nTransparent,
                             std::int32_t nTransValue);

    // The engine's current colour; DefaultAccentColor when it cannot be asked.
    TColor ReadCompositionColor();

    // Puts the classic colours that go with a colorized highlight back to the
    // standard light scheme.
    void FixOtherSysColors();
    // Restores the standard colours of the elements SetCompositionColor
    // colorizes, then the others.
    void ResetSysColors();

    // At start-up: the colour on screen is the engine's colour.
    void SeedFromComposition();

    // A colour of the automatic loop (wallpaper or background): at once, or
    // as a fade starting from the colour on screen when FadeColor is on.
    void SetColorFromWallBg(TColor color);
    // One fade step; TimerAnime's handler.
    void TimerAnimeTimer();
    // Stops a running fade where it has got to (the loop is restarted).
    void StopFade();
    // A running fade jumps to its end: its target is applied at once and is
    // then the colour on screen. Nothing happens when no fade runs.
    void CompleteFade();

    // The fade's interpolation, resolving system-colour codes on this platform.
    TColor InterpolateColor(TColor color1, TColor color2, std::int32_t step, std::int32_t steps);

    TColor LastAeroColor = DefaultAccentColor; // colour last applied: the colour on screen
    TColor OldAeroColor = DefaultAccentColor;  // start colour of the fade
    TColor NewAeroColor = 0;                   // target colour of the fade
    std::int32_t CurrentStep = 0;              // fade step last applied

private:
    Composition& composition_;
    FadeTimer& timerAnime_;
    OptionsSource options_;
};

} // namespace hg
