#include "manual/Palette.h"

#include <cwchar>
#include <cwctype>

namespace hg {

namespace {

constexpr wchar_t kEntrySeparator = L',';

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
        text.remove_suffix(1);
    return text;
}

// The slot of "ColorA" to "ColorP" (any case), or -1.
int SlotOf(std::wstring_view name) {
    constexpr std::wstring_view prefix = L"color";
    if (name.size() != prefix.size() + 1)
        return -1;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::towlower(static_cast<wint_t>(name[i])) != static_cast<wint_t>(prefix[i]))
            return -1;
    const int slot = static_cast<int>(std::towupper(static_cast<wint_t>(name.back()))) - L'A';
    return slot >= 0 && slot < static_cast<int>(CustomColorCount) ? slot : -1;
}

// One to eight hexadecimal digits; anything else is no colour (never wrapped).
TColor ParseHexColor(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 8)
        return EmptyCustomColor;
    TColor value = 0;
    for (wchar_t c : digits) {
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<unsigned>(c - L'0');
        else if (c >= L'a' && c <= L'f')
            digit = static_cast<unsigned>(c - L'a' + 10);
        else if (c >= L'A' && c <= L'F')
            digit = static_cast<unsigned>(c - L'A' + 10);
        else
            return EmptyCustomColor;
        value = (value << 4) | digit;
    }
    return value;
}

} // namespace

const CustomColorPalette& DefaultCustomColors() {
    static const CustomColorPalette palette{0xAAAAAA, 0xFFCF8A, 0xD698F5, 0x40DBF3, 0x5ED7AC, 0xD9D978,
                                            0x51AFFF, 0x6F6FFF, 0xA758F2, 0x75D048, 0xFF8AC4, 0xFFAB4B,
                                            0xFE9797, 0xA8B5C3, 0xDDDDDD, 0xB7D0C4};
    return palette;
}

CustomColorPalette ParseCustomColors(const std::optional<std::wstring>& value) {
    if (!value)
        return DefaultCustomColors();
    CustomColorPalette palette;
    palette.fill(EmptyCustomColor);
    std::array<bool, CustomColorCount> seen{};
    std::wstring_view rest = *value;
    while (!rest.empty()) {
        const std::size_t end = rest.find(kEntrySeparator);
        const std::wstring_view entry = rest.substr(0, end);
        rest = end == std::wstring_view::npos ? std::wstring_view{} : rest.substr(end + 1);
        const std::size_t equals = entry.find(L'=');
        if (equals == std::wstring_view::npos)
            continue;
        const int slot = SlotOf(Trim(entry.substr(0, equals)));
        if (slot < 0 || seen[static_cast<std::size_t>(slot)])
            continue;
        seen[static_cast<std::size_t>(slot)] = true;
        palette[static_cast<std::size_t>(slot)] = ParseHexColor(Trim(entry.substr(equals + 1)));
    }
    return palette;
}

std::wstring FormatCustomColors(const CustomColorPalette& palette) {
    std::wstring value;
    for (std::size_t slot = 0; slot < palette.size(); ++slot) {
        if (slot != 0)
            value += kEntrySeparator;
        wchar_t digits[9];
        std::swprintf(digits, 9, L"%06X", static_cast<unsigned>(palette[slot]));
        value += L"Color";
        value += static_cast<wchar_t>(L'A' + slot);
        value += L'=';
        value += digits;
    }
    return value;
}

} // namespace hg
