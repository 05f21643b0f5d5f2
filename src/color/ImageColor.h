#pragma once
// The one colour of a picture: the predominant colour (a vote of hue bands
// over a coarse grid of sampled colours) or the average colour.
#include "color/Bitmap.h"
#include "color/Color.h"
#include "color/HSLUtils.h"
#include "color/PictureRows.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace hg {

// Colour modes as the settings store them: 1 is the predominant colour, any
// other value the average colour.
inline constexpr int ColorModePredominant = 1;
inline constexpr int ColorModeAverage = 0;

// Why a picture gave its colour. The extraction fills it while it picks the
// colour when a caller asks (hueglass-color --json, --explain, --sheet), so
// the explanation can never disagree with the colour.

// The hue bands, in the order a colour is tested against them.
enum class HueBand { Red, OrangeYellow, Green, Blue, Violet, Magenta };
inline constexpr int HueBandCount = 6;
// "red", "orange-yellow", "green", "blue", "violet", "magenta".
std::string_view HueBandName(HueBand band);

struct BandVote {
    int count = 0;           // distinct colours that fell into the band
    TColor best = 0;         // the band's colour (after falling back); 0 = none
    int bestLightness = 255; // lightness of the darkest member of lightness 76 or more
    TColor fallback = 0;     // last member, in key order, that did not become best; 0 = none
};

// What the vote did with one distinct sampled colour.
enum class SampleFate {
    TooDark,  // lightness 64 or below
    TooLight, // lightness 170 or above
    TooPale,  // below its band's minimum saturation
    Counted,  // a member of its band
};

struct DistinctColor {
    TColor color = 0;
    THslScaled hsl{};
    HueBand band = HueBand::Red; // the band of its hue (meaningful unless too dark or light)
    SampleFate fate = SampleFate::Counted;
};

enum class ColorRule {
    FirstPass,   // the first band with 3 to 34 colours
    SecondPass,  // the first band with any colour
    MiddleColor, // no band had a member: the middle distinct colour
    TooNarrow,   // under 16 pixels wide (or no pixels): white, nothing sampled
};

struct PredominantExplanation {
    int step = 0;                            // grid spacing; 0 when nothing was sampled
    int columns = 0, rows = 0;               // grid points across and down
    std::vector<TColor> samples;             // grid colours, row by row from the top left
    std::vector<DistinctColor> distinct;     // the distinct colours in ascending key order
    std::array<BandVote, HueBandCount> bands{};
    ColorRule rule = ColorRule::TooNarrow;
    bool hasBand = false; // whether a band gave the colour
    HueBand band = HueBand::Red;
    TColor color = clWhite;
};

struct AverageExplanation {
    bool filter = false;        // leave out very dark and very light pixels
    std::uint64_t total = 0;    // pixels in the picture
    std::uint64_t pixels = 0;   // pixels the mean is taken over
    std::uint64_t excluded = 0; // pixels the filter left out
    bool unfilteredFallback = false; // the filter left no pixel: the mean of all pixels
    std::uint64_t sumRed = 0, sumGreen = 0, sumBlue = 0; // of the pixels the mean is taken over
    TColor mean = 0;            // the rounded mean, before darkening
    bool darkened = false;      // the mean was too light and lost 20 per channel
    TColor color = 0;           // the result
    // The colour with the filter the other way round, from the same pass,
    // when it was gathered (PictureColorRows::AlsoSumMidTones).
    bool hasOther = false;
    TColor otherColor = 0;
    std::uint64_t otherExcluded = 0; // pixels the filter leaves out (filter off: what it would)
};

struct ColorExplanation {
    int width = 0, height = 0;
    bool predominant = true;
    PredominantExplanation vote;  // predominant colour
    AverageExplanation average;   // average colour
};

// Samples every step-th column of every step-th row (a step below 1 counts as
// 1) and lets six hue bands vote; see ImageColor.cpp for the rules. An image
// without pixels gives white.
TColor PredominantColor(const BitmapView& image, int step, PredominantExplanation* why = nullptr);

// The mean of all pixels, or with ignoreDarkLight only of those whose
// (red + green + blue) div 3 lies in 91..229; when that leaves no pixel, the
// mean of all pixels. A result whose channels add up to more than 384 is
// darkened by 20 per channel. An image without pixels gives black.
TColor AverageColor(const BitmapView& image, bool ignoreDarkLight);

// The colour the wallpaper and application sources hand on: predominant with
// a step of width div 15 (white below 16 pixels of width) for nColorMode 1,
// otherwise the average.
TColor ImageColor(const BitmapView& image, int nColorMode, bool IgnoreDarkLigthColors);

// The four corner colours of a picture at its own size: pixels (0, 0),
// (width - 1, 0), (0, height - 1) and (width - 1, height - 1).
struct ImageCorners {
    TColor TopLeft = 0, TopRight = 0, BottomLeft = 0, BottomRight = 0;
    bool operator==(const ImageCorners&) const = default;
};

// How a picture becomes one colour (the settings of ImageColor).
struct ImageColorChoice {
    int nColorMode = ColorModePredominant;
    bool IgnoreDarkLigthColors = true;
};

// Gathers a picture's colour and its corners from its rows as a decoder hands
// them on, without a bitmap of the picture: the predominant colour keeps only
// the samples of the rows it reads (every (width div 15)-th row, and the last
// row for its corners), the average sums rows as they come. Color() equals
// ImageColor on the whole picture. Without a request only the corners are
// gathered (the first and last rows).
class PictureColorRows final : public RowConsumer {
public:
    PictureColorRows() = default;
    explicit PictureColorRows(ImageColorChoice request)
        : request_(request), wantColor_(true), sumMidTones_(request.IgnoreDarkLigthColors) {}

    std::string Begin(int width, int height) override;
    bool Wants(int y) const override;
    void Row(int y, const std::uint8_t* pixels) override;
    bool TakesLoosePixels() const override { return wantColor_ && request_.nColorMode != ColorModePredominant; }
    void Pixels(const std::uint8_t* pixels, int count) override;
    void Corner(int x, int y, const std::uint8_t* pixel) override;

    // With `why`, also how the colour was reached.
    TColor Color(ColorExplanation* why = nullptr) const;
    const ImageCorners& Corners() const { return corners_; }

    // Average colour: also sums the mid-tone pixels when the filter is off
    // (and all pixels are summed anyway), so an explanation can show the
    // colour with and without the filter from the one pass. Call before the
    // decode.
    void AlsoSumMidTones() { sumMidTones_ = true; }

    // Running sums of blue, green and red and the number of pixels summed.
    struct Sums {
        std::uint64_t blue = 0, green = 0, red = 0, count = 0;
    };

private:
    ImageColorChoice request_;
    bool wantColor_ = false;
    bool sumMidTones_ = false;
    int width_ = 0, height_ = 0, step_ = 0; // step 0: no grid is sampled
    std::vector<TColor> samples_;
    Sums filtered_, all_;
    ImageCorners corners_;
};

namespace detail {
// The filtered average has a portable loop and, on x86-64, SSSE3 and AVX2
// builds of the same loop, the best the processor has chosen at run time.
// Tests run each.
enum class AverageKernel { Automatic, Portable, Ssse3, Avx2 };
bool HaveKernel(AverageKernel kernel);
TColor AverageColorWith(const BitmapView& image, bool ignoreDarkLight, AverageKernel kernel);
} // namespace detail

} // namespace hg
