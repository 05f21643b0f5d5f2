#pragma once
// What the fuzz targets check beyond "does not crash": a failed check prints
// its reason and aborts, which libFuzzer reports as a finding with the input.
#include "color/Bitmap.h"
#include "color/PictureRows.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace hg::fuzz {

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

inline void Require(bool holds, const char* what) {
    if (!holds)
        Fail(what);
}

// Reads the first and the last byte of a buffer, so the address sanitizer
// sees a buffer shorter than the decoder says it is (reading every byte of
// the huge white rows some files claim would cost more than it finds).
inline std::uint32_t Touch(const std::uint8_t* bytes, std::size_t count) {
    return count == 0 ? 0 : bytes[0] + bytes[count - 1];
}

// Passes everything on to another consumer and checks the decoder's side of
// the row protocol: a size within bounds before any row, only wanted rows,
// each at most once, pixels that can be read, and after a successful decode
// every wanted row (or, for loose pixels, every pixel and the four corners).
class CheckedRows final : public RowConsumer {
public:
    explicit CheckedRows(RowConsumer& inner) : inner_(inner) {}

    std::size_t MemoryFor(int width, int height) const override { return inner_.MemoryFor(width, height); }
    std::string Begin(int width, int height) override {
        Require(width > 0 && height > 0 && CheckPictureSize(width, height).empty(), "picture size out of bounds");
        width_ = width, height_ = height;
        delivered_.assign(static_cast<std::size_t>(height), false);
        loosePixels_ = 0, corners_ = 0, rows_ = 0;
        begun_ = true;
        return inner_.Begin(width, height);
    }
    bool Wants(int y) const override {
        Require(begun_ && y >= 0 && y < height_, "row asked for outside the picture");
        return inner_.Wants(y);
    }
    std::uint8_t* RowTarget(int y) override {
        Require(begun_ && y >= 0 && y < height_ && inner_.Wants(y), "row target of an unwanted row");
        return inner_.RowTarget(y);
    }
    void Row(int y, const std::uint8_t* pixels) override {
        Require(begun_ && y >= 0 && y < height_, "row outside the picture");
        Require(inner_.Wants(y), "a row that was not wanted");
        Require(!delivered_[static_cast<std::size_t>(y)], "a row delivered twice");
        delivered_[static_cast<std::size_t>(y)] = true;
        ++rows_;
        checksum_ += Touch(pixels, static_cast<std::size_t>(width_) * 3);
        inner_.Row(y, pixels);
    }
    bool TakesLoosePixels() const override { return inner_.TakesLoosePixels(); }
    void Pixels(const std::uint8_t* pixels, int count) override {
        Require(begun_ && inner_.TakesLoosePixels(), "loose pixels the consumer does not take");
        Require(count >= 0 && loosePixels_ + count <= std::int64_t{width_} * height_,
                "more pixels than the picture has");
        loosePixels_ += count;
        checksum_ += Touch(pixels, static_cast<std::size_t>(count) * 3);
        inner_.Pixels(pixels, count);
    }
    void Corner(int x, int y, const std::uint8_t* pixel) override {
        Require(begun_ && (x == 0 || x == width_ - 1) && (y == 0 || y == height_ - 1), "a corner that is not one");
        ++corners_;
        checksum_ += Touch(pixel, 3);
        inner_.Corner(x, y, pixel);
    }

    // After the decode reported success.
    void RequireComplete() const {
        Require(begun_, "success without a picture size");
        if (loosePixels_ > 0 || corners_ > 0) {
            Require(rows_ == 0, "rows and loose pixels mixed");
            Require(loosePixels_ == std::int64_t{width_} * height_, "loose pixels missing");
            Require(corners_ >= 4, "corners missing");
            return;
        }
        for (int y = 0; y < height_; ++y)
            Require(delivered_[static_cast<std::size_t>(y)] || !inner_.Wants(y), "a wanted row never delivered");
    }
    std::pair<int, int> Size() const { return {width_, height_}; }

private:
    RowConsumer& inner_;
    bool begun_ = false;
    int width_ = 0, height_ = 0;
    std::vector<bool> delivered_;
    std::int64_t loosePixels_ = 0;
    int corners_ = 0, rows_ = 0;
    std::uint32_t checksum_ = 0;
};

// The size a picture's header claims, read independently of the decoders:
// the first frame header of a JPEG, the header chunk of a PNG, the info
// header of a Windows bitmap (whose height may be negative for top-down rows).
std::optional<std::pair<std::int64_t, std::int64_t>> ClaimedSize(std::span<const std::uint8_t> bytes);

// The pixels of the size a picture's header claims; nullopt without a
// claim or for a side beyond the decoders' bounds.
inline std::optional<std::int64_t> ClaimedPixels(const std::optional<std::pair<std::int64_t, std::int64_t>>& size) {
    if (!size || size->first <= 0 || size->second <= 0 || size->first > MaxPictureSide || size->second > MaxPictureSide)
        return std::nullopt;
    return size->first * size->second;
}

// Pictures small enough to be decoded a second time, whole, for comparison.
inline constexpr std::int64_t MaxComparedPixels = std::int64_t{1} << 22;
inline bool Comparable(const std::optional<std::pair<std::int64_t, std::int64_t>>& size) {
    const auto pixels = ClaimedPixels(size);
    return pixels && *pixels <= MaxComparedPixels;
}

} // namespace hg::fuzz
