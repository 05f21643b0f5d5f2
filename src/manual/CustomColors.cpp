#include "manual/CustomColors.h"

#include <algorithm>
#include <limits>

namespace hg {

namespace {

constexpr std::uint8_t kMagicLength = 6;
constexpr char kMagic[] = "HGCC17";

void PutInt32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t GetInt32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

} // namespace

std::optional<ImageCorners> CornersOf(const Bitmap24& picture) {
    const int w = picture.Width();
    const int h = picture.Height();
    if (w <= 0 || h <= 0 || picture.Data() == nullptr)
        return std::nullopt;
    const auto at = [&](int x, int y) { return PixelColor(picture.Row(y) + static_cast<std::size_t>(x) * 3); };
    return ImageCorners{at(0, 0), at(w - 1, 0), at(0, h - 1), at(w - 1, h - 1)};
}

std::int32_t FileSizeByName(IFileSystem& files, const std::filesystem::path& path) {
    if (path.empty())
        return -1;
    const std::int64_t size = files.FileSize(path);
    if (size < 0)
        return -1;
    // The low 32 bits, as the file format stores them.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(size)));
}

bool CustomColorList::RemoveAt(std::int64_t index) {
    if (index < 0 || static_cast<std::uint64_t>(index) >= entries_.size())
        return false;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

TColor IsThisColorSet(const CustomColorList& list, IFileSystem& files, const std::filesystem::path& sWall,
                      const Bitmap24& aBit, std::int32_t& aIndex) {
    aIndex = -1;
    const auto corners = CornersOf(aBit);
    if (!corners)
        return NoCustomColor;
    return IsThisColorSet(list, files, sWall, *corners, aIndex);
}

TColor IsThisColorSet(const CustomColorList& list, IFileSystem& files, const std::filesystem::path& sWall,
                      const ImageCorners& corners, std::int32_t& aIndex) {
    aIndex = -1;
    std::optional<std::int32_t> fileSize; // read once, and only when some corners match
    const auto limit = std::min<std::size_t>(list.size(), std::numeric_limits<std::int32_t>::max());
    for (std::size_t i = 0; i < limit; ++i) {
        const TImgColorHist& h = list[i].hist;
        if (h.TopLeftColor != corners.TopLeft || h.TopRightColor != corners.TopRight ||
            h.BottomLeftColor != corners.BottomLeft || h.BottomRightColor != corners.BottomRight)
            continue;
        if (!fileSize)
            fileSize = FileSizeByName(files, sWall);
        if (h.FileSize != *fileSize)
            continue;
        aIndex = static_cast<std::int32_t>(i);
        return h.AeroColor;
    }
    return NoCustomColor;
}

void AddCustomColor(CustomColorList& list, IFileSystem& files, TColor ColorTL, TColor ColorTR, TColor ColorBL,
                    TColor ColorBR, TColor ColorAero, const std::wstring& aWall, std::int32_t aFileSize) {
    TImgColorHist hist{ColorTL, ColorTR, ColorBL, ColorBR, ColorAero, aFileSize};
    if (aFileSize == -1)
        hist.FileSize = FileSizeByName(files, aWall);
    list.Append(aWall, hist);
}

std::int32_t RememberColorFor(CustomColorList& list, IFileSystem& files, const std::filesystem::path& path,
                              const Bitmap24& picture, TColor color) {
    const auto corners = CornersOf(picture);
    if (!corners)
        return -1;
    return RememberColorFor(list, files, path, *corners, color);
}

std::int32_t RememberColorFor(CustomColorList& list, IFileSystem& files, const std::filesystem::path& path,
                              const ImageCorners& corners, TColor color) {
    std::int32_t index = -1;
    IsThisColorSet(list, files, path, corners, index);
    if (index != -1) {
        list[static_cast<std::size_t>(index)].hist.AeroColor = color;
        return index;
    }
    AddCustomColor(list, files, corners.TopLeft, corners.TopRight, corners.BottomLeft, corners.BottomRight,
                   color, path.wstring(), -1);
    return static_cast<std::int32_t>(list.size() - 1);
}

bool ClearCurrentManualColor(CustomColorList& list, std::wstring_view hint) {
    // The hint is written by this program, but read it strictly all the same:
    // only plain decimal digits name an entry.
    if (hint.empty() || hint.size() > 10)
        return false;
    std::int64_t index = 0;
    for (const wchar_t c : hint) {
        if (c < L'0' || c > L'9')
            return false;
        index = index * 10 + (c - L'0');
    }
    return list.RemoveAt(index);
}

std::vector<std::uint8_t> EncodeCustomColors(const CustomColorList& list) {
    std::vector<std::uint8_t> out;
    out.reserve(CustomColorHeaderSize + 4 + list.size() * CustomColorEntrySize);
    out.push_back(kMagicLength);
    out.insert(out.end(), kMagic, kMagic + kMagicLength);
    out.resize(CustomColorHeaderSize, 0);
    // The count is a signed 32-bit number; a list cannot grow past it in practice.
    const auto count = std::min<std::size_t>(list.size(), std::numeric_limits<std::int32_t>::max());
    PutInt32(out, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const TImgColorHist& h = list[i].hist;
        for (const std::uint32_t v : {h.TopLeftColor, h.TopRightColor, h.BottomLeftColor, h.BottomRightColor,
                                      h.AeroColor, static_cast<std::uint32_t>(h.FileSize)})
            PutInt32(out, v);
    }
    return out;
}

std::size_t DecodeCustomColors(std::span<const std::uint8_t> bytes, CustomColorList& list) {
    if (bytes.size() < CustomColorHeaderSize || bytes[0] != kMagicLength ||
        !std::equal(kMagic, kMagic + kMagicLength, bytes.begin() + 1))
        return 0;
    if (bytes.size() < CustomColorHeaderSize + 4)
        return 0;
    const auto n = static_cast<std::int32_t>(GetInt32(bytes.data() + CustomColorHeaderSize));
    if (n <= 0)
        return 0;
    // Never trust N beyond the whole entries actually present.
    const std::size_t present = (bytes.size() - CustomColorHeaderSize - 4) / CustomColorEntrySize;
    const std::size_t count = std::min(present, static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = bytes.data() + CustomColorHeaderSize + 4 + i * CustomColorEntrySize;
        list.Append(L"Na", TImgColorHist{GetInt32(e), GetInt32(e + 4), GetInt32(e + 8), GetInt32(e + 12),
                                         GetInt32(e + 16), static_cast<std::int32_t>(GetInt32(e + 20))});
    }
    return count;
}

void LoadCustomColorCache(CustomColorList& list, IFileSystem& files, const std::filesystem::path& file) {
    if (!files.FileExists(file))
        return;
    // A file that cannot be read (or is beyond any size this program writes)
    // is skipped without a message, like a damaged one.
    const auto bytes = files.ReadAll(file, MaxCustomColorFileBytes);
    if (!bytes)
        return;
    DecodeCustomColors(*bytes, list);
}

bool SaveCustomColorCache(const CustomColorList& list, IFileSystem& files, const std::filesystem::path& file,
                          bool RememberCustomColors) {
    if (!RememberCustomColors)
        return true;
    const std::vector<std::uint8_t> bytes = EncodeCustomColors(list);
    return files.WriteAtomically(file, bytes);
}

} // namespace hg
