#include "PictureFixtures.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace hg::test {

Bitmap24 MakeBitmap(int width, int height, const std::function<TColor(int, int)>& colorAt) {
    auto bitmap = Bitmap24::Allocate(width, height);
    if (!bitmap)
        throw std::runtime_error("cannot allocate a test bitmap");
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const TColor c = colorAt(x, y);
            std::uint8_t* p = bitmap->Row(y) + 3 * x;
            p[0] = BlueOf(c), p[1] = GreenOf(c), p[2] = RedOf(c);
        }
    return std::move(*bitmap);
}

Bitmap24 MakeRow(const std::vector<TColor>& colors) {
    return MakeBitmap(static_cast<int>(colors.size()), 1, [&](int x, int) { return colors[static_cast<std::size_t>(x)]; });
}

TColor ColorAt(const Bitmap24& bitmap, int x, int y) { return PixelColor(bitmap.Row(y) + 3 * x); }

Bytes EncodeJpeg(const Bitmap24& bitmap, int quality, bool grey) {
    JpegOptions options;
    options.quality = quality;
    options.grey = grey;
    return EncodeJpeg(bitmap, options);
}

Bytes EncodeJpeg(const Bitmap24& bitmap, const JpegOptions& options) {
    const int quality = options.quality;
    const bool grey = options.grey;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
    cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (grey) {
        cinfo.comp_info[0].h_samp_factor = options.greyH;
        cinfo.comp_info[0].v_samp_factor = options.greyV;
    } else {
        cinfo.comp_info[0].h_samp_factor = options.lumaH;
        cinfo.comp_info[0].v_samp_factor = options.lumaV;
        for (int c = 1; c < 3; ++c) {
            cinfo.comp_info[c].h_samp_factor = options.chromaH;
            cinfo.comp_info[c].v_samp_factor = options.chromaV;
        }
    }
    cinfo.restart_in_rows = options.restartRows;
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_scan_info scans[3] = {};
    if (options.scanPerComponent) {
        for (int c = 0; c < cinfo.num_components; ++c) {
            scans[c].comps_in_scan = 1;
            scans[c].component_index[0] = c;
            scans[c].Se = 63;
        }
        cinfo.scan_info = scans;
        cinfo.num_scans = cinfo.num_components;
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> greyRow(static_cast<std::size_t>(bitmap.Width()));
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* row = bitmap.Row(static_cast<int>(cinfo.next_scanline));
        JSAMPROW target = const_cast<JSAMPROW>(row);
        if (grey) {
            for (int x = 0; x < bitmap.Width(); ++x)
                greyRow[static_cast<std::size_t>(x)] = row[3 * x + 1];
            target = greyRow.data();
        }
        jpeg_write_scanlines(&cinfo, &target, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes bytes(out, out + size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

std::vector<std::size_t> JpegScanStarts(const Bytes& file) {
    // Inside scan data a 0xFF byte is followed by 0 or a restart marker, so
    // 0xFF 0xDA marks the start of a scan only.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA)
            starts.push_back(i);
    return starts;
}

namespace {

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void Flush(png_structp) {}

} // namespace

Bytes WithPngChunk(const Bytes& png, const std::string& type, const Bytes& data,
                   std::optional<std::uint32_t> claimedLength) {
    constexpr std::size_t AfterHeader = 8 + 25; // the signature, then IHDR's length, type, 13 bytes, checksum
    if (png.size() < AfterHeader || type.size() != 4)
        throw std::runtime_error("not a PNG file with a header chunk");
    Bytes out(png.size() + 12 + data.size());
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i)
            out[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    std::copy_n(png.begin(), AfterHeader, out.begin());
    put(AfterHeader, claimedLength.value_or(static_cast<std::uint32_t>(data.size())));
    std::copy(type.begin(), type.end(), out.begin() + AfterHeader + 4);
    std::copy(data.begin(), data.end(), out.begin() + AfterHeader + 8);
    const auto crc = static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), out.data() + AfterHeader + 4, static_cast<uInt>(4 + data.size())));
    put(AfterHeader + 8 + data.size(), crc);
    std::copy(png.begin() + AfterHeader, png.end(), out.begin() + static_cast<std::ptrdiff_t>(AfterHeader + 12 + data.size()));
    return out;
}

Bytes PngTextData(const std::string& keyword, const std::string& text) {
    Bytes out(keyword.begin(), keyword.end());
    out.push_back(0);
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

namespace {
Bytes Deflated(const std::string& text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    Bytes out(size);
    if (compress(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size())) != Z_OK)
        throw std::runtime_error("cannot compress a test chunk");
    out.resize(size);
    return out;
}
} // namespace

Bytes PngCompressedData(const std::string& keyword, const std::string& text) {
    Bytes out(keyword.begin(), keyword.end());
    out.push_back(0);
    out.push_back(0); // deflate
    const Bytes packed = Deflated(text);
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

Bytes PngInternationalData(const std::string& keyword, const std::string& text) {
    Bytes out(keyword.begin(), keyword.end());
    out.insert(out.end(), {0, 1, 0, 0, 0}); // compressed, deflate, no language, no translation
    const Bytes packed = Deflated(text);
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

Bytes EncodePng(const PngSpec& layout) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot write a test PNG");
    }
    png_set_write_fn(png, &out, WriteToVector, Flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width), static_cast<png_uint_32>(layout.height),
                 layout.bitDepth, layout.colorType, layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (const TColor c : layout.palette)
        palette.push_back({RedOf(c), GreenOf(c), BlueOf(c)});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!layout.paletteAlpha.empty())
        png_set_tRNS(png, info, layout.paletteAlpha.data(), static_cast<int>(layout.paletteAlpha.size()), nullptr);
    if (!layout.transparentKey.empty()) {
        png_color_16 key{};
        if (layout.transparentKey.size() == 1)
            key.gray = layout.transparentKey[0];
        else
            key.red = layout.transparentKey[0], key.green = layout.transparentKey[1], key.blue = layout.transparentKey[2];
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    if (layout.gamma != 0)
        png_set_gAMA(png, info, layout.gamma);
    png_write_info(png, info);
    if (layout.bitDepth == 16)
        png_set_swap(png); // rows are given little-endian, as the test writes them
    std::vector<png_bytep> rows;
    for (const Bytes& row : layout.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

ByteWriter& ByteWriter::U8(unsigned v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
}
ByteWriter& ByteWriter::U16(unsigned v) { return U8(v & 0xFF).U8(v >> 8 & 0xFF); }
ByteWriter& ByteWriter::U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
ByteWriter& ByteWriter::Raw(const Bytes& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
}
ByteWriter& ByteWriter::Zeros(std::size_t n) {
    bytes.insert(bytes.end(), n, 0);
    return *this;
}

Bytes MakeBmp(int headerSize, std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
              const Bytes& extra, const Bytes& pixelData, std::uint32_t colorsUsed, const std::uint32_t* masks) {
    const std::uint32_t offset = 14 + static_cast<std::uint32_t>(headerSize + extra.size());
    ByteWriter w;
    w.U8('B').U8('M').U32(offset + static_cast<std::uint32_t>(pixelData.size())).U32(0).U32(offset);
    w.U32(static_cast<std::uint32_t>(headerSize));
    if (headerSize == 12) {
        w.U16(static_cast<unsigned>(width)).U16(static_cast<unsigned>(height)).U16(1).U16(static_cast<unsigned>(bits));
    } else {
        w.U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(height)).U16(1);
        w.U16(static_cast<unsigned>(bits)).U32(compression).U32(static_cast<std::uint32_t>(pixelData.size()));
        w.U32(2835).U32(2835).U32(colorsUsed).U32(0);
        if (headerSize > 40) {
            for (int i = 0; i < 4; ++i)
                w.U32(masks ? masks[i] : 0);
            w.Zeros(static_cast<std::size_t>(headerSize - 56));
        }
    }
    return w.Raw(extra).Raw(pixelData).bytes;
}

TempFolder::TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("hueglass-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::Write(const std::string& name, const Bytes& bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
}

} // namespace hg::test
