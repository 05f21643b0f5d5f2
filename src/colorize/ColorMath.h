#pragma once
// The fade's arithmetic: the platform's MulDiv and the colour interpolation.
#include "color/Color.h"
#include "color/SystemColors.h"

#include <cstdint>

namespace hg {

// The Windows default accent blue (red 0x00, green 0x78, blue 0xD7): the colour
// assumed on screen when the engine cannot be asked.
inline constexpr TColor DefaultAccentColor = 0x00D77800;

// number * numerator / denominator through a 64-bit intermediate, rounded to
// the nearest integer with halves away from zero, exactly as the Windows
// function of that name: -1 when denominator is 0 or the result does not fit
// in 32 bits.
std::int32_t MulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator);

// The colour at position step of steps evenly spaced colours from color1
// (step 0) to color2 (step steps - 1), each channel rounded as MulDiv rounds.
// System-colour codes are resolved first. Fewer than 2 steps leave no room
// for a walk: the result is then color2 (resolved).
TColor InterpolateColor(TColor color1, TColor color2, std::int32_t step, std::int32_t steps,
                        const ISystemColors& systemColors);

} // namespace hg
