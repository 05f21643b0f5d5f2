#include "color/Wallpaper.h"

#include "color/ImageColor.h"
#include "platform/Registry.h"
#include "platform/StdFileSystem.h"

#include "PictureFixtures.h"

#include <gtest/gtest.h>
#include <png.h>

#include <map>
#include <optional>

namespace hg {
namespace {

using test::Bytes;

class FakeRegistry : public IRegistry {
public:
    std::optional<std::wstring> wallpaper;
    std::optional<std::uint32_t> ReadDword(std::wstring_view, std::wstring_view) override { return std::nullopt; }
    std::optional<std::wstring> ReadString(std::wstring_view key, std::wstring_view name) override {
        return key == DesktopKey && name == WallpaperValue ? wallpaper : std::nullopt;
    }
    bool WriteDword(std::wstring_view, std::wstring_view, std::uint32_t) override { return false; }
};

// Files in memory; the first `busyReads` exclusive reads fail as if another
// program still held the file.
class FakeFileSystem : public IFileSystem {
public:
    std::map<std::filesystem::path, Bytes> files;
    int busyReads = 0;
    int exclusiveReads = 0;

    bool FileExists(const std::filesystem::path& p) override { return files.count(p) != 0; }
    bool DirectoryExists(const std::filesystem::path&) override { return false; }
    bool CreateDirectories(const std::filesystem::path&) override { return false; }
    std::int32_t FileAge(const std::filesystem::path& p) override { return FileExists(p) ? 0x5A210000 : -1; }
    std::int64_t FileSize(const std::filesystem::path& p) override {
        return FileExists(p) ? static_cast<std::int64_t>(files[p].size()) : -1;
    }
    std::optional<Bytes> ReadAll(const std::filesystem::path& p, std::size_t maxBytes) override {
        if (!FileExists(p) || files[p].size() > maxBytes)
            return std::nullopt;
        return files[p];
    }
    std::optional<Bytes> ReadExclusive(const std::filesystem::path& p, std::size_t maxBytes) override {
        ++exclusiveReads;
        if (busyReads > 0) {
            --busyReads;
            return std::nullopt;
        }
        return ReadAll(p, maxBytes);
    }
    bool WriteAtomically(const std::filesystem::path&, std::span<const std::uint8_t>) override { return false; }
};

TEST(CurrentWallpaperPath, RefinesOnlyAConvertedWallpaperOnSeveralMonitors) {
    const std::wstring transcoded = L"D:\\Pictures\\TranscodedWallpaper";
    const std::wstring copy = L"D:\\Pictures\\Transcoded_001";
    const struct {
        const char* what;
        std::optional<std::wstring> registry;
        bool copyExists;
        int monitors, chosen;
        bool windows8;
        std::wstring expected;
    } cases[] = {
        {"no value", std::nullopt, true, 2, 1, true, L""},
        {"two monitors, monitor 1 chosen, copy present", transcoded, true, 2, 1, true, copy},
        {"copy missing", transcoded, false, 2, 1, true, transcoded},
        {"one monitor", transcoded, true, 1, 1, true, transcoded},
        {"no monitor chosen", transcoded, true, 2, -1, true, transcoded},
        {"before Windows 8", transcoded, true, 2, 1, false, transcoded},
        {"a name with an extension", L"D:\\Pictures\\TranscodedWallpaper.jpg", true, 2, 1, true,
         L"D:\\Pictures\\TranscodedWallpaper.jpg"},
        {"other letter case", L"D:\\Pictures\\transcodedwallpaper", true, 2, 1, true,
         L"D:\\Pictures\\transcodedwallpaper"},
        {"an ordinary wallpaper", L"C:\\Users\\me\\sea.jpg", true, 3, 1, true, L"C:\\Users\\me\\sea.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry registry;
        registry.wallpaper = c.registry;
        FakeFileSystem files;
        if (c.registry)
            files.files[*c.registry] = {1};
        if (c.copyExists)
            files.files[copy] = {1};
        EXPECT_EQ(CurrentWallpaperPath(registry, files, c.monitors, c.chosen, c.windows8), c.expected);
    }
}

TEST(CurrentWallpaperPath, ConvertedWallpaperThatDoesNotExistIsNotRefined) {
    FakeRegistry registry;
    registry.wallpaper = L"D:\\Pictures\\TranscodedWallpaper";
    FakeFileSystem files;
    files.files[L"D:\\Pictures\\Transcoded_000"] = {1};
    EXPECT_EQ(CurrentWallpaperPath(registry, files, 2, 0, true), *registry.wallpaper);
}

TEST(PerMonitorWallpaperPath, PadsTheIndexToThreeDigits) {
    EXPECT_EQ(PerMonitorWallpaperPath(L"C:\\W\\TranscodedWallpaper", 0), L"C:\\W\\Transcoded_000");
    EXPECT_EQ(PerMonitorWallpaperPath(L"C:\\W\\TranscodedWallpaper", 12), L"C:\\W\\Transcoded_012");
    EXPECT_EQ(PerMonitorWallpaperPath(L"C:\\W\\TranscodedWallpaper", 1234), L"C:\\W\\Transcoded_1234");
}

TEST(PictureKindOf, ExtensionsAreCaseInsensitive) {
    const struct {
        const char* name;
        PictureKind kind;
    } cases[] = {
        {"sea.jpg", PictureKind::Jpeg},        {"SEA.JPG", PictureKind::Jpeg},     {"a.Jpeg", PictureKind::Jpeg},
        {"a.png", PictureKind::Png},           {"a.PNG", PictureKind::Png},        {"a.bmp", PictureKind::Bitmap},
        {"a.ico", PictureKind::Icon},          {"a.emf", PictureKind::Metafile},   {"a.WMF", PictureKind::Metafile},
        {"a.tif", PictureKind::Tiff},          {"a.tiff", PictureKind::Tiff},      {"wall.gif", PictureKind::Unsupported},
        {"a.webp", PictureKind::Unsupported},  {"a.", PictureKind::Unsupported},   {"a.jpg.txt", PictureKind::Unsupported},
        {"TranscodedWallpaper", PictureKind::ByContent}, {"dir.d/noext", PictureKind::ByContent},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureKindOf(c.name), c.kind) << c.name;
}

Bytes SmallPng() {
    test::PngSpec layout{2, 2, PNG_COLOR_TYPE_RGBA, 8, false, {{200, 60, 40, 255, 0, 0, 0, 0}, {1, 2, 3, 0, 40, 90, 200, 255}}, {}, {}, {}};
    return test::EncodePng(layout);
}

Bytes SmallBmp() {
    test::ByteWriter pixels;
    pixels.U8(40).U8(60).U8(200).U8(200).U8(90).U8(40).Zeros(2);
    return test::MakeBmp(40, 2, 1, 24, 0, {}, pixels.bytes);
}

TEST(LoadWallpaperBitmap, ExtensionLessFilesAreRecognisedByContent) {
    FakeFileSystem files;
    files.files["TranscodedWallpaper"] = test::EncodeJpeg(test::MakeRow(std::vector<TColor>(16, 0x00283CC8)));
    files.files["bitmap"] = SmallBmp();
    files.files["png"] = SmallPng();
    for (const char* name : {"TranscodedWallpaper", "bitmap", "png"}) {
        const PictureResult picture = LoadPictureByContent(files, name);
        ASSERT_TRUE(picture) << name << ": " << picture.error;
        EXPECT_TRUE(LoadWallpaperBitmap(files, name)) << name;
    }
    EXPECT_EQ(test::ColorAt(*LoadWallpaperBitmap(files, "bitmap").bitmap, 1, 0), RgbColor(40, 90, 200));
    // Transparent parts of a PNG read as white.
    const PictureResult png = LoadWallpaperBitmap(files, "png");
    EXPECT_EQ(test::ColorAt(*png.bitmap, 0, 0), RgbColor(200, 60, 40));
    EXPECT_EQ(test::ColorAt(*png.bitmap, 1, 0), clWhite);
    EXPECT_EQ(test::ColorAt(*png.bitmap, 0, 1), clWhite);
}

TEST(LoadWallpaperBitmap, FailuresAfterTwoAttempts) {
    FakeFileSystem files;
    files.files["notes"] = {'h', 'e', 'l', 'l', 'o'};
    files.files["wall.gif"] = {'G', 'I', 'F', '8', '9', 'a'};
    const Bytes jpeg = test::EncodeJpeg(test::MakeRow(std::vector<TColor>(16, 0x00283CC8)));
    files.files["cut.jpg"] = Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2));
    files.files["icon.ico"] = {0, 0, 1, 0};
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"notes", "not a JPEG, bitmap or PNG picture"},
        {"wall.gif", "unsupported file type \".gif\""},
        {"cut.jpg", "not a readable JPEG"}, // the extension's decoder has the reason
        {"missing.png", "no such file"},
        {"icon.ico", "on Windows"},
    };
    for (const auto& c : cases) {
        const PictureResult picture = LoadWallpaperBitmap(files, c.name);
        EXPECT_FALSE(picture) << c.name;
        EXPECT_NE(picture.error.find(c.reason), std::string::npos) << c.name << ": " << picture.error;
    }
    files.exclusiveReads = 0;
    EXPECT_FALSE(LoadWallpaperBitmap(files, "notes"));
    EXPECT_EQ(files.exclusiveReads, 2); // one attempt and one immediate retry
}

TEST(LoadWallpaperBitmap, APictureNamedForAnotherFormatIsReadByItsContent) {
    FakeFileSystem files;
    files.files["wall.png"] = test::EncodeJpeg(test::MakeRow(std::vector<TColor>(16, RgbColor(40, 90, 200))));
    files.files["wall.jpg"] = SmallPng();
    files.files["wall.bmp"] = SmallPng();
    files.files["wall.jpeg"] = SmallBmp();
    for (const char* name : {"wall.png", "wall.jpg", "wall.bmp", "wall.jpeg"}) {
        const PictureResult picture = LoadWallpaperBitmap(files, name);
        ASSERT_TRUE(picture) << name << ": " << picture.error;
    }
    EXPECT_EQ(test::ColorAt(*LoadWallpaperBitmap(files, "wall.jpg").bitmap, 0, 0), RgbColor(200, 60, 40));
    EXPECT_EQ(test::ColorAt(*LoadWallpaperBitmap(files, "wall.jpeg").bitmap, 1, 0), RgbColor(40, 90, 200));
}

TEST(LoadWallpaperBitmap, AFileBusyOnceIsReadOnTheRetry) {
    FakeFileSystem files;
    files.files["sea.png"] = SmallPng();
    files.busyReads = 1;
    EXPECT_TRUE(LoadWallpaperBitmap(files, "sea.png"));
    files.busyReads = 2;
    const PictureResult picture = LoadWallpaperBitmap(files, "sea.png");
    EXPECT_FALSE(picture);
    EXPECT_NE(picture.error.find("cannot be opened"), std::string::npos) << picture.error;
}

TEST(LoadWallpaperBitmap, DamagedFileWithoutExtensionReportsItsFormat) {
    FakeFileSystem files;
    const Bytes png = SmallPng();
    files.files["TranscodedWallpaper"] = Bytes(png.begin(), png.begin() + 40);
    const PictureResult picture = LoadWallpaperBitmap(files, "TranscodedWallpaper");
    EXPECT_FALSE(picture);
    EXPECT_NE(picture.error.find("PNG"), std::string::npos) << picture.error;
}

TEST(LoadWallpaperBitmap, ReadsRealFilesAtFullSize) {
    test::TempFolder folder;
    const Bitmap24 wide = test::MakeBitmap(3840 / 8, 2160 / 8, [](int x, int) { return RgbColor(x % 256, 60, 40); });
    const auto path = folder.Write("Wide.JPG", test::EncodeJpeg(wide));
    StdFileSystem files;
    const PictureResult picture = LoadWallpaperBitmap(files, path);
    ASSERT_TRUE(picture) << picture.error;
    EXPECT_EQ(picture.bitmap->Width(), 480);
    EXPECT_EQ(picture.bitmap->Height(), 270);
}

} // namespace
} // namespace hg
