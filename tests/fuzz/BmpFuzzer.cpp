// The Windows bitmap reader alone: every header, bit depth and compression.
// A decode that hands on only some rows gives those rows exactly as the
// whole bitmap has them, and a loaded bitmap has its header's size.
#include "FuzzChecks.h"
#include "color/Decoders.h"

#include <cstring>

namespace {

using namespace hg;

// Wants every third row (and the first and last), and keeps them.
class SomeRows final : public RowConsumer {
public:
    std::string Begin(int width, int height) override {
        width_ = width, height_ = height;
        keep_ = std::int64_t{width} * height <= fuzz::MaxComparedPixels;
        rows_.assign(keep_ ? static_cast<std::size_t>(height) : 0, {});
        return {};
    }
    bool Wants(int y) const override { return y % 3 == 0 || y == height_ - 1; }
    void Row(int y, const std::uint8_t* pixels) override {
        if (keep_)
            rows_[static_cast<std::size_t>(y)].assign(pixels, pixels + 3 * static_cast<std::size_t>(width_));
    }
    const std::vector<std::vector<std::uint8_t>>& Rows() const { return rows_; }

private:
    int width_ = 0, height_ = 0;
    bool keep_ = false;
    std::vector<std::vector<std::uint8_t>> rows_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hg::fuzz;
    const std::span<const std::uint8_t> bytes{data, size};

    SomeRows some;
    CheckedRows checked(some);
    const std::string error = DecodeBmpRows(bytes, checked);
    const auto claimed = ClaimedSize(bytes);
    const bool compare = Comparable(claimed);
    const PictureResult picture = compare ? DecodeBmp(bytes) : PictureResult::Fail("not compared");
    if (!error.empty()) {
        Require(!picture, "the whole bitmap decodes where some of its rows could not");
        return 0;
    }
    checked.RequireComplete();
    const auto [width, height] = checked.Size();
    Require(claimed && claimed->first == width && claimed->second == height, "the bitmap's size is not its header's");
    if (!compare)
        return 0;
    Require(picture.bitmap.has_value(), "some rows decode but the whole bitmap does not");
    Require(picture.bitmap->Width() == width && picture.bitmap->Height() == height, "the bitmap has another size");
    for (int y = 0; y < height; ++y) {
        if (!some.Wants(y))
            continue;
        const auto& row = some.Rows()[static_cast<std::size_t>(y)];
        Require(std::memcmp(row.data(), picture.bitmap->Row(y), row.size()) == 0,
                "a row handed on alone differs from the whole bitmap's");
    }
    return 0;
}
