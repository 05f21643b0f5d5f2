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

struct FileBytes {
    std::vector<std::uint8_t> bytes;
    std::string error;
};

FileBytes ReadPictureFile(IFileSystem& files, const std::filesystem::path& path) {
    if (!files.FileExists(path))
        return {{}, "no such file"};
    const std::int64_t size = files.FileSize(path);
    if (size > static_cast<std::int64_t>(MaxPictureFileBytes))
        return {{}, "the file is too large for a picture (" + std::to_string(size) + " bytes)"};
    auto bytes = files.ReadAllExclusive(path, MaxPictureFileBytes);
    if (!bytes)
        return {{}, "the file cannot be opened or read (another program may be using it)"};
    return {std::move(*bytes), {}};
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

PictureResult DecodeByContent(std::span<const std::uint8_t> bytes) {
    if (auto picture = DecodeJpeg(bytes))
        return picture;
    else if (StartsWith(bytes, {0xFF, 0xD8, 0xFF}))
        return picture; // a JPEG that failed: its reason says most
    if (auto picture = DecodeBmp(bytes))
        return picture;
    else if (StartsWith(bytes, {'B', 'M'}))
        return picture;
    if (auto picture = DecodePng(bytes))
        return picture;
    else if (StartsWith(bytes, {0x89, 'P', 'N', 'G'}))
        return picture;
    return PictureResult::Fail("not a JPEG, bitmap or PNG picture");
}

PictureResult LoadOnce(IFileSystem& files, const std::filesystem::path& path, PictureKind kind,
                       IPlatformPictures* platform) {
    if (kind == PictureKind::Unsupported) {
        const std::u8string extension = path.extension().u8string();
        return PictureResult::Fail("unsupported file type \"" + std::string(extension.begin(), extension.end()) + "\"");
    }
    try {
        FileBytes file = ReadPictureFile(files, path);
        if (!file.error.empty())
            return PictureResult::Fail(file.error);
        switch (kind) {
        case PictureKind::ByContent:
            return DecodeByContent(file.bytes);
        case PictureKind::Jpeg:
            return DecodeJpeg(file.bytes);
        case PictureKind::Png:
            return DecodePng(file.bytes);
        case PictureKind::Bitmap:
            return DecodeBmp(file.bytes);
        case PictureKind::Icon:
        case PictureKind::Metafile:
        case PictureKind::Tiff:
            if (platform)
                return platform->Decode(kind, file.bytes);
            return PictureResult::Fail("icons, metafiles and TIFF pictures can only be read on Windows");
        case PictureKind::Unsupported:
            break;
        }
        return PictureResult::Fail("unsupported file type");
    } catch (const std::bad_alloc&) {
        return PictureResult::Fail("not enough memory to read the picture");
    }
}

} // namespace

PictureResult LoadPictureByContent(IFileSystem& files, const std::filesystem::path& path) {
    return LoadOnce(files, path, PictureKind::ByContent, nullptr);
}

PictureResult LoadWallpaperBitmap(IFileSystem& files, const std::filesystem::path& path,
                                  IPlatformPictures* platform) {
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::Unsupported || !files.FileExists(path))
        return LoadOnce(files, path, kind, platform); // no second attempt can change these
    PictureResult picture = LoadOnce(files, path, kind, platform);
    if (!picture)
        picture = LoadOnce(files, path, kind, platform);
    return picture;
}

} // namespace hg
