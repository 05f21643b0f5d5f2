// The sheet of hueglass-color --sheet as a viewer shows it: well-formed XML
// that rsvg-convert draws, with the result swatch in the chosen colour.
// Native only (it runs rsvg-convert and python3 from Debian's packages).
#include "cli/ColorReport.h"
#include "cli/HueglassColor.h"
#include "color/Decoders.h"
#include "platform/StdFileSystem.h"

#include "PictureFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace hg {
namespace {

constexpr TColor Rgb(unsigned r, unsigned g, unsigned b) { return RgbColor(r, g, b); }

test::Bytes BmpOf(const Bitmap24& image) {
    test::Bytes pixels;
    for (int y = 0; y < image.Height(); ++y)
        pixels.insert(pixels.end(), image.Row(y), image.Row(y) + Bitmap24::StrideFor(image.Width()));
    return test::MakeBmp(40, image.Width(), -image.Height(), 24, 0, {}, pixels);
}

std::string Quoted(const std::filesystem::path& path) {
    std::string quoted(1, '\'');
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

struct SheetCase {
    const char* what;
    std::vector<std::string> mode;
    TColor expected;
};

TEST(ColorSheet, RendersWithTheResultSwatchInTheChosenColour) {
    test::TempFolder folder;
    const std::vector<TColor> example = {Rgb(40, 90, 200), Rgb(30, 70, 160), Rgb(0, 60, 190), Rgb(20, 60, 120),
                                         Rgb(200, 60, 40), Rgb(180, 50, 30), Rgb(240, 240, 240), Rgb(10, 10, 10)};
    // 32 x 18: the worked example in 2 x 2 blocks, once in every row of the grid
    // (step 2) and as often as each other, so the thumbnail and its
    // grid are drawn as for a real wallpaper.
    const Bitmap24 image = test::MakeBitmap(32, 18, [&](int x, int y) { return example[static_cast<std::size_t>(x / 2 + y / 2) % 8]; });
    const std::string picture = folder.Write("sea.bmp", BmpOf(image)).string();
    const std::vector<SheetCase> cases = {
        {"predominant", {}, 0x00BE3C00},
        {"average", {"--average"}, 0x007C505A},
        {"average without dark and light", {"--average", "--ignore-dark-light"}, 0x00784B78},
    };
    for (const SheetCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto svg = folder.Path() / "sheet.svg", png = folder.Path() / "sheet.png";
        std::vector<std::string> args = {"--sheet", svg.string()};
        args.insert(args.end(), c.mode.begin(), c.mode.end());
        args.push_back(picture);
        StdFileSystem files;
        std::string out;
        const ToolOutput output{[&](std::string_view t) { out += t; }, [](std::string_view) {}};
        ASSERT_EQ(RunHueglassColor(args, files, nullptr, output), 0);
        ASSERT_EQ(out.substr(0, 18), WebColor(c.expected) + "\t" + ColorRefText(c.expected));

        const std::string parse = "python3 -c 'import sys, xml.etree.ElementTree as E; E.parse(sys.argv[1])' " + Quoted(svg);
        ASSERT_EQ(std::system(parse.c_str()), 0) << "not well-formed XML";
        std::filesystem::remove(png);
        const std::string render = "rsvg-convert -o " + Quoted(png) + " " + Quoted(svg);
        ASSERT_EQ(std::system(render.c_str()), 0) << "rsvg-convert failed (Debian package librsvg2-bin)";
        std::ifstream in(png, std::ios::binary);
        const test::Bytes bytes(std::istreambuf_iterator<char>(in), {});
        const PictureResult drawn = DecodePng(bytes);
        ASSERT_TRUE(drawn) << drawn.error;
        EXPECT_EQ(drawn.bitmap->Width(), 720);
        EXPECT_EQ(test::ColorAt(*drawn.bitmap, SheetResultSwatchCentre.x, SheetResultSwatchCentre.y), c.expected);
        // The thumbnail is drawn too: it shows the picture's pixels.
        // Inside the top-left 2 x 2 block, clear of the grid points (viewers
        // smooth a scaled picture, so not near the block's edge).
        EXPECT_EQ(test::ColorAt(*drawn.bitmap, 35, 83), example[0]);
    }
}

} // namespace
} // namespace hg
