#pragma once
// The one colour of a picture: the predominant colour (a vote of hue bands
// over a coarse grid of sampled colours) or the average colour.
#include "color/Bitmap.h"
#include "color/Color.h"
#include "color/PictureRows.h"

#include <cstdint>
#include <vector>

namespace hg {

// Colour modes as the settings store them: 1 is the predominant colour, any
// other value the average colour.
inline constexpr int ColorModePredominant = 1;
inline constexpr int ColorModeAverage = 0;

// Samples every step-th column of every step-th row (a step below 1 counts as
// 1) and lets six hue bands vote; see ImageColor.cpp for the rules. An image
// without pixels gives white.
TColor PredominantColor(const BitmapView& image, int step);

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
    explicit PictureColorRows(ImageColorChoice request) : request_(request), wantColor_(true) {}

    std::string Begin(int width, int height) override;
    bool Wants(int y) const override;
    void Row(int y, const std::uint8_t* pixels) override;
    bool TakesLoosePixels() const override { return wantColor_ && request_.nColorMode != ColorModePredominant; }
    void Pixels(const std::uint8_t* pixels, int count) override;
    void Corner(int x, int y, const std::uint8_t* pixel) override;

    TColor Color() const;
    const ImageCorners& Corners() const { return corners_; }

    // Running sums of blue, green and red and the number of pixels summed.
    struct Sums {
        std::uint64_t blue = 0, green = 0, red = 0, count = 0;
    };

private:
    ImageColorChoice request_;
    bool wantColor_ = false;
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
