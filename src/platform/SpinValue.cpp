#include "platform/SpinValue.h"

#include <limits>

namespace hg {

namespace {
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
} // namespace

std::optional<std::int64_t> ParseSpinText(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    // Accumulated as a negative number, whose range is one larger, so that
    // the smallest 64-bit value reads too.
    std::int64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        const int digit = c - L'0';
        if (value < (kMin + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    if (value == kMin)
        return std::nullopt;
    return -value;
}

std::wstring SpinText(std::int64_t value) { return std::to_wstring(value); }

std::int64_t ClampValue(std::int64_t v, std::int64_t minValue, std::int64_t maxValue) {
    if (maxValue == minValue)
        return v;
    if (v < minValue)
        return minValue;
    if (v > maxValue)
        return maxValue;
    return v;
}

std::int64_t StepValue(std::int64_t value, std::int64_t increment, bool up) {
    if (up) {
        if (increment > 0 && value > kMax - increment)
            return kMax;
        if (increment < 0 && value < kMin - increment)
            return kMin;
        return value + increment;
    }
    if (increment < 0 && value > kMax + increment)
        return kMax;
    if (increment > 0 && value < kMin + increment)
        return kMin;
    return value - increment;
}

bool AcceptsChar(wchar_t key, bool editorEnabled, wchar_t decimalSeparator) {
    // Return, line feed and tab would break the one-line number (the control
    // is a multi-line edit underneath, which would insert them).
    if (key == L'\r' || key == L'\n' || key == L'\t')
        return false;
    if (key < 32)
        return editorEnabled || key != L'\b';
    if (!editorEnabled)
        return false;
    return (key >= L'0' && key <= L'9') || key == L'+' || key == L'-' || key == decimalSeparator;
}

std::wstring FilterPastedText(std::wstring_view text, wchar_t decimalSeparator) {
    std::wstring kept;
    for (const wchar_t c : text)
        if (c >= 32 && AcceptsChar(c, true, decimalSeparator))
            kept += c;
    return kept;
}

} // namespace hg
