#include "color/Color.h"

#include "color/SystemColors.h"

#include <charconv>
#include <cmath>

namespace hg {

TColor ResolveColor(TColor c, const ISystemColors& systemColors) {
    if ((c & 0x80000000u) != 0)
        return systemColors.SystemColor(static_cast<int>(c & 0xFF)) & 0x00FFFFFF;
    return c;
}

int ClampToByte(double x) {
    // nearbyint rounds in the current mode, which is to nearest, ties to even.
    const double rounded = std::nearbyint(x);
    if (rounded > 255.0)
        return 255;
    if (!(rounded > 0.0)) // below zero, zero or NaN
        return 0;
    return static_cast<int>(rounded);
}

TColor ColorFromReals(double red, double green, double blue) {
    return static_cast<TColor>(ClampToByte(red)) | static_cast<TColor>(ClampToByte(green)) << 8 |
           static_cast<TColor>(ClampToByte(blue)) << 16;
}

namespace {

// Channel plus amount as a 64-bit integer, so that no amount can overflow.
TColor ShiftBy(TColor plain, std::int64_t amount) {
    const auto channel = [amount](std::uint8_t value) { return static_cast<double>(value + amount); };
    return ColorFromReals(channel(RedOf(plain)), channel(GreenOf(plain)), channel(BlueOf(plain)));
}

} // namespace

TColor ShiftColor(TColor plain, int amount) { return ShiftBy(plain, amount); }

TColor ShiftColor(TColor c, int amount, const ISystemColors& systemColors) {
    return ShiftColor(ResolveColor(c, systemColors), amount);
}

TColor DarkenColor(TColor plain, int amount) { return ShiftBy(plain, -static_cast<std::int64_t>(amount)); }

TColor DarkenColor(TColor c, int amount, const ISystemColors& systemColors) {
    return DarkenColor(ResolveColor(c, systemColors), amount);
}

std::string ColorToHexKey(TColor c) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string key(6, '0');
    for (int i = 5; i >= 0; --i) {
        key[static_cast<std::size_t>(i)] = digits[c & 0xF];
        c >>= 4;
    }
    return key;
}

TColor HexKeyToColor(std::string_view key) {
    std::uint32_t value = 0;
    const char* end = key.data() + key.size();
    const auto [ptr, ec] = std::from_chars(key.data(), end, value, 16);
    if (ec != std::errc() || ptr != end || key.size() != 6)
        return clBlack;
    return value;
}

} // namespace hg
