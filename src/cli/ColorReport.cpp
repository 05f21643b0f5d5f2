#include "cli/ColorReport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace hg {

namespace {

std::string Format(const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string Number(std::uint64_t n) { return std::to_string(n); }

// "#RRGGBB", or "-" for no colour (0: black is never a band's colour).
std::string BandColor(TColor color) { return color == 0 ? "-" : WebColor(color); }

std::string JsonColor(TColor color) {
    if (color == 0)
        return "null";
    std::string text(1, '"');
    text += WebColor(color);
    text += '"';
    return text;
}

std::string_view RuleKey(ColorRule rule) {
    switch (rule) {
    case ColorRule::FirstPass:
        return "pass1";
    case ColorRule::SecondPass:
        return "pass2";
    case ColorRule::MiddleColor:
        return "middle";
    case ColorRule::TooNarrow:
        break;
    }
    return "narrow";
}

struct Skipped {
    int dark = 0, light = 0, pale = 0;
};

Skipped SkippedOf(const PredominantExplanation& vote) {
    Skipped s;
    for (const DistinctColor& d : vote.distinct) {
        s.dark += d.fate == SampleFate::TooDark;
        s.light += d.fate == SampleFate::TooLight;
        s.pale += d.fate == SampleFate::TooPale;
    }
    return s;
}

int SampleCount(const PredominantExplanation& vote) { return static_cast<int>(vote.samples.size()); }

// One sentence on the rule that chose.
std::string RuleSentence(const PredominantExplanation& vote) {
    const std::string band = vote.hasBand ? std::string(HueBandName(vote.band)) : "";
    switch (vote.rule) {
    case ColorRule::FirstPass:
        return "pass 1: " + band + " is the first band with 3 to 34 colours (order red, orange-yellow, blue, green, "
                                   "violet, magenta); its best colour";
    case ColorRule::SecondPass:
        return "pass 2: no band has 3 to 34 colours; " + band +
               " is the first band with any (order red, blue, orange-yellow, green, violet, magenta); its best colour";
    case ColorRule::MiddleColor:
        return "middle: no band has a colour; the middle one of the " + std::to_string(vote.distinct.size()) +
               " distinct colours (number " + std::to_string(vote.distinct.size() / 2 + 1) + " in key order)";
    case ColorRule::TooNarrow:
        break;
    }
    return "narrow: under 16 pixels wide, nothing is sampled and the colour is white";
}

std::string Percent(std::uint64_t part, std::uint64_t whole) {
    return Format("%.1f %%", whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
}

std::string ChannelTotal(TColor c) { return std::to_string(RedOf(c) + GreenOf(c) + BlueOf(c)); }

} // namespace

std::string WebColor(TColor color) { return Format("#%02X%02X%02X", RedOf(color), GreenOf(color), BlueOf(color)); }

std::string ColorRefText(TColor color) { return Format("0x%08X", static_cast<unsigned>(color)); }

std::string PlainLine(TColor color, std::string_view file) {
    std::string line = WebColor(color) + "\t" + ColorRefText(color) + "\t";
    line += file;
    line += '\n';
    return line;
}

std::string_view ModeName(const ColorExplanation& why) {
    if (why.predominant)
        return "predominant";
    return why.average.filter ? "average-filtered" : "average";
}

std::string JsonLine(std::string_view file, const ColorExplanation& why, NameBytes bytes) {
    const TColor color = why.predominant ? why.vote.color : why.average.color;
    std::string j = "{\"file\":" + JsonString(file, bytes);
    j += ",\"width\":" + std::to_string(why.width) + ",\"height\":" + std::to_string(why.height);
    j += ",\"mode\":\"" + std::string(ModeName(why)) + "\"";
    j += ",\"color\":\"" + WebColor(color) + "\",\"colorref\":\"" + ColorRefText(color) + "\"";
    if (why.predominant) {
        const PredominantExplanation& v = why.vote;
        const Skipped skipped = SkippedOf(v);
        j += ",\"step\":" + std::to_string(v.step) + ",\"samples\":" + std::to_string(SampleCount(v)) +
             ",\"distinct\":" + std::to_string(v.distinct.size());
        j += ",\"skipped\":{\"dark\":" + std::to_string(skipped.dark) + ",\"light\":" + std::to_string(skipped.light) +
             ",\"pale\":" + std::to_string(skipped.pale) + "}";
        j += ",\"bands\":[";
        for (int b = 0; b < HueBandCount; ++b) {
            const BandVote& vote = v.bands[static_cast<std::size_t>(b)];
            j += b ? ",{" : "{";
            j += "\"name\":\"" + std::string(HueBandName(static_cast<HueBand>(b))) + "\",\"count\":" +
                 std::to_string(vote.count) + ",\"best\":" + JsonColor(vote.best) +
                 ",\"fallback\":" + JsonColor(vote.fallback) + "}";
        }
        j += "],\"chosen\":{\"rule\":\"" + std::string(RuleKey(v.rule)) + "\",\"band\":" +
             (v.hasBand ? "\"" + std::string(HueBandName(v.band)) + "\"" : std::string("null")) + "}";
    } else {
        const AverageExplanation& a = why.average;
        j += ",\"pixels\":" + Number(a.pixels) + ",\"excluded\":" + Number(a.excluded);
        if (a.filter)
            j += std::string(",\"unfiltered_fallback\":") + (a.unfilteredFallback ? "true" : "false");
        j += ",\"sums\":{\"red\":" + Number(a.sumRed) + ",\"green\":" + Number(a.sumGreen) +
             ",\"blue\":" + Number(a.sumBlue) + "}";
        j += ",\"mean\":\"" + WebColor(a.mean) + "\"";
        j += std::string(",\"darkened\":") + (a.darkened ? "true" : "false");
    }
    j += "}\n";
    return j;
}

std::string ExplainText(std::string_view file, const ColorExplanation& why) {
    const TColor color = why.predominant ? why.vote.color : why.average.color;
    std::string t = PlainLine(color, file);
    const std::string size = "  " + std::to_string(why.width) + " x " + std::to_string(why.height) + " pixels, ";
    if (why.predominant) {
        const PredominantExplanation& v = why.vote;
        if (v.rule == ColorRule::TooNarrow)
            return t + size + "predominant colour\n  chosen by " + RuleSentence(v) + "\n";
        const Skipped s = SkippedOf(v);
        t += size + "predominant colour: grid step " + std::to_string(v.step) + ", " +
             std::to_string(SampleCount(v)) + " samples, " + std::to_string(v.distinct.size()) + " distinct colours\n";
        t += "  skipped: " + std::to_string(s.dark) + " too dark, " + std::to_string(s.light) + " too light, " +
             std::to_string(s.pale) + " too pale for their band\n";
        t += "  band           count  best     fallback\n";
        for (int b = 0; b < HueBandCount; ++b) {
            const BandVote& vote = v.bands[static_cast<std::size_t>(b)];
            const bool chosen = v.hasBand && static_cast<int>(v.band) == b;
            t += Format("  %-13s %6d  %-7s  %s%s\n", std::string(HueBandName(static_cast<HueBand>(b))).c_str(),
                        vote.count, BandColor(vote.best).c_str(), BandColor(vote.fallback).c_str(),
                        chosen ? (vote.fallback == 0 ? "        <- chosen" : "  <- chosen") : "");
        }
        t += "  chosen by " + RuleSentence(v) + ": " + WebColor(color) + "\n";
        return t;
    }
    const AverageExplanation& a = why.average;
    t += size + (a.filter ? "average colour without very dark and very light pixels\n" : "average colour of all pixels\n");
    if (a.filter) {
        t += "  counted " + Number(a.total - a.excluded) + " of " + Number(a.total) + " pixels, " + Number(a.excluded) +
             " left out (" + Percent(a.excluded, a.total) + ")\n";
        if (a.unfilteredFallback)
            t += "  the filter leaves no pixel, so the mean is taken over all " + Number(a.pixels) + "\n";
    } else {
        t += "  counted " + Number(a.pixels) + " pixels\n";
    }
    t += "  sums: red " + Number(a.sumRed) + ", green " + Number(a.sumGreen) + ", blue " + Number(a.sumBlue) +
         "; mean " + WebColor(a.mean) + "\n";
    if (a.darkened)
        t += "  darkened by 20 per channel: channel total " + ChannelTotal(a.mean) + " is above 384\n";
    else
        t += "  not darkened: channel total " + ChannelTotal(a.mean) + " is not above 384\n";
    if (a.filter && a.hasOther)
        t += "  without the filter: " + WebColor(a.otherColor) + "\n";
    return t;
}

// ----- the sheet -----

namespace {

std::string Xml(std::string_view text) {
    std::string out;
    for (const char c : ShownUtf8(text)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // XML cannot hold most control characters, not even as references.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                out += "\xEF\xBF\xBD";
            else
                out += c;
        }
    }
    return out;
}

std::string Base64(std::string_view bytes) {
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const auto at = [&](std::size_t k) { return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u; };
        const unsigned n = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
        out += Digits[(n >> 18) & 63];
        out += Digits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? Digits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? Digits[n & 63] : '=';
    }
    return out;
}

// A colour that stands for each band on its bar.
constexpr std::array<const char*, HueBandCount> BandPaint = {"#D93A3A", "#E8A317", "#3DA35D",
                                                             "#3A6FD9", "#8A4FD1", "#D13FA6"};

constexpr int Margin = 24, Top = 72, SheetWidth = 720;
constexpr int SwatchX = 408, SwatchWidth = 288, SwatchHeight = 150;
static_assert(SheetResultSwatchCentre.x == SwatchX + SwatchWidth / 2);
static_assert(SheetResultSwatchCentre.y == Top + SwatchHeight / 2);
// More grid points than this are not drawn (a narrow, very tall picture).
constexpr std::size_t MaxDrawnPoints = 4000;

std::string Text(int x, int y, std::string_view text, std::string_view style = "") {
    return Format("<text x=\"%d\" y=\"%d\"", x, y) + (style.empty() ? "" : " " + std::string(style)) + ">" +
           Xml(text) + "</text>\n";
}

std::string Rect(double x, double y, double w, double h, std::string_view style) {
    return Format("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" ", x, y, w, h) + std::string(style) +
           "/>\n";
}

// A small swatch of a band's colour, or an empty dashed box when it has none.
std::string SmallSwatch(int x, int y, TColor color) {
    if (color == 0)
        return Rect(x, y, 40, 24, "fill=\"#fff\" stroke=\"#bbb\" stroke-dasharray=\"3 2\"") +
               Text(x + 46, y + 16, "none", "font-size=\"10\" fill=\"#999\"");
    return "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\" width=\"40\" height=\"24\" stroke=\"#555\" fill=\"" + WebColor(color) + "\"><title>" +
           WebColor(color) + "</title></rect>\n" +
           Text(x + 46, y + 16, WebColor(color), "font-size=\"10\" fill=\"#555\"");
}

// The file's own name, without its folder, shortened to fit the sheet.
std::string TitleOf(std::string_view file) {
    const std::size_t slash = file.find_last_of("/\\");
    std::string name = ShownUtf8(slash == std::string_view::npos ? file : file.substr(slash + 1));
    constexpr std::size_t MaxCharacters = 56;
    std::size_t characters = 0, cut = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80 && ++characters == MaxCharacters)
            cut = i;
    if (characters > MaxCharacters)
        name = name.substr(0, cut) + "\u2026";
    return name;
}

struct Shown {
    double width, height; // the thumbnail's size on the sheet
};

Shown ShownSize(const ColorExplanation& why) {
    if (why.width < 1 || why.height < 1)
        return {SheetThumbnailWidth, SheetThumbnailHeight};
    const double scale = std::min(static_cast<double>(SheetThumbnailWidth) / why.width,
                                  static_cast<double>(SheetThumbnailHeight) / why.height);
    return {why.width * scale, why.height * scale};
}

std::string GridPoints(const PredominantExplanation& v, const ColorExplanation& why, Shown shown) {
    if (v.step < 1 || v.samples.empty())
        return {};
    if (v.samples.size() > MaxDrawnPoints)
        return Text(Margin, Top + static_cast<int>(shown.height) + 16,
                    std::to_string(v.samples.size()) + " grid points, too many to draw",
                    "font-size=\"11\" fill=\"#555\"");
    std::string out = "<g>\n";
    for (int r = 0; r < v.rows; ++r)
        for (int c = 0; c < v.columns; ++c) {
            const std::size_t index = static_cast<std::size_t>(r) * static_cast<std::size_t>(v.columns) +
                                      static_cast<std::size_t>(c);
            if (index >= v.samples.size())
                break;
            const TColor sample = v.samples[index];
            const auto d = std::lower_bound(v.distinct.begin(), v.distinct.end(), sample,
                                            [](const DistinctColor& a, TColor b) { return a.color < b; });
            const bool counted = d != v.distinct.end() && d->fate == SampleFate::Counted;
            const bool chosen = counted && v.hasBand && d->band == v.band;
            const double x = Margin + (c * v.step + 0.5) * shown.width / why.width;
            const double y = Top + (r * v.step + 0.5) * shown.height / why.height;
            if (chosen)
                out += Format("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"5\" fill=\"%s\" stroke=\"#fff\" stroke-width=\"2\"/>\n",
                              x, y, WebColor(sample).c_str());
            else if (counted)
                out += Format("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"%s\" stroke=\"#000\" stroke-width=\"0.8\"/>\n",
                              x, y, WebColor(sample).c_str());
            else
                out += Format("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"2\" fill=\"#fff\" stroke=\"#000\" stroke-width=\"0.6\" "
                              "opacity=\"0.8\"/>\n",
                              x, y);
        }
    out += "</g>\n";
    out += Text(Margin, Top + static_cast<int>(shown.height) + 16,
                "white ring: chosen band; dark ring: other band; dot: skipped",
                "font-size=\"11\" fill=\"#555\"");
    return out;
}

std::string BandSection(const PredominantExplanation& v, int y0, int& height) {
    int most = 35;
    for (const BandVote& b : v.bands)
        most = std::max(most, b.count);
    constexpr int BarX = 150, BarWidth = 250, BestX = 436, FallbackX = 532;
    const auto barEnd = [&](int count) { return BarX + static_cast<double>(count) * BarWidth / most; };
    std::string out = Text(Margin, y0, "Hue bands", "font-weight=\"bold\"");
    out += Text(BarX, y0, "distinct colours in the band", "font-size=\"11\" fill=\"#555\"");
    out += Text(BestX, y0, "best", "font-size=\"11\" fill=\"#555\"");
    out += Text(FallbackX, y0, "fallback", "font-size=\"11\" fill=\"#555\"");
    const int rowsTop = y0 + 10, rowHeight = 34;
    // The counts pass 1 looks for.
    out += Rect(barEnd(3), rowsTop, barEnd(34) - barEnd(3), rowHeight * HueBandCount, "fill=\"#eef3e6\"");
    for (int b = 0; b < HueBandCount; ++b) {
        const BandVote& vote = v.bands[static_cast<std::size_t>(b)];
        const int y = rowsTop + b * rowHeight;
        const bool chosen = v.hasBand && static_cast<int>(v.band) == b;
        if (chosen)
            out += Rect(Margin - 8, y + 1, SheetWidth - 2 * Margin + 16, rowHeight - 2,
                        "fill=\"none\" stroke=\"#222\" stroke-width=\"2\" rx=\"4\"");
        out += Text(Margin, y + 22, HueBandName(static_cast<HueBand>(b)), chosen ? "font-weight=\"bold\"" : "");
        const double end = vote.count > 0 ? std::max(barEnd(vote.count), BarX + 2.0) : BarX;
        if (vote.count > 0)
            out += Rect(BarX, y + 7, end - BarX, 20, std::string("fill=\"") + BandPaint[static_cast<std::size_t>(b)] + "\"");
        out += Text(static_cast<int>(end) + 6, y + 22, std::to_string(vote.count), "font-size=\"12\"");
        out += SmallSwatch(BestX, y + 5, vote.best);
        out += SmallSwatch(FallbackX, y + 5, vote.fallback);
        if (chosen)
            out += Text(SheetWidth - Margin, y + 22, "chosen", "font-size=\"12\" font-weight=\"bold\" text-anchor=\"end\"");
    }
    const int below = rowsTop + HueBandCount * rowHeight;
    out += Text(static_cast<int>(barEnd(3)), below + 14, "3 to 34: what pass 1 looks for", "font-size=\"10\" fill=\"#6a7f4f\"");
    const Skipped s = SkippedOf(v);
    out += Text(Margin, below + 34,
                "Skipped before the vote: " + std::to_string(s.dark) + " too dark, " + std::to_string(s.light) +
                    " too light, " + std::to_string(s.pale) + " too pale for their band.",
                "font-size=\"12\"");
    out += Text(Margin, below + 52,
                "Pass 1 takes the first band with 3 to 34 colours in the order red, orange-yellow, blue, green, violet, magenta;",
                "font-size=\"11\" fill=\"#555\"");
    out += Text(Margin, below + 67,
                "pass 2 the first with any colour in the order red, blue, orange-yellow, green, violet, magenta; then the middle colour.",
                "font-size=\"11\" fill=\"#555\"");
    height = below + 84;
    return out;
}

std::string LabelledSwatch(int x, int y, int w, int h, TColor color, std::string_view label) {
    return Text(x, y - 6, label, "font-size=\"12\"") +
           Rect(x, y, w, h, "stroke=\"#555\" fill=\"" + WebColor(color) + "\"") +
           Text(x, y + h + 18, WebColor(color), "font-size=\"14\" font-weight=\"bold\"");
}

std::string AverageSection(const AverageExplanation& a, int y0, int& height) {
    std::string out = Text(Margin, y0, "Average colour", "font-weight=\"bold\"");
    const int y = y0 + 30;
    const TColor with = a.filter ? a.color : a.otherColor, without = a.filter ? a.otherColor : a.color;
    const std::uint64_t excluded = a.filter ? a.excluded : a.otherExcluded;
    if (a.hasOther) {
        out += LabelledSwatch(Margin, y, 160, 80, with, a.filter ? "with the filter (result)" : "with the filter");
        out += LabelledSwatch(Margin + 184, y, 160, 80, without, a.filter ? "without the filter" : "without the filter (result)");
    } else {
        out += LabelledSwatch(Margin, y, 160, 80, a.color, "result");
    }
    // The share the dark/light filter leaves out.
    constexpr int BarX = 408, BarWidth = 288;
    const double share = a.total ? static_cast<double>(excluded) / static_cast<double>(a.total) : 0.0;
    out += Text(BarX, y - 6, "pixels the filter leaves out (too dark or too light)", "font-size=\"12\"");
    out += Rect(BarX, y, BarWidth, 24, "fill=\"#d8d8d8\" stroke=\"#555\"");
    if (share > 0)
        out += Rect(BarX, y, BarWidth * share, 24, "fill=\"#444\"");
    out += Text(BarX, y + 44, Percent(excluded, a.total) + " left out: " + Number(excluded) + " of " + Number(a.total),
                "font-size=\"13\"");
    if (a.unfilteredFallback)
        out += Text(BarX, y + 62, "every pixel left out: the mean of all pixels is used", "font-size=\"12\"");
    out += Text(Margin, y + 130,
                "Sums of the " + Number(a.pixels) + " pixels counted: red " + Number(a.sumRed) + ", green " +
                    Number(a.sumGreen) + ", blue " + Number(a.sumBlue) + "; mean " + WebColor(a.mean) + ".",
                "font-size=\"12\"");
    out += Text(Margin, y + 148,
                a.darkened ? "The mean's channels add up to " + ChannelTotal(a.mean) +
                                 ", above 384: darkened by 20 per channel."
                           : "The mean's channels add up to " + ChannelTotal(a.mean) + ", not above 384: not darkened.",
                "font-size=\"12\"");
    height = y + 172;
    return out;
}

} // namespace

std::string ColorSheet(std::string_view file, const ColorExplanation& why, std::string_view thumbnailPng) {
    const TColor color = why.predominant ? why.vote.color : why.average.color;
    const Shown shown = ShownSize(why);
    std::string body;
    body += Text(Margin, 34, TitleOf(file), "font-size=\"18\" font-weight=\"bold\"");
    std::string subtitle = std::to_string(why.width) + " x " + std::to_string(why.height) + " pixels, " +
                           (why.predominant ? "predominant colour"
                            : why.average.filter ? "average colour without very dark and very light pixels"
                                                 : "average colour of all pixels");
    if (why.predominant && why.vote.step > 0)
        subtitle += ": grid step " + std::to_string(why.vote.step) + ", " +
                    std::to_string(why.vote.samples.size()) + " samples, " + std::to_string(why.vote.distinct.size()) +
                    " distinct colours";
    body += Text(Margin, 56, subtitle, "font-size=\"13\" fill=\"#555\"");

    if (thumbnailPng.empty())
        body += Rect(Margin, Top, shown.width, shown.height, "fill=\"#ccc\"");
    else
        body += Format("<image x=\"%d\" y=\"%d\" width=\"%.1f\" height=\"%.1f\" preserveAspectRatio=\"none\" "
                       "style=\"image-rendering:pixelated\" xlink:href=\"data:image/png;base64,",
                       Margin, Top, shown.width, shown.height) +
                Base64(thumbnailPng) + "\"/>\n";
    body += Rect(Margin, Top, shown.width, shown.height, "fill=\"none\" stroke=\"#555\"");
    if (why.predominant)
        body += GridPoints(why.vote, why, shown);

    // The result.
    body += "<rect id=\"result\" x=\"" + std::to_string(SwatchX) + "\" y=\"" + std::to_string(Top) + "\" width=\"" +
            std::to_string(SwatchWidth) + "\" height=\"" + std::to_string(SwatchHeight) + "\" fill=\"" +
            WebColor(color) + "\" stroke=\"#222\"/>\n";
    body += Text(SwatchX, Top + SwatchHeight + 34, WebColor(color), "font-size=\"28\" font-weight=\"bold\"");
    body += Text(SwatchX + 150, Top + SwatchHeight + 34, ColorRefText(color), "font-size=\"13\" fill=\"#555\"");
    if (why.predominant) {
        const PredominantExplanation& v = why.vote;
        std::string rule, detail, more;
        switch (v.rule) {
        case ColorRule::FirstPass:
            rule = "pass 1: " + std::string(HueBandName(v.band));
            detail = "the first band with 3 to 34 colours;", more = "its best colour";
            break;
        case ColorRule::SecondPass:
            rule = "pass 2: " + std::string(HueBandName(v.band));
            detail = "no band has 3 to 34 colours, so the first", more = "band with any; its best colour";
            break;
        case ColorRule::MiddleColor:
            rule = "middle colour";
            detail = "no band has a colour, so the middle one", more = "of the distinct colours in key order";
            break;
        case ColorRule::TooNarrow:
            rule = "under 16 pixels wide";
            detail = "nothing is sampled;", more = "the colour is white";
            break;
        }
        body += Text(SwatchX, Top + SwatchHeight + 60, rule, "font-size=\"16\" font-weight=\"bold\"");
        body += Text(SwatchX, Top + SwatchHeight + 80, detail, "font-size=\"12\"");
        body += Text(SwatchX, Top + SwatchHeight + 96, more, "font-size=\"12\"");
    } else {
        body += Text(SwatchX, Top + SwatchHeight + 60,
                     why.average.filter ? "mean without very dark and very light pixels" : "mean of all pixels",
                     "font-size=\"13\"");
    }

    const int sectionTop = Top + std::max(static_cast<int>(shown.height) + 24, SwatchHeight + 100) + 30;
    int height = 0;
    body += why.predominant ? BandSection(why.vote, sectionTop, height) : AverageSection(why.average, sectionTop, height);

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += Format("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                  "width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" font-family=\"sans-serif\" font-size=\"14\">\n",
                  SheetWidth, height, SheetWidth, height);
    svg += "<title>" + Xml(file) + ": " + WebColor(color) + "</title>\n";
    svg += Format("<rect width=\"%d\" height=\"%d\" fill=\"#fff\"/>\n", SheetWidth, height);
    svg += body;
    svg += "</svg>\n";
    return svg;
}

} // namespace hg
