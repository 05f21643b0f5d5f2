#include "color/ImageColor.h"

#include "color/HSLUtils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <string>
#include <vector>

namespace hg {

namespace {

// Hue bands in the order a colour is tested against them; hue on 0..254.
struct HueBandRule {
    int minSaturation;
    bool (*holds)(int hue);
};

constexpr int BandCount = HueBandCount;
using enum HueBand;

constexpr std::array<HueBandRule, BandCount> Bands = {{
    {101, [](int h) { return h <= 15 || h >= 241; }},
    {200, [](int h) { return h >= 16 && h <= 50; }},
    {51, [](int h) { return h >= 51 && h <= 127; }},
    {51, [](int h) { return h >= 128 && h <= 179; }},
    {51, [](int h) { return h >= 180 && h <= 216; }},
    {151, [](int h) { return h >= 217 && h <= 240; }},
}};

// The first pass looks for a band with a moderate variety of shades, the
// second takes any band with a member; the two differ in the order of
// orange-yellow and blue.
constexpr std::array<HueBand, BandCount> FirstPass = {Red, OrangeYellow, Blue, Green, Violet, Magenta};
constexpr std::array<HueBand, BandCount> SecondPass = {Red, Blue, OrangeYellow, Green, Violet, Magenta};

constexpr std::size_t Index(HueBand band) { return static_cast<std::size_t>(band); }

// Every step-th pixel of a row, from column 0.
void SampleRow(const std::uint8_t* row, int width, int step, std::vector<TColor>& colors) {
    for (int x = 0; x < width; x += step)
        colors.push_back(PixelColor(row + static_cast<std::ptrdiff_t>(x) * 3));
}

// Notes which rule chose and returns the colour it chose.
TColor Chosen(PredominantExplanation* why, ColorRule rule, const HueBand* band, TColor color) {
    if (why) {
        why->rule = rule;
        why->hasBand = band != nullptr;
        if (band)
            why->band = *band;
        why->color = color;
    }
    return color;
}

// The vote of the hue bands over the sampled colours (at least one). With
// `why`, each step is recorded on the way.
TColor VoteOfSamples(std::vector<TColor>& colors, PredominantExplanation* why) {
    // The distinct sampled colours in ascending order. Ascending colour value
    // is ascending colour-key order, since the keys have a fixed length.
    std::sort(colors.begin(), colors.end());
    colors.erase(std::unique(colors.begin(), colors.end()), colors.end());

    std::array<BandVote, BandCount> tally{};
    if (why)
        why->distinct.reserve(colors.size());
    for (const TColor c : colors) {
        const THslScaled hsl = ColorToHslScaled(c);
        if (hsl.L <= 64 || hsl.L >= 170) {
            if (why)
                why->distinct.push_back({c, hsl, Red, hsl.L <= 64 ? SampleFate::TooDark : SampleFate::TooLight});
            continue;
        }
        std::size_t band = 0;
        while (!Bands[band].holds(hsl.H))
            ++band;
        const bool member = hsl.S >= Bands[band].minSaturation; // a pale colour is not tried against another band
        if (why)
            why->distinct.push_back({c, hsl, static_cast<HueBand>(band), member ? SampleFate::Counted : SampleFate::TooPale});
        if (!member)
            continue;
        BandVote& t = tally[band];
        ++t.count;
        // Equality admitted: among equally dark colours the largest value wins.
        if (hsl.L <= t.bestLightness && hsl.L >= 76) {
            t.best = c;
            t.bestLightness = hsl.L;
        } else {
            t.fallback = c;
        }
    }
    // Black is never a band member, so 0 means "nothing recorded".
    for (BandVote& t : tally)
        if (t.best == 0)
            t.best = t.fallback;
    if (why)
        why->bands = tally;

    for (const HueBand& b : FirstPass)
        if (tally[Index(b)].count >= 3 && tally[Index(b)].count <= 34)
            return Chosen(why, ColorRule::FirstPass, &b, tally[Index(b)].best);
    for (const HueBand& b : SecondPass)
        if (tally[Index(b)].count >= 1)
            return Chosen(why, ColorRule::SecondPass, &b, tally[Index(b)].best);
    return Chosen(why, ColorRule::MiddleColor, nullptr, colors[colors.size() / 2]);
}

// The grid of a vote: its spacing and the samples in it, before the vote sorts them.
void NoteGrid(PredominantExplanation* why, int width, int height, int step, const std::vector<TColor>& samples) {
    if (!why)
        return;
    why->step = step;
    why->columns = (width + step - 1) / step;
    why->rows = (height + step - 1) / step;
    why->samples = samples;
}

// Exactly the number of grid samples, so that rows are sampled without
// allocating (at most 30 x 65,535 for a narrow, tall picture).
std::size_t SampleCount(int width, int height, int step) {
    return static_cast<std::size_t>((width + step - 1) / step) * static_cast<std::size_t>((height + step - 1) / step);
}

using ChannelSums = PictureColorRows::Sums;

// Sums the pixels whose (red + green + blue) div 3 lies in 91..229, that is
// whose channel total lies in 273..689. Branch-free, so it vectorises once the
// target can shuffle bytes (the three channels are interleaved): it is built
// for AVX2 and SSSE3 as well and the best the processor has is chosen.
#if defined(__GNUC__)
#define HG_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define HG_ALWAYS_INLINE inline
#endif

// Runs of up to 256 pixels are summed in 16-bit lanes (256 x 255 fits), twice
// as many per vector as 32-bit sums would allow.
HG_ALWAYS_INLINE void SumMidTonesBody(const BitmapView& image, ChannelSums& sums) {
    constexpr int Run = 256;
    std::uint64_t blue = 0, green = 0, red = 0, count = 0;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.Row(y);
        for (int start = 0; start < image.width; start += Run) {
            const std::uint8_t* p = row + static_cast<std::ptrdiff_t>(start) * 3;
            const int n = std::min(Run, image.width - start);
            std::uint16_t b = 0, g = 0, r = 0, kept = 0;
            for (int x = 0; x < n; ++x) {
                const std::uint16_t pb = p[3 * x], pg = p[3 * x + 1], pr = p[3 * x + 2];
                const auto total = static_cast<std::uint16_t>(pb + pg + pr);
                const auto keep = static_cast<std::uint16_t>(
                    0u - static_cast<unsigned>(static_cast<std::uint16_t>(total - 273u) <= 689u - 273u));
                b = static_cast<std::uint16_t>(b + (pb & keep));
                g = static_cast<std::uint16_t>(g + (pg & keep));
                r = static_cast<std::uint16_t>(r + (pr & keep));
                kept = static_cast<std::uint16_t>(kept + (keep & 1u));
            }
            blue += b;
            green += g;
            red += r;
            count += kept;
        }
    }
    sums = {blue, green, red, count};
}

void SumMidTonesBaseline(const BitmapView& image, ChannelSums& sums) { SumMidTonesBody(image, sums); }

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define HG_HAVE_AVX2_VARIANT 1
__attribute__((target("avx2"))) void SumMidTonesAvx2(const BitmapView& image, ChannelSums& sums) {
    SumMidTonesBody(image, sums);
}
__attribute__((target("ssse3"))) void SumMidTonesSsse3(const BitmapView& image, ChannelSums& sums) {
    SumMidTonesBody(image, sums);
}
#endif

bool CpuHasAvx2() {
#if defined(HG_HAVE_AVX2_VARIANT)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
#else
    return false;
#endif
}

bool CpuHasSsse3() {
#if defined(HG_HAVE_AVX2_VARIANT)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    return ssse3;
#else
    return false;
#endif
}

// Sums every pixel. Blocks of 16 pixels (48 bytes) are added lane by lane
// into 48 counters, which the compiler vectorises; lane i holds channel i % 3.
// Built for AVX2 as well, the best the processor has chosen at run time: the
// sums run a row at a time right after the decoder's own vector code, and
// the VEX-encoded build also keeps clear of the cost of mixing the two.
HG_ALWAYS_INLINE void SumAllBody(const BitmapView& image, ChannelSums& sums) {
    constexpr int BlockPixels = 16;
    constexpr int BlockBytes = BlockPixels * 3;
    std::array<std::uint64_t, 3> total{};
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.Row(y);
        const int blocks = image.width / BlockPixels;
        // A row has at most 65,535 pixels: 4,096 blocks of 255 fit 32 bits.
        alignas(16) std::array<std::uint32_t, BlockBytes> lanes{};
        for (int b = 0; b < blocks; ++b) {
            const std::uint8_t* p = row + static_cast<std::ptrdiff_t>(b) * BlockBytes;
            for (int i = 0; i < BlockBytes; ++i)
                lanes[static_cast<std::size_t>(i)] += p[i];
        }
        for (int i = 0; i < BlockBytes; ++i)
            total[static_cast<std::size_t>(i % 3)] += lanes[static_cast<std::size_t>(i)];
        for (int x = blocks * BlockPixels; x < image.width; ++x) {
            const std::uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * 3;
            total[0] += p[0];
            total[1] += p[1];
            total[2] += p[2];
        }
    }
    sums.blue = total[0];
    sums.green = total[1];
    sums.red = total[2];
    sums.count = static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
}

void SumAllBaseline(const BitmapView& image, ChannelSums& sums) { SumAllBody(image, sums); }
#if defined(HG_HAVE_AVX2_VARIANT)
__attribute__((target("avx2"))) void SumAllAvx2(const BitmapView& image, ChannelSums& sums) {
    SumAllBody(image, sums);
}
#endif

void SumAll(const BitmapView& image, ChannelSums& sums) {
#if defined(HG_HAVE_AVX2_VARIANT)
    if (CpuHasAvx2())
        return SumAllAvx2(image, sums);
#endif
    SumAllBaseline(image, sums);
}

void SumMidTones(const BitmapView& image, ChannelSums& sums, detail::AverageKernel kernel) {
    using detail::AverageKernel;
#if defined(HG_HAVE_AVX2_VARIANT)
    if (kernel == AverageKernel::Automatic)
        kernel = CpuHasAvx2() ? AverageKernel::Avx2 : CpuHasSsse3() ? AverageKernel::Ssse3 : AverageKernel::Portable;
    if (kernel == AverageKernel::Avx2)
        return SumMidTonesAvx2(image, sums);
    if (kernel == AverageKernel::Ssse3)
        return SumMidTonesSsse3(image, sums);
#else
    (void)kernel; // one kernel only where the compiler builds no variants
#endif
    SumMidTonesBaseline(image, sums);
}

} // namespace

bool detail::HaveKernel(AverageKernel kernel) {
    switch (kernel) {
    case AverageKernel::Avx2:
        return CpuHasAvx2();
    case AverageKernel::Ssse3:
        return CpuHasSsse3();
    default:
        return true;
    }
}

TColor AverageColor(const BitmapView& image, bool ignoreDarkLight) {
    return detail::AverageColorWith(image, ignoreDarkLight, detail::AverageKernel::Automatic);
}

namespace {

// The rounded mean of the sums, darkened when it is too light.
TColor MeanColor(const ChannelSums& sums, AverageExplanation* why = nullptr) {
    const double n = static_cast<double>(sums.count);
    const auto mean = [n](std::uint64_t sum) { return static_cast<TColor>(std::nearbyint(static_cast<double>(sum) / n)); };
    const TColor color = mean(sums.red) | mean(sums.green) << 8 | mean(sums.blue) << 16;
    const bool tooLight = RedOf(color) + GreenOf(color) + BlueOf(color) > 384;
    const TColor result = tooLight ? DarkenColor(color, 20) : color;
    if (why) {
        why->pixels = sums.count;
        why->sumRed = sums.red, why->sumGreen = sums.green, why->sumBlue = sums.blue;
        why->mean = color;
        why->darkened = tooLight;
        why->color = result;
    }
    return result;
}

void Add(ChannelSums& to, const ChannelSums& more) {
    to.blue += more.blue, to.green += more.green, to.red += more.red, to.count += more.count;
}

} // namespace

TColor PredominantColor(const BitmapView& image, int step, PredominantExplanation* why) {
    if (image.width < 1 || image.height < 1)
        return Chosen(why, ColorRule::TooNarrow, nullptr, clWhite);
    step = std::max(step, 1);
    std::vector<TColor> colors;
    colors.reserve(SampleCount(image.width, image.height, step));
    for (int y = 0; y < image.height; y += step)
        SampleRow(image.Row(y), image.width, step, colors);
    NoteGrid(why, image.width, image.height, step, colors);
    return VoteOfSamples(colors, why);
}

TColor detail::AverageColorWith(const BitmapView& image, bool ignoreDarkLight, AverageKernel kernel) {
    if (image.width < 1 || image.height < 1)
        return clBlack;
    ChannelSums sums;
    if (ignoreDarkLight)
        SumMidTones(image, sums, kernel);
    // With nothing left after the filter, the whole picture still has a mean.
    if (sums.count == 0)
        SumAll(image, sums);
    return MeanColor(sums);
}

TColor ImageColor(const BitmapView& image, int nColorMode, bool IgnoreDarkLigthColors) {
    if (nColorMode == ColorModePredominant) {
        if (image.width < 16)
            return clWhite;
        return PredominantColor(image, image.width / 15);
    }
    return AverageColor(image, IgnoreDarkLigthColors);
}

std::string PictureColorRows::Begin(int width, int height) {
    width_ = width, height_ = height;
    samples_.clear();
    filtered_ = all_ = {};
    corners_ = {};
    // The grid of ImageColor: predominant with a step of width div 15, and
    // nothing at all below 16 pixels of width (the colour is then white).
    step_ = wantColor_ && request_.nColorMode == ColorModePredominant && width >= 16 ? width / 15 : 0;
    if (step_ > 0) {
        try {
            samples_.reserve(SampleCount(width, height, step_));
        } catch (const std::bad_alloc&) {
            return "not enough memory";
        }
    }
    return {};
}

bool PictureColorRows::Wants(int y) const {
    if (y == 0 || y == height_ - 1)
        return true;
    if (!wantColor_)
        return false;
    if (request_.nColorMode != ColorModePredominant)
        return true;
    return step_ > 0 && y % step_ == 0;
}

void PictureColorRows::Corner(int x, int y, const std::uint8_t* pixel) {
    const bool left = x == 0, right = x == width_ - 1, top = y == 0, bottom = y == height_ - 1;
    if (top && left)
        corners_.TopLeft = PixelColor(pixel);
    if (top && right)
        corners_.TopRight = PixelColor(pixel);
    if (bottom && left)
        corners_.BottomLeft = PixelColor(pixel);
    if (bottom && right)
        corners_.BottomRight = PixelColor(pixel);
}

void PictureColorRows::Row(int y, const std::uint8_t* pixels) {
    if (y == 0 || y == height_ - 1) {
        Corner(0, y, pixels);
        Corner(width_ - 1, y, pixels + static_cast<std::ptrdiff_t>(width_ - 1) * 3);
    }
    if (!wantColor_)
        return;
    if (request_.nColorMode == ColorModePredominant) {
        if (step_ > 0 && y % step_ == 0)
            SampleRow(pixels, width_, step_, samples_);
        return;
    }
    Pixels(pixels, width_);
}

// The sums do not depend on the order of the pixels.
void PictureColorRows::Pixels(const std::uint8_t* pixels, int count) {
    const BitmapView row{pixels, count, 1, 0};
    ChannelSums sums;
    SumAll(row, sums);
    Add(all_, sums);
    if (sumMidTones_) {
        SumMidTones(row, sums, detail::AverageKernel::Automatic);
        Add(filtered_, sums);
    }
}

TColor PictureColorRows::Color(ColorExplanation* why) const {
    if (why) {
        *why = {};
        why->width = width_, why->height = height_;
        why->predominant = request_.nColorMode == ColorModePredominant;
    }
    if (request_.nColorMode == ColorModePredominant) {
        PredominantExplanation* vote = why ? &why->vote : nullptr;
        if (samples_.empty())
            return Chosen(vote, ColorRule::TooNarrow, nullptr, clWhite); // under 16 pixels wide
        NoteGrid(vote, width_, height_, step_, samples_);
        std::vector<TColor> colors = samples_;
        return VoteOfSamples(colors, vote);
    }
    AverageExplanation* average = why ? &why->average : nullptr;
    if (average) {
        average->filter = request_.IgnoreDarkLigthColors;
        average->total = all_.count;
        average->color = clBlack;
    }
    if (all_.count == 0)
        return clBlack;
    if (!request_.IgnoreDarkLigthColors) {
        const TColor color = MeanColor(all_, average);
        if (average && sumMidTones_) {
            average->hasOther = true;
            average->otherColor = MeanColor(filtered_.count > 0 ? filtered_ : all_);
            average->otherExcluded = all_.count - filtered_.count;
        }
        return color;
    }
    // With nothing left after the filter, the whole picture still has a mean.
    const TColor color = MeanColor(filtered_.count > 0 ? filtered_ : all_, average);
    if (average) {
        average->excluded = all_.count - filtered_.count;
        average->unfilteredFallback = filtered_.count == 0;
        average->hasOther = true;
        average->otherColor = MeanColor(all_);
        average->otherExcluded = average->excluded;
    }
    return color;
}

std::string_view HueBandName(HueBand band) {
    constexpr std::array<std::string_view, BandCount> Names = {"red",  "orange-yellow", "green",
                                                               "blue", "violet",        "magenta"};
    return Names[Index(band)];
}

} // namespace hg
