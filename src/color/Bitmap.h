#pragma once
// The portable 24-bit bitmap the decoders return and the colour analysis
// reads: rows of blue, green, red bytes, row 0 at the top, each row padded to
// a multiple of four bytes (the layout of a Windows DIB, so the Windows side
// converts with one copy).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace hg {

// Pictures are refused from their header beyond these bounds, before anything
// is allocated for them.
inline constexpr int MaxPictureSide = 65535;
inline constexpr std::int64_t MaxPicturePixels = std::int64_t{1} << 28;

// Empty when a picture of this size may be decoded, otherwise the reason.
std::string CheckPictureSize(std::int64_t width, std::int64_t height);

// A non-owning view of 24-bit pixels.
struct BitmapView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // bytes from one row to the next

    const std::uint8_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};

class Bitmap24 {
public:
    static std::size_t StrideFor(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

    // Uninitialised pixels; nullopt when the size is out of bounds or memory is
    // short (never an exception).
    static std::optional<Bitmap24> Allocate(int width, int height);
    // All pixels white.
    static std::optional<Bitmap24> AllocateWhite(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::size_t Stride() const { return stride_; }
    std::uint8_t* Row(int y) { return pixels_.get() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* Row(int y) const { return pixels_.get() + static_cast<std::size_t>(y) * stride_; }
    std::uint8_t* Data() { return pixels_.get(); }
    const std::uint8_t* Data() const { return pixels_.get(); }
    std::size_t SizeBytes() const { return stride_ * static_cast<std::size_t>(height_); }
    BitmapView View() const { return {pixels_.get(), width_, height_, static_cast<std::ptrdiff_t>(stride_)}; }

private:
    Bitmap24(int width, int height, std::size_t stride, std::unique_ptr<std::uint8_t[]> pixels)
        : width_(width), height_(height), stride_(stride), pixels_(std::move(pixels)) {}

    int width_ = 0;
    int height_ = 0;
    std::size_t stride_ = 0;
    std::unique_ptr<std::uint8_t[]> pixels_;
};

// A decoded picture, or the reason it could not be decoded.
struct PictureResult {
    std::optional<Bitmap24> bitmap;
    std::string error;

    static PictureResult Ok(Bitmap24&& b) { return {std::move(b), {}}; }
    static PictureResult Fail(std::string why) { return {std::nullopt, std::move(why)}; }
    explicit operator bool() const { return bitmap.has_value(); }
};

} // namespace hg
