#include "color/HSLUtils.h"

#include <algorithm>
#include <cmath>

namespace hg {

// The order of operations is fixed: scaled lightness values such as 64.5 fall
// exactly on a rounding tie next to a threshold, so a reordered sum could move
// a colour across it.
THsl ColorToHsl(TColor c) {
    const double r = RedOf(c) / 255.0;
    const double g = GreenOf(c) / 255.0;
    const double b = BlueOf(c) / 255.0;
    const double max = std::max(r, std::max(g, b));
    const double min = std::min(r, std::min(g, b));
    THsl hsl;
    hsl.l = (max + min) / 2.0;
    if (max == min)
        return hsl;
    const double d = max - min;
    hsl.s = hsl.l < 0.5 ? d / (max + min) : d / ((2.0 - max) - min);
    double h;
    if (r == max)
        h = (g - b) / d;
    else if (g == max)
        h = (b - r) / d + 2.0;
    else
        h = (r - g) / d + 4.0;
    h = h / 6.0;
    if (h < 0)
        h = h + 1.0;
    hsl.h = h;
    return hsl;
}

THslScaled ColorToHslScaled(TColor c) {
    const THsl hsl = ColorToHsl(c);
    // Products in double, rounded to nearest with ties to even.
    return {static_cast<int>(std::nearbyint(hsl.h * static_cast<double>(HslScale - 1))),
            static_cast<int>(std::nearbyint(hsl.s * static_cast<double>(HslScale))),
            static_cast<int>(std::nearbyint(hsl.l * static_cast<double>(HslScale)))};
}

} // namespace hg
