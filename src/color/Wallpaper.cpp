#include "color/Wallpaper.h"

#include "color/Decoders.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

#include <algorithm>
#include <new>

namespace hg {

std::wstring PerMonitorWallpaperPath(std::wstring_view path, int monitorIndex) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    std::wstring candidate(slash == std::wstring_view::npos ? std::wstring_view{} : path.substr(0, slash + 1));
    std::wstring number = std::to_wstring(monitorIndex);
    if (number.size() < 3)
        number.insert(0, 3 - number.size(), L'0');
    return candidate + L"Transcoded_" + number;
}

std::wstring CurrentWallpaperPath(IRegistry& registry, IFileSystem& files, int monitorCount,
                                  int DualMonWallSlideUseMon, bool AreWeOnWindows8) {
    // A missing value, another type or a read error all mean "no wallpaper".
    // The value is used as stored, without expanding environment variables.
    std::wstring path = registry.ReadString(DesktopKey, WallpaperValue).value_or(std::wstring{});
    if (monitorCount <= 1 || DualMonWallSlideUseMon < 0 || !AreWeOnWindows8 || path.empty())
        return path;
    const std::size_t slash = path.find_last_of(L"\\/:");
    const std::wstring_view name = std::wstring_view(path).substr(slash == std::wstring::npos ? 0 : slash + 1);
    if (name != TranscodedWallpaperName || !files.FileExists(path))
        return path;
    std::wstring candidate = PerMonitorWallpaperPath(path, DualMonWallSlideUseMon);
    return files.FileExists(candidate) ? candidate : path;
}

PictureKind PictureKindOf(const std::filesystem::path& path) {
    const auto name = path.filename().native();
    const auto dot = name.find_last_of('.');
    if (dot == name.npos)
        return PictureKind::ByContent;
    std::string extension;
    for (std::size_t i = dot + 1; i < name.size(); ++i) {
        const auto c = static_cast<std::uint32_t>(name[i]);
        if (c > 0x7F)
            return PictureKind::Unsupported; // every known extension is ASCII
        extension += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    if (extension == "bmp")
        return PictureKind::Bitmap;
    if (extension == "ico")
        return PictureKind::Icon;
    if (extension == "emf" || extension == "wmf")
        return PictureKind::Metafile;
    if (extension == "tif" || extension == "tiff")
        return PictureKind::Tiff;
    if (extension == "jpg" || extension == "jpeg")
        return PictureKind::Jpeg;
    if (extension == "png")
        return PictureKind::Png;
    return PictureKind::Unsupported;
}

namespace {

std::string DecodeOnPlatform(std::span<const std::uint8_t> bytes, PictureKind kind, IPlatformPictures* platform,
                             RowConsumer& rows) {
    if (!platform)
        return "icons, metafiles and TIFF pictures can only be read on Windows";
    PictureResult picture = platform->Decode(kind, bytes);
    if (!picture)
        return picture.error;
    return DeliverRows(picture.bitmap->View(), rows);
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// JPEG, then Windows bitmap, then PNG; `tried` (when not ByContent) has
// already failed and is passed over. When all fail, the reason of the decoder
// whose signature the file carries says most.
std::string DecodeByContent(std::span<const std::uint8_t> bytes, RowConsumer& rows, PictureKind tried) {
    const struct {
        PictureKind kind;
        RowDecoder decode;
        std::initializer_list<std::uint8_t> signature;
    } decoders[] = {
        {PictureKind::Jpeg, DecodeJpegRows, {0xFF, 0xD8, 0xFF}},
        {PictureKind::Bitmap, DecodeBmpRows, {'B', 'M'}},
        {PictureKind::Png, DecodePngRows, {0x89, 'P', 'N', 'G'}},
    };
    for (const auto& d : decoders) {
        if (d.kind == tried)
            continue;
        // A bitmap has no signature beyond its first two letters, so anything
        // else is passed over at once.
        if (d.kind == PictureKind::Bitmap && !StartsWith(bytes, d.signature))
            continue;
        std::string error = d.decode(bytes, rows);
        if (error.empty() || StartsWith(bytes, d.signature))
            return error;
    }
    return "not a JPEG, bitmap or PNG picture";
}

std::string Decode(std::span<const std::uint8_t> bytes, PictureKind kind, IPlatformPictures* platform,
                   RowConsumer& rows) {
    switch (kind) {
    case PictureKind::Jpeg:
        return DecodeJpegRows(bytes, rows);
    case PictureKind::Png:
        return DecodePngRows(bytes, rows);
    case PictureKind::Bitmap:
        return DecodeBmpRows(bytes, rows);
    case PictureKind::Icon:
    case PictureKind::Metafile:
    case PictureKind::Tiff:
        return DecodeOnPlatform(bytes, kind, platform, rows);
    case PictureKind::ByContent:
        return DecodeByContent(bytes, rows, PictureKind::ByContent);
    case PictureKind::Unsupported:
        break;
    }
    return "unsupported file type";
}

std::string LoadOnce(IFileSystem& files, const std::filesystem::path& path, PictureKind kind,
                     IPlatformPictures* platform, RowConsumer& rows) {
    if (kind == PictureKind::Unsupported) {
        const std::u8string extension = path.extension().u8string();
        return "unsupported file type \"" + std::string(extension.begin(), extension.end()) + "\"";
    }
    if (!files.FileExists(path))
        return "no such file";
    const std::int64_t size = files.FileSize(path);
    if (size > static_cast<std::int64_t>(MaxPictureFileBytes))
        return "the file is too large for a picture (" + std::to_string(size) + " bytes)";
    try {
        // Held with no sharing only while it is read; decoded from memory.
        const auto bytes = files.ReadExclusive(path, MaxPictureFileBytes);
        if (!bytes)
            return kPictureInUse;
        std::string error = Decode(*bytes, kind, platform, rows);
        // A picture named for another format than it holds (a JPEG saved as
        // .png) is read by its content, as Windows itself shows it.
        if (!error.empty() && kind != PictureKind::ByContent && DecodeByContent(*bytes, rows, kind).empty())
            return {};
        return error;
    } catch (const std::bad_alloc&) {
        return "not enough memory to read the picture";
    }
}

} // namespace

std::string LoadWallpaperRows(IFileSystem& files, const std::filesystem::path& path, RowConsumer& rows,
                              IPlatformPictures* platform) {
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::Unsupported || !files.FileExists(path))
        return LoadOnce(files, path, kind, platform, rows); // no second attempt can change these
    std::string error = LoadOnce(files, path, kind, platform, rows);
    if (!error.empty())
        error = LoadOnce(files, path, kind, platform, rows);
    return error;
}

PictureResult LoadPictureByContent(IFileSystem& files, const std::filesystem::path& path) {
    BitmapRows rows;
    if (std::string error = LoadOnce(files, path, PictureKind::ByContent, nullptr, rows); !error.empty())
        return PictureResult::Fail(std::move(error));
    return PictureResult::Ok(std::move(*rows.Take()));
}

PictureResult LoadWallpaperBitmap(IFileSystem& files, const std::filesystem::path& path,
                                  IPlatformPictures* platform) {
    BitmapRows rows;
    if (std::string error = LoadWallpaperRows(files, path, rows, platform); !error.empty())
        return PictureResult::Fail(std::move(error));
    return PictureResult::Ok(std::move(*rows.Take()));
}

} // namespace hg
