#include "color/Decoders.h"

#include "color/ImageColor.h"

#include "PictureFixtures.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace hg {
namespace {

using test::Bytes;
using test::ColorAt;
using test::MakeBitmap;

constexpr TColor Rgb(unsigned r, unsigned g, unsigned b) { return RgbColor(r, g, b); }

std::vector<TColor> Pixels(const Bitmap24& bitmap) {
    std::vector<TColor> out;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            out.push_back(ColorAt(bitmap, x, y));
    return out;
}

// Every shorter prefix of a valid file is refused or decoded, never a crash;
// the sanitizer build checks that no byte outside the input is touched.
void EveryPrefixIsHandled(const Bytes& file, PictureResult (*decode)(std::span<const std::uint8_t>),
                          std::size_t stride = 1) {
    for (std::size_t n = 0; n < file.size(); n += stride) {
        const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        const PictureResult result = decode(prefix);
        if (!result) {
            EXPECT_FALSE(result.error.empty());
        }
    }
}

Bitmap24 Colourful(int width, int height) {
    return MakeBitmap(width, height, [](int x, int y) {
        return Rgb(static_cast<unsigned>(x * 37 + y * 11), static_cast<unsigned>(x * 5 + y * 29),
                   static_cast<unsigned>(200 - x * 3 - y * 7));
    });
}

// ----- JPEG -----

std::vector<TColor> DecodeWithPlainLibjpeg(const Bytes& file) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    std::vector<TColor> out;
    std::vector<std::uint8_t> row(cinfo.output_width * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW target = row.data();
        jpeg_read_scanlines(&cinfo, &target, 1);
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x)
            out.push_back(Rgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

TEST(DecodeJpeg, PixelsEqualTheLibraryDefaults) {
    for (const bool grey : {false, true}) {
        const Bytes file = test::EncodeJpeg(Colourful(37, 23), 90, grey);
        const PictureResult picture = DecodeJpeg(file);
        ASSERT_TRUE(picture) << picture.error;
        EXPECT_EQ(picture.bitmap->Width(), 37);
        EXPECT_EQ(picture.bitmap->Height(), 23);
        EXPECT_EQ(Pixels(*picture.bitmap), DecodeWithPlainLibjpeg(file)) << "grey " << grey;
    }
}

TEST(DecodeJpeg, TruncatedAndDamagedFilesAreRefused) {
    const Bytes file = test::EncodeJpeg(Colourful(64, 48));
    EveryPrefixIsHandled(file, DecodeJpeg, 7);
    Bytes garbage = {0xFF, 0xD8, 0xFF, 0x12, 0x34, 0x56};
    EXPECT_FALSE(DecodeJpeg(garbage));
    EXPECT_FALSE(DecodeJpeg(Bytes{'B', 'M', 0, 0}));
    EXPECT_FALSE(DecodeJpeg(Bytes{}));
}

Bytes Prefix(const Bytes& file, std::size_t n) { return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)); }
Bytes WithEnd(Bytes file) {
    file.push_back(0xFF);
    file.push_back(0xD9);
    return file;
}

// A file cut where only its end marker or later scans are lost is a complete
// picture; one cut inside a scan, or before some component's first scan, has
// rows that were never decoded and is refused, also when an end marker follows.
TEST(DecodeJpeg, CutFilesLoadOnlyWhenEveryRowWasDecoded) {
    const Bitmap24 picture = Colourful(64, 48);
    test::JpegOptions progressive;
    progressive.progressive = true;
    test::JpegOptions perComponent;
    perComponent.scanPerComponent = true;
    const Bytes sequential = test::EncodeJpeg(picture);
    const Bytes prog = test::EncodeJpeg(picture, progressive);
    const Bytes separate = test::EncodeJpeg(picture, perComponent);
    const auto progScans = test::JpegScanStarts(prog);
    const auto separateScans = test::JpegScanStarts(separate);
    ASSERT_GE(progScans.size(), 6u);
    ASSERT_EQ(separateScans.size(), 3u);
    const std::size_t midSequential = test::JpegScanStarts(sequential)[0] + (sequential.size() - test::JpegScanStarts(sequential)[0]) / 2;
    const std::size_t midFirstScan = (progScans[0] + progScans[1]) / 2;
    const struct {
        const char* what;
        Bytes file;
        bool loads;
    } cases[] = {
        {"sequential without its end marker", Prefix(sequential, sequential.size() - 2), true},
        {"sequential cut mid-image", Prefix(sequential, midSequential), false},
        {"sequential cut mid-image, end marker appended", WithEnd(Prefix(sequential, midSequential)), false},
        {"progressive without its end marker", Prefix(prog, prog.size() - 2), true},
        {"progressive cut between scans", Prefix(prog, progScans[3]), true},
        {"progressive cut between scans, end marker appended", WithEnd(Prefix(prog, progScans[3])), true},
        {"progressive cut inside its first scan", Prefix(prog, midFirstScan), false},
        {"progressive cut inside a later scan", Prefix(prog, (progScans[4] + progScans[5]) / 2), false},
        {"progressive cut inside a scan, end marker appended",
         WithEnd(Prefix(prog, (progScans[4] + progScans[5]) / 2)), false},
        {"one scan per component, all present", Prefix(separate, separate.size() - 2), true},
        {"one scan per component, cut before the last", Prefix(separate, separateScans[2]), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PictureResult result = DecodeJpeg(c.file);
        EXPECT_EQ(static_cast<bool>(result), c.loads) << result.error;
        if (!c.loads) {
            EXPECT_NE(result.error.find("truncated"), std::string::npos) << result.error;
        }
    }
    // Losing only the end marker loses nothing.
    EXPECT_EQ(Pixels(*DecodeJpeg(Prefix(prog, prog.size() - 2)).bitmap), Pixels(*DecodeJpeg(prog).bitmap));
    EXPECT_EQ(Pixels(*DecodeJpeg(Prefix(sequential, sequential.size() - 2)).bitmap),
              Pixels(*DecodeJpeg(sequential).bitmap));
}

// Finds the start-of-frame marker and overwrites the picture's size.
Bytes WithJpegSize(Bytes file, unsigned width, unsigned height) {
    for (std::size_t i = 2; i + 9 < file.size(); ++i)
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 5] = static_cast<std::uint8_t>(height >> 8), file[i + 6] = static_cast<std::uint8_t>(height);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8), file[i + 8] = static_cast<std::uint8_t>(width);
            return file;
        }
    ADD_FAILURE() << "no frame header";
    return file;
}

TEST(DecodeJpeg, OversizedPicturesAreRefusedFromTheHeader) {
    const Bytes file = test::EncodeJpeg(Colourful(16, 16));
    EXPECT_FALSE(DecodeJpeg(WithJpegSize(file, 65535, 65535))); // beyond what libjpeg reads at all
    const PictureResult picture = DecodeJpeg(WithJpegSize(file, 16385, 16385));
    EXPECT_FALSE(picture);
    EXPECT_NE(picture.error.find("too large"), std::string::npos) << picture.error;
}

Bytes Inserted(Bytes file, std::size_t at, const Bytes& more) {
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), more.begin(), more.end());
    return file;
}

// Comment segments of about `total` bytes: data that covers no pixels.
Bytes Comments(std::size_t total) {
    test::ByteWriter w;
    for (std::size_t done = 0; done < total; done += 65533)
        w.U8(0xFF).U8(0xFE).U8(0xFF).U8(0xFF).Zeros(65533); // length 65535, big-endian
    return w.bytes;
}

// Files of a few hundred bytes to a few KB once made this program allocate
// gigabytes or spin for seconds. Each is refused from what it is, before its
// claims cost memory or time (tests/unit run them under the sanitizers too).
TEST(DecodeJpeg, HostileFilesAreRefusedBeforeTheyCostMemoryOrTime) {
    test::JpegOptions progressive;
    progressive.progressive = true;
    const Bytes baseline = test::EncodeJpeg(Colourful(16, 16));
    const Bytes prog = test::EncodeJpeg(Colourful(16, 16), progressive);
    const auto scans = test::JpegScanStarts(prog);
    // The first scan (the DC of every component) once more, 150 times.
    Bytes manyScans = prog;
    const Bytes firstScan(prog.begin() + static_cast<std::ptrdiff_t>(scans[0]),
                          prog.begin() + static_cast<std::ptrdiff_t>(scans[1]));
    for (int i = 0; i < 150; ++i)
        manyScans = Inserted(manyScans, scans[1], firstScan);
    // Padding after the header makes a huge progressive picture's data long
    // enough in bytes; its coefficients and its bitmap then exceed the budget.
    const Bytes padded = Inserted(WithJpegSize(prog, 16384, 16384), scans[1], Comments(900000));
    const struct {
        const char* what;
        Bytes file;
        const char* reason;
    } cases[] = {
        {"baseline claiming 16384 x 16384", WithJpegSize(baseline, 16384, 16384), "cannot hold"},
        {"progressive claiming 16384 x 16384", WithJpegSize(prog, 16384, 16384), "cannot hold"},
        {"progressive with 150 more scans", manyScans, "more than 100 scans"},
        {"progressive padded to hold 16384 x 16384", padded, "more memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PictureResult result = DecodeJpeg(c.file);
        EXPECT_FALSE(result);
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
    }
    // Real progressive files have about ten scans.
    EXPECT_TRUE(DecodeJpeg(prog));
}

// ----- PNG -----

struct PngFormat {
    int colorType;
    int bitDepth;
    bool interlaced;
    bool transparencyChunk;
};

// The value of sample k of pixel (x, y), 0..255.
unsigned Sample(int x, int y, int k) { return static_cast<unsigned>(x * 37 + y * 91 + k * 53 + 17) % 256u; }

std::uint8_t OverWhite(unsigned c, unsigned a) { return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255); }

// Writes a picture in the given format and returns what the decoder should
// give for it (alpha composited over white).
Bytes MakePng(const PngFormat& f, int width, int height, std::vector<TColor>& expected) {
    test::PngSpec layout;
    layout.width = width, layout.height = height, layout.colorType = f.colorType, layout.bitDepth = f.bitDepth,
    layout.interlaced = f.interlaced;
    const int maxValue = (1 << f.bitDepth) - 1;
    const int channels = f.colorType == PNG_COLOR_TYPE_GRAY ? 1
                         : f.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                         : f.colorType == PNG_COLOR_TYPE_RGB ? 3
                         : f.colorType == PNG_COLOR_TYPE_RGBA ? 4
                                                                : 1;
    const bool palette = f.colorType == PNG_COLOR_TYPE_PALETTE;
    if (palette) {
        for (int i = 0; i <= maxValue; ++i)
            layout.palette.push_back(Rgb(Sample(i, 0, 0), Sample(i, 0, 1), Sample(i, 0, 2)));
        if (f.transparencyChunk)
            for (int i = 0; i <= maxValue && i < 3; ++i)
                layout.paletteAlpha.push_back(static_cast<std::uint8_t>(i * 127)); // 0, 127, 254
    }
    // A transparent key that the picture's first pixel uses.
    if (f.transparencyChunk && !palette) {
        if (channels == 1)
            layout.transparentKey = {static_cast<std::uint16_t>(Sample(0, 0, 0) * maxValue / 255)};
        else
            layout.transparentKey = {static_cast<std::uint16_t>(Sample(0, 0, 0) * maxValue / 255),
                                   static_cast<std::uint16_t>(Sample(0, 0, 1) * maxValue / 255),
                                   static_cast<std::uint16_t>(Sample(0, 0, 2) * maxValue / 255)};
    }
    for (int y = 0; y < height; ++y) {
        Bytes row;
        unsigned bitBuffer = 0;
        int bitCount = 0;
        for (int x = 0; x < width; ++x) {
            std::vector<unsigned> values; // in the file's depth
            if (palette) {
                values.push_back(static_cast<unsigned>((x + 2 * y) % (maxValue + 1)));
            } else {
                for (int k = 0; k < channels; ++k)
                    values.push_back(Sample(x, y, k) * static_cast<unsigned>(maxValue) / 255);
            }
            // Expected colour.
            unsigned r, g, b, a = 255;
            if (palette) {
                const TColor c = layout.palette[values[0]];
                r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
                if (values[0] < layout.paletteAlpha.size())
                    a = layout.paletteAlpha[values[0]];
            } else {
                const auto to8 = [&](unsigned v) { return (v * 255 + static_cast<unsigned>(maxValue) / 2) / static_cast<unsigned>(maxValue); };
                const bool grey = channels <= 2;
                r = to8(values[0]);
                g = grey ? r : to8(values[1]);
                b = grey ? r : to8(values[2]);
                if (channels == 2 || channels == 4)
                    a = to8(values.back());
                if (!layout.transparentKey.empty() &&
                    std::equal(layout.transparentKey.begin(), layout.transparentKey.end(), values.begin()))
                    a = 0;
            }
            if (f.bitDepth == 16 && (channels == 2 || channels == 4)) {
                // Sixteen-bit pictures are composited at full precision, then
                // scaled to 8 bits.
                const unsigned a16 = values.back();
                const auto over16 = [a16](unsigned c16) {
                    const std::uint64_t blended = (std::uint64_t{c16} * a16 + 65535ull * (65535 - a16) + 32767) / 65535;
                    return static_cast<unsigned>((blended * 255 + 32767) / 65535);
                };
                const bool grey = channels <= 2;
                const unsigned r16 = values[0], g16 = grey ? r16 : values[1], b16 = grey ? r16 : values[2];
                expected.push_back(Rgb(over16(r16), over16(g16), over16(b16)));
            } else {
                expected.push_back(Rgb(OverWhite(r, a), OverWhite(g, a), OverWhite(b, a)));
            }
            for (const unsigned v : values) {
                if (f.bitDepth == 16) {
                    row.push_back(static_cast<std::uint8_t>(v & 0xFF));
                    row.push_back(static_cast<std::uint8_t>(v >> 8));
                } else if (f.bitDepth == 8) {
                    row.push_back(static_cast<std::uint8_t>(v));
                } else {
                    bitBuffer = bitBuffer << f.bitDepth | v;
                    bitCount += f.bitDepth;
                    if (bitCount == 8)
                        row.push_back(static_cast<std::uint8_t>(bitBuffer)), bitBuffer = 0, bitCount = 0;
                }
            }
        }
        if (bitCount > 0)
            row.push_back(static_cast<std::uint8_t>(bitBuffer << (8 - bitCount)));
        layout.rows.push_back(row);
    }
    return test::EncodePng(layout);
}

TEST(DecodePng, EveryColourTypeAndDepth) {
    const PngFormat formats[] = {
        {PNG_COLOR_TYPE_GRAY, 1, false, false},       {PNG_COLOR_TYPE_GRAY, 2, false, false},
        {PNG_COLOR_TYPE_GRAY, 4, false, false},       {PNG_COLOR_TYPE_GRAY, 8, false, false},
        {PNG_COLOR_TYPE_GRAY, 16, false, false},      {PNG_COLOR_TYPE_GRAY, 8, false, true},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
        {PNG_COLOR_TYPE_RGB, 8, false, false},        {PNG_COLOR_TYPE_RGB, 16, false, false},
        {PNG_COLOR_TYPE_RGB, 8, false, true},         {PNG_COLOR_TYPE_RGBA, 8, false, false},
        {PNG_COLOR_TYPE_RGBA, 16, false, false},      {PNG_COLOR_TYPE_PALETTE, 1, false, false},
        {PNG_COLOR_TYPE_PALETTE, 2, false, false},    {PNG_COLOR_TYPE_PALETTE, 4, false, true},
        {PNG_COLOR_TYPE_PALETTE, 8, false, true},     {PNG_COLOR_TYPE_RGB, 8, true, false},
        {PNG_COLOR_TYPE_RGBA, 8, true, false},        {PNG_COLOR_TYPE_PALETTE, 4, true, true},
        {PNG_COLOR_TYPE_GRAY, 16, true, false},       {PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, false},
    };
    for (const PngFormat& f : formats) {
        SCOPED_TRACE(testing::Message() << "type " << f.colorType << " depth " << f.bitDepth << " interlaced "
                                        << f.interlaced << " tRNS " << f.transparencyChunk);
        std::vector<TColor> expected;
        const Bytes file = MakePng(f, 13, 9, expected);
        const PictureResult picture = DecodePng(file);
        ASSERT_TRUE(picture) << picture.error;
        EXPECT_EQ(Pixels(*picture.bitmap), expected);
    }
}

TEST(DecodePng, TransparencyReadsAsWhiteWhateverTheGamma) {
    // The samples are blended as stored: a file gamma changes nothing.
    for (const double gamma : {0.0, 0.45455, 1.0}) {
        test::PngSpec layout{2, 1, PNG_COLOR_TYPE_RGBA, 8, false, {{10, 20, 30, 0, 200, 100, 0, 128}}, {}, {}, {}, gamma};
        const PictureResult picture = DecodePng(test::EncodePng(layout));
        ASSERT_TRUE(picture) << picture.error;
        EXPECT_EQ(ColorAt(*picture.bitmap, 0, 0), clWhite) << gamma;
        EXPECT_EQ(ColorAt(*picture.bitmap, 1, 0), Rgb(227, 177, 127)) << gamma; // half covered: halfway to white
    }
}

TEST(DecodePng, TruncatedAndDamagedFilesAreRefused) {
    std::vector<TColor> expected;
    for (const bool interlaced : {false, true}) {
        const Bytes file = MakePng({PNG_COLOR_TYPE_RGBA, 8, interlaced, false}, 40, 30, expected);
        EveryPrefixIsHandled(file, DecodePng, 3);
        EXPECT_FALSE(DecodePng(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2))));
        // A flipped bit inside the picture data fails its checksum.
        Bytes damaged = file;
        damaged[damaged.size() / 2] ^= 0x40;
        EXPECT_FALSE(DecodePng(damaged));
    }
    EXPECT_FALSE(DecodePng(Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
}

// The header's size replaced (IHDR data starts at byte 16; its checksum
// follows at 29).
Bytes WithPngSize(Bytes file, std::uint32_t w, std::uint32_t h) {
    for (int i = 0; i < 4; ++i) {
        file[16 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(w >> (24 - 8 * i));
        file[20 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(h >> (24 - 8 * i));
    }
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), file.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        file[29 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return file;
}

TEST(DecodePng, OversizedPicturesAreRefusedFromTheHeader) {
    std::vector<TColor> expected;
    const Bytes file = MakePng({PNG_COLOR_TYPE_RGB, 8, false, false}, 4, 4, expected);
    for (const auto& [w, h] : {std::pair{70000u, 1u}, {16385u, 16385u}}) {
        const PictureResult picture = DecodePng(WithPngSize(file, w, h));
        EXPECT_FALSE(picture);
        EXPECT_FALSE(picture.error.empty());
    }
}

// A header claiming a huge picture over a few bytes of data: deflate cannot
// pack that much into so little, so nothing is decoded or allocated for it.
TEST(DecodePng, DataTooShortForItsSizeIsRefused) {
    std::vector<TColor> expected;
    for (const bool interlaced : {false, true}) {
        const Bytes file = MakePng({PNG_COLOR_TYPE_RGB, 8, interlaced, false}, 4, 4, expected);
        const PictureResult picture = DecodePng(WithPngSize(file, 16384, 16384));
        EXPECT_FALSE(picture);
        EXPECT_NE(picture.error.find("cannot hold"), std::string::npos) << picture.error;
    }
}

// Chunks whose length field claims nearly 2 GiB, in files of about a
// hundred bytes. libpng would allocate (and clear) what the chunk claims
// before finding that the file ends; nothing beyond a chunk's limit is ever
// read or allocated: an ancillary chunk is skipped unread (so the file is
// then too short for what follows), a critical one is refused at its header.
TEST(DecodePng, ChunksClaimingHugeLengthsCostNothing) {
    std::vector<TColor> expected;
    const Bytes small = MakePng({PNG_COLOR_TYPE_RGB, 8, false, false}, 4, 4, expected);
    const std::string text(40, 'x');
    const struct {
        const char* type;
        Bytes data;
        const char* reason;
    } cases[] = {
        {"tEXt", test::PngTextData("Comment", text), "truncated"},
        {"zTXt", test::PngCompressedData("Comment", text), "truncated"},
        {"iTXt", test::PngInternationalData("Comment", text), "truncated"},
        {"iCCP", test::PngCompressedData("Profile", text), "truncated"},
        {"prVt", Bytes(40, 7), "truncated"},                      // unknown, ancillary
        {"IDAT", Bytes(40, 7), "claims more memory"},             // critical
        {"HUGE", Bytes(40, 7), "claims more memory"},             // unknown, critical
    };
    for (const auto& c : cases) {
        for (const std::uint32_t claimed : {0x7FFFFFFFu, 0x10000000u}) {
            const Bytes file = test::WithPngChunk(small, c.type, c.data, claimed);
            ASSERT_LT(file.size(), 200u);
            const PictureResult picture = DecodePng(file);
            EXPECT_FALSE(picture) << c.type;
            EXPECT_NE(picture.error.find(c.reason), std::string::npos) << c.type << ": " << picture.error;
            const PngMemoryUse use = LastPngMemoryUse();
            EXPECT_LT(use.largestRequest, std::size_t{1} << 20) << c.type << " made libpng ask for that much";
            EXPECT_LT(use.peak, std::size_t{1} << 20) << c.type;
        }
    }
}

// The same chunks present in full, one of them larger than any chunk limit,
// are passed over: the picture reads as without them.
TEST(DecodePng, AncillaryChunksAreSkipped) {
    std::vector<TColor> expected;
    const Bytes plain = MakePng({PNG_COLOR_TYPE_RGB, 8, false, false}, 4, 4, expected);
    const Bytes chunks[][2] = {
        {Bytes{'t', 'E', 'X', 't'}, test::PngTextData("Comment", std::string(9 << 20, 'x'))},
        {Bytes{'z', 'T', 'X', 't'}, test::PngCompressedData("Comment", std::string(1 << 20, 'x'))},
        {Bytes{'i', 'T', 'X', 't'}, test::PngInternationalData("Comment", "text")},
        {Bytes{'i', 'C', 'C', 'P'}, test::PngCompressedData("Profile", std::string(1000, '\0'))},
        {Bytes{'p', 'r', 'V', 't'}, Bytes(3000, 1)},
    };
    for (const auto& [type, data] : chunks) {
        const std::string name(type.begin(), type.end());
        const PictureResult picture = DecodePng(test::WithPngChunk(plain, name, data));
        ASSERT_TRUE(picture) << name << ": " << picture.error;
        EXPECT_EQ(Pixels(*picture.bitmap), expected) << name;
        EXPECT_LT(LastPngMemoryUse().largestRequest, std::size_t{1} << 20) << name;
    }
}

// ----- Windows bitmaps -----

Bytes Palette4(const std::vector<TColor>& colors, bool core = false) {
    test::ByteWriter w;
    for (const TColor c : colors) {
        w.U8(BlueOf(c)).U8(GreenOf(c)).U8(RedOf(c));
        if (!core)
            w.U8(0);
    }
    return w.bytes;
}

const TColor Red = Rgb(255, 0, 0), Green = Rgb(0, 255, 0), Blue = Rgb(0, 0, 255), White = clWhite,
             Dark = Rgb(10, 20, 30);

struct BmpCase {
    const char* what;
    Bytes file;
    int width, height;
    std::vector<TColor> expected; // top row first
};

std::vector<BmpCase> BmpCases() {
    const std::uint32_t masks565[4] = {0xF800, 0x07E0, 0x001F, 0};
    const std::uint32_t masks10[4] = {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000};
    test::ByteWriter rgb24, rgb32, rgb555, rgb565, bits10, idx8, idx4, idx1, core24, rle8, rle4;
    // Bottom row first: bottom (Blue, Dark, Red), top (Red, Green, White).
    rgb24.U8(255).U8(0).U8(0).U8(30).U8(20).U8(10).U8(0).U8(0).U8(255).Zeros(3);
    rgb24.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0).U8(255).U8(255).U8(255).Zeros(3);
    rgb32.U32(0xFFFF0000).U32(0x0000FF00); // alpha byte ignored
    rgb555.U16(0x7C00).U16(0x03E0).U16(0x001F).U16(0x4210); // red, green, blue, 16/31 grey
    rgb565.U16(0xF800).U16(0x07E0).U16(0x001F).U16(0x0000);
    bits10.U32(0x3FF00000).U32(0x000FFC00).U32(0x000003FF).U32(0x20080200);
    idx8.U8(0).U8(2).U8(1).U8(7).Zeros(0); // index 7 is beyond the palette: black
    idx4.U8(0x12).U8(0x30).Zeros(2);
    idx1.U8(0b10110000).Zeros(3);
    core24.U8(30).U8(20).U8(10).U8(0).U8(0).U8(255).Zeros(2);
    // RLE8 on 4x3, bottom row first: runs (2 red, green, blue), line end;
    // literal (green, blue, red) padded to a word, early line end; jump by
    // (1, 0), one blue, line end; end of bitmap.
    for (const unsigned b : {2u, 1u, 1u, 2u, 1u, 3u, 0u, 0u, 0u, 3u, 2u, 3u, 1u, 0u, 0u, 0u, 0u, 2u, 1u, 0u, 1u, 3u, 0u,
                             0u, 0u, 1u})
        rle8.U8(b);
    // RLE4 on 5x1: a run of 3 alternating red and green, then a literal of 3
    // (blue, red, green) whose last pixel falls beyond the width.
    for (const unsigned b : {3u, 0x12u, 0u, 3u, 0x31u, 0x20u, 0u, 1u})
        rle4.U8(b);
    const std::vector<TColor> pal = {Dark, Red, Green, Blue};
    std::vector<BmpCase> cases = {
        {"24-bit bottom-up with row padding", test::MakeBmp(40, 3, 2, 24, 0, {}, rgb24.bytes), 3, 2,
         {Red, Green, White, Blue, Dark, Red}},
        {"24-bit top-down", test::MakeBmp(40, 3, -2, 24, 0, {}, rgb24.bytes), 3, 2,
         {Blue, Dark, Red, Red, Green, White}},
        {"32-bit", test::MakeBmp(40, 2, 1, 32, 0, {}, rgb32.bytes), 2, 1, {Red, Green}},
        {"16-bit 5-5-5", test::MakeBmp(40, 4, 1, 16, 0, {}, rgb555.bytes), 4, 1,
         {Red, Green, Blue, Rgb(132, 132, 132)}},
        {"16-bit 5-6-5 bit fields after the header",
         test::MakeBmp(40, 4, 1, 16, 3, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}, rgb565.bytes), 4, 1,
         {Red, Green, Blue, clBlack}},
        {"32-bit 10-bit fields in a V5 header", test::MakeBmp(124, 4, 1, 32, 3, {}, bits10.bytes, 0, masks10), 4, 1,
         {Red, Green, Blue, Rgb(128, 128, 128)}},
        {"16-bit bit fields in a V4 header", test::MakeBmp(108, 4, 1, 16, 3, {}, rgb565.bytes, 0, masks565), 4, 1,
         {Red, Green, Blue, clBlack}},
        {"8-bit palette of three colours", test::MakeBmp(40, 4, 1, 8, 0, Palette4({Dark, Red, Green}), idx8.bytes, 3),
         4, 1, {Dark, Green, Red, clBlack}},
        {"4-bit palette", test::MakeBmp(40, 3, 1, 4, 0, Palette4(pal), idx4.bytes, 4), 3, 1, {Red, Green, Blue}},
        {"1-bit palette", test::MakeBmp(40, 4, 1, 1, 0, Palette4({Dark, White}), idx1.bytes), 4, 1,
         {White, Dark, White, White}},
        {"core header, 24-bit", test::MakeBmp(12, 2, 1, 24, 0, {}, core24.bytes), 2, 1, {Dark, Red}},
        {"core header, 8-bit with a three-byte palette",
         test::MakeBmp(12, 4, 1, 8, 0,
                       [&] {
                           std::vector<TColor> p256(256, clBlack);
                           p256[0] = Dark, p256[1] = Red, p256[2] = Green;
                           return Palette4(p256, true);
                       }(),
                       idx8.bytes),
         4, 1, {Dark, Green, Red, clBlack}},
        {"RLE8 with runs, literals, jumps and line ends; skipped pixels stay white",
         test::MakeBmp(40, 4, 3, 8, 1, Palette4(pal), rle8.bytes), 4, 3,
         {White, Blue, White, White, Green, Blue, Red, White, Red, Red, Green, Blue}},
        {"RLE4", test::MakeBmp(40, 5, 1, 4, 2, Palette4(pal), rle4.bytes), 5, 1, {Red, Green, Red, Blue, Red}},
    };
    return cases;
}

TEST(DecodeBmp, HeadersDepthsAndCompressions) {
    for (const BmpCase& c : BmpCases()) {
        SCOPED_TRACE(c.what);
        const PictureResult picture = DecodeBmp(c.file);
        ASSERT_TRUE(picture) << picture.error;
        EXPECT_EQ(picture.bitmap->Width(), c.width);
        EXPECT_EQ(picture.bitmap->Height(), c.height);
        EXPECT_EQ(Pixels(*picture.bitmap), c.expected);
    }
}

TEST(DecodeBmp, EveryPrefixIsRefusedOrDecoded) {
    for (const BmpCase& c : BmpCases()) {
        SCOPED_TRACE(c.what);
        EveryPrefixIsHandled(c.file, DecodeBmp);
    }
}

TEST(DecodeBmp, UnsupportedAndHostileHeadersAreRefusedWithAReason) {
    const Bytes pixels(64, 0);
    const std::uint32_t gappedMasks[4] = {0xF00F0000, 0x0000FF00, 0x000000FF, 0};
    const struct {
        const char* what;
        Bytes file;
        const char* reason;
    } cases[] = {
        {"unknown header size", test::MakeBmp(40, 2, 2, 24, 0, {}, pixels), "header"},
        {"JPEG inside", test::MakeBmp(40, 2, 2, 24, 4, {}, pixels), "JPEG or PNG"},
        {"2 bits per pixel", test::MakeBmp(40, 2, 2, 2, 0, {}, pixels), "depth"},
        {"RLE8 at 4 bits", test::MakeBmp(40, 2, 2, 4, 1, {}, pixels), "run-length"},
        {"top-down RLE", test::MakeBmp(40, 2, -2, 8, 1, {}, pixels), "top-down"},
        {"masks with a gap", test::MakeBmp(124, 2, 2, 32, 3, {}, pixels, 0, gappedMasks), "masks"},
        {"wider than 65,535", test::MakeBmp(40, 70000, 1, 24, 0, {}, pixels), "too large"},
        {"more than 2^28 pixels", test::MakeBmp(40, 16385, 16385, 24, 0, {}, pixels), "too large"},
        {"no width", test::MakeBmp(40, 0, 5, 24, 0, {}, pixels), "no pixels"},
        {"pixel data missing", test::MakeBmp(40, 100, 100, 24, 0, {}, pixels), "truncated"},
        {"palette and pixels missing", test::MakeBmp(40, 2, 2, 8, 0, {}, {}, 200), "truncated"},
        {"run-length data ends early", test::MakeBmp(40, 4, 4, 8, 1, Palette4({Red}), {4, 0}), "truncated"},
        {"run-length data without its end marker", test::MakeBmp(40, 2, 1, 8, 1, Palette4({Red}), {2, 0, 0, 0}),
         "end marker"},
        {"a few line ends claiming 16384 x 16384 without an end marker",
         test::MakeBmp(40, 16384, 16384, 8, 1, Palette4({Red}), Bytes(1900, 0)), "end marker"},
        {"not a bitmap", Bytes{'P', 'K', 3, 4}, "not a Windows bitmap"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = c.file;
        if (std::string(c.what) == "unknown header size")
            file[14] = 20;
        const PictureResult picture = DecodeBmp(file);
        EXPECT_FALSE(picture);
        EXPECT_FALSE(picture.error.empty());
        if (c.reason) {
            EXPECT_NE(picture.error.find(c.reason), std::string::npos) << picture.error;
        }
    }
}

// ----- rows instead of a bitmap -----

// The colour and corners gathered from the rows a decoder hands on (skipping
// the rows it does not need) equal those of the whole decoded picture, in
// every mode.
void ExpectRowsMatchTheBitmap(const Bytes& file, RowDecoder decodeRows) {
    const PictureResult whole = DecodeToBitmap(file, decodeRows);
    ASSERT_TRUE(whole) << whole.error;
    const Bitmap24& b = *whole.bitmap;
    const ImageCorners corners{ColorAt(b, 0, 0), ColorAt(b, b.Width() - 1, 0), ColorAt(b, 0, b.Height() - 1),
                               ColorAt(b, b.Width() - 1, b.Height() - 1)};
    for (const ImageColorChoice request : {ImageColorChoice{ColorModePredominant, false},
                                           ImageColorChoice{ColorModeAverage, false},
                                           ImageColorChoice{ColorModeAverage, true}}) {
        PictureColorRows rows(request);
        ASSERT_EQ(decodeRows(file, rows), "");
        EXPECT_EQ(rows.Color(), ImageColor(b.View(), request.nColorMode, request.IgnoreDarkLigthColors))
            << "mode " << request.nColorMode << " filter " << request.IgnoreDarkLigthColors;
        EXPECT_EQ(rows.Corners(), corners);
    }
    PictureColorRows cornersOnly;
    ASSERT_EQ(decodeRows(file, cornersOnly), "");
    EXPECT_EQ(cornersOnly.Corners(), corners);
}

TEST(DecodeRows, JpegColoursEqualThoseOfTheWholePicture) {
    struct Sampling {
        int h, v;
    };
    for (const auto& [w, h] : {std::pair{97, 61}, {15, 9}, {16, 5}, {64, 1}, {33, 200}, {300, 17}, {1, 4}, {4, 6}})
        for (const Sampling sampling : {Sampling{1, 1}, {2, 1}, {2, 2}, {1, 2}})
            for (const bool progressive : {false, true})
                for (const int restartRows : {0, 1}) {
                    SCOPED_TRACE(testing::Message() << w << " x " << h << " sampling " << sampling.h << sampling.v
                                                    << " progressive " << progressive << " restart " << restartRows);
                    test::JpegOptions options;
                    options.lumaH = sampling.h, options.lumaV = sampling.v;
                    options.progressive = progressive;
                    options.restartRows = restartRows;
                    ExpectRowsMatchTheBitmap(test::EncodeJpeg(Colourful(w, h), options), DecodeJpegRows);
                }
    test::JpegOptions grey;
    grey.grey = true;
    ExpectRowsMatchTheBitmap(test::EncodeJpeg(Colourful(97, 61), grey), DecodeJpegRows);
}

// Keeps the rows a pattern wants, as the decoder hands them on.
class PatternRows final : public RowConsumer {
public:
    explicit PatternRows(std::function<bool(int y)> wants) : wants_(std::move(wants)) {}
    std::string Begin(int width, int height) override {
        width_ = width;
        rows.assign(static_cast<std::size_t>(height), {});
        return {};
    }
    bool Wants(int y) const override { return wants_(y); }
    void Row(int y, const std::uint8_t* pixels) override {
        rows[static_cast<std::size_t>(y)].assign(pixels, pixels + std::ptrdiff_t{width_} * 3);
    }
    std::vector<Bytes> rows; // empty where not handed on

private:
    std::function<bool(int)> wants_;
    int width_ = 0;
};

// Skips of every length from every row, in the samplings whose upsampling
// takes no neighbouring rows but makes several rows from one row of
// subsampled data: 4:2:0 no more than 4 pixels wide (too narrow to blend),
// chroma halved across only, a luma of 4 rows to each chroma row, and a grey
// component sampled 2 x 2. A skip that started inside such a group of rows
// once handed on a row of that group in place of the first row after it.
TEST(DecodeRows, JpegRowsAfterASkipAreThoseOfTheWholePicture) {
    struct Sampling {
        const char* what;
        int lumaH, lumaV, chromaH, chromaV;
        bool grey;
        std::vector<int> widths;
    };
    const Sampling samplings[] = {
        {"4:2:0", 2, 2, 1, 1, false, {1, 2, 3, 4, 5, 40}},
        {"chroma halved across", 2, 2, 1, 2, false, {9, 40}},
        {"4 luma rows to a chroma row", 1, 4, 1, 1, false, {3, 24}},
        {"4:4:4", 1, 1, 1, 1, false, {7}},
        {"grey 2 x 2", 2, 2, 1, 1, true, {3, 24}},
    };
    for (const Sampling& sampling : samplings)
        for (const int width : sampling.widths)
            for (const int height : {4, 7, 37})
                for (const bool progressive : {false, true}) {
                    test::JpegOptions options;
                    options.lumaH = sampling.lumaH, options.lumaV = sampling.lumaV;
                    options.chromaH = sampling.chromaH, options.chromaV = sampling.chromaV;
                    options.grey = sampling.grey;
                    options.greyH = sampling.lumaH, options.greyV = sampling.lumaV;
                    options.progressive = progressive;
                    const Bytes file = test::EncodeJpeg(Colourful(width, height), options);
                    const PictureResult whole = DecodeJpeg(file);
                    ASSERT_TRUE(whole) << whole.error;
                    for (int every = 2; every <= 5; ++every)
                        for (int from = 0; from < every; ++from) {
                            SCOPED_TRACE(testing::Message() << sampling.what << " " << width << " x " << height
                                                            << (progressive ? " progressive" : "") << ": every "
                                                            << every << " rows from " << from);
                            PatternRows rows([=](int y) { return y % every == from || y == height - 1; });
                            ASSERT_EQ(DecodeJpegRows(file, rows), "");
                            for (int y = 0; y < height; ++y)
                                if (y % every == from || y == height - 1) {
                                    const std::uint8_t* expected = whole.bitmap->Row(y);
                                    EXPECT_EQ(rows.rows[static_cast<std::size_t>(y)],
                                              Bytes(expected, expected + std::ptrdiff_t{width} * 3))
                                        << "row " << y;
                                }
                        }
                }
}

TEST(DecodeRows, PngColoursEqualThoseOfTheWholePicture) {
    for (const int colorType : {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                PNG_COLOR_TYPE_RGBA, PNG_COLOR_TYPE_PALETTE})
        for (const int depth : {1, 2, 4, 8, 16})
            for (const bool interlaced : {false, true}) {
                const bool valid = colorType == PNG_COLOR_TYPE_GRAY ||
                                   (colorType == PNG_COLOR_TYPE_PALETTE ? depth <= 8 : depth >= 8);
                if (!valid)
                    continue;
                SCOPED_TRACE(testing::Message() << "type " << colorType << " depth " << depth << " interlaced "
                                                << interlaced);
                std::vector<TColor> expected;
                // A transparency chunk belongs to the types without an alpha channel.
                const bool transparencyChunk = (colorType & PNG_COLOR_MASK_ALPHA) == 0;
                ExpectRowsMatchTheBitmap(
                    MakePng({colorType, depth, interlaced, transparencyChunk}, 61, 37, expected), DecodePngRows);
            }
}

TEST(DecodeRows, BitmapColoursEqualThoseOfTheWholePicture) {
    for (const BmpCase& c : BmpCases()) {
        SCOPED_TRACE(c.what);
        ExpectRowsMatchTheBitmap(c.file, DecodeBmpRows);
    }
    // Larger than the grid step, bottom-up and top-down, and run-length.
    const Bitmap24 picture = Colourful(47, 33);
    test::ByteWriter rows24, rle8;
    for (int y = picture.Height() - 1; y >= 0; --y) {
        const std::uint8_t* row = picture.Row(y);
        rows24.Raw(Bytes(row, row + 47 * 3)).Zeros(3);
        for (int x = 0; x < 47; ++x)
            rle8.U8(1).U8(static_cast<unsigned>(x + y) % 4);
        rle8.U8(0).U8(0);
    }
    rle8.U8(0).U8(1);
    ExpectRowsMatchTheBitmap(test::MakeBmp(40, 47, 33, 24, 0, {}, rows24.bytes), DecodeBmpRows);
    ExpectRowsMatchTheBitmap(test::MakeBmp(40, 47, 33, 8, 1, Palette4({Dark, Red, Green, Blue}), rle8.bytes),
                             DecodeBmpRows);
    // Only an end marker: a white picture, handed on a row at a time.
    PictureColorRows white({ColorModeAverage, false});
    EXPECT_EQ(DecodeBmpRows(test::MakeBmp(40, 16384, 16384, 8, 1, Palette4({Red}), {0, 1}), white), "");
    EXPECT_EQ(white.Color(), RgbColor(235, 235, 235));
}

} // namespace
} // namespace hg
