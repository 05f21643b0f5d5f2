// PNG through libpng. libpng reports errors by long-jumping to the last
// setjmp: every function that calls setjmp below holds only trivially
// destructible locals, and all C++ objects live in the callers.
#include "color/Decoders.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace hg {

namespace {

struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
    char message[200] = {};
    png_uint_32 width = 0, height = 0;
    int passes = 1;
    bool alpha = false;

    ~PngSession() {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

void OnError(png_structp png, png_const_charp text) {
    auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
    std::strncpy(session->message, text ? text : "damaged data", sizeof session->message - 1);
    png_longjmp(png, 1);
}

// Warnings (a questionable colour profile, a bad checksum in an optional
// chunk) leave a usable picture and are not worth a word.
void OnWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    if (count > session->size - session->position)
        png_error(png, "the PNG picture is truncated");
    std::memcpy(out, session->data + session->position, count);
    session->position += count;
}

bool ReadHeader(PngSession& s) {
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
    if (!s.png)
        return false;
    s.info = png_create_info_struct(s.png);
    if (!s.info)
        return false;
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_set_read_fn(s.png, &s, ReadFromMemory);
    png_set_user_limits(s.png, MaxPictureSide, MaxPictureSide);
    png_read_info(s.png, s.info);

    const int colorType = png_get_color_type(s.png, s.info);
    const int depth = png_get_bit_depth(s.png, s.info);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(s.png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(s.png);
    if (png_get_valid(s.png, s.info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(s.png);
    if (depth == 16)
        png_set_scale_16(s.png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(s.png);
    png_set_bgr(s.png);
    s.passes = png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    s.width = png_get_image_width(s.png, s.info);
    s.height = png_get_image_height(s.png, s.info);
    s.alpha = png_get_channels(s.png, s.info) == 4;
    return png_get_channels(s.png, s.info) >= 3 && png_get_bit_depth(s.png, s.info) == 8;
}

// Blends one row of blue, green, red, alpha over white.
void CompositeOverWhite(const std::uint8_t* bgra, std::uint8_t* bgr, png_uint_32 width) {
    for (png_uint_32 x = 0; x < width; ++x) {
        const unsigned a = bgra[4 * x + 3];
        for (int c = 0; c < 3; ++c)
            bgr[3 * x + c] = static_cast<std::uint8_t>((bgra[4 * x + c] * a + 255 * (255 - a) + 127) / 255);
    }
}

// Opaque pictures decode straight into the bitmap. Pictures with alpha go
// through `scratch`: one row of 4 bytes per pixel, or for interlaced ones the
// whole picture, since the passes fill each row in turn.
bool ReadPixels(PngSession& s, std::uint8_t* pixels, std::size_t stride, std::uint8_t* scratch) {
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    const std::size_t scratchStride = static_cast<std::size_t>(s.width) * 4;
    for (int pass = 0; pass < s.passes; ++pass) {
        for (png_uint_32 y = 0; y < s.height; ++y) {
            std::uint8_t* row = pixels + y * stride;
            if (!s.alpha) {
                png_read_row(s.png, row, nullptr);
            } else if (s.passes == 1) {
                png_read_row(s.png, scratch, nullptr);
                CompositeOverWhite(scratch, row, s.width);
            } else {
                png_read_row(s.png, scratch + y * scratchStride, nullptr);
            }
        }
    }
    if (s.alpha && s.passes > 1)
        for (png_uint_32 y = 0; y < s.height; ++y)
            CompositeOverWhite(scratch + y * scratchStride, pixels + y * stride, s.width);
    return true;
}

} // namespace

PictureResult DecodePng(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
        return PictureResult::Fail("not a PNG picture");
    PngSession session;
    session.data = bytes.data();
    session.size = bytes.size();
    if (!ReadHeader(session))
        return PictureResult::Fail(std::string("not a readable PNG picture: ") +
                                   (session.message[0] ? session.message : "unsupported pixel format"));
    const std::string tooLarge = CheckPictureSize(session.width, session.height);
    if (!tooLarge.empty())
        return PictureResult::Fail(tooLarge);
    const int width = static_cast<int>(session.width);
    const int height = static_cast<int>(session.height);
    auto bitmap = Bitmap24::Allocate(width, height);
    std::unique_ptr<std::uint8_t[]> scratch;
    if (bitmap && session.alpha) {
        const std::size_t rows = session.passes > 1 ? session.height : 1;
        scratch.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(width) * 4 * rows]);
    }
    if (!bitmap || (session.alpha && !scratch))
        return PictureResult::Fail("not enough memory for a picture of " + std::to_string(width) + " x " +
                                   std::to_string(height) + " pixels");
    if (!ReadPixels(session, bitmap->Data(), bitmap->Stride(), scratch.get()))
        return PictureResult::Fail(std::string("not a readable PNG picture: ") + session.message);
    return PictureResult::Ok(std::move(*bitmap));
}

} // namespace hg
