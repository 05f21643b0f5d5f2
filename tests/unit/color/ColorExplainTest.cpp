// How the colour was reached: the explanation the extraction fills while it
// picks the colour, and hueglass-color's --json, --explain and --sheet.
#include "cli/ColorReport.h"
#include "cli/HueglassColor.h"
#include "cli/Wtf8.h"
#include "color/Decoders.h"
#include "color/ImageColor.h"
#include "color/Thumbnail.h"
#include "platform/StdFileSystem.h"

#include "PictureFixtures.h"

#include <gtest/gtest.h>
#include <png.h>

#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <type_traits>
#include <vector>

namespace hg {
namespace {

using test::MakeBitmap;
using test::MakeRow;

constexpr TColor Rgb(unsigned r, unsigned g, unsigned b) { return RgbColor(r, g, b); }

// Three shades of each band (saturated, lightness 76..169), by table order.
const std::vector<std::vector<TColor>> Shades = {
    {Rgb(200, 40, 40), Rgb(201, 40, 40), Rgb(202, 40, 40)},    // red
    {Rgb(230, 150, 10), Rgb(231, 150, 10), Rgb(232, 150, 10)}, // orange-yellow
    {Rgb(40, 160, 60), Rgb(40, 161, 60), Rgb(40, 162, 60)},    // green
    {Rgb(40, 90, 200), Rgb(40, 90, 201), Rgb(40, 90, 202)},    // blue
    {Rgb(140, 40, 200), Rgb(140, 40, 201), Rgb(140, 40, 202)}, // violet
    {Rgb(200, 40, 140), Rgb(201, 40, 140), Rgb(202, 40, 140)}, // magenta
};
const TColor Grey10 = Rgb(10, 10, 10), Grey20 = Rgb(20, 20, 20), Grey128 = Rgb(128, 128, 128);

std::vector<TColor> Plus(std::vector<TColor> a, const std::vector<TColor>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<TColor> Reds(int n) {
    std::vector<TColor> out;
    for (int i = 0; i < n; ++i)
        out.push_back(Rgb(160 + static_cast<unsigned>(i), 40, 40));
    return out;
}

struct RuleCase {
    const char* what;
    std::vector<TColor> colors;
    ColorRule rule;
    int band; // -1: none
};

void ExpectConsistent(const PredominantExplanation& why, TColor color) {
    EXPECT_EQ(why.color, color);
    int counted = 0;
    for (const BandVote& b : why.bands)
        counted += b.count;
    EXPECT_LE(counted, static_cast<int>(why.distinct.size()));
    int members = 0;
    for (const DistinctColor& d : why.distinct)
        members += d.fate == SampleFate::Counted;
    EXPECT_EQ(members, counted);
    if (why.hasBand) {
        EXPECT_EQ(why.bands[static_cast<std::size_t>(why.band)].best, color);
    }
}

TEST(ColorExplanation, EachRuleAndEachBandIsReported) {
    std::vector<RuleCase> cases;
    const char* names[] = {"red", "orange-yellow", "green", "blue", "violet", "magenta"};
    for (int b = 0; b < HueBandCount; ++b) {
        cases.push_back({names[b], Plus(Shades[static_cast<std::size_t>(b)], {Grey10}), ColorRule::FirstPass, b});
        cases.push_back({names[b], {Shades[static_cast<std::size_t>(b)][0], Grey10, Grey20}, ColorRule::SecondPass, b});
    }
    cases.push_back({"35 reds lose pass 1 to 3 greens", Plus(Reds(35), Shades[2]), ColorRule::FirstPass, 2});
    cases.push_back({"pass 2 takes blue before orange-yellow", {Shades[1][0], Shades[3][0]}, ColorRule::SecondPass, 3});
    cases.push_back({"greys only: the middle key", {Grey10, Grey20, Grey128}, ColorRule::MiddleColor, -1});
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.what);
        PredominantExplanation why;
        const Bitmap24 image = MakeRow(c.colors);
        const TColor color = PredominantColor(image.View(), 1, &why);
        EXPECT_EQ(color, PredominantColor(image.View(), 1)); // asking changes nothing
        EXPECT_EQ(why.rule, c.rule);
        EXPECT_EQ(why.hasBand, c.band >= 0);
        if (c.band >= 0)
            EXPECT_EQ(static_cast<int>(why.band), c.band);
        else
            EXPECT_EQ(color, Grey20); // position 3 div 2 = 1
        ExpectConsistent(why, color);
    }
}

TEST(ColorExplanation, WorkedExampleShowsEveryStep) {
    const std::vector<TColor> example = {Rgb(40, 90, 200), Rgb(30, 70, 160),   Rgb(0, 60, 190), Rgb(20, 60, 120),
                                         Rgb(200, 60, 40), Rgb(180, 50, 30),   Rgb(240, 240, 240), Rgb(10, 10, 10)};
    PredominantExplanation why;
    EXPECT_EQ(PredominantColor(MakeRow(example).View(), 1, &why), 0x00BE3C00u);
    EXPECT_EQ(why.samples, example); // in grid order, before sorting
    ASSERT_EQ(why.distinct.size(), 8u);
    EXPECT_EQ(why.distinct.front().fate, SampleFate::TooDark);
    EXPECT_EQ(why.distinct.back().fate, SampleFate::TooLight);
    const BandVote& red = why.bands[0];
    const BandVote& blue = why.bands[3];
    EXPECT_EQ(red.count, 2);
    EXPECT_EQ(red.best, 0x001E32B4u);
    EXPECT_EQ(red.fallback, 0x00283CC8u);
    EXPECT_EQ(blue.count, 4);
    EXPECT_EQ(blue.best, 0x00BE3C00u);
    EXPECT_EQ(blue.fallback, 0x00C85A28u);
    EXPECT_EQ(why.rule, ColorRule::FirstPass);
    EXPECT_EQ(why.band, HueBand::Blue);
}

TEST(ColorExplanation, PaleColoursAreSkippedInTheirOwnBand) {
    // An orange of saturation below 200 is not counted, not even as red.
    PredominantExplanation why;
    PredominantColor(MakeRow({Rgb(200, 140, 80), Grey10}).View(), 1, &why);
    ASSERT_EQ(why.distinct.size(), 2u);
    EXPECT_EQ(why.distinct[1].fate, SampleFate::TooPale);
    EXPECT_EQ(why.distinct[1].band, HueBand::OrangeYellow);
    EXPECT_EQ(why.rule, ColorRule::MiddleColor);
}

// Rows through the same consumer the program and the tool use.
TColor ColorOfRows(const Bitmap24& image, ImageColorChoice choice, ColorExplanation* why, bool alsoMidTones = false) {
    PictureColorRows rows(choice);
    if (alsoMidTones)
        rows.AlsoSumMidTones();
    EXPECT_EQ(DeliverRows(image.View(), rows), "");
    return rows.Color(why);
}

TEST(ColorExplanation, RowsGiveTheGridAndTheNarrowRule) {
    ColorExplanation why;
    const Bitmap24 wide = MakeBitmap(31, 5, [](int x, int y) { return Rgb(40, 90, 150 + static_cast<unsigned>(x + y)); });
    EXPECT_EQ(ColorOfRows(wide, {ColorModePredominant, false}, &why), ImageColor(wide.View(), ColorModePredominant, false));
    EXPECT_EQ(why.vote.step, 2);
    EXPECT_EQ(why.vote.columns, 16);
    EXPECT_EQ(why.vote.rows, 3);
    EXPECT_EQ(why.vote.samples.size(), 48u);
    ExpectConsistent(why.vote, why.vote.color);

    const Bitmap24 narrow = MakeBitmap(15, 4, [](int, int) { return Rgb(40, 90, 200); });
    EXPECT_EQ(ColorOfRows(narrow, {ColorModePredominant, false}, &why), clWhite);
    EXPECT_EQ(why.vote.rule, ColorRule::TooNarrow);
    EXPECT_FALSE(why.vote.hasBand);
}

TEST(ColorExplanation, AverageCountsSumsAndDarkening) {
    // Worked example of the average: 16 x 1, the eight colours twice.
    const std::vector<TColor> example = {Rgb(40, 90, 200), Rgb(30, 70, 160),   Rgb(0, 60, 190), Rgb(20, 60, 120),
                                         Rgb(200, 60, 40), Rgb(180, 50, 30),   Rgb(240, 240, 240), Rgb(10, 10, 10)};
    const Bitmap24 image = MakeRow(Plus(example, example));
    ColorExplanation why;
    EXPECT_EQ(ColorOfRows(image, {ColorModeAverage, true}, &why), 0x00784B78u);
    const AverageExplanation& a = why.average;
    EXPECT_TRUE(a.filter);
    EXPECT_EQ(a.total, 16u);
    EXPECT_EQ(a.pixels, 4u);
    EXPECT_EQ(a.excluded, 12u);
    EXPECT_FALSE(a.unfilteredFallback);
    EXPECT_EQ(a.sumRed, 480u);
    EXPECT_EQ(a.sumGreen, 300u);
    EXPECT_EQ(a.sumBlue, 480u);
    EXPECT_FALSE(a.darkened);
    EXPECT_TRUE(a.hasOther);
    EXPECT_EQ(a.otherColor, 0x007C505Au); // without the filter, from the same pass

    EXPECT_EQ(ColorOfRows(image, {ColorModeAverage, false}, &why, true), 0x007C505Au);
    EXPECT_EQ(why.average.pixels, 16u);
    EXPECT_EQ(why.average.excluded, 0u);
    EXPECT_EQ(why.average.sumBlue, 1980u);
    EXPECT_EQ(why.average.otherColor, 0x00784B78u);
    EXPECT_EQ(why.average.otherExcluded, 12u);

    const Bitmap24 light = MakeBitmap(4, 4, [](int, int) { return Rgb(200, 180, 160); });
    EXPECT_EQ(ColorOfRows(light, {ColorModeAverage, false}, &why), Rgb(180, 160, 140));
    EXPECT_TRUE(why.average.darkened);
    EXPECT_EQ(why.average.mean, Rgb(200, 180, 160));

    // Every pixel filtered out: the mean of all of them.
    const Bitmap24 black = MakeBitmap(4, 4, [](int, int) { return Rgb(5, 5, 5); });
    EXPECT_EQ(ColorOfRows(black, {ColorModeAverage, true}, &why), Rgb(5, 5, 5));
    EXPECT_TRUE(why.average.unfilteredFallback);
    EXPECT_EQ(why.average.excluded, 16u);
    EXPECT_EQ(why.average.pixels, 16u);
}

// ----- names in JSON -----

TEST(JsonString, EscapesWhatJsonAndTheNameRequire) {
    struct Case {
        std::string in;
        NameBytes bytes;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"plain.jpg", NameBytes::Posix, "\"plain.jpg\""},
        {"a\"b\\c", NameBytes::Posix, "\"a\\\"b\\\\c\""},
        {std::string("t\tn\nr\r\x01\x1f\x7f", 9), NameBytes::Posix, "\"t\\tn\\nr\\r\\u0001\\u001f\\u007f\""},
        {std::string("nul\0x", 5), NameBytes::Posix, "\"nul\\u0000x\""},
        {"caf\xC3\xA9 \xF0\x9F\x8C\x8A", NameBytes::Posix, "\"caf\xC3\xA9 \xF0\x9F\x8C\x8A\""}, // valid UTF-8 as it is
        {"bad\xFF\xC3", NameBytes::Posix, "\"bad\\udcff\\udcc3\""},                         // stray and cut bytes
        {"\xC0\xAF", NameBytes::Posix, "\"\\udcc0\\udcaf\""},                               // overlong slash
        {"\xED\xA0\x80", NameBytes::Posix, "\"\\udced\\udca0\\udc80\""},                    // no surrogate in a byte name
        {"\xED\xA0\x80x", NameBytes::Wtf8, "\"\\ud800x\""},                                 // Windows: exactly the unit
    };
    for (const Case& c : cases)
        EXPECT_EQ(JsonString(c.in, c.bytes), c.out) << c.out;
}

TEST(Wtf8, WindowsNamesComeBackExactly) {
    const char16_t loneHigh[] = {0xD800, u'x', 0}, loneLow[] = {u'a', 0xDC00, 0}, lastHigh[] = {0xDBFF, 0};
    const std::u16string names[] = {u"plain", u"caf\u00e9", u"\U0001F30A wave", loneHigh, loneLow, lastHigh};
    for (const std::u16string& name : names)
        EXPECT_EQ(WideFromWtf8(Wtf8FromWide(name)), name);
    EXPECT_EQ(Wtf8FromWide(std::u16string(1, char16_t(0xD800))), "\xED\xA0\x80");
    EXPECT_EQ(Wtf8FromWide(u"\U0001F30A"), "\xF0\x9F\x8C\x8A"); // a pair is one code point
    EXPECT_EQ(WideFromWtf8("a\xFF"), u"a\uFFFD");
    EXPECT_EQ(ShownUtf8("a\xFF\xED\xA0\x80"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

// ----- the tool -----

struct ToolRun {
    int status = 0;
    std::string out, err;
};

ToolRun RunTool(std::vector<std::string> args) {
    ToolRun run;
    StdFileSystem files;
    const ToolOutput output{[&](std::string_view t) { run.out += t; }, [&](std::string_view t) { run.err += t; }};
    run.status = RunHueglassColor(args, files, nullptr, output);
    return run;
}

// A top-down 24-bit Windows bitmap of the picture.
test::Bytes BmpOf(const Bitmap24& image) {
    test::Bytes pixels;
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* row = image.Row(y);
        pixels.insert(pixels.end(), row, row + Bitmap24::StrideFor(image.Width()));
    }
    return test::MakeBmp(40, image.Width(), -image.Height(), 24, 0, {}, pixels);
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ExplainTool : public testing::Test {
protected:
    test::TempFolder folder;
    std::string sea, greys, broken;

    void SetUp() override {
        const std::vector<TColor> example = {Rgb(40, 90, 200), Rgb(30, 70, 160), Rgb(0, 60, 190),
                                             Rgb(20, 60, 120), Rgb(200, 60, 40), Rgb(180, 50, 30),
                                             Rgb(240, 240, 240), Rgb(10, 10, 10)};
        sea = folder.Write("sea.bmp", BmpOf(MakeRow(Plus(example, example)))).string();
        greys = folder.Write("grey.bmp", BmpOf(MakeBitmap(16, 2, [](int x, int) {
                                 return x < 8 ? Grey10 : Grey128;
                             }))).string();
        broken = folder.Write("broken.png", {0x89, 'P', 'N', 'G'}).string();
    }
};

TEST_F(ExplainTool, JsonLinesOfTheWorkedExample) {
    const ToolRun run = RunTool({"--json", sea, broken, greys});
    EXPECT_EQ(run.status, 1);
    const std::string seaName = JsonString(sea, NameBytes::Posix);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
              "{\"file\":" + seaName +
                  ",\"width\":16,\"height\":1,\"mode\":\"predominant\",\"color\":\"#003CBE\",\"colorref\":\"0x00BE3C00\","
                  "\"step\":1,\"samples\":16,\"distinct\":8,\"skipped\":{\"dark\":1,\"light\":1,\"pale\":0},\"bands\":["
                  "{\"name\":\"red\",\"count\":2,\"best\":\"#B4321E\",\"fallback\":\"#C83C28\"},"
                  "{\"name\":\"orange-yellow\",\"count\":0,\"best\":null,\"fallback\":null},"
                  "{\"name\":\"green\",\"count\":0,\"best\":null,\"fallback\":null},"
                  "{\"name\":\"blue\",\"count\":4,\"best\":\"#003CBE\",\"fallback\":\"#285AC8\"},"
                  "{\"name\":\"violet\",\"count\":0,\"best\":null,\"fallback\":null},"
                  "{\"name\":\"magenta\",\"count\":0,\"best\":null,\"fallback\":null}],"
                  "\"chosen\":{\"rule\":\"pass1\",\"band\":\"blue\"}}\n");
    // The unreadable file gives its error and no line; the next file its line.
    EXPECT_NE(run.err.find(broken), std::string::npos);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2);
    EXPECT_NE(run.out.find("\"chosen\":{\"rule\":\"middle\",\"band\":null}"), std::string::npos) << run.out;

    EXPECT_EQ(RunTool({"--json", "--average", "--ignore-dark-light", sea}).out,
              "{\"file\":" + seaName +
                  ",\"width\":16,\"height\":1,\"mode\":\"average-filtered\",\"color\":\"#784B78\","
                  "\"colorref\":\"0x00784B78\",\"pixels\":4,\"excluded\":12,\"unfiltered_fallback\":false,"
                  "\"sums\":{\"red\":480,\"green\":300,\"blue\":480},\"mean\":\"#784B78\",\"darkened\":false}\n");
    EXPECT_NE(RunTool({"--json", "--average", sea}).out.find("\"mode\":\"average\",\"color\":\"#5A507C\""),
              std::string::npos);
}

TEST_F(ExplainTool, EveryFormGivesThePlainColour) {
    for (const std::vector<std::string>& mode :
         {std::vector<std::string>{}, {"--average"}, {"--average", "--ignore-dark-light"}}) {
        for (const std::string& file : {sea, greys}) {
            std::vector<std::string> args = mode;
            args.push_back(file);
            const std::string plain = RunTool(args).out;
            std::vector<std::string> explain = args, json = args, sheet = args;
            explain.insert(explain.begin(), "--explain");
            json.insert(json.begin(), "--json");
            sheet.insert(sheet.begin(), {"--sheet", (folder.Path() / "s.svg").string()});
            const std::string text = RunTool(explain).out;
            EXPECT_EQ(text.substr(0, text.find('\n') + 1), plain);
            const std::string line = RunTool(json).out;
            EXPECT_NE(line.find("\"color\":\"" + plain.substr(0, 7) + "\",\"colorref\":\"" + plain.substr(8, 10) + "\""),
                      std::string::npos)
                << line;
            EXPECT_EQ(RunTool(sheet).out, plain);
        }
    }
}

TEST_F(ExplainTool, ExplainMarksTheChosenBand) {
    const std::string text = RunTool({"--explain", sea}).out;
    EXPECT_NE(text.find("  blue               4  #003CBE  #285AC8  <- chosen\n"), std::string::npos) << text;
    EXPECT_NE(text.find("chosen by pass 1"), std::string::npos) << text;
    const std::string average = RunTool({"--explain", "--average", "--ignore-dark-light", sea}).out;
    EXPECT_NE(average.find("counted 4 of 16 pixels, 12 left out (75.0 %)"), std::string::npos) << average;
    EXPECT_NE(average.find("without the filter: #5A507C"), std::string::npos) << average;
}

TEST_F(ExplainTool, SheetHoldsTheThumbnailGridAndResult) {
    const auto out = folder.Path() / "sheet.svg";
    ASSERT_EQ(RunTool({"--sheet", out.string(), sea}).status, 0);
    const std::string svg = ReadText(out);
    EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 80);
    EXPECT_NE(svg.find("xlink:href=\"data:image/png;base64,iVBORw0KGgo"), std::string::npos);
    EXPECT_NE(svg.find("<rect id=\"result\" x=\"408\" y=\"72\" width=\"288\" height=\"150\" fill=\"#003CBE\""),
              std::string::npos);
    EXPECT_EQ(std::count(svg.begin(), svg.end(), '\n') > 0, true);
    std::size_t points = 0;
    for (std::size_t at = svg.find("<circle"); at != std::string::npos; at = svg.find("<circle", at + 1))
        ++points;
    EXPECT_EQ(points, 16u); // one per grid sample
    // A name that XML could not hold is shown, not copied (byte names exist
    // on POSIX systems only).
    if (!std::is_same_v<std::filesystem::path::value_type, char>)
        return;
    const std::string odd = folder.Write("a&b<\x01\xFF.bmp", BmpOf(MakeRow(Shades[0]))).string();
    ASSERT_EQ(RunTool({"--sheet", out.string(), odd}).status, 0);
    const std::string oddSvg = ReadText(out);
    EXPECT_NE(oddSvg.find("a&amp;b&lt;\xEF\xBF\xBD\xEF\xBF\xBD.bmp"), std::string::npos);
}

TEST_F(ExplainTool, UsageOfTheNewForms) {
    const std::string svg = (folder.Path() / "x.svg").string();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--json", "--explain", sea},
                                                 {"--sheet", svg, "--json", sea},
                                                 {"--sheet", svg, sea, greys},
                                                 {"--sheet"},
                                                 {"--sheet", svg, "--sheet", svg, sea}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2) << args.front();
        EXPECT_EQ(run.out, "");
    }
    const ToolRun unwritable = RunTool({"--sheet", (folder.Path() / "none" / "x.svg").string(), sea});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot be written"), std::string::npos);
    const ToolRun missing = RunTool({"--sheet", svg, broken});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(std::filesystem::exists(svg));
}

// ----- the thumbnail -----

TEST(Thumbnail, MadeFromFewRowsAtReducedSize) {
    // 1000 x 500, left half red, right half blue.
    const Bitmap24 image = MakeBitmap(1000, 500, [](int x, int) { return x < 500 ? Rgb(200, 40, 40) : Rgb(40, 90, 200); });
    ThumbnailRows thumbnail(360, 240);
    ASSERT_EQ(DeliverRows(image.View(), thumbnail), "");
    const Bitmap24* small = thumbnail.Picture();
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->Width(), 360);
    EXPECT_EQ(small->Height(), 180);
    int wanted = 0;
    for (int y = 0; y < 500; ++y)
        wanted += thumbnail.Wants(y);
    EXPECT_EQ(wanted, 180);
    EXPECT_EQ(test::ColorAt(*small, 0, 0), Rgb(200, 40, 40));
    EXPECT_EQ(test::ColorAt(*small, 359, 179), Rgb(40, 90, 200));
    // Column 179 covers picture columns 497..499, 180 covers 500..502.
    EXPECT_EQ(test::ColorAt(*small, 179, 90), Rgb(200, 40, 40));
    EXPECT_EQ(test::ColorAt(*small, 180, 90), Rgb(40, 90, 200));
    // A column spanning both halves is their mean.
    ThumbnailRows odd(3, 3);
    ASSERT_EQ(DeliverRows(MakeRow({Rgb(0, 0, 0), Rgb(0, 0, 0), Rgb(100, 200, 50), Rgb(100, 200, 51), Rgb(9, 9, 9),
                                   Rgb(10, 10, 10)})
                              .View(),
                          odd),
              "");
    ASSERT_NE(odd.Picture(), nullptr);
    EXPECT_EQ(odd.Picture()->Width(), 3);
    EXPECT_EQ(odd.Picture()->Height(), 1); // proportions kept, never below one row
    EXPECT_EQ(test::ColorAt(*odd.Picture(), 1, 0), Rgb(100, 200, 51)); // 50.5 rounds half up
    EXPECT_EQ(test::ColorAt(*odd.Picture(), 2, 0), Rgb(10, 10, 10));   // 9.5 rounds up
    // A small picture is not enlarged.
    ThumbnailRows same(360, 240);
    ASSERT_EQ(DeliverRows(MakeRow(Shades[0]).View(), same), "");
    EXPECT_EQ(same.Picture()->Width(), 3);
}

TEST(Thumbnail, EncodedAsAPngThatDecodesToTheSamePixels) {
    const Bitmap24 image = MakeBitmap(37, 11, [](int x, int y) {
        return Rgb(static_cast<unsigned>(x * 7), static_cast<unsigned>(y * 20), static_cast<unsigned>(x + y));
    });
    const std::vector<std::uint8_t> png = EncodePng(image.View());
    const PictureResult back = DecodePng(png);
    ASSERT_TRUE(back) << back.error;
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(test::ColorAt(*back.bitmap, x, y), test::ColorAt(image, x, y)) << x << "," << y;
}

TEST(Thumbnail, OneDecodeFeedsTheColourAndTheThumbnail) {
    // An interlaced PNG: the average takes its pixels loose, pass by pass, so
    // the thumbnail gets no rows from that decode and the sheet reads it again.
    test::PngSpec png;
    png.width = 40, png.height = 20, png.colorType = PNG_COLOR_TYPE_RGB, png.interlaced = true;
    for (int y = 0; y < 20; ++y) {
        test::Bytes row;
        for (int x = 0; x < 40; ++x)
            row.insert(row.end(), {static_cast<std::uint8_t>(x * 6), 90, 200});
        png.rows.push_back(row);
    }
    const test::Bytes file = test::EncodePng(png);
    PictureColorRows average({ColorModeAverage, false});
    ThumbnailRows loose(360, 240);
    BothRows both(average, loose);
    ASSERT_EQ(DecodePngRows(file, both), "");
    EXPECT_FALSE(loose.Complete());
    PictureColorRows predominant({ColorModePredominant, false});
    ThumbnailRows rows(360, 240);
    BothRows again(predominant, rows);
    ASSERT_EQ(DecodePngRows(file, again), "");
    ASSERT_TRUE(rows.Complete());
    EXPECT_EQ(test::ColorAt(*rows.Picture(), 10, 5), Rgb(60, 90, 200));
    EXPECT_EQ(predominant.Color(), ImageColor(DecodePng(file).bitmap->View(), ColorModePredominant, false));

    test::TempFolder folder;
    const std::string name = folder.Write("interlaced.png", file).string();
    const auto out = folder.Path() / "sheet.svg";
    ASSERT_EQ(RunTool({"--sheet", out.string(), "--average", name}).status, 0);
    EXPECT_NE(ReadText(out).find("data:image/png;base64,"), std::string::npos);
}

} // namespace
} // namespace hg
