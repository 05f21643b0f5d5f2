#pragma once
// Picture decoders from a file's bytes in memory. Each refuses what it cannot
// read with a reason, never ends the process, refuses pictures beyond
// MaxPictureSide / MaxPicturePixels from their header, and keeps within
// DecodeMemoryBudget. The ...Rows forms hand the picture's rows to a
// consumer (empty text on success, otherwise the reason); the others return
// the whole picture as a bitmap.
#include "color/Bitmap.h"
#include "color/PictureRows.h"

#include <cstdint>
#include <span>
#include <string>

namespace hg {

// libjpeg-turbo at its default settings (accurate integer IDCT, fancy
// upsampling): pixels equal the reference decoder's bit for bit. Rows a
// consumer does not want are skipped by the decoder. A picture whose rows
// were not all decoded (the file cut inside a scan, even when an end marker
// follows) is refused; a file missing only its end marker, or a progressive
// one cut between scans, is a complete picture.
std::string DecodeJpegRows(std::span<const std::uint8_t> bytes, RowConsumer& rows);
PictureResult DecodeJpeg(std::span<const std::uint8_t> bytes);

// Every colour type and bit depth, palette, interlacing; 16-bit samples are
// scaled to 8 bits and transparency is composited over white.
std::string DecodePngRows(std::span<const std::uint8_t> bytes, RowConsumer& rows);
PictureResult DecodePng(std::span<const std::uint8_t> bytes);

// What libpng itself asked for while this thread last decoded a PNG, in
// bytes: its largest single request (also one refused) and the most it held
// at once. For the tests and benchmarks of hostile files.
struct PngMemoryUse {
    std::size_t largestRequest = 0;
    std::size_t peak = 0;
};
PngMemoryUse LastPngMemoryUse();

// Windows bitmaps: core, info and V4/V5 headers; 1, 4, 8, 16, 24 and 32 bits;
// uncompressed, bit fields, RLE4 and RLE8; top-down and bottom-up. The alpha
// byte of 32-bit pixels is ignored, as a screen copy of the bitmap would.
// Run-length data must end with its end-of-bitmap marker.
std::string DecodeBmpRows(std::span<const std::uint8_t> bytes, RowConsumer& rows);
PictureResult DecodeBmp(std::span<const std::uint8_t> bytes);

} // namespace hg
