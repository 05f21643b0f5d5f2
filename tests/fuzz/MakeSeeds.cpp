// Writes the fuzz targets' seed corpora: a few tiny pictures of each kind the
// decoders read, made by the decoder tests' fixture code, and small settings
// and colour files. Run from the native build:
//   build/native/tests/fuzz/fuzz_seeds tests/fuzz/corpus
#include "color/PictureFixtures.h"
#include "manual/CustomColors.h"
#include "manual/Palette.h"

#include <png.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

using namespace hg;
using namespace hg::test;

namespace {

void Write(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bitmap24 Stripes(int width, int height) {
    return MakeBitmap(width, height,
                      [](int x, int y) { return RgbColor(40 * x, 200 - 30 * y, (x + y) % 2 ? 230 : 20); });
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds <corpus folder>\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const Bitmap24 small = Stripes(5, 4), wide = Stripes(17, 3);

    // Windows bitmaps: a core header, 24 bits, a palette with RLE8 and RLE4,
    // bit fields, top-down.
    Bytes bmps[6];
    bmps[0] = MakeBmp(12, 2, 2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
    bmps[1] = MakeBmp(40, 3, -2, 24, 0, {}, Bytes(24, 0x80));
    const Bytes palette = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 9, 9, 9, 0};
    bmps[2] = MakeBmp(40, 4, 3, 8, 1, palette, {2, 1, 0, 0, 1, 2, 2, 3, 0, 2, 1, 1, 0, 1}, 4);
    bmps[3] = MakeBmp(40, 4, 2, 4, 2, palette, {4, 0x12, 0, 0, 0, 3, 0x30, 0x10, 0, 1}, 4);
    const std::uint32_t masks[4] = {0xF800, 0x07E0, 0x001F, 0};
    ByteWriter fields;
    fields.U32(masks[0]).U32(masks[1]).U32(masks[2]);
    bmps[4] = MakeBmp(40, 2, 2, 16, 3, fields.bytes, {0x1F, 0xF8, 0xE0, 0x07, 0xFF, 0xFF, 0x00, 0x00});
    bmps[5] = MakeBmp(124, 1, 1, 32, 3, {}, {10, 20, 30, 255}, 0, masks);
    for (int i = 0; i < 6; ++i) {
        Write(root / "bmp", "seed" + std::to_string(i) + ".bmp", bmps[i]);
        Write(root / "picture", "seed" + std::to_string(i) + ".bmp", bmps[i]);
    }

    // JPEG: baseline, grey, progressive, one scan per component, restart markers.
    JpegOptions progressive;
    progressive.progressive = true;
    JpegOptions perComponent;
    perComponent.scanPerComponent = true;
    perComponent.lumaH = perComponent.lumaV = 1;
    JpegOptions restarts;
    restarts.restartRows = 1;
    Write(root / "picture", "baseline.jpg", EncodeJpeg(small, 50));
    Write(root / "picture", "grey.jpg", EncodeJpeg(wide, 50, true));
    Write(root / "picture", "progressive.jpg", EncodeJpeg(wide, progressive));
    Write(root / "picture", "components.jpg", EncodeJpeg(small, perComponent));
    Write(root / "picture", "restarts.jpg", EncodeJpeg(Stripes(17, 17), restarts));

    // PNG: RGB, interlaced grey with alpha, a palette with transparency, 16 bits.
    const auto layout = [](int width, int height, int colorType, int bitDepth, std::vector<Bytes> rows) {
        PngSpec png;
        png.width = width, png.height = height, png.colorType = colorType, png.bitDepth = bitDepth;
        png.rows = std::move(rows);
        return png;
    };
    const PngSpec rgb = layout(3, 2, PNG_COLOR_TYPE_RGB, 8, {Bytes(9, 0x40), Bytes(9, 0xC0)});
    PngSpec greyAlpha =
        layout(5, 5, PNG_COLOR_TYPE_GRAY_ALPHA, 8, std::vector<Bytes>(5, {10, 255, 80, 0, 160, 128, 240, 255, 30, 7}));
    greyAlpha.interlaced = true;
    PngSpec indexed = layout(4, 2, PNG_COLOR_TYPE_PALETTE, 2, {{0x1B}, {0xE4}});
    indexed.palette = {RgbColor(255, 0, 0), RgbColor(0, 255, 0), RgbColor(0, 0, 255), RgbColor(9, 9, 9)};
    indexed.paletteAlpha = {255, 128};
    PngSpec deep = layout(2, 1, PNG_COLOR_TYPE_RGB, 16, {Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    deep.gamma = 0.45455;
    Write(root / "picture", "rgb.png", EncodePng(rgb));
    Write(root / "picture", "interlaced.png", EncodePng(greyAlpha));
    Write(root / "picture", "palette.png", EncodePng(indexed));
    Write(root / "picture", "deep.png", EncodePng(deep));
    // The chunks a picture does not need, each in a small picture: plain,
    // compressed and international text, a colour profile, an unknown chunk.
    const Bytes plain = EncodePng(rgb);
    Write(root / "picture", "text.png", WithPngChunk(plain, "tEXt", PngTextData("Comment", "a wallpaper")));
    Write(root / "picture", "ztext.png", WithPngChunk(plain, "zTXt", PngCompressedData("Comment", "a wallpaper")));
    Write(root / "picture", "itext.png", WithPngChunk(plain, "iTXt", PngInternationalData("Title", "a wallpaper")));
    Write(root / "picture", "profile.png", WithPngChunk(plain, "iCCP", PngCompressedData("ICC", std::string(128, '\0'))));
    Write(root / "picture", "unknown.png", WithPngChunk(plain, "prVt", Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    // The same chunks claiming nearly 2 GiB in files of about a hundred
    // bytes: every run starts from them, so a reader that allocates what a
    // chunk claims breaks the allocation limit at once.
    Write(root / "picture", "text-claims-2gib.png",
          WithPngChunk(plain, "tEXt", PngTextData("Comment", "a wallpaper"), 0x7FFFFFFF));
    Write(root / "picture", "profile-claims-2gib.png",
          WithPngChunk(plain, "iCCP", PngCompressedData("ICC", std::string(40, '\0')), 0x7FFFFFFF));
    Write(root / "picture", "data-claims-2gib.png", WithPngChunk(plain, "IDAT", Bytes(40, 7), 0x7FFFFFFF));

    // Remembered colours: none, two, and a count larger than the entries.
    CustomColorList list;
    Write(root / "color-file", "empty.settings", EncodeCustomColors(list));
    list.Append(L"Na", {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0x00FF00, 123456});
    list.Append(L"Na", {1, 2, 3, 4, 5, -1});
    Bytes two = EncodeCustomColors(list);
    Write(root / "color-file", "two.settings", two);
    two[CustomColorHeaderSize] = 9;
    Write(root / "color-file", "short.settings", two);

    Write(root / "settings", "defaults.ini",
          Text("Mode=0\nUseBgColor=1\nIntensity=70\nFadeColor=1\n"
               "AppEnabled=1\nDoubleClickAction=0\nColorMode=1\n"));
    Write(root / "settings", "edited.ini",
          Text("Intensity= 0x7F\nDualMonWallSlideUseMon=-1\nTrayIconStyle=$A\n"
               "ColorMode=+2147483647\nMode=-2147483648\nFadeColor=yes\n"));

    // The custom colours value: the default palette as written, and one edited by hand.
    const std::wstring colours = FormatCustomColors(DefaultCustomColors());
    Write(root / "palette", "default.txt", Bytes(colours.begin(), colours.end()));
    Write(root / "palette", "edited.txt", Text("colorb=ff,ColorA= 12AB34 ,ColorQ=1,ColorC=,ColorD=123456789,ColorA=0"));

    // Version files: UTF-8, UTF-8 with its byte-order mark, UTF-16 with one.
    const std::string version = "[CurrentVersions]\r\nHueglass=2.0.2.0\r\n[DownloadURL]\r\n"
                                "Hueglass=https://example.com/hueglass\r\n[DateReleased]\r\nDate=2026-12-01\r\n"
                                "[BetaVersions]\r\nHueglass=2.1.0.0\r\n[CurrentHistory]\r\n1=First\r\n3=Third\r\n";
    Write(root / "version-file", "plain.ini", Text(version));
    Write(root / "version-file", "bom.ini", Text("\xEF\xBB\xBF" + version));
    Bytes utf16 = {0xFF, 0xFE};
    for (char c : version)
        utf16.push_back(static_cast<std::uint8_t>(c)), utf16.push_back(0);
    Write(root / "version-file", "utf16.ini", utf16);
    return 0;
}
