#pragma once
// Picture decoders from a file's bytes to a 24-bit bitmap. Each refuses what it
// cannot read with a reason, never ends the process, and refuses pictures
// beyond MaxPictureSide / MaxPicturePixels from their header.
#include "color/Bitmap.h"

#include <cstdint>
#include <span>

namespace hg {

// libjpeg-turbo at its default settings (accurate integer IDCT, fancy
// upsampling): pixels equal the reference decoder's bit for bit. A file that
// ends before its picture data does is refused.
PictureResult DecodeJpeg(std::span<const std::uint8_t> bytes);

// Every colour type and bit depth, palette, interlacing; 16-bit samples are
// scaled to 8 bits and transparency is composited over white.
PictureResult DecodePng(std::span<const std::uint8_t> bytes);

// Windows bitmaps: core, info and V4/V5 headers; 1, 4, 8, 16, 24 and 32 bits;
// uncompressed, bit fields, RLE4 and RLE8; top-down and bottom-up. The alpha
// byte of 32-bit pixels is ignored, as a screen copy of the bitmap would.
PictureResult DecodeBmp(std::span<const std::uint8_t> bytes);

} // namespace hg
