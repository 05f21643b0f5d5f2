#include "colorize/ColorMath.h"

#include "color/SystemColors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace hg {
namespace {

struct MulDivCase {
    std::int32_t number, numerator, denominator, expected;
};

TEST(MulDiv, RoundsHalvesAwayFromZeroInEverySignCombination) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const MulDivCase cases[] = {
        {1, 1, 2, 1},
        {-1, 1, 2, -1},
        {1, -1, 2, -1},
        {-1, -1, 2, 1},
        {1, 1, -2, -1},
        {-1, 1, -2, 1},
        {3, 1, 2, 2},
        {-3, 1, 2, -2},
        {5, 1, 9, 1},
        {4, 1, 9, 0},
        {-5, 1, 9, -1},
        {-4, 1, 9, 0},
        {2, -28, 9, -6},
        {7, 1, 3, 2},
        {-7, 1, 3, -2},
        {0, -5, 3, 0},
        // the 64-bit intermediate: the product overflows 32 bits, the quotient does not
        {max, max, max, max},
        {max, 2, 4, (max / 2) + 1},
        // no answer: division by zero, or a quotient that does not fit
        {1, 1, 0, -1},
        {max, 2, 1, -1},
        {std::numeric_limits<std::int32_t>::min(), 1, 1, -1},
        // a divisor of INT32_MIN cannot be negated and keeps its sign
        {1, max, std::numeric_limits<std::int32_t>::min(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

// A system colour table that only plain colours may pass by.
class NoSysColors : public ISystemColors {
public:
    TColor SystemColor(int) const override {
        ADD_FAILURE() << "a plain colour was resolved";
        return 0;
    }
};

// A table of two known elements; the rest are white.
class TwoSysColors : public ISystemColors {
public:
    TColor SystemColor(int index) const override { return index == 16 ? 0x00A0A0A0 : 0x00FFFFFF; }
};

TEST(InterpolateColor, EndsAreTheTwoColoursAndEveryStepLiesBetween) {
    const TColor from = 0x00FF10C8, to = 0x0000F032; // each channel moves a different way
    EXPECT_EQ(InterpolateColor(from, to, 0, 10, NoSysColors{}), from);
    EXPECT_EQ(InterpolateColor(from, to, 9, 10, NoSysColors{}), to);
    for (int step = 0; step <= 9; ++step) {
        const TColor c = InterpolateColor(from, to, step, 10, NoSysColors{});
        EXPECT_EQ(c >> 24, 0u);
        for (int shift = 0; shift <= 16; shift += 8) {
            const unsigned channel = (c >> shift) & 0xFF;
            const unsigned a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
            EXPECT_GE(channel, std::min(a, b)) << "step " << step;
            EXPECT_LE(channel, std::max(a, b)) << "step " << step;
        }
    }
}

TEST(InterpolateColor, FallingChannelsRoundAsMulDivDoes) {
    // 250 -> 200: step 2 is 250 + MulDiv(2, -50, 9) = 250 - 11 (11.1 rounds to 11).
    // Step 5 is 250 - 28 (27.8 rounds away from zero to 28).
    EXPECT_EQ(InterpolateColor(250, 200, 2, 10, NoSysColors{}), 239u);
    EXPECT_EQ(InterpolateColor(250, 200, 5, 10, NoSysColors{}), 222u);
}

TEST(InterpolateColor, ResolvesSystemColourCodesOnEitherSide) {
    const TwoSysColors sysColors;
    EXPECT_EQ(InterpolateColor(0xFF000010, 0x00000000, 0, 10, sysColors), 0x00A0A0A0u);
    EXPECT_EQ(InterpolateColor(0x00000000, 0xFF000010, 9, 10, sysColors), 0x00A0A0A0u);
    EXPECT_EQ(InterpolateColor(0xFF000010, 0xFF000005, 9, 10, sysColors), 0x00FFFFFFu);
}

TEST(InterpolateColor, FewerThanTwoStepsGiveTheTarget) {
    EXPECT_EQ(InterpolateColor(0x00000000, 0x000000FF, 0, 1, NoSysColors{}), 0x000000FFu);
    EXPECT_EQ(InterpolateColor(0x00000000, 0x000000FF, 3, 0, NoSysColors{}), 0x000000FFu);
}

} // namespace
} // namespace hg
