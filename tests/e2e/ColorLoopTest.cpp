// The accent colour follows the wallpaper: the real program, the test double
// of dwmapi.dll recording every colorization record written.
#include "e2e/E2e.h"

#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "colorize/ColorMath.h"
#include "platform/StdFileSystem.h"
#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kEnabled = 1004;
constexpr WORD kResetManualColor = 1005;
constexpr WORD kExit = 1009;

// A wallpaper of two bands; the wider band's hue wins.
test::Bytes Wallpaper(TColor wide, TColor narrow) {
    return test::EncodeJpeg(test::MakeBitmap(320, 200, [&](int x, int) { return x < 220 ? wide : narrow; }));
}

// The engine's form of the colour the program should make of a picture.
// Decoded from a copy of its own: the program opens the wallpaper with no
// sharing, so reading the wallpaper itself here could make its read fail.
std::uint32_t ExpectedEngineColor(const test::Bytes& bytes, const fs::path& scratch) {
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    StdFileSystem files;
    const PictureResult picture = LoadWallpaperBitmap(files, scratch);
    EXPECT_TRUE(picture) << picture.error;
    const TColor c = ImageColor(picture.bitmap->View(), 1, true);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Moves the file's last-write time so its age (two-second resolution) differs.
void Touch(const fs::path& file, int minutesAhead) {
    HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart += static_cast<ULONGLONG>(minutesAhead) * 60ull * 10000000ull;
    const FILETIME later{t.LowPart, t.HighPart};
    ::SetFileTime(h, nullptr, nullptr, &later);
    ::CloseHandle(h);
}

class ColorLoop : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        wallpaper_ = folder_.path() / L"wallpaper.jpg";
        Write(firstPicture_, 1);
        wallpaperValue_.SetString(wallpaper_.wstring());
    }
    void Write(const test::Bytes& bytes, int minutesAhead) {
        {
            std::ofstream out(wallpaper_, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        Touch(wallpaper_, minutesAhead);
    }
    std::vector<std::wstring> Environment() const {
        std::vector<std::wstring> environment =
            older_ ? older_->Environment() : std::vector<std::wstring>{L"WINEDLLOVERRIDES=dwmapi=n,b"};
        environment.push_back(L"HUEGLASS_DWM_LOG=" + log().wstring());
        return environment;
    }
    fs::path log() const { return folder_.path() / L"dwm.log"; }
    // Waits until the last record written carries this colour.
    bool WaitLastColor(std::uint32_t color, std::chrono::milliseconds timeout = 20s) {
        return WaitFor(
            [&] {
                const auto records = ReadDwmLog(log());
                return !records.empty() && records.back().color == color;
            },
            timeout);
    }

    WineVersion version_{L"win10"};
    std::optional<OlderWindows> older_; // set by fixtures of an older Windows
    TestFolder folder_;
    RegistryValue wallpaperValue_{L"Control Panel\\Desktop", L"Wallpaper"};
    // The engine's form of the colour the program should make of bytes.
    std::uint32_t Expected(const test::Bytes& bytes) { return ExpectedEngineColor(bytes, folder_.path() / L"expected.jpg"); }

    const test::Bytes firstPicture_ = Wallpaper(0x00C08020, 0x000000FF);
    const test::Bytes secondPicture_ = Wallpaper(0x0030B040, 0x00FF0000);
    fs::path wallpaper_;
};

TEST_F(ColorLoop, StartWritesTheWallpaperColourAndFollowsANewPicture) {
    const std::uint32_t first = Expected(firstPicture_);
    App app(folder_.exe(), Environment());
    ASSERT_TRUE(WaitLastColor(first)) << "expected Color=" << std::hex << first << " in:\n"
                                      << DescribeDwmLog(ReadDwmLog(log()));
    const DwmRecord start = ReadDwmLog(log()).back();
    EXPECT_EQ(start.afterglow, 70u);
    EXPECT_EQ(start.balance, 70u);

    const std::uint32_t second = Expected(secondPicture_);
    Write(secondPicture_, 5);
    ASSERT_NE(second, first);
    EXPECT_TRUE(WaitLastColor(second)) << "the new picture's colour was not written:\n"
                                       << DescribeDwmLog(ReadDwmLog(log()));
    // Wine has no accent colour entry point in uxtheme: the program runs on.
    EXPECT_TRUE(app.Running());
}

TEST_F(ColorLoop, EnabledCommandStopsTheLoopAndStartsItAgain) {
    const std::uint32_t first = Expected(firstPicture_);
    App app(folder_.exe(), Environment());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitLastColor(first)) << DescribeDwmLog(ReadDwmLog(log()));
    const std::size_t before = ReadDwmLog(log()).size();

    app.Command(main, kEnabled);
    // Off: the last colour is written once more.
    ASSERT_TRUE(WaitFor([&] { return ReadDwmLog(log()).size() == before + 1; }))
        << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_EQ(ReadDwmLog(log()).back().color, first);
    EXPECT_TRUE(WaitFor([&] { return ReadIni(SettingsFile(), L"AppEnabled") == L"0"; }));

    const std::uint32_t second = Expected(secondPicture_);
    Write(secondPicture_, 5);
    // While off, several polling intervals pass without a write.
    EXPECT_FALSE(WaitFor([&] { return ReadDwmLog(log()).size() > before + 1; }, 3500ms))
        << "a colour was written while the loop was off:\n" << DescribeDwmLog(ReadDwmLog(log()));

    app.Command(main, kEnabled);
    EXPECT_TRUE(WaitLastColor(second)) << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_TRUE(WaitFor([&] { return ReadIni(SettingsFile(), L"AppEnabled") == L"1"; }));

    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
}

TEST_F(ColorLoop, ARememberedColourWinsUntilResetBringsTheExtractedColourBack) {
    StdFileSystem files;
    const PictureResult picture = LoadWallpaperBitmap(files, wallpaper_);
    ASSERT_TRUE(picture) << picture.error;
    const Bitmap24& b = *picture.bitmap;
    const int w = b.Width() - 1, h = b.Height() - 1;
    // "CustomColorCache.Settings" made by hand: header, N, one entry for
    // this wallpaper's corners and size, remembering 0x00112233.
    test::ByteWriter file;
    file.U8(6).Raw({'H', 'G', 'C', 'C', '1', '7'}).Zeros(249).U32(1);
    file.U32(test::ColorAt(b, 0, 0)).U32(test::ColorAt(b, w, 0)).U32(test::ColorAt(b, 0, h)).U32(test::ColorAt(b, w, h));
    file.U32(0x00112233).U32(static_cast<std::uint32_t>(fs::file_size(wallpaper_)));
    fs::create_directories(DataFolder());
    {
        std::ofstream out(DataFolder() / L"CustomColorCache.Settings", std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
    }
    ::WritePrivateProfileStringW(L"General", L"RememberCustomColors", L"1", SettingsFile().c_str());

    App app(folder_.exe(), Environment());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitLastColor(0x00332211)) << "the remembered colour was not written:\n"
                                           << DescribeDwmLog(ReadDwmLog(log()));

    const std::uint32_t extracted = Expected(firstPicture_);
    app.Command(main, kResetManualColor);
    EXPECT_TRUE(WaitLastColor(extracted)) << "reset did not bring the extracted colour back:\n"
                                          << DescribeDwmLog(ReadDwmLog(log()));

    app.Command(main, kExit);
    ASSERT_EQ(app.WaitExit(), 0u);
    // The entry is gone from the file at the save of the end.
    EXPECT_EQ(fs::file_size(DataFolder() / L"CustomColorCache.Settings"), 260u);
}

// Windows 7, as far as the program can tell: colours from the wallpaper fade.
class ColorLoopOnWindows7 : public ColorLoop {
protected:
    void SetUp() override {
        older_.emplace(L"win7", L"6.1.7601");
        folder_.AddVersionDouble();
        ColorLoop::SetUp();
    }
};

TEST_F(ColorLoopOnWindows7, AWallpaperChangeFadesInThroughTheStepsBetweenTheTwoColours) {
    const std::uint32_t first = Expected(firstPicture_);
    App app(folder_.exe(), Environment());
    // A fade ends with its target written twice (its last step, then the end).
    const auto fadeEndedAt = [&](std::uint32_t color) {
        const auto records = ReadDwmLog(log());
        const std::size_t n = records.size();
        return n >= 2 && records[n - 1].color == color && records[n - 2].color == color;
    };
    ASSERT_TRUE(WaitFor([&] { return fadeEndedAt(first); })) << "expected Color=" << std::hex << first << " twice at the end of:\n"
                                                              << DescribeDwmLog(ReadDwmLog(log()));
    const std::size_t before = ReadDwmLog(log()).size();

    const std::uint32_t second = Expected(secondPicture_);
    ASSERT_NE(second, first);
    Write(secondPicture_, 5);
    ASSERT_TRUE(WaitFor([&] { return ReadDwmLog(log()).size() >= before + 9 && fadeEndedAt(second); }))
        << DescribeDwmLog(ReadDwmLog(log()));

    // Steps 2 to 9 of the way from the old colour to the new, then the new
    // one again: no jump, no step left out.
    const auto toColor = [](std::uint32_t engine) {
        return static_cast<TColor>(((engine & 0xFF) << 16) | (engine & 0xFF00) | ((engine >> 16) & 0xFF));
    };
    struct NoSystemColors final : ISystemColors {
        TColor SystemColor(int) const override { return 0; }
    } noSystemColors;
    std::vector<std::uint32_t> expected;
    for (int step = 2; step <= 10; ++step)
        expected.push_back(ColorToArgb(
            InterpolateColor(toColor(first), toColor(second), std::min(step, 9), 10, noSystemColors), 0));
    const auto records = ReadDwmLog(log());
    std::vector<std::uint32_t> written;
    for (std::size_t i = before; i < records.size(); ++i)
        written.push_back(records[i].color);
    EXPECT_EQ(written, expected) << DescribeDwmLog(records);
    app.Command(app.WaitMainWindow(), kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
}

} // namespace
} // namespace hg::e2e
