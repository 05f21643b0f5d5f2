// The colour follows a new wallpaper as soon as the system reports it: the
// real program, the test double of dwmapi.dll recording every colorization
// record written.
#include "e2e/E2e.h"

#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "platform/StdFileSystem.h"
#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

// A wallpaper of two bands; the wider band's hue wins.
test::Bytes Picture(TColor wide, TColor narrow) {
    return test::EncodeJpeg(test::MakeBitmap(320, 200, [&](int x, int) { return x < 220 ? wide : narrow; }));
}

void WriteBytes(const fs::path& file, const test::Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A last-write time some minutes from now, in whole seconds (so that two
// files given the same one have the same age, whatever the resolution).
FILETIME MinutesAhead(int minutes) {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart += static_cast<ULONGLONG>(minutes) * 60ull * 10000000ull;
    t.QuadPart -= t.QuadPart % (2ull * 10000000ull);
    return FILETIME{t.LowPart, t.HighPart};
}

void SetWriteTime(const fs::path& file, const FILETIME& when) {
    HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::SetFileTime(h, nullptr, nullptr, &when);
    ::CloseHandle(h);
}

class WallpaperWatch : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // The wallpapers in a folder of their own: the records the double
        // writes beside the program are no writes to the wallpaper's folder.
        fs::create_directories(walls_);
        WriteBytes(walls_ / L"a.jpg", first_);
        SetWriteTime(walls_ / L"a.jpg", MinutesAhead(1));
        wallpaperValue_.SetString((walls_ / L"a.jpg").wstring());
    }
    fs::path log() const { return folder_.path() / L"dwm.log"; }
    std::vector<std::wstring> Environment() const {
        std::vector<std::wstring> environment =
            older_ ? older_->Environment() : std::vector<std::wstring>{L"WINEDLLOVERRIDES=dwmapi=n,b"};
        environment.push_back(L"HUEGLASS_DWM_LOG=" + log().wstring());
        return environment;
    }
    // The engine's form of the colour the program should make of bytes,
    // decoded from a copy outside the watched folder.
    std::uint32_t Expected(const test::Bytes& bytes) {
        const fs::path scratch = folder_.path() / L"expected.jpg";
        WriteBytes(scratch, bytes);
        StdFileSystem files;
        const PictureResult picture = LoadWallpaperBitmap(files, scratch);
        EXPECT_TRUE(picture) << picture.error;
        const TColor c = ImageColor(picture.bitmap->View(), 1, true);
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    // Started, with the first wallpaper's colour written: the number of records.
    std::size_t StartAndSettle(std::optional<App>& app) {
        const std::uint32_t first = Expected(first_);
        app.emplace(folder_.exe(), Environment());
        EXPECT_TRUE(WaitFor([&] {
            const auto records = ReadDwmLog(log());
            return !records.empty() && records.back().color == first;
        })) << DescribeDwmLog(ReadDwmLog(log()));
        // A fade (before Windows 10) ends with its target written twice.
        if (older_) {
            EXPECT_TRUE(WaitFor([&] {
                const auto records = ReadDwmLog(log());
                return records.size() >= 2 && records[records.size() - 2].color == first;
            }));
        }
        return ReadDwmLog(log()).size();
    }
    // After a change: exactly one new record, of this colour, and no other
    // for two more polling intervals (the poll finds the change handled).
    // Called just before a change: the time to its record is printed (the
    // benchmark measures it; no test asserts a time).
    void MarkChange() { ::QueryPerformanceCounter(&changed_); }
    void ExpectOneRecordOf(std::uint32_t colour, std::size_t before, const char* what) {
        LARGE_INTEGER frequency, end;
        ::QueryPerformanceFrequency(&frequency);
        ASSERT_TRUE(WaitFor([&] { return ReadDwmLog(log()).size() > before; }))
            << what << ": no record\n" << DescribeDwmLog(ReadDwmLog(log()));
        ::QueryPerformanceCounter(&end);
        std::printf("%s: record after %.0f ms\n", what,
                    1000.0 * static_cast<double>(end.QuadPart - changed_.QuadPart) / static_cast<double>(frequency.QuadPart));
        EXPECT_FALSE(WaitFor([&] { return ReadDwmLog(log()).size() > before + 1; }, 2500ms))
            << what << ": more than one record\n" << DescribeDwmLog(ReadDwmLog(log()));
        const auto records = ReadDwmLog(log());
        EXPECT_EQ(records.at(before).color, colour) << what << "\n" << DescribeDwmLog(records);
    }

    LARGE_INTEGER changed_{};
    WineVersion version_{L"win10"};
    std::optional<OlderWindows> older_; // set by fixtures of an older Windows
    TestFolder folder_;
    const fs::path walls_ = folder_.path() / L"walls";
    RegistryValue wallpaperValue_{L"Control Panel\\Desktop", L"Wallpaper"};
    const test::Bytes first_ = Picture(0x00C08020, 0x000000FF);
    const test::Bytes second_ = Picture(0x0030B040, 0x00FF0000);
};

TEST_F(WallpaperWatch, AFileReplacedInPlaceGivesOneRecordOfItsColour) {
    std::optional<App> app;
    const std::size_t before = StartAndSettle(app);
    const std::uint32_t second = Expected(second_);
    // Written in pieces, as a slideshow rewrites its file, with a new time.
    MarkChange();
    WriteBytes(walls_ / L"a.jpg", second_);
    SetWriteTime(walls_ / L"a.jpg", MinutesAhead(5));
    ExpectOneRecordOf(second, before, "file replaced in place");
    EXPECT_TRUE(app->Running());
}

TEST_F(WallpaperWatch, TheWallpaperSetAsWindowsSetsItGivesOneRecordOfItsColour) {
    std::optional<App> app;
    const std::size_t before = StartAndSettle(app);
    const std::uint32_t second = Expected(second_);
    WriteBytes(walls_ / L"b.jpg", second_);
    SetWriteTime(walls_ / L"b.jpg", MinutesAhead(5));
    // The registry value and the broadcast together, as the system's own
    // settings do it.
    std::wstring path = (walls_ / L"b.jpg").wstring();
    MarkChange();
    ASSERT_TRUE(::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
    ExpectOneRecordOf(second, before, "wallpaper set by the system");
    EXPECT_TRUE(app->Running());
}

TEST_F(WallpaperWatch, TwoFilesWithTheSameLastWriteTimeEachGiveTheirColour) {
    // Unpacked from one archive: the same last-write time.
    const FILETIME same = MinutesAhead(1);
    SetWriteTime(walls_ / L"a.jpg", same);
    WriteBytes(walls_ / L"b.jpg", second_);
    SetWriteTime(walls_ / L"b.jpg", same);
    std::optional<App> app;
    std::size_t before = StartAndSettle(app);

    MarkChange();
    wallpaperValue_.SetString((walls_ / L"b.jpg").wstring());
    ExpectOneRecordOf(Expected(second_), before, "registry switched to b.jpg");
    before = ReadDwmLog(log()).size();
    MarkChange();
    wallpaperValue_.SetString((walls_ / L"a.jpg").wstring());
    ExpectOneRecordOf(Expected(first_), before, "registry switched back to a.jpg");
    EXPECT_TRUE(app->Running());
}

// Windows 7, as far as the program can tell: it reads a changed wallpaper
// without waiting, and the colour fades in.
// A new wallpaper that another program is reading just then (a virus
// scanner, Explorer showing it) cannot be read at once; its colour follows
// once it is free, without another change.
TEST_F(WallpaperWatch, ANewPictureAnotherProgramHoldsIsFollowedOnceItIsFree) {
    std::optional<App> app;
    const std::size_t before = StartAndSettle(app);
    const std::uint32_t second = Expected(second_);
    const fs::path wall = walls_ / L"b.jpg";
    WriteBytes(wall, second_);
    SetWriteTime(wall, MinutesAhead(5));
    const HANDLE reader = ::CreateFileW(wall.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    wallpaperValue_.SetString(wall.wstring());
    // The change is heard and the picture looked at while it is held.
    EXPECT_FALSE(WaitFor([&] { return ReadDwmLog(log()).size() > before; }, 1500ms))
        << "a held picture was read:\n" << DescribeDwmLog(ReadDwmLog(log()));
    MarkChange();
    ::CloseHandle(reader);
    ExpectOneRecordOf(second, before, "held wallpaper let go");
    EXPECT_TRUE(app->Running());
}

class WallpaperWatchOnWindows7 : public WallpaperWatch {
protected:
    void SetUp() override {
        older_.emplace(L"win7", L"6.1.7601");
        folder_.AddVersionDouble();
        WallpaperWatch::SetUp();
    }
};

TEST_F(WallpaperWatchOnWindows7, AFileReplacedInPlaceFadesInOnceToItsColour) {
    std::optional<App> app;
    const std::size_t before = StartAndSettle(app);
    const std::uint32_t second = Expected(second_);
    // The notice of the first piece comes while the file is still being
    // written; what is read then must not give a colour of its own.
    WriteBytes(walls_ / L"a.jpg", second_);
    SetWriteTime(walls_ / L"a.jpg", MinutesAhead(5));
    ASSERT_TRUE(WaitFor([&] {
        const auto records = ReadDwmLog(log());
        return records.size() >= before + 9 && records.back().color == second;
    })) << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_FALSE(WaitFor([&] { return ReadDwmLog(log()).size() > before + 9; }, 2500ms))
        << "more than one fade:\n" << DescribeDwmLog(ReadDwmLog(log()));
    EXPECT_TRUE(app->Running());
}

} // namespace
} // namespace hg::e2e
