#pragma once
// printf-style formatting of user-visible text with a run-time argument list,
// for messages that carry numbers or names.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace hg {

// One argument of Format: a signed or unsigned integer, a floating-point
// number or a text.
class FormatArg {
public:
    template <typename T>
    requires std::is_integral_v<T> &&(!std::is_same_v<T, bool>)&&std::is_signed_v<T> FormatArg(T value)
        : value_(static_cast<std::int64_t>(value)) {}
    template <typename T>
    requires std::is_integral_v<T> &&(!std::is_same_v<T, bool>)&&std::is_unsigned_v<T> FormatArg(T value)
        : value_(static_cast<std::uint64_t>(value)) {}
    FormatArg(double value) : value_(value) {}
    FormatArg(std::wstring_view text) : value_(std::wstring(text)) {}
    FormatArg(const wchar_t* text) : value_(std::wstring(text ? text : L"")) {}
    FormatArg(const std::wstring& text) : value_(text) {}

    const std::variant<std::int64_t, std::uint64_t, double, std::wstring>& Value() const { return value_; }

private:
    std::variant<std::int64_t, std::uint64_t, double, std::wstring> value_;
};

// Formats `format` with `args`. Directives: %[-][width][.precision]type with
// the types d (decimal integer; precision = minimum digits), u (unsigned
// decimal), x (upper-case hexadecimal), s (text, or a number in decimal;
// precision = maximum characters), f (fixed-point, default precision 2) and
// %% for a percent sign.
// A directive that is malformed, has no argument left or does not fit its
// argument is copied into the result as written, so a faulty message still
// shows its text and the fault is easy to spot.
std::wstring Format(std::wstring_view format, std::initializer_list<FormatArg> args);

} // namespace hg
