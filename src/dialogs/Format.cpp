#include "dialogs/Format.h"

#include <cwchar>
#include <cwctype>
#include <optional>
#include <vector>

namespace hg {

namespace {

struct Directive {
    bool leftAlign = false;
    int width = 0;
    std::optional<int> precision;
    wchar_t type = 0;
};

std::wstring Pad(std::wstring text, const Directive& d) {
    if (static_cast<int>(text.size()) >= d.width)
        return text;
    const std::wstring fill(static_cast<std::size_t>(d.width) - text.size(), L' ');
    return d.leftAlign ? text + fill : fill + text;
}

std::wstring Digits(std::uint64_t magnitude, unsigned base) {
    static constexpr wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring out;
    do {
        out.insert(out.begin(), digits[magnitude % base]);
        magnitude /= base;
    } while (magnitude != 0);
    return out;
}

std::wstring Integer(bool negative, std::uint64_t magnitude, unsigned base, const Directive& d) {
    std::wstring digits = Digits(magnitude, base);
    if (d.precision && static_cast<int>(digits.size()) < *d.precision)
        digits.insert(0, static_cast<std::size_t>(*d.precision) - digits.size(), L'0');
    return Pad(negative ? L"-" + digits : digits, d);
}

std::wstring Floating(double value, const Directive& d) {
    const int precision = d.precision.value_or(d.type == L'g' ? 15 : 2);
    const wchar_t directive[] = {L'%', L'.', L'*', d.type, L'\0'};
    std::vector<wchar_t> buffer(64 + static_cast<std::size_t>(precision > 0 ? precision : 0) + 330);
    const int n = std::swprintf(buffer.data(), buffer.size(), directive, precision, value);
    return Pad(n < 0 ? std::wstring() : std::wstring(buffer.data(), static_cast<std::size_t>(n)), d);
}

// The text for one directive, or nullopt when the argument does not fit.
std::optional<std::wstring> Render(const Directive& d, const FormatArg& arg) {
    const auto& v = arg.Value();
    const auto* i = std::get_if<std::int64_t>(&v);
    const auto* u = std::get_if<std::uint64_t>(&v);
    const auto* f = std::get_if<double>(&v);
    const auto* s = std::get_if<std::wstring>(&v);
    // Magnitude of a negative value without overflow at the minimum.
    auto magnitude = [](std::int64_t x) {
        return x < 0 ? 0 - static_cast<std::uint64_t>(x) : static_cast<std::uint64_t>(x);
    };
    switch (d.type) {
    case L'd':
        if (i)
            return Integer(*i < 0, magnitude(*i), 10, d);
        if (u)
            return Integer(false, *u, 10, d);
        return std::nullopt;
    case L'u':
    case L'x': {
        const unsigned base = d.type == L'x' ? 16 : 10;
        if (i)
            return Integer(false, static_cast<std::uint64_t>(*i), base, d);
        if (u)
            return Integer(false, *u, base, d);
        return std::nullopt;
    }
    case L'f':
        if (f)
            return Floating(*f, d);
        if (i)
            return Floating(static_cast<double>(*i), d);
        if (u)
            return Floating(static_cast<double>(*u), d);
        return std::nullopt;
    case L's': {
        std::wstring text =
            s   ? *s
            : i ? Integer(*i < 0, magnitude(*i), 10, {})
            : u ? Integer(false, *u, 10, {})
                : Floating(*f, Directive{.leftAlign = false, .width = 0, .precision = std::nullopt, .type = L'g'});
        if (d.precision && static_cast<int>(text.size()) > *d.precision)
            text.resize(static_cast<std::size_t>(*d.precision > 0 ? *d.precision : 0));
        return Pad(std::move(text), d);
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::wstring Format(std::wstring_view format, std::initializer_list<FormatArg> args) {
    std::wstring out;
    auto next = args.begin();
    std::size_t pos = 0;
    while (pos < format.size()) {
        const std::size_t percent = format.find(L'%', pos);
        if (percent == std::wstring_view::npos) {
            out.append(format.substr(pos));
            break;
        }
        out.append(format.substr(pos, percent - pos));
        std::size_t p = percent + 1;
        if (p < format.size() && format[p] == L'%') {
            out.push_back(L'%');
            pos = p + 1;
            continue;
        }
        Directive d;
        if (p < format.size() && format[p] == L'-') {
            d.leftAlign = true;
            ++p;
        }
        auto number = [&]() {
            int n = 0;
            while (p < format.size() && format[p] >= L'0' && format[p] <= L'9' && n < 10000)
                n = n * 10 + (format[p++] - L'0');
            return n;
        };
        d.width = number();
        if (p < format.size() && format[p] == L'.') {
            ++p;
            d.precision = number();
        }
        std::optional<std::wstring> rendered;
        if (p < format.size()) {
            d.type = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(format[p])));
            ++p;
            if (next != args.end()) {
                rendered = Render(d, *next);
                if (rendered)
                    ++next;
            }
        }
        out.append(rendered ? *rendered : std::wstring(format.substr(percent, p - percent)));
        pos = p;
    }
    return out;
}

} // namespace hg
