#pragma once
// The value rules of the numeric spin control: which characters it takes,
// how its text reads as a number, stepping and clamping. The number lives
// only in the control's text; these functions decide, the control applies.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hg {

// The text as a signed 64-bit decimal number: an optional sign and digits,
// blanks around it allowed. Anything else, and any number outside the
// 64-bit range, is not a number (nullopt) - never a wrapped value.
std::optional<std::int64_t> ParseSpinText(std::wstring_view text);

std::wstring SpinText(std::int64_t value);

// v limited to [minValue, maxValue]; unlimited when the two are equal.
std::int64_t ClampValue(std::int64_t v, std::int64_t minValue, std::int64_t maxValue);

// value + increment (up) or value - increment (down), saturating at the ends
// of the 64-bit range instead of overflowing.
std::int64_t StepValue(std::int64_t value, std::int64_t increment, bool up);

// Whether a typed character goes into the text: digits, signs and the
// decimal separator while the text can be edited; control characters (the
// editing keys) always, except return, line feed and tab, which would break
// the one-line text, and backspace only while editable.
bool AcceptsChar(wchar_t key, bool editorEnabled, wchar_t decimalSeparator);

// A pasted text reduced to the characters typing would accept (control
// characters, line breaks included, dropped).
std::wstring FilterPastedText(std::wstring_view text, wchar_t decimalSeparator);

} // namespace hg
