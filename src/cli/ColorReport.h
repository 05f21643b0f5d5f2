#pragma once
// What hueglass-color prints about a picture's colour: the plain line, the
// JSON object of --json, the readable lines of --explain and the picture of
// --sheet. All of them read one ColorExplanation, which the extraction fills
// while it picks the colour.
#include "cli/Wtf8.h"
#include "color/Bitmap.h"
#include "color/ImageColor.h"

#include <string>
#include <string_view>

namespace hg {

// "#RRGGBB" and "0x00BBGGRR" (upper-case hex).
std::string WebColor(TColor color);
std::string ColorRefText(TColor color);

// "#RRGGBB<TAB>0x00BBGGRR<TAB>FILE\n".
std::string PlainLine(TColor color, std::string_view file);

// "predominant", "average" or "average-filtered".
std::string_view ModeName(const ColorExplanation& why);

// One JSON object on one line, ending in a line feed.
std::string JsonLine(std::string_view file, const ColorExplanation& why, NameBytes bytes);

// The plain line, then a few indented lines of how the colour was reached.
std::string ExplainText(std::string_view file, const ColorExplanation& why);

// Where the sheet puts the large swatch of the result (its centre, in the
// sheet's pixels), so that a test can look at it once the sheet is drawn.
struct SheetPoint {
    int x, y;
};
inline constexpr SheetPoint SheetResultSwatchCentre = {552, 147};
// The thumbnail is fitted into this box.
inline constexpr int SheetThumbnailWidth = 360, SheetThumbnailHeight = 240;

// The sheet: a self-contained SVG. `thumbnailPng` is a PNG file of the
// picture at reduced size (or empty: then a grey box stands in for it).
std::string ColorSheet(std::string_view file, const ColorExplanation& why, std::string_view thumbnailPng);

} // namespace hg
