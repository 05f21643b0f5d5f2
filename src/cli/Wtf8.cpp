#include "cli/Wtf8.h"

#include <cstdint>
#include <cstdio>

namespace hg {

namespace {

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point of the sequence at text[i] and its length, or length 0 when
// the bytes there are no shortest-form sequence. Surrogates (ED A0..BF ..)
// are decoded too; the callers decide what they mean.
struct Decoded {
    char32_t code = 0;
    std::size_t length = 0;
};

Decoded DecodeAt(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t code = 0, minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07, minimum = 0x10000;
    else
        return {};
    if (i + length > text.size())
        return {};
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return {};
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF)
        return {};
    return {code, length};
}

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

} // namespace

std::string Wtf8FromWide(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendCodePoint(out, unit); // an unpaired surrogate as it is
        }
    }
    return out;
}

std::u16string WideFromWtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = DecodeAt(text, i);
        if (d.length == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (d.code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((d.code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((d.code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(d.code);
        }
        i += d.length;
    }
    return out;
}

std::string JsonString(std::string_view text, NameBytes bytes) {
    std::string out = "\"";
    const auto escape = [&out](unsigned unit) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\u%04x", unit);
        out += hex;
    };
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = DecodeAt(text, i);
        if (d.length == 0 || (IsSurrogate(d.code) && bytes == NameBytes::Posix)) {
            // A byte no text holds (on Windows only a surrogate can be one).
            escape(0xDC00 + static_cast<std::uint8_t>(text[i]));
            ++i;
            continue;
        }
        const char32_t c = d.code;
        if (IsSurrogate(c))
            escape(static_cast<unsigned>(c));
        else if (c == '"')
            out += "\\\"";
        else if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F)
            escape(static_cast<unsigned>(c));
        else
            out.append(text.substr(i, d.length));
        i += d.length;
    }
    out += '"';
    return out;
}

std::string ShownUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = DecodeAt(text, i);
        if (d.length == 0 || IsSurrogate(d.code)) {
            out += "\xEF\xBF\xBD";
            i += d.length == 0 ? 1 : d.length;
            continue;
        }
        out.append(text.substr(i, d.length));
        i += d.length;
    }
    return out;
}

} // namespace hg
