// Windows bitmaps, read by hand from the file's bytes. Every offset and length
// taken from the file is checked against the bytes actually present.
#include "color/Decoders.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace hg {

namespace {

enum Compression : std::uint32_t {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3,
    BiJpeg = 4,
    BiPng = 5,
    BiAlphaBitfields = 6,
};

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One colour channel held in a bit field of a 16- or 32-bit pixel, scaled to
// 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    static bool Make(std::uint32_t mask, Channel& out) {
        out = {};
        if (mask == 0)
            return true; // the channel reads as 0
        out.mask = mask;
        out.shift = std::countr_zero(mask);
        out.bits = std::popcount(mask);
        // The bits must be contiguous.
        return (mask >> out.shift) == (std::uint32_t{0xFFFFFFFF} >> (32 - out.bits));
    }
    std::uint8_t Read(std::uint32_t pixel) const {
        if (mask == 0)
            return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8)
            return static_cast<std::uint8_t>(v >> (bits - 8));
        const std::uint32_t max = (1u << bits) - 1;
        return static_cast<std::uint8_t>((v * 255 * 2 + max) / (2 * max));
    }
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0; // positive; see topDown
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = BiRgb;
    std::uint32_t colorsUsed = 0;
    std::size_t paletteOffset = 0;
    int paletteEntrySize = 4;
    Channel red, green, blue;
};

using Palette = std::array<std::array<std::uint8_t, 3>, 256>; // blue, green, red

std::string ReadHeader(std::span<const std::uint8_t> bytes, Header& h) {
    const std::size_t size = bytes.size();
    const std::uint8_t* b = bytes.data();
    if (size < 18 || b[0] != 'B' || b[1] != 'M')
        return "not a Windows bitmap";
    const std::uint32_t headerSize = U32(b + 14);
    if (headerSize > size - 14)
        return "the bitmap is truncated";
    std::uint32_t maskCount = 0;
    if (headerSize == 12) {
        h.width = U16(b + 18);
        h.height = U16(b + 20);
        h.bits = U16(b + 24);
        h.paletteEntrySize = 3;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 || headerSize == 108 ||
               headerSize == 124) {
        const auto width = static_cast<std::int32_t>(U32(b + 18));
        const auto height = static_cast<std::int32_t>(U32(b + 22));
        h.width = width;
        h.topDown = height < 0;
        h.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
        h.bits = U16(b + 28);
        h.compression = U32(b + 30);
        h.colorsUsed = U32(b + 46);
        if (headerSize == 64 && h.compression > BiRle4)
            return "unsupported OS/2 bitmap compression";
        if (h.compression == BiBitfields || h.compression == BiAlphaBitfields) {
            std::uint32_t masks[3];
            const std::size_t at = headerSize >= 52 ? 54 : 14 + headerSize;
            if (headerSize < 52)
                maskCount = h.compression == BiAlphaBitfields ? 4 : 3;
            if (at + 12 > size)
                return "the bitmap is truncated";
            for (int i = 0; i < 3; ++i)
                masks[i] = U32(b + at + 4 * i);
            if (!Channel::Make(masks[0], h.red) || !Channel::Make(masks[1], h.green) ||
                !Channel::Make(masks[2], h.blue))
                return "the bitmap has invalid colour masks";
        }
    } else {
        return "unsupported bitmap header (" + std::to_string(headerSize) + " bytes)";
    }
    h.paletteOffset = 14 + headerSize + 4 * maskCount;

    switch (h.compression) {
    case BiRgb:
        if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32)
            return "unsupported bitmap depth of " + std::to_string(h.bits) + " bits";
        if (h.bits == 16) {
            Channel::Make(0x7C00, h.red), Channel::Make(0x03E0, h.green), Channel::Make(0x001F, h.blue);
        }
        break;
    case BiRle8:
    case BiRle4:
        if (h.bits != (h.compression == BiRle8 ? 8 : 4))
            return "the bitmap's run-length compression does not match its depth";
        if (h.topDown)
            return "a run-length compressed bitmap cannot be top-down";
        break;
    case BiBitfields:
    case BiAlphaBitfields:
        if (h.bits != 16 && h.bits != 32)
            return "bit-field bitmaps must have 16 or 32 bits per pixel";
        break;
    case BiJpeg:
    case BiPng:
        return "bitmaps holding JPEG or PNG data are not supported";
    default:
        return "unsupported bitmap compression " + std::to_string(h.compression);
    }
    return CheckPictureSize(h.width, h.height);
}

// The palette lies between the header and the pixel data; a palette shorter
// than declared leaves the missing entries black.
void ReadPalette(std::span<const std::uint8_t> bytes, const Header& h, std::size_t dataOffset, Palette& palette) {
    palette = {};
    if (h.bits > 8)
        return;
    const std::size_t maxEntries = std::size_t{1} << h.bits;
    const std::size_t end = std::min(dataOffset, bytes.size());
    const std::size_t available = end > h.paletteOffset ? (end - h.paletteOffset) / h.paletteEntrySize : 0;
    const std::size_t declared = h.colorsUsed == 0 ? maxEntries : std::min<std::size_t>(h.colorsUsed, maxEntries);
    const std::size_t entries = std::min(declared, available);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* p = bytes.data() + h.paletteOffset + i * h.paletteEntrySize;
        palette[i] = {p[0], p[1], p[2]};
    }
}

void PutIndex(const Palette& palette, unsigned index, std::uint8_t* out) {
    std::memcpy(out, palette[index & 0xFF].data(), 3);
}

void ReadUncompressedRow(const Header& h, const Palette& palette, const std::uint8_t* in, std::uint8_t* out) {
    const int width = static_cast<int>(h.width);
    switch (h.bits) {
    case 1:
        for (int x = 0; x < width; ++x)
            PutIndex(palette, (in[x >> 3] >> (7 - (x & 7))) & 1, out + 3 * x);
        break;
    case 4:
        for (int x = 0; x < width; ++x)
            PutIndex(palette, (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF, out + 3 * x);
        break;
    case 8:
        for (int x = 0; x < width; ++x)
            PutIndex(palette, in[x], out + 3 * x);
        break;
    case 24:
        std::memcpy(out, in, static_cast<std::size_t>(width) * 3);
        break;
    case 16:
    case 32:
        if (h.bits == 32 && h.compression == BiRgb) {
            for (int x = 0; x < width; ++x)
                std::memcpy(out + 3 * x, in + 4 * x, 3);
            break;
        }
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = h.bits == 16 ? U16(in + 2 * x) : U32(in + 4 * x);
            out[3 * x] = h.blue.Read(pixel);
            out[3 * x + 1] = h.green.Read(pixel);
            out[3 * x + 2] = h.red.Read(pixel);
        }
        break;
    }
}

// Run-length data: runs of one index (two alternating indexes for RLE4),
// literal runs, line ends, jumps, and the end-of-bitmap marker that the data
// must reach. Rows are built one at a time, bottom row first; pixels a jump,
// an early line end or the end marker skips stay white, as transparent parts
// do. Every command consumes input, so the work is bounded by the file and
// the rows handed on. With `rows` null the data is only checked, so that
// nothing is allocated for data that does not reach its end marker.
bool ReadRunLength(const Header& h, const Palette& palette, std::span<const std::uint8_t> data, RowConsumer* rows,
                   std::uint8_t* row, const std::uint8_t* white) {
    const bool rle4 = h.compression == BiRle4;
    const std::int64_t width = h.width, height = h.height;
    std::int64_t x = 0, y = 0; // y counts from the bottom row
    std::size_t i = 0;
    const auto topDownIndex = [&](std::int64_t fromBottom) { return static_cast<int>(height - 1 - fromBottom); };
    const auto wanted = [&](std::int64_t fromBottom) { return rows && rows->Wants(topDownIndex(fromBottom)); };
    bool rowWanted = wanted(0);
    // Hands on the current row and the `skipped` untouched rows above it, then
    // starts the next row white.
    const auto nextRows = [&](std::int64_t skipped) {
        if (!rows) {
            y += 1 + skipped;
            return;
        }
        if (y < height && rowWanted) {
            rows->Row(topDownIndex(y), row);
            std::memcpy(row, white, static_cast<std::size_t>(width) * 3);
        }
        for (std::int64_t k = 1; k <= skipped && y + k < height; ++k)
            if (wanted(y + k))
                rows->Row(topDownIndex(y + k), white);
        y += 1 + skipped;
        rowWanted = y < height && wanted(y);
    };
    const auto put = [&](unsigned index) {
        if (rowWanted && x < width)
            PutIndex(palette, index, row + 3 * x);
        ++x;
    };
    for (;;) {
        if (i + 2 > data.size())
            return false; // the data ends before its end marker
        const unsigned count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            if (y < height) {
                const unsigned n =
                    static_cast<unsigned>(std::min<std::int64_t>(count, std::max<std::int64_t>(width - x, 0)));
                for (unsigned k = 0; k < n; ++k)
                    put(rle4 ? ((k & 1) ? value & 0xF : value >> 4) : value);
                x += count - n;
            }
        } else if (value == 0) {
            x = 0;
            nextRows(0);
        } else if (value == 1) {
            if (y < height)
                nextRows(height - 1 - y);
            return true;
        } else if (value == 2) {
            if (i + 2 > data.size())
                return false;
            const unsigned dx = data[i], dy = data[i + 1];
            i += 2;
            if (dy > 0 && y < height)
                nextRows(std::min<std::int64_t>(dy, height - y) - 1);
            else if (dy > 0)
                y += dy;
            x += dx;
        } else {
            const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
            if (i + bytes > data.size())
                return false;
            if (y < height) {
                for (unsigned k = 0; k < value; ++k) {
                    if (x >= width) {
                        x += value - k;
                        break;
                    }
                    put(rle4 ? ((k & 1) ? data[i + k / 2] & 0xF : data[i + k / 2] >> 4) : data[i + k]);
                }
            }
            i += (bytes + 1) & ~std::size_t{1};
        }
    }
}

} // namespace

std::string DecodeBmpRows(std::span<const std::uint8_t> bytes, RowConsumer& rows) {
    Header h;
    if (std::string error = ReadHeader(bytes, h); !error.empty())
        return error;
    const std::uint32_t dataOffset = U32(bytes.data() + 10);
    if (dataOffset > bytes.size())
        return "the bitmap is truncated";
    Palette palette;
    ReadPalette(bytes, h, dataOffset, palette);
    const std::span<const std::uint8_t> data = bytes.subspan(dataOffset);
    const int width = static_cast<int>(h.width), height = static_cast<int>(h.height);
    const std::size_t rowBytes3 = static_cast<std::size_t>(width) * 3;
    if (rows.MemoryFor(width, height) + rowBytes3 * 2 >= DecodeMemoryBudget)
        return "the picture is too large for the memory a picture may take";

    if (h.compression == BiRle8 || h.compression == BiRle4) {
        if (!ReadRunLength(h, palette, data, nullptr, nullptr, nullptr))
            return "the bitmap is truncated: its run-length data ends before its end marker";
        std::unique_ptr<std::uint8_t[]> row(new (std::nothrow) std::uint8_t[rowBytes3]);
        std::unique_ptr<std::uint8_t[]> white(new (std::nothrow) std::uint8_t[rowBytes3]);
        if (!row || !white)
            return "not enough memory";
        std::memset(white.get(), 0xFF, rowBytes3);
        std::memset(row.get(), 0xFF, rowBytes3);
        if (std::string refused = rows.Begin(width, height); !refused.empty())
            return refused;
        ReadRunLength(h, palette, data, &rows, row.get(), white.get());
        return {};
    }

    // Rows are padded to four bytes; the last row's padding may be missing.
    const std::size_t rowBits = static_cast<std::size_t>(h.width) * static_cast<std::size_t>(h.bits);
    const std::size_t rowBytes = (rowBits + 31) / 32 * 4;
    const std::size_t needed = rowBytes * static_cast<std::size_t>(height - 1) + (rowBits + 7) / 8;
    if (needed > data.size())
        return "the bitmap is truncated";
    std::unique_ptr<std::uint8_t[]> row(new (std::nothrow) std::uint8_t[rowBytes3]);
    if (!row)
        return "not enough memory";
    if (std::string refused = rows.Begin(width, height); !refused.empty())
        return refused;
    // Stored rows go bottom row first unless the height is negative; they are
    // handed on in that order.
    for (int stored = 0; stored < height; ++stored) {
        const int y = h.topDown ? stored : height - 1 - stored;
        if (!rows.Wants(y))
            continue;
        std::uint8_t* target = rows.RowTarget(y);
        if (!target)
            target = row.get();
        ReadUncompressedRow(h, palette, data.data() + static_cast<std::size_t>(stored) * rowBytes, target);
        rows.Row(y, target);
    }
    return {};
}

PictureResult DecodeBmp(std::span<const std::uint8_t> bytes) { return DecodeToBitmap(bytes, DecodeBmpRows); }

} // namespace hg
