#pragma once
// Which picture the desktop shows, and that picture as a bitmap.
#include "color/Bitmap.h"
#include "color/PictureRows.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace hg {

class IRegistry;
class IFileSystem;

inline constexpr std::wstring_view DesktopKey = L"Control Panel\\Desktop\\";
inline constexpr std::wstring_view WallpaperValue = L"Wallpaper";
inline constexpr std::wstring_view TranscodedWallpaperName = L"TranscodedWallpaper";

// Where the picture is, as the desktop settings give it. With several monitors
// and a wallpaper slideshow (Windows 8 and later), each monitor shows its own
// converted copy beside "TranscodedWallpaper"; a chosen monitor
// (DualMonWallSlideUseMon 0 or more) then names the copy that counts. Empty
// when no wallpaper is set or the setting cannot be read.
std::wstring CurrentWallpaperPath(IRegistry& registry, IFileSystem& files, int monitorCount,
                                  int DualMonWallSlideUseMon, bool AreWeOnWindows8);

// The per-monitor copy beside a converted wallpaper: the folder of `path`,
// then "Transcoded_" and the monitor index padded to three digits.
std::wstring PerMonitorWallpaperPath(std::wstring_view path, int monitorIndex);

// How a file is decoded, from its extension (case-insensitive).
enum class PictureKind { ByContent, Bitmap, Icon, Metafile, Tiff, Jpeg, Png, Unsupported };
PictureKind PictureKindOf(const std::filesystem::path& path);

// Port: the platform's readers for the rarer picture kinds (icon, metafile,
// TIFF). Without one, those kinds are reported as unsupported.
class IPlatformPictures {
public:
    virtual ~IPlatformPictures() = default;
    virtual PictureResult Decode(PictureKind kind, std::span<const std::uint8_t> bytes) = 0;
};

// The reason given for a picture file another program holds open: the only
// one that may not last.
inline constexpr char kPictureInUse[] = "the file cannot be opened (another program may be using it)";

// Files larger than this are not read (a 2^28-pixel bitmap file is 768 MiB).
inline constexpr std::size_t MaxPictureFileBytes = std::size_t{1} << 30;

// Reads the file into memory with no sharing (a file still being written is
// not read half-done, and no one can change it meanwhile) and releases it,
// then decodes it from memory: files without an extension by content (JPEG,
// then Windows bitmap, then PNG), others by the decoder for their extension
// and, when that fails, by content (a JPEG saved as .png). The rows go to
// `rows`; the result is empty, or the reason the picture could not be read.
// A failed attempt is tried once more at once (the file may just have been
// released by whoever wrote it).
std::string LoadWallpaperRows(IFileSystem& files, const std::filesystem::path& path, RowConsumer& rows,
                              IPlatformPictures* platform = nullptr);

// The same as a bitmap at the picture's own size, transparent parts white.
PictureResult LoadWallpaperBitmap(IFileSystem& files, const std::filesystem::path& path,
                                  IPlatformPictures* platform = nullptr);

// One attempt, by content only.
PictureResult LoadPictureByContent(IFileSystem& files, const std::filesystem::path& path);

} // namespace hg
