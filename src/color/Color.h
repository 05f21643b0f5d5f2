#pragma once
// Colour values as the whole program holds them, and the small pure helpers
// the colour analysis is built from.
//
// A colour value is 0x00BBGGRR (red in the low byte, the Windows COLORREF
// order). A top byte of 0xFF marks a system-colour code: 0xFF000000 plus a
// system colour index, which must be resolved before its bytes are channels.
#include <cstdint>
#include <string>
#include <string_view>

namespace hg {

using TColor = std::uint32_t;

inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor SystemColorFlag = 0xFF000000;

class ISystemColors;

constexpr std::uint8_t RedOf(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }
constexpr TColor RgbColor(unsigned red, unsigned green, unsigned blue) {
    return static_cast<TColor>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}
// The colour of a 24-bit bitmap pixel whose bytes in memory are blue, green, red.
constexpr TColor PixelColor(const std::uint8_t* bgr) { return RgbColor(bgr[2], bgr[1], bgr[0]); }

// The composition engine's 0xAARRGGBB form swaps red and blue; the alpha byte
// is the caller's concern (converting back drops it).
constexpr std::uint32_t ColorToArgb(TColor plain, std::uint8_t alpha) {
    return static_cast<std::uint32_t>(alpha) << 24 | static_cast<std::uint32_t>(RedOf(plain)) << 16 |
           static_cast<std::uint32_t>(GreenOf(plain)) << 8 | BlueOf(plain);
}
constexpr TColor ArgbToColor(std::uint32_t argb) {
    return RgbColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// A system-colour code becomes the current system colour of its index; any
// other value is returned unchanged.
TColor ResolveColor(TColor c, const ISystemColors& systemColors);

// Rounds to the nearest integer, ties to even (64.5 -> 64, 65.5 -> 66), then
// clamps to 0..255. NaN gives 0.
int ClampToByte(double x);

TColor ColorFromReals(double red, double green, double blue);

// Adds amount to each channel, stopping at 0 and 255. The first form resolves
// system-colour codes; the second is for plain colours and reads only the low
// three bytes.
TColor ShiftColor(TColor c, int amount, const ISystemColors& systemColors);
TColor ShiftColor(TColor plain, int amount);
TColor DarkenColor(TColor c, int amount, const ISystemColors& systemColors);
TColor DarkenColor(TColor plain, int amount);

// Light or dark by the sum of its channels (above 384 is light): the rule
// that tones down a light average colour. Plain colours only.
constexpr bool IsLightColor(TColor plain) { return RedOf(plain) + GreenOf(plain) + BlueOf(plain) > 384; }
// Black over a light colour, white over a dark one: text that stays readable.
constexpr TColor ContrastingTextColor(TColor plain) { return IsLightColor(plain) ? clBlack : clWhite; }

// Six upper-case hex digits of the low three bytes, blue first ("0000FF" is
// pure red). Keys of this fixed length sort as their colour values do.
std::string ColorToHexKey(TColor c);
// The key read back as a number. Anything that is not a key made by
// ColorToHexKey gives black.
TColor HexKeyToColor(std::string_view key);

} // namespace hg
