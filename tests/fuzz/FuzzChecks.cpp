#include "FuzzChecks.h"

namespace hg::fuzz {

namespace {

std::uint32_t Big16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 8 | p[1];
}
std::uint32_t Big32(const std::uint8_t* p) {
    return Big16(p) << 16 | Big16(p + 2);
}
std::uint32_t Little16(const std::uint8_t* p) {
    return std::uint32_t{p[1]} << 8 | p[0];
}
std::uint32_t Little32(const std::uint8_t* p) {
    return Little16(p + 2) << 16 | Little16(p);
}

bool IsFrameHeader(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

std::optional<std::pair<std::int64_t, std::int64_t>> ClaimedSize(std::span<const std::uint8_t> bytes) {
    const std::size_t n = bytes.size();
    const std::uint8_t* b = bytes.data();
    if (n >= 24 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G')
        return std::pair<std::int64_t, std::int64_t>{Big32(b + 16), Big32(b + 20)};
    if (n >= 26 && b[0] == 'B' && b[1] == 'M') {
        if (Little32(b + 14) == 12)
            return std::pair<std::int64_t, std::int64_t>{Little16(b + 18), Little16(b + 20)};
        const auto height = static_cast<std::int32_t>(Little32(b + 22));
        return std::pair<std::int64_t, std::int64_t>{static_cast<std::int32_t>(Little32(b + 18)),
                                                     height < 0 ? -std::int64_t{height} : height};
    }
    if (n >= 4 && b[0] == 0xFF && b[1] == 0xD8) {
        // Segments after the start marker, as the decoder walks them: fill
        // bytes before a marker, markers without a length, then length-prefixed ones.
        std::size_t i = 2;
        while (i + 1 < n) {
            if (b[i] != 0xFF)
                return std::nullopt;
            while (i + 1 < n && b[i + 1] == 0xFF)
                ++i;
            if (i + 1 >= n)
                return std::nullopt;
            const std::uint8_t marker = b[i + 1];
            i += 2;
            if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
                continue;
            if (i + 2 > n)
                return std::nullopt;
            if (marker == 0xDA || marker == 0xD9 || Big16(b + i) < 2)
                return std::nullopt; // no frame before the data, or a length the decoder refuses
            if (IsFrameHeader(marker))
                return i + 7 <= n
                           ? std::optional(std::pair<std::int64_t, std::int64_t>{Big16(b + i + 5), Big16(b + i + 3)})
                           : std::nullopt;
            i += Big16(b + i);
        }
    }
    return std::nullopt;
}

} // namespace hg::fuzz
