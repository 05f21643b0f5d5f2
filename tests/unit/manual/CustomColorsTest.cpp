#include "manual/CustomColors.h"

#include "fakes/platform/FakePorts.h"

#include <gtest/gtest.h>

#include <climits>

namespace hg {
namespace {

using testing::FakeFileSystem;

// A picture whose four corners have the given colours (and grey elsewhere).
Bitmap24 Picture(TColor tl, TColor tr, TColor bl, TColor br, int w = 5, int h = 4) {
    auto bitmap = Bitmap24::Allocate(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = bitmap->Row(y) + x * 3;
            p[0] = p[1] = p[2] = 0x80;
        }
    const auto put = [&](int x, int y, TColor c) {
        std::uint8_t* p = bitmap->Row(y) + x * 3;
        p[0] = BlueOf(c);
        p[1] = GreenOf(c);
        p[2] = RedOf(c);
    };
    put(0, 0, tl);
    put(w - 1, 0, tr);
    put(0, h - 1, bl);
    put(w - 1, h - 1, br);
    return std::move(*bitmap);
}

std::vector<std::uint8_t> Header(std::uint8_t first = 6, const char* magic = "HGCC17") {
    std::vector<std::uint8_t> bytes(256, 0);
    bytes[0] = first;
    std::copy(magic, magic + 6, bytes.begin() + 1);
    return bytes;
}

void PutLe(std::vector<std::uint8_t>& bytes, std::uint32_t v) {
    for (int s = 0; s < 32; s += 8)
        bytes.push_back(static_cast<std::uint8_t>(v >> s));
}

std::vector<std::uint8_t> FileWith(std::int32_t n, int entries, std::size_t extraBytes = 0) {
    auto bytes = Header();
    PutLe(bytes, static_cast<std::uint32_t>(n));
    for (int i = 0; i < entries; ++i)
        for (std::uint32_t v = 0; v < 6; ++v)
            PutLe(bytes, static_cast<std::uint32_t>(i * 100) + v);
    bytes.insert(bytes.end(), extraBytes, 0xAB);
    return bytes;
}

const std::wstring kFile = L"C:\\data\\CustomColorCache.Settings";
const std::wstring kWall = L"C:\\pics\\lake.jpg";

TEST(CustomColorFile, RoundTripIsByteForByteTheDocumentedLayout) {
    FakeFileSystem files;
    CustomColorList list;
    list.Append(kWall, {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x00FF8800, 123456});
    list.Append(L"x", {0xFF000005, 0, 0, 0xFFFFFF, 0x112233, -1});
    ASSERT_TRUE(SaveCustomColorCache(list, files, kFile, true));

    const auto& bytes = files.files[kFile].bytes;
    ASSERT_EQ(bytes.size(), 260u + 2 * 24);
    EXPECT_EQ(bytes[0], 6);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 7), "HGCC17");
    EXPECT_TRUE(std::all_of(bytes.begin() + 7, bytes.begin() + 256, [](auto b) { return b == 0; }));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 256, bytes.begin() + 264),
              (std::vector<std::uint8_t>{2, 0, 0, 0, 0x03, 0x02, 0x01, 0x00}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 276, bytes.begin() + 284),
              (std::vector<std::uint8_t>{0x00, 0x88, 0xFF, 0x00, 0x40, 0xE2, 0x01, 0x00}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 4, bytes.end()),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));

    CustomColorList back;
    LoadCustomColorCache(back, files, kFile);
    ASSERT_EQ(back.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(back[i].hist, list[i].hist);
        EXPECT_EQ(back[i].name, L"Na");
    }
}

TEST(CustomColorFile, DamagedFilesLoadWhatIsPresentAndNothingElse) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::size_t loaded;
    };
    auto wrongMagic = FileWith(1, 1);
    wrongMagic[6] = '8';
    auto shortHeader = Header();
    shortHeader.resize(100);
    const Case cases[] = {
        {"header only, no count", Header(), 0},
        {"header and N = 0", FileWith(0, 0), 0},
        {"first byte 5", [] { auto b = FileWith(1, 1); b[0] = 5; return b; }(), 0},
        {"wrong magic", wrongMagic, 0},
        {"shorter than the header", shortHeader, 0},
        {"N larger than the entries present", FileWith(5, 2), 2},
        {"negative N", FileWith(-3, 2), 0},
        {"absurd N", FileWith(INT_MAX, 1), 1},
        {"truncated last entry", FileWith(2, 1, 23), 1},
        {"bytes after the last entry", FileWith(1, 2), 1},
        {"empty file", {}, 0},
    };
    for (const Case& c : cases) {
        FakeFileSystem files;
        files.files[kFile].bytes = c.bytes;
        CustomColorList list;
        LoadCustomColorCache(list, files, kFile);
        ASSERT_EQ(list.size(), c.loaded) << c.what;
        for (std::size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(list[i].hist, (TImgColorHist{static_cast<TColor>(i * 100), static_cast<TColor>(i * 100 + 1),
                                                   static_cast<TColor>(i * 100 + 2), static_cast<TColor>(i * 100 + 3),
                                                   static_cast<TColor>(i * 100 + 4),
                                                   static_cast<std::int32_t>(i * 100 + 5)}))
                << c.what;
    }
}

TEST(CustomColorFile, MissingOrOversizedFileLoadsNothing) {
    FakeFileSystem files;
    CustomColorList list;
    LoadCustomColorCache(list, files, kFile);
    EXPECT_TRUE(list.empty());
    files.files[kFile].bytes = FileWith(1, 1, MaxCustomColorFileBytes);
    LoadCustomColorCache(list, files, kFile);
    EXPECT_TRUE(list.empty());
}

TEST(CustomColorFile, SavingWithTheOptionOffLeavesTheFileAloneAndAFailedWriteIsReported) {
    FakeFileSystem files;
    files.files[kFile].bytes = FileWith(1, 1);
    CustomColorList list;
    EXPECT_TRUE(SaveCustomColorCache(list, files, kFile, false));
    EXPECT_EQ(files.files[kFile].bytes, FileWith(1, 1));

    files.failWrites = true;
    EXPECT_FALSE(SaveCustomColorCache(list, files, kFile, true));
    EXPECT_EQ(files.files[kFile].bytes, FileWith(1, 1));
}

class CustomColorLookup : public ::testing::Test {
protected:
    void SetUp() override { files.files[kWall].bytes.assign(5000, 0); }
    FakeFileSystem files;
    CustomColorList list;
    Bitmap24 picture = Picture(0x111111, 0x222222, 0x333333, 0x444444);
    std::int32_t index = 99;
};

TEST_F(CustomColorLookup, FirstMatchingEntryWinsAndNeedsAllCornersAndTheSize) {
    AddCustomColor(list, files, 0x111111, 0x222222, 0x333333, 0x999999, 0xAA, L"other corner", 5000);
    AddCustomColor(list, files, 0x111111, 0x222222, 0x333333, 0x444444, 0xBB, L"other size", 4999);
    AddCustomColor(list, files, 0x111111, 0x222222, 0x333333, 0x444444, 0xCC, L"first match", 5000);
    AddCustomColor(list, files, 0x111111, 0x222222, 0x333333, 0x444444, 0xDD, L"second match", 5000);
    EXPECT_EQ(IsThisColorSet(list, files, kWall, picture, index), 0xCCu);
    EXPECT_EQ(index, 2);

    // Another picture with the same corners and size shares the colour; a
    // renamed copy (same size) too.
    files.files[L"D:\\renamed.jpg"].bytes.assign(5000, 1);
    EXPECT_EQ(IsThisColorSet(list, files, L"D:\\renamed.jpg", Picture(0x111111, 0x222222, 0x333333, 0x444444, 9, 9),
                             index),
              0xCCu);

    // One changed corner makes it a new wallpaper.
    EXPECT_EQ(IsThisColorSet(list, files, kWall, Picture(0x111111, 0x222222, 0x333334, 0x444444), index),
              NoCustomColor);
    EXPECT_EQ(index, -1);
}

TEST_F(CustomColorLookup, UnreadableSizeMatchesOnlyAnEntryRecordedUnreadable) {
    AddCustomColor(list, files, 0x111111, 0x222222, 0x333333, 0x444444, 0xEE, L"gone.jpg", -1);
    EXPECT_EQ(list[0].hist.FileSize, -1);
    EXPECT_EQ(IsThisColorSet(list, files, L"gone.jpg", picture, index), 0xEEu);
    EXPECT_EQ(IsThisColorSet(list, files, kWall, picture, index), NoCustomColor);
    // The size is read for the file named when -1 is given.
    AddCustomColor(list, files, 1, 2, 3, 4, 5, kWall, -1);
    EXPECT_EQ(list[1].hist.FileSize, 5000);
}

TEST_F(CustomColorLookup, RememberingTwiceForOneWallpaperKeepsOneEntryWithTheSecondColour) {
    AddCustomColor(list, files, 7, 7, 7, 7, 7, L"unrelated", 1);
    EXPECT_EQ(RememberColorFor(list, files, kWall, picture, 0x0000FF), 1);
    EXPECT_EQ(RememberColorFor(list, files, kWall, picture, 0x00FF00), 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, kWall);
    EXPECT_EQ(list[1].hist, (TImgColorHist{0x111111, 0x222222, 0x333333, 0x444444, 0x00FF00, 5000}));
}

TEST(CustomColorReset, RemovesOnlyTheEntryTheHintNames) {
    FakeFileSystem files;
    CustomColorList list;
    for (TColor c : {0xA, 0xB, 0xC})
        AddCustomColor(list, files, c, c, c, c, c, L"w", 1);
    for (const wchar_t* bad : {L"", L"x", L"-1", L"3", L"1 ", L"99999999999", L"0x1"}) {
        EXPECT_FALSE(ClearCurrentManualColor(list, bad)) << bad;
        EXPECT_EQ(list.size(), 3u);
    }
    EXPECT_TRUE(ClearCurrentManualColor(list, L"1"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].hist.AeroColor, 0xAu);
    EXPECT_EQ(list[1].hist.AeroColor, 0xCu);
}

TEST(CustomColorFileSize, IsTheLowThirtyTwoBitsOrMinusOne) {
    // Only the size matters here.
    struct BigFiles final : IFileSystem {
        bool FileExists(const std::filesystem::path&) override { return true; }
        bool DirectoryExists(const std::filesystem::path&) override { return false; }
        bool CreateDirectories(const std::filesystem::path&) override { return false; }
        std::int32_t FileAge(const std::filesystem::path&) override { return -1; }
        std::int64_t FileSize(const std::filesystem::path& path) override {
            return path == L"big" ? 0x1'0000'0010 : -1;
        }
        std::optional<std::vector<std::uint8_t>> ReadAll(const std::filesystem::path&, std::size_t) override {
            return std::nullopt;
        }
        bool WriteAtomically(const std::filesystem::path&, std::span<const std::uint8_t>) override { return false; }
    } files;
    EXPECT_EQ(FileSizeByName(files, L"big"), 16);
    EXPECT_EQ(FileSizeByName(files, L"missing"), -1);
    EXPECT_EQ(FileSizeByName(files, L""), -1);
}

} // namespace
} // namespace hg
