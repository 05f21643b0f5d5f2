#pragma once
// RGB to hue, saturation and lightness, as reals and on the integer scale the
// predominant-colour thresholds are written in. Only the low three bytes of a
// colour are read; system-colour codes must be resolved first.
#include "color/Color.h"

namespace hg {

inline constexpr int HslScale = 255;

struct THsl {
    double h = 0; // [0, 1), a full turn is 1
    double s = 0; // [0, 1]
    double l = 0; // [0, 1]
};

// Hue on 0..254 (scaled by HslScale - 1), saturation and lightness on 0..255.
struct THslScaled {
    int H = 0;
    int S = 0;
    int L = 0;
    friend bool operator==(const THslScaled&, const THslScaled&) = default;
};

THsl ColorToHsl(TColor c);
THslScaled ColorToHslScaled(TColor c);

} // namespace hg
