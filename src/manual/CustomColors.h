#pragma once
// Colours the user set by hand, remembered per wallpaper. A wallpaper is
// recognised by its four corner pixels and its file size, not by its path,
// so a remembered colour survives renaming or moving the file.
#include "color/Bitmap.h"
#include "color/Color.h"
#include "color/ImageColor.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hg {

// The lookup's answer for "no remembered colour".
inline constexpr TColor NoCustomColor = 0xFFFFFFFF;

// One remembered wallpaper.
struct TImgColorHist {
    TColor TopLeftColor = 0;     // pixel (0, 0)
    TColor TopRightColor = 0;    // pixel (width - 1, 0)
    TColor BottomLeftColor = 0;  // pixel (0, height - 1)
    TColor BottomRightColor = 0; // pixel (width - 1, height - 1)
    TColor AeroColor = 0;        // the remembered colour
    std::int32_t FileSize = -1;  // low 32 bits of the file size, -1 when unreadable

    bool operator==(const TImgColorHist&) const = default;
};

// The four corner colours of a picture at its own size; nullopt for an empty one.
std::optional<ImageCorners> CornersOf(const Bitmap24& picture);

// Size of the file in bytes as its low 32 bits; -1 when it cannot be read.
std::int32_t FileSizeByName(IFileSystem& files, const std::filesystem::path& path);

// Remembered wallpapers in the order they were added; an entry's position is
// its index. Several entries may match one wallpaper: the first one wins.
class CustomColorList {
public:
    struct Entry {
        std::wstring name; // the wallpaper path, or "Na" for entries read from the file
        TImgColorHist hist;
    };

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const Entry& operator[](std::size_t index) const { return entries_[index]; }
    Entry& operator[](std::size_t index) { return entries_[index]; }
    const std::vector<Entry>& entries() const { return entries_; }

    void Append(std::wstring name, const TImgColorHist& hist) { entries_.push_back({std::move(name), hist}); }
    // False when there is no such entry; the entries behind it move up by one.
    bool RemoveAt(std::int64_t index);
    void Clear() { entries_.clear(); }

private:
    std::vector<Entry> entries_;
};

// The remembered colour of the wallpaper at sWall whose picture is aBit, or
// NoCustomColor. aIndex receives the matching entry's index, or -1. The file
// size is read only once the corners of some entry match.
TColor IsThisColorSet(const CustomColorList& list, IFileSystem& files, const std::filesystem::path& sWall,
                      const Bitmap24& aBit, std::int32_t& aIndex);
// The same for a picture whose corners were gathered while it was decoded.
TColor IsThisColorSet(const CustomColorList& list, IFileSystem& files, const std::filesystem::path& sWall,
                      const ImageCorners& corners, std::int32_t& aIndex);

// Appends an entry; aFileSize -1 asks for the size of the file aWall.
void AddCustomColor(CustomColorList& list, IFileSystem& files, TColor ColorTL, TColor ColorTR, TColor ColorBL,
                    TColor ColorBR, TColor ColorAero, const std::wstring& aWall, std::int32_t aFileSize);

// Remembers color for the wallpaper at path whose picture is picture: the
// matching entry takes the new colour, or a new entry is appended. Returns
// the entry's index (what the reset item's hint holds); -1 for an empty picture.
std::int32_t RememberColorFor(CustomColorList& list, IFileSystem& files, const std::filesystem::path& path,
                              const Bitmap24& picture, TColor color);
std::int32_t RememberColorFor(CustomColorList& list, IFileSystem& files, const std::filesystem::path& path,
                              const ImageCorners& corners, TColor color);

// "&Reset Manual Color": forgets the entry whose index the item's hint holds
// in decimal. A hint that is not the index of an entry removes nothing.
bool ClearCurrentManualColor(CustomColorList& list, std::wstring_view hint);

// ----- The file "CustomColorCache.Settings" -----
//
// Little-endian: byte 6, "HGCC17", zeros up to offset 256; N (signed 32-bit)
// at 256; then N entries of six signed 32-bit values (the four corners, the
// colour, the file size).
inline constexpr std::wstring_view CustomColorFileName = L"CustomColorCache.Settings";
inline constexpr std::size_t CustomColorHeaderSize = 256;
inline constexpr std::size_t CustomColorEntrySize = 24;
// Larger files are not read: about 700 000 remembered wallpapers.
inline constexpr std::size_t MaxCustomColorFileBytes = std::size_t{16} << 20;

std::vector<std::uint8_t> EncodeCustomColors(const CustomColorList& list);
// Appends the entries of a file's bytes to list, named "Na". A wrong header
// adds nothing. N is trusted only as far as whole entries are present: a
// negative or zero N adds nothing, a larger one adds the entries present, and
// a truncated last entry is dropped. Returns the number of entries added.
std::size_t DecodeCustomColors(std::span<const std::uint8_t> bytes, CustomColorList& list);

// Reads the file into the (empty) list when it exists; whatever cannot be
// read is skipped silently.
void LoadCustomColorCache(CustomColorList& list, IFileSystem& files, const std::filesystem::path& file);
// Replaces the file with the list, atomically: a failed write leaves the old
// file as it was. With RememberCustomColors off the file is not touched and
// the result is true. False when the file could not be written.
bool SaveCustomColorCache(const CustomColorList& list, IFileSystem& files, const std::filesystem::path& file,
                          bool RememberCustomColors);

} // namespace hg
