#include "color/HSLUtils.h"
#include "color/ImageColor.h"

#include "PictureFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace hg {
namespace {

using test::MakeBitmap;
using test::MakeRow;

constexpr TColor Rgb(unsigned r, unsigned g, unsigned b) { return RgbColor(r, g, b); }

// The eight colours of the worked example: two reds, three blues (one of them
// too dark to be best), a near-black and a near-white.
const std::vector<TColor> WorkedExample = {Rgb(40, 90, 200), Rgb(30, 70, 160),  Rgb(0, 60, 190),
                                           Rgb(20, 60, 120), Rgb(200, 60, 40),  Rgb(180, 50, 30),
                                           Rgb(240, 240, 240), Rgb(10, 10, 10)};

std::vector<TColor> Twice(const std::vector<TColor>& colors) {
    std::vector<TColor> out = colors;
    out.insert(out.end(), colors.begin(), colors.end());
    return out;
}

TEST(PredominantColor, WorkedExampleChoosesTheBlueBand) {
    EXPECT_EQ(PredominantColor(MakeRow(WorkedExample).View(), 1), 0x00BE3C00u);
    // The same picture 16 pixels wide through ImageColor (step 16 div 15 = 1).
    EXPECT_EQ(ImageColor(MakeRow(Twice(WorkedExample)).View(), ColorModePredominant, false), 0x00BE3C00u);
}

struct BandCase {
    const char* what;
    std::vector<TColor> colors;
    TColor expected;
};

// Two greys that are never band members; with one candidate colour they make
// the middle key distinguishable from the candidate.
const TColor Grey10 = Rgb(10, 10, 10), Grey20 = Rgb(20, 20, 20);
const TColor Blue = Rgb(40, 90, 200);

std::vector<TColor> Greens(int n) {
    std::vector<TColor> out;
    for (int i = 0; i < n; ++i)
        out.push_back(Rgb(40, 120 + static_cast<unsigned>(i), 60)); // H 92..95, S >= 128, L 80..97
    return out;
}

std::vector<TColor> Plus(std::vector<TColor> a, const std::vector<TColor>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const BandCase BandCases[] = {
    {"three shades win the first pass",
     {Rgb(200, 60, 40), Rgb(60, 150, 70), Rgb(50, 140, 60), Rgb(40, 130, 50)},
     Rgb(40, 130, 50)},
    {"thirty-five shades are too many; a later band with three wins",
     Plus(Greens(35), {Rgb(120, 40, 200), Rgb(110, 40, 190), Rgb(100, 40, 180)}),
     Rgb(100, 40, 180)},
    {"thirty-five shades alone still win the second pass",
     Greens(35),
     Rgb(40, 121, 60)},
    {"first pass takes orange-yellow before blue",
     {Rgb(230, 190, 20), Rgb(230, 180, 20), Rgb(225, 170, 20), Blue, Rgb(30, 70, 160), Rgb(0, 60, 190)},
     Rgb(225, 170, 20)},
    {"second pass takes blue before orange-yellow", {Rgb(230, 190, 20), Blue}, Blue},
    {"equal lightness: the larger colour value is best", {Rgb(30, 70, 160), Rgb(0, 60, 190)}, Rgb(0, 60, 190)},
    {"a band of lightness 65..75 only yields its last colour in key order",
     {Rgb(112, 27, 27), Rgb(112, 33, 27), Rgb(112, 30, 27)},
     Rgb(112, 33, 27)},
    {"the best colour is the darkest of lightness 76 or more (75, 76 and 95 here)",
     {Rgb(130, 20, 20), Rgb(132, 20, 20), Rgb(170, 20, 20)},
     Rgb(132, 20, 20)},
    {"lightness 64 is excluded", {Rgb(128, 0, 0), Grey10, Grey20}, Grey10},
    {"lightness 64.5 rounds to 64 and is excluded", {Rgb(129, 0, 0), Grey10, Grey20}, Grey10},
    {"lightness 65 is included", {Rgb(130, 0, 0), Grey10, Grey20}, Rgb(130, 0, 0)},
    {"lightness 169 is included", {Rgb(255, 83, 83), Grey10, Grey20}, Rgb(255, 83, 83)},
    {"lightness 170 is excluded", {Rgb(255, 85, 85), Grey10, Grey20}, Grey20},
    {"red of saturation 100 is skipped", {Rgb(144, 63, 63), Grey10, Grey20}, Grey20},
    {"red of saturation 101 counts", {Rgb(145, 63, 63), Grey10, Grey20}, Rgb(145, 63, 63)},
    {"orange of saturation 199 is not counted as green or red",
     {Rgb(163, 195, 24), Rgb(4, 255, 6), Rgb(24, 255, 24)},
     Rgb(4, 255, 6)},
    {"orange of saturation 200 counts", {Rgb(165, 198, 24), Grey10, Grey20}, Rgb(165, 198, 24)},
    {"hue 241 is red, ahead of blue", {Rgb(160, 39, 75), Blue}, Rgb(160, 39, 75)},
    {"hue 240 is magenta, behind blue", {Rgb(178, 21, 72), Blue}, Blue},
    {"no band member: the middle distinct colour", {Grey10, Grey20, Rgb(30, 30, 30), Rgb(250, 250, 250)},
     Rgb(30, 30, 30)},
};

TEST(PredominantColor, BestColourBoundaryFixtureHasTheLightnessItClaims) {
    EXPECT_EQ(ColorToHslScaled(Rgb(130, 20, 20)).L, 75);
    EXPECT_EQ(ColorToHslScaled(Rgb(132, 20, 20)).L, 76);
    EXPECT_EQ(ColorToHslScaled(Rgb(170, 20, 20)).L, 95);
}

TEST(PredominantColor, BandsAndThresholds) {
    for (const BandCase& c : BandCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PredominantColor(MakeRow(c.colors).View(), 1), c.expected);
    }
}

TEST(PredominantColor, EachDistinctColourVotesOnce) {
    // Many pixels of one blue against three reds: the reds are the variety.
    std::vector<TColor> colors(30, Blue);
    colors.push_back(Rgb(200, 60, 40));
    colors.push_back(Rgb(180, 50, 30));
    colors.push_back(Rgb(160, 40, 30));
    EXPECT_EQ(PredominantColor(MakeRow(colors).View(), 1), Rgb(160, 40, 30));
}

TEST(PredominantColor, UniformImageYieldsItsColour) {
    for (const TColor c : {Blue, Rgb(128, 128, 128), Rgb(5, 5, 5), Rgb(250, 250, 250), Rgb(0, 0, 0)}) {
        const Bitmap24 image = MakeBitmap(40, 7, [c](int, int) { return c; });
        EXPECT_EQ(ImageColor(image.View(), ColorModePredominant, false), c);
    }
}

TEST(ImageColor, PredominantSamplingStepFollowsTheWidth) {
    // Grey everywhere, red only in column 1 and row 1: seen at step 1 only.
    const auto picture = [](int width) {
        return MakeBitmap(width, 3, [](int x, int y) { return x == 1 || y == 1 ? Rgb(200, 60, 40) : Rgb(90, 90, 90); });
    };
    EXPECT_EQ(ImageColor(picture(15).View(), ColorModePredominant, false), clWhite);
    EXPECT_EQ(ImageColor(picture(16).View(), ColorModePredominant, false), Rgb(200, 60, 40));
    EXPECT_EQ(ImageColor(picture(29).View(), ColorModePredominant, false), Rgb(200, 60, 40));
    EXPECT_EQ(ImageColor(picture(30).View(), ColorModePredominant, false), Rgb(90, 90, 90));
    EXPECT_EQ(PredominantColor(picture(30).View(), 0), Rgb(200, 60, 40)); // a step below 1 counts as 1
    // Any mode other than 1 is the average.
    EXPECT_NE(ImageColor(picture(15).View(), 2, false), clWhite);
}

TEST(PredominantColor, FullHdSamplesAGridOfStep128) {
    // Three reds on grid points (multiples of 128) win; a violet off the grid
    // is never seen.
    const Bitmap24 image = MakeBitmap(1920, 1080, [](int x, int y) {
        if (y == 128 && x <= 256 && x % 128 == 0)
            return Rgb(200 - static_cast<unsigned>(x / 16), 60, 40);
        if (x == 127 || y == 127)
            return Rgb(120, 40, 200);
        return Rgb(90, 90, 90);
    });
    EXPECT_EQ(ImageColor(image.View(), ColorModePredominant, false), Rgb(184, 60, 40));
}

TEST(AverageColor, WorkedExamples) {
    const Bitmap24 image = MakeRow(Twice(WorkedExample));
    EXPECT_EQ(AverageColor(image.View(), false), 0x007C505Au);
    EXPECT_EQ(AverageColor(image.View(), true), 0x00784B78u);
    EXPECT_EQ(ImageColor(image.View(), ColorModeAverage, true), 0x00784B78u);
    const Bitmap24 light = MakeBitmap(5, 3, [](int, int) { return Rgb(200, 180, 160); });
    EXPECT_EQ(AverageColor(light.View(), false), Rgb(180, 160, 140));
}

TEST(AverageColor, FilterBoundsOnTheChannelTotal) {
    // A boundary pixel next to 100 grey: counted, it moves the mean; left
    // out, the mean is 100.
    const struct {
        TColor boundary;
        bool counted;
    } cases[] = {
        {Rgb(91, 91, 91), true},    // total 273, v = 91
        {Rgb(90, 91, 91), false},   // 272, v = 90
        {Rgb(229, 230, 230), true}, // 689, v = 229
        {Rgb(230, 230, 230), false} // 690, v = 230
    };
    for (const auto& c : cases) {
        const Bitmap24 image = MakeRow({c.boundary, Rgb(100, 100, 100)});
        const TColor mean = AverageColor(image.View(), true);
        if (c.counted)
            EXPECT_NE(mean, Rgb(100, 100, 100)) << std::hex << c.boundary;
        else
            EXPECT_EQ(mean, Rgb(100, 100, 100)) << std::hex << c.boundary;
    }
    // 95.5 rounds to the even 96.
    EXPECT_EQ(AverageColor(MakeRow({Rgb(91, 91, 91), Rgb(100, 100, 100)}).View(), true), Rgb(96, 96, 96));
}

TEST(AverageColor, DampsOnlyAboveTotal384) {
    EXPECT_EQ(AverageColor(MakeRow({Rgb(128, 128, 128)}).View(), false), Rgb(128, 128, 128));
    EXPECT_EQ(AverageColor(MakeRow({Rgb(129, 128, 128)}).View(), false), Rgb(109, 108, 108));
    EXPECT_EQ(AverageColor(MakeRow({Rgb(255, 200, 5)}).View(), false), Rgb(235, 180, 0));
}

TEST(AverageColor, NothingLeftAfterTheFilterGivesTheDampedPlainMean) {
    EXPECT_EQ(AverageColor(MakeRow({clWhite, clBlack}).View(), true), Rgb(128, 128, 128));
    EXPECT_EQ(AverageColor(MakeRow({clWhite, clWhite}).View(), true), Rgb(235, 235, 235));
}

TEST(AverageColor, RowsWiderThanABlockAndPaddedRows) {
    // 37 pixels: two blocks of 16 and a tail of 5; rows padded to 4 bytes.
    const Bitmap24 image =
        MakeBitmap(37, 3, [](int x, int y) { return Rgb(100 + static_cast<unsigned>(x), 100 + static_cast<unsigned>(y) * 20, 80); });
    std::uint64_t r = 0, g = 0, b = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 37; ++x)
            r += static_cast<std::uint64_t>(100 + x), g += static_cast<std::uint64_t>(100 + y * 20), b += 80;
    const auto mean = [](std::uint64_t sum) { return static_cast<unsigned>(std::nearbyint(sum / 111.0)); };
    EXPECT_EQ(AverageColor(image.View(), false), Rgb(mean(r), mean(g), mean(b)));
    EXPECT_EQ(AverageColor(image.View(), true), AverageColor(image.View(), false)); // all totals within bounds
}

TEST(AverageColor, EveryKernelGivesTheSameMean) {
    // Noise over every channel total, odd width (a vector tail), padded rows.
    std::uint32_t seed = 99;
    const Bitmap24 image = MakeBitmap(1001, 7, [&seed](int, int) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<TColor>(seed >> 8);
    });
    const TColor portable = detail::AverageColorWith(image.View(), true, detail::AverageKernel::Portable);
    std::uint64_t r = 0, g = 0, b = 0, n = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const TColor c = test::ColorAt(image, x, y);
            const unsigned v = (RedOf(c) + GreenOf(c) + BlueOf(c)) / 3;
            if (v >= 91 && v <= 229)
                r += RedOf(c), g += GreenOf(c), b += BlueOf(c), ++n;
        }
    const auto mean = [n](std::uint64_t sum) { return static_cast<unsigned>(std::nearbyint(static_cast<double>(sum) / static_cast<double>(n))); };
    TColor expected = Rgb(mean(r), mean(g), mean(b));
    if (RedOf(expected) + GreenOf(expected) + BlueOf(expected) > 384)
        expected = DarkenColor(expected, 20);
    EXPECT_EQ(portable, expected);
    for (const auto kernel : {detail::AverageKernel::Ssse3, detail::AverageKernel::Avx2}) {
        if (detail::HaveKernel(kernel)) {
            EXPECT_EQ(detail::AverageColorWith(image.View(), true, kernel), portable) << static_cast<int>(kernel);
        }
    }
}

TEST(AverageColor, SumsBeyond32BitsGiveThePlainMean) {
    // 8,601,600 white pixels: a 32-bit sum would overflow.
    auto image = Bitmap24::AllocateWhite(4096, 2100);
    ASSERT_TRUE(image);
    EXPECT_EQ(AverageColor(image->View(), false), Rgb(235, 235, 235));
    image->Row(2099)[3 * 4095] = 0; // one pixel less blue: still rounds to 255
    EXPECT_EQ(AverageColor(image->View(), false), Rgb(235, 235, 235));
}

} // namespace
} // namespace hg
