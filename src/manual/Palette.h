#pragma once
// The colour dialog's sixteen custom colours, kept in the settings file as
// the one-line value "CustomColors": "ColorA=AAAAAA,ColorB=FFCF8A,...",
// each entry a name ColorA to ColorP and the hexadecimal 0x00BBGGRR value.
#include "color/Color.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace hg {

inline constexpr std::size_t CustomColorCount = 16;
using CustomColorPalette = std::array<TColor, CustomColorCount>;

inline constexpr std::wstring_view kCustomColorsKey = L"CustomColors";
// The value of a slot that has no colour.
inline constexpr TColor EmptyCustomColor = 0xFFFFFFFF;

// The palette used while the settings hold none.
const CustomColorPalette& DefaultCustomColors();

// The palette held by a "CustomColors" value; a missing value gives the
// default palette. Entries are found by name (ColorA to ColorP, any case);
// the first of repeated names counts and unknown names are ignored. A slot
// whose entry is missing, empty, not hexadecimal or longer than eight digits
// is EmptyCustomColor.
CustomColorPalette ParseCustomColors(const std::optional<std::wstring>& value);

// The value for a palette: all sixteen entries in order, each with at least
// six upper-case hexadecimal digits.
std::wstring FormatCustomColors(const CustomColorPalette& palette);

} // namespace hg
