#include "color/Color.h"
#include "color/HSLUtils.h"
#include "color/SystemColors.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace hg {
namespace {

struct HslCase {
    int red, green, blue;
    TColor value;
    double h, s, l;
    THslScaled scaled;
};

// Hue scaled by 254, saturation and lightness by 255; several rows sit on
// rounding ties (64.5, 65.5) or at the ends of the hue circle.
const HslCase HslCases[] = {
    {200, 60, 40, 0x00283CC8, 0.0208, 0.6667, 0.4706, {5, 170, 120}},
    {40, 90, 200, 0x00C85A28, 0.6146, 0.6667, 0.4706, {156, 170, 120}},
    {30, 160, 60, 0x003CA01E, 0.3718, 0.6842, 0.3725, {94, 174, 95}},
    {230, 190, 20, 0x0014BEE6, 0.1349, 0.8400, 0.4902, {34, 214, 125}},
    {120, 40, 200, 0x00C82878, 0.7500, 0.6667, 0.4706, {190, 170, 120}},
    {200, 40, 140, 0x008C28C8, 0.8958, 0.6667, 0.4706, {228, 170, 120}},
    {255, 255, 255, 0x00FFFFFF, 0, 0, 1, {0, 0, 255}},
    {128, 128, 128, 0x00808080, 0, 0, 0.5020, {0, 0, 128}},
    {0, 0, 0, 0x00000000, 0, 0, 0, {0, 0, 0}},
    {129, 0, 0, 0x00000081, 0, 1, 0.2529, {0, 255, 64}},
    {131, 0, 0, 0x00000083, 0, 1, 0.2569, {0, 255, 66}},
    {255, 0, 0, 0x000000FF, 0, 1, 0.5, {0, 255, 128}},
    {255, 0, 1, 0x000100FF, 0.9993, 1, 0.5, {254, 255, 128}},
    {0, 255, 255, 0x00FFFF00, 0.5, 1, 0.5, {127, 255, 128}},
};

TEST(ColorToHsl, MatchesTheTableIncludingTies) {
    for (const HslCase& c : HslCases) {
        SCOPED_TRACE(testing::Message() << c.red << "," << c.green << "," << c.blue);
        EXPECT_EQ(RgbColor(c.red, c.green, c.blue), c.value);
        const THsl hsl = ColorToHsl(c.value);
        EXPECT_NEAR(hsl.h, c.h, 0.00005);
        EXPECT_NEAR(hsl.s, c.s, 0.00005);
        EXPECT_NEAR(hsl.l, c.l, 0.00005);
        EXPECT_EQ(ColorToHslScaled(c.value), c.scaled);
    }
}

TEST(ColorToHsl, ReadsOnlyTheLowThreeBytes) {
    EXPECT_EQ(ColorToHslScaled(0xFF283CC8), (THslScaled{5, 170, 120}));
}

TEST(ColorToHsl, RedAndBlueBothMaximalTakeTheRedFormula) {
    // Magenta: red = blue = max, so h = (g - b) / d / 6 + 1 = 5/6.
    EXPECT_NEAR(ColorToHsl(RgbColor(255, 0, 255)).h, 5.0 / 6.0, 1e-12);
}

TEST(ClampToByte, RoundsHalfToEvenAndClamps) {
    const struct {
        double in;
        int out;
    } cases[] = {{64.5, 64},  {65.5, 66},   {127.5, 128}, {0.5, 0},    {1.5, 2},      {254.5, 254}, {254.6, 255},
                 {255.5, 255}, {300.0, 255}, {-0.4, 0},   {-0.6, 0},   {-1000.0, 0}, {1e300, 255}, {-1e300, 0},
                 {std::numeric_limits<double>::infinity(), 255}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ClampToByte(c.in), c.out) << c.in;
}

TEST(ColorFromReals, AssemblesRedInTheLowByte) {
    EXPECT_EQ(ColorFromReals(200, 60, 40), 0x00283CC8u);
    EXPECT_EQ(ColorFromReals(-5, 300, 64.5), 0x0040FF00u);
}

class FakeSystemColors : public ISystemColors {
public:
    TColor SystemColor(int index) const override { return index == 16 ? 0x00A0A0A0 : 0x00123456; }
};

TEST(ShiftColor, ClampsEachChannelAndResolvesSystemColors) {
    const FakeSystemColors system;
    EXPECT_EQ(ShiftColor(0x00FFFFFF, 20), 0x00FFFFFFu);
    EXPECT_EQ(DarkenColor(0x00140A05, 20), 0x00000000u);
    EXPECT_EQ(ShiftColor(0x00102030, -0x10), 0x00001020u);
    // A system-colour code shifts the colour it stands for, not its bytes.
    EXPECT_EQ(ShiftColor(0xFF000010, 20, system), 0x00B4B4B4u);
    EXPECT_EQ(DarkenColor(0xFF000010, 20, system), 0x008C8C8Cu);
    EXPECT_EQ(ShiftColor(0x00808080, 20, system), 0x00949494u);
    // Extreme amounts neither overflow nor wrap.
    EXPECT_EQ(ShiftColor(0x00808080, INT_MAX), 0x00FFFFFFu);
    EXPECT_EQ(ShiftColor(0x00808080, INT_MIN), 0x00000000u);
    EXPECT_EQ(DarkenColor(0x00808080, INT_MIN), 0x00FFFFFFu);
}

TEST(ResolveColor, OnlySystemColorCodesAreLookedUp) {
    const FakeSystemColors system;
    EXPECT_EQ(ResolveColor(0xFF000010, system), 0x00A0A0A0u);
    EXPECT_EQ(ResolveColor(0x00283CC8, system), 0x00283CC8u);
}

TEST(ColorToHexKey, WritesBlueFirstAndReadsBack) {
    EXPECT_EQ(ColorToHexKey(0x00283CC8), "283CC8");
    EXPECT_EQ(ColorToHexKey(0x000000FF), "0000FF");
    EXPECT_EQ(ColorToHexKey(0x00000000), "000000");
    EXPECT_EQ(ColorToHexKey(0xFF0A0B0C), "0A0B0C");
    EXPECT_EQ(HexKeyToColor("283CC8"), 0x00283CC8u);
    EXPECT_EQ(HexKeyToColor("000000"), 0u);
    for (const TColor c : {0x00000001u, 0x00ABCDEFu, 0x00FFFFFFu})
        EXPECT_EQ(HexKeyToColor(ColorToHexKey(c)), c);
    // Keys sort as their values do.
    EXPECT_LT(ColorToHexKey(0x000000FF), ColorToHexKey(0x00000100));
    EXPECT_EQ(HexKeyToColor("12345"), 0u);
    EXPECT_EQ(HexKeyToColor("zz0000"), 0u);
}

TEST(CompositionColor, SwapsRedAndBlue) {
    EXPECT_EQ(ColorToArgb(0x00283CC8, 0xC4), 0xC4C83C28u);
    EXPECT_EQ(ArgbToColor(0xC4C83C28u), 0x00283CC8u);
}

TEST(PixelColor, ReadsBlueGreenRedBytes) {
    const std::uint8_t bytes[] = {0x28, 0x3C, 0xC8};
    EXPECT_EQ(PixelColor(bytes), 0x00283CC8u);
}

TEST(ContrastingTextColor, BlackOverLightWhiteOverDarkByTheChannelSum) {
    struct Case {
        TColor background, text;
    };
    const Case cases[] = {
        {clWhite, clBlack},           {clBlack, clWhite},
        {0x00808080, clWhite},        // 384: still dark
        {0x00808081, clBlack},        // 385: light
        {0x0000FFFF, clBlack},        // yellow
        {0x00FF0000, clWhite},        // blue
        {0xFF808080, clWhite},        // the top byte is not a channel
    };
    for (const Case& c : cases)
        EXPECT_EQ(ContrastingTextColor(c.background), c.text) << std::hex << c.background;
}

} // namespace
} // namespace hg
