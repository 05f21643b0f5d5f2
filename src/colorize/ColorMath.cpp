#include "colorize/ColorMath.h"

#include <limits>

namespace hg {

std::int32_t MulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator) {
    if (denominator == 0)
        return -1;
    // The divisor is made positive by negating both it and the number, in
    // 32 bits as the platform does (so a divisor of INT32_MIN stays negative).
    const auto negate = [](std::int32_t v) { return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v)); };
    if (denominator < 0) {
        number = negate(number);
        denominator = negate(denominator);
    }
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t half = denominator / 2;
    // Add half the divisor when the operands' signs agree, else subtract it,
    // then let the division truncate towards zero: halves go away from zero.
    const bool positive = (number < 0) == (numerator < 0);
    const std::int64_t result = (positive ? product + half : product - half) / denominator;
    // -1 also reports a result that does not fit; the range is symmetric, so
    // INT32_MIN does not fit either.
    if (result > std::numeric_limits<std::int32_t>::max() || result < -std::numeric_limits<std::int32_t>::max())
        return -1;
    return static_cast<std::int32_t>(result);
}

TColor InterpolateColor(TColor color1, TColor color2, std::int32_t step, std::int32_t steps,
                        const ISystemColors& systemColors) {
    const TColor a = ResolveColor(color1, systemColors);
    const TColor b = ResolveColor(color2, systemColors);
    if (steps < 2)
        return b & 0x00FFFFFFu;
    TColor result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const auto from = static_cast<std::int32_t>((a >> shift) & 0xFF);
        const auto to = static_cast<std::int32_t>((b >> shift) & 0xFF);
        const std::int32_t channel = (from + MulDiv(step, to - from, steps - 1)) & 0xFF;
        result |= static_cast<TColor>(channel) << shift;
    }
    return result;
}

} // namespace hg
