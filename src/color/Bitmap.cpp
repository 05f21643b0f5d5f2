#include "color/Bitmap.h"

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

} // namespace hg
