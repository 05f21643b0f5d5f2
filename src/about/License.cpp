#include "about/License.h"

#include <cstdint>

namespace hg {

namespace {

// Appends one character (a code point) as RTF.
void AppendRtf(std::string& out, std::uint32_t cp) {
    if (cp == '\\' || cp == '{' || cp == '}') {
        out += '\\';
        out += static_cast<char>(cp);
    } else if (cp >= 0x20 && cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp == '\t') {
        out += "\\tab ";
    } else if (cp < 0x20) {
        // other control characters have no place in the document
    } else {
        const auto unit = [&](std::uint32_t u) {
            out += "\\u" + std::to_string(static_cast<std::int16_t>(u)) + "?";
        };
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
}

// Decodes UTF-8 leniently: a malformed byte stands for itself (Latin-1).
template <typename F>
void ForEachCodePoint(std::string_view text, F f) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : 0;
        std::uint32_t cp = extra == 3 ? (b & 0x07) : extra == 2 ? (b & 0x0F) : extra == 1 ? (b & 0x1F) : b;
        bool ok = b < 0x80 || extra > 0;
        for (std::size_t k = 1; ok && k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (!ok) {
            f(static_cast<std::uint32_t>(b));
            ++i;
        } else {
            f(cp);
            i += extra + 1;
        }
    }
}

} // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

std::string PlainTextToRtf(std::string_view utf8) {
    if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF")
        utf8.remove_prefix(3);
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}}\\f0\\fs16\n";
    bool first = true;
    bool inParagraph = false;
    for (const std::string& line : SplitLines(utf8)) {
        const bool blank = line.find_first_not_of(" \t") == std::string::npos;
        if (blank) {
            if (inParagraph) {
                rtf += first ? "\\b0\\par\\par\n" : "\\par\\par\n";
                first = false;
                inParagraph = false;
            }
            continue;
        }
        if (!inParagraph) {
            if (first)
                rtf += "\\b ";
            inParagraph = true;
        } else {
            rtf += ' ';
        }
        ForEachCodePoint(line, [&](std::uint32_t cp) { AppendRtf(rtf, cp); });
    }
    if (inParagraph)
        rtf += first ? "\\b0\\par\n" : "\\par\n";
    rtf += "}";
    return rtf;
}

PrintResult PrintPages(std::int32_t length, IPageSink& sink) {
    PrintResult result;
    std::int32_t printed = 0;
    while (printed < length) {
        if (!sink.StartPage()) {
            result.ok = false;
            break;
        }
        const std::int32_t next = sink.PrintPage(printed);
        ++result.pages;
        if (!sink.EndPage()) {
            result.ok = false;
            break;
        }
        if (next <= printed)
            break; // no progress: the same page again and again
        printed = next;
    }
    return result;
}

} // namespace hg

