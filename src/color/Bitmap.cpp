#include "color/Bitmap.h"

#include "color/PictureRows.h"

#include <cstring>
#include <new>

namespace hg {

std::string CheckPictureSize(std::int64_t width, std::int64_t height) {
    if (width < 1 || height < 1)
        return "the picture has no pixels (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    if (width > MaxPictureSide || height > MaxPictureSide || width * height > MaxPicturePixels)
        return "the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) + " pixels)";
    return {};
}

std::optional<Bitmap24> Bitmap24::Allocate(int width, int height) {
    if (!CheckPictureSize(width, height).empty())
        return std::nullopt;
    const std::size_t stride = StrideFor(width);
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[stride * static_cast<std::size_t>(height)]);
    if (!pixels)
        return std::nullopt;
    return Bitmap24(width, height, stride, std::move(pixels));
}

std::optional<Bitmap24> Bitmap24::AllocateWhite(int width, int height) {
    auto bitmap = Allocate(width, height);
    if (bitmap)
        std::memset(bitmap->Data(), 0xFF, bitmap->SizeBytes());
    return bitmap;
}

std::string BitmapRows::Begin(int width, int height) {
    bitmap_.reset(); // the last attempt's pixels go first
    bitmap_ = Bitmap24::Allocate(width, height);
    if (!bitmap_)
        return "not enough memory for a picture of " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels";
    return {};
}

void BitmapRows::Row(int y, const std::uint8_t* pixels) {
    std::uint8_t* target = bitmap_->Row(y);
    if (pixels != target)
        std::memcpy(target, pixels, static_cast<std::size_t>(bitmap_->Width()) * 3);
}

std::string DeliverRows(const BitmapView& bitmap, RowConsumer& rows) {
    if (std::string refused = rows.Begin(bitmap.width, bitmap.height); !refused.empty())
        return refused;
    for (int y = 0; y < bitmap.height; ++y)
        if (rows.Wants(y))
            rows.Row(y, bitmap.Row(y));
    return {};
}

PictureResult DecodeToBitmap(std::span<const std::uint8_t> bytes, RowDecoder decode) {
    BitmapRows rows;
    if (std::string error = decode(bytes, rows); !error.empty())
        return PictureResult::Fail(std::move(error));
    auto bitmap = rows.Take();
    if (!bitmap)
        return PictureResult::Fail("the picture has no rows");
    return PictureResult::Ok(std::move(*bitmap));
}

} // namespace hg
