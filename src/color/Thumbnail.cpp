#include "color/Thumbnail.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <new>

namespace hg {

int ThumbnailRows::Fit(int side, int otherSide, int maxSide, int maxOther) {
    // The smaller of the two scales, never above 1; rounded, at least 1.
    const double scale = std::min({1.0, static_cast<double>(maxSide) / side, static_cast<double>(maxOther) / otherSide});
    return std::max(1, static_cast<int>(side * scale + 0.5));
}

std::size_t ThumbnailRows::MemoryFor(int width, int height) const {
    const int w = Fit(width, height, maxWidth_, maxHeight_), h = Fit(height, width, maxHeight_, maxWidth_);
    return Bitmap24::StrideFor(w) * static_cast<std::size_t>(h) + static_cast<std::size_t>(w + h + 1) * sizeof(int);
}

std::string ThumbnailRows::Begin(int width, int height) {
    width_ = width, height_ = height;
    received_ = 0;
    bitmap_.reset();
    const int w = Fit(width, height, maxWidth_, maxHeight_), h = Fit(height, width, maxHeight_, maxWidth_);
    try {
        sourceRows_.resize(static_cast<std::size_t>(h));
        columnStarts_.resize(static_cast<std::size_t>(w) + 1);
    } catch (const std::bad_alloc&) {
        return "not enough memory";
    }
    // Row j stands for picture rows j*H/h up to (j+1)*H/h and takes the middle
    // one; h <= H, so they are distinct and ascending.
    for (int j = 0; j < h; ++j)
        sourceRows_[static_cast<std::size_t>(j)] =
            static_cast<int>((static_cast<std::int64_t>(2 * j + 1) * height) / (2 * static_cast<std::int64_t>(h)));
    for (int i = 0; i <= w; ++i)
        columnStarts_[static_cast<std::size_t>(i)] =
            static_cast<int>(static_cast<std::int64_t>(i) * width / w);
    bitmap_ = Bitmap24::Allocate(w, h);
    if (!bitmap_)
        return "not enough memory";
    return {};
}

bool ThumbnailRows::Wants(int y) const { return std::binary_search(sourceRows_.begin(), sourceRows_.end(), y); }

void ThumbnailRows::Row(int y, const std::uint8_t* pixels) {
    const auto at = std::lower_bound(sourceRows_.begin(), sourceRows_.end(), y);
    if (!bitmap_ || at == sourceRows_.end() || *at != y)
        return;
    std::uint8_t* out = bitmap_->Row(static_cast<int>(at - sourceRows_.begin()));
    for (int i = 0; i + 1 < static_cast<int>(columnStarts_.size()); ++i) {
        const int from = columnStarts_[static_cast<std::size_t>(i)], to = columnStarts_[static_cast<std::size_t>(i) + 1];
        unsigned sum[3] = {0, 0, 0};
        for (int x = from; x < to; ++x)
            for (int c = 0; c < 3; ++c)
                sum[c] += pixels[3 * x + c];
        const auto n = static_cast<unsigned>(to - from);
        for (int c = 0; c < 3; ++c)
            out[3 * i + c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
    }
    ++received_;
}

std::string BothRows::Begin(int width, int height) {
    if (std::string refused = first_.Begin(width, height); !refused.empty())
        return refused;
    return second_.Begin(width, height);
}

void BothRows::Row(int y, const std::uint8_t* pixels) {
    if (first_.Wants(y))
        first_.Row(y, pixels);
    if (second_.Wants(y))
        second_.Row(y, pixels);
}

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// libpng reports errors by long-jumping here; only trivially destructible
// locals live in this function, the vector and rows in the caller.
bool WritePng(png_structp png, png_infop info, const BitmapView& picture, std::vector<std::uint8_t>& out,
              std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // A quick level: the thumbnail is small, and level 9 cost ten times the
    // decode of a small wallpaper for a file a tenth smaller.
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    png_set_bgr(png); // the bitmap holds blue, green, red
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodePng(const BitmapView& picture) {
    std::vector<std::uint8_t> out;
    if (picture.width < 1 || picture.height < 1)
        return out;
    // Deflate never grows data by more than a little, so with this room the
    // writer's callback does not allocate (an exception must not cross libpng).
    const std::size_t raw = (static_cast<std::size_t>(picture.width) * 3 + 1) * static_cast<std::size_t>(picture.height);
    out.reserve(raw + raw / 64 + 4096);
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(picture.Row(y)); // libpng only reads them
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return out;
    png_infop info = png_create_info_struct(png);
    const bool written = info && WritePng(png, info, picture, out, rows);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!written)
        out.clear();
    return out;
}

} // namespace hg
