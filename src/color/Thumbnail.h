#pragma once
// A small copy of a picture made from its rows as the decoder hands them on,
// without a bitmap of the whole picture, and a consumer that hands one
// decode's rows to two consumers (the colour and its thumbnail).
#include "color/Bitmap.h"
#include "color/PictureRows.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace hg {

// Fits the picture into maxWidth x maxHeight, keeping its proportions and
// never enlarging it. Each thumbnail row is one picture row (the middle one
// of the rows it stands for), each of its pixels the mean of the picture
// pixels it covers in that row; only those rows are asked for, and only the
// thumbnail is held.
class ThumbnailRows final : public RowConsumer {
public:
    ThumbnailRows(int maxWidth, int maxHeight) : maxWidth_(maxWidth), maxHeight_(maxHeight) {}

    std::size_t MemoryFor(int width, int height) const override;
    std::string Begin(int width, int height) override;
    bool Wants(int y) const override;
    void Row(int y, const std::uint8_t* pixels) override;

    // Whether every thumbnail row has arrived (a decoder that handed its
    // pixels loose, to another consumer, delivered none).
    bool Complete() const { return bitmap_ && received_ == bitmap_->Height(); }
    const Bitmap24* Picture() const { return Complete() ? &*bitmap_ : nullptr; }
    int SourceWidth() const { return width_; }
    int SourceHeight() const { return height_; }

private:
    static int Fit(int side, int otherSide, int maxSide, int maxOther);

    int maxWidth_, maxHeight_;
    int width_ = 0, height_ = 0;
    std::vector<int> sourceRows_;    // ascending: the picture row of each thumbnail row
    std::vector<int> columnStarts_;  // thumbnail width + 1 entries
    std::optional<Bitmap24> bitmap_;
    int received_ = 0;
};

// Hands one decode's rows to two consumers: a row goes to each that wants it.
// Pixels handed loose (an interlaced picture, when the first consumer takes
// them so) go to the first only; the second then sees no rows.
class BothRows final : public RowConsumer {
public:
    BothRows(RowConsumer& first, RowConsumer& second) : first_(first), second_(second) {}

    std::size_t MemoryFor(int width, int height) const override {
        return first_.MemoryFor(width, height) + second_.MemoryFor(width, height);
    }
    std::string Begin(int width, int height) override;
    bool Wants(int y) const override { return first_.Wants(y) || second_.Wants(y); }
    void Row(int y, const std::uint8_t* pixels) override;
    bool TakesLoosePixels() const override { return first_.TakesLoosePixels(); }
    void Pixels(const std::uint8_t* pixels, int count) override { first_.Pixels(pixels, count); }
    void Corner(int x, int y, const std::uint8_t* pixel) override { first_.Corner(x, y, pixel); }

private:
    RowConsumer& first_;
    RowConsumer& second_;
};

// The picture as a PNG file (8-bit RGB), made with libpng; empty on failure.
std::vector<std::uint8_t> EncodePng(const BitmapView& picture);

} // namespace hg
