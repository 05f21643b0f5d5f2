#pragma once
// Small pictures made in memory for the colour and decoder tests.
#include "color/Bitmap.h"
#include "color/Color.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hg::test {

using Bytes = std::vector<std::uint8_t>;

// A bitmap of the given colours, row by row.
Bitmap24 MakeBitmap(int width, int height, const std::function<TColor(int x, int y)>& colorAt);
Bitmap24 MakeRow(const std::vector<TColor>& colors);
TColor ColorAt(const Bitmap24& bitmap, int x, int y);

// A baseline JPEG of the bitmap (libjpeg's default encoder settings).
Bytes EncodeJpeg(const Bitmap24& bitmap, int quality = 90, bool grey = false);

struct JpegOptions {
    int quality = 90;
    bool grey = false;
    bool progressive = false;   // libjpeg's standard progression (DC of all components first)
    bool scanPerComponent = false; // sequential, one scan for each component
    int lumaH = 2, lumaV = 2;   // luma sampling factors: 2, 2 is 4:2:0, 1, 1 is 4:4:4
    int chromaH = 1, chromaV = 1; // both chroma components' sampling factors
    int greyH = 1, greyV = 1;   // the one component's sampling factors in a grey picture
    int restartRows = 0;        // a restart marker every this many MCU rows
};
Bytes EncodeJpeg(const Bitmap24& bitmap, const JpegOptions& options);

// Byte offsets of the start-of-scan markers of a JPEG file.
std::vector<std::size_t> JpegScanStarts(const Bytes& file);

// A PNG written by libpng from raw rows in the file's own sample layout.
struct PngSpec {
    int width = 0;
    int height = 0;
    int colorType = 0; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<Bytes> rows;
    std::vector<TColor> palette;               // for palette pictures
    std::vector<std::uint8_t> paletteAlpha;    // tRNS of palette pictures
    std::vector<std::uint16_t> transparentKey; // tRNS of grey (1 value) or RGB (3 values)
    double gamma = 0;                          // a gAMA chunk when not 0
};
Bytes EncodePng(const PngSpec& layout);

// The PNG file with one more chunk right after its header chunk: the chunk
// type and data as given, the data's own length in its length field unless
// claimedLength says otherwise, and the checksum over the type and the data.
Bytes WithPngChunk(const Bytes& png, const std::string& type, const Bytes& data,
                   std::optional<std::uint32_t> claimedLength = std::nullopt);
// Data of the ancillary chunks that hold text and profiles: a keyword, then
// (zTXt, iCCP) a compression byte and the zlib stream of the text, or (iTXt)
// the flags, an empty language and translated keyword, and the text.
Bytes PngTextData(const std::string& keyword, const std::string& text);
Bytes PngCompressedData(const std::string& keyword, const std::string& text);
Bytes PngInternationalData(const std::string& keyword, const std::string& text);

// Little-endian byte writer for hand-made files.
struct ByteWriter {
    Bytes bytes;
    ByteWriter& U8(unsigned v);
    ByteWriter& U16(unsigned v);
    ByteWriter& U32(std::uint32_t v);
    ByteWriter& Raw(const Bytes& b);
    ByteWriter& Zeros(std::size_t n);
};

// A Windows bitmap: file header, info header of headerSize bytes (12, 40, 108
// or 124), then `extra` (masks, palette) and the pixel data as given.
Bytes MakeBmp(int headerSize, std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
              const Bytes& extra, const Bytes& pixelData, std::uint32_t colorsUsed = 0,
              const std::uint32_t* masks = nullptr);

// A folder of its own under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Write(const std::string& name, const Bytes& bytes) const;

private:
    std::filesystem::path path_;
};

} // namespace hg::test
