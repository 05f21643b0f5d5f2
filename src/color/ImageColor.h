#pragma once
// The one colour of a picture: the predominant colour (a vote of hue bands
// over a coarse grid of sampled colours) or the average colour.
#include "color/Bitmap.h"
#include "color/Color.h"

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

namespace detail {
// The filtered average has a portable loop and, on x86-64, SSSE3 and AVX2
// builds of the same loop, the best the processor has chosen at run time.
// Tests run each.
enum class AverageKernel { Automatic, Portable, Ssse3, Avx2 };
bool HaveKernel(AverageKernel kernel);
TColor AverageColorWith(const BitmapView& image, bool ignoreDarkLight, AverageKernel kernel);
} // namespace detail

} // namespace hg
