#pragma once
// Decoders hand a picture's rows to a consumer instead of filling a bitmap:
// a colour needs only some rows, or only running sums, and a decoder skips
// the work for rows no one wants where its format allows.
#include "color/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace hg {

// Memory one decode may take: the decoder's own buffers plus what its
// consumer holds (a bitmap, when one is made). A picture that needs more is
// refused before the memory is taken.
inline constexpr std::size_t DecodeMemoryBudget = std::size_t{1} << 30;

class RowConsumer {
public:
    virtual ~RowConsumer() = default;

    // The memory the consumer will hold for a picture of this size; counted
    // in the decode's budget.
    virtual std::size_t MemoryFor(int width, int height) const {
        (void)width, (void)height;
        return 0;
    }
    // The picture's size, once per decode and before any row. Starts afresh
    // (a consumer may be handed to a second decoder after the first failed).
    // A non-empty text refuses the picture with that reason.
    virtual std::string Begin(int width, int height) = 0;
    // Whether row y (0 at the top) is needed. Only these rows are delivered.
    virtual bool Wants(int y) const = 0;
    // Where the decoder may write row y before delivering it, or null for a
    // buffer of the decoder's own (a bitmap saves a copy this way).
    virtual std::uint8_t* RowTarget(int y) {
        (void)y;
        return nullptr;
    }
    // Row y: `width` pixels of blue, green, red. Every wanted row comes exactly
    // once, in the order the format stores them (bottom-up bitmaps give the
    // bottom row first). The pixels are valid only during the call.
    virtual void Row(int y, const std::uint8_t* pixels) = 0;

    // A consumer that needs every pixel but not where it lies (apart from
    // the corners) may take the pixels of an interlaced picture pass by pass,
    // with no picture-sized buffer: then, instead of rows, it gets Pixels with
    // pieces of rows (every pixel exactly once) and Corner with each of the
    // four corner pixels.
    virtual bool TakesLoosePixels() const { return false; }
    virtual void Pixels(const std::uint8_t* pixels, int count) { (void)pixels, (void)count; }
    virtual void Corner(int x, int y, const std::uint8_t* pixel) { (void)x, (void)y, (void)pixel; }
};

// Collects every row into a bitmap.
class BitmapRows final : public RowConsumer {
public:
    std::size_t MemoryFor(int width, int height) const override {
        return Bitmap24::StrideFor(width) * static_cast<std::size_t>(height);
    }
    std::string Begin(int width, int height) override;
    bool Wants(int) const override { return true; }
    std::uint8_t* RowTarget(int y) override { return bitmap_->Row(y); }
    void Row(int y, const std::uint8_t* pixels) override;
    std::optional<Bitmap24> Take() { return std::move(bitmap_); }

private:
    std::optional<Bitmap24> bitmap_;
};

// Hands the wanted rows of a bitmap to a consumer, top row first; the
// consumer's refusal, or empty.
std::string DeliverRows(const BitmapView& bitmap, RowConsumer& rows);

// A whole-picture decode through BitmapRows.
using RowDecoder = std::string (*)(std::span<const std::uint8_t> bytes, RowConsumer& rows);
PictureResult DecodeToBitmap(std::span<const std::uint8_t> bytes, RowDecoder decode);

} // namespace hg
