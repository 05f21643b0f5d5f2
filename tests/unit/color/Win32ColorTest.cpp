// The Windows side of wallpaper discovery and loading, on the real registry
// and file system (under Wine in the cross build).
#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "color/win32/Win32Pictures.h"
#include "color/win32/Win32SystemColors.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

#include "PictureFixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace hg {
namespace {

using win32::UniqueFile;
using win32::UniqueKey;

// Sets HKCU "Control Panel\Desktop\" "Wallpaper" for one test and puts the
// previous value back afterwards.
class WallpaperValue {
public:
    explicit WallpaperValue(const std::wstring* value) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          key_.put(), nullptr);
        wchar_t old[MAX_PATH * 2] = {};
        DWORD size = sizeof old, type = 0;
        had_ = ::RegQueryValueExW(key_.get(), L"Wallpaper", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
               ERROR_SUCCESS;
        old_ = old;
        Set(value);
    }
    ~WallpaperValue() { Set(had_ ? &old_ : nullptr); }
    WallpaperValue(const WallpaperValue&) = delete;
    WallpaperValue& operator=(const WallpaperValue&) = delete;

private:
    void Set(const std::wstring* value) {
        if (value)
            ::RegSetValueExW(key_.get(), L"Wallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                             static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
        else
            ::RegDeleteValueW(key_.get(), L"Wallpaper");
    }
    UniqueKey key_;
    bool had_ = false;
    std::wstring old_;
};

TEST(Win32Wallpaper, PathComesFromTheRegistryAndIsRefinedPerMonitor) {
    test::TempFolder folder;
    const auto transcoded = folder.Write("TranscodedWallpaper", {1, 2, 3});
    win32::Win32Registry registry;
    win32::Win32FileSystem files;
    {
        const WallpaperValue unset(nullptr);
        EXPECT_EQ(CurrentWallpaperPath(registry, files, 2, 1, true), L"");
    }
    const WallpaperValue set(&transcoded.native());
    EXPECT_EQ(CurrentWallpaperPath(registry, files, 1, 1, true), transcoded.native());
    EXPECT_EQ(CurrentWallpaperPath(registry, files, 2, 1, true), transcoded.native()); // no copy yet
    const auto copy = folder.Write("Transcoded_001", {4, 5, 6});
    EXPECT_EQ(CurrentWallpaperPath(registry, files, 2, 1, true), copy.native());
    EXPECT_EQ(CurrentWallpaperPath(registry, files, 2, 1, false), transcoded.native());
}

TEST(Win32Wallpaper, NonStringValueGivesNoWallpaper) {
    const WallpaperValue placeholder(nullptr);
    UniqueKey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, key.put()), ERROR_SUCCESS);
    const DWORD number = 7;
    ::RegSetValueExW(key.get(), L"Wallpaper", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    win32::Win32Registry registry;
    win32::Win32FileSystem files;
    EXPECT_EQ(CurrentWallpaperPath(registry, files, 1, -1, true), L"");
}

TEST(Win32Wallpaper, FileAgeIsThePackedLocalWriteTime) {
    test::TempFolder folder;
    const auto path = folder.Write("sea.bmp", {1});
    {
        const UniqueFile file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        SYSTEMTIME local{2024, 3, 0, 15, 13, 45, 30, 0};
        FILETIME localTime{}, utc{};
        ASSERT_TRUE(::SystemTimeToFileTime(&local, &localTime));
        ASSERT_TRUE(::LocalFileTimeToFileTime(&localTime, &utc));
        ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &utc));
    }
    win32::Win32FileSystem files;
    EXPECT_EQ(files.FileAge(path), PackDosDateTime(2024, 3, 15, 13, 45, 30));
    EXPECT_EQ(files.FileAge(folder.Path() / "none.bmp"), -1);
}

test::Bytes SmallBmp() {
    test::ByteWriter pixels;
    pixels.U8(40).U8(60).U8(200).U8(200).U8(90).U8(40).Zeros(2);
    return test::MakeBmp(40, 2, 1, 24, 0, {}, pixels.bytes);
}

// Run in a second process by the test below: holds the file named in
// HUEGLASS_HOLD_FILE open (as a writer sharing it for reading would), says so
// through an event and keeps it until told to let go.
TEST(Win32Wallpaper, HolderProcess) {
    wchar_t file[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"HUEGLASS_HOLD_FILE", file, MAX_PATH) == 0)
        GTEST_SKIP() << "only run as the helper of AFileHeldOpenByAnotherProcessIsNotRead";
    const UniqueFile held(
        ::CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const win32::UniqueKernelHandle holding(::OpenEventW(EVENT_MODIFY_STATE, FALSE, L"HueglassTestHolding"));
    const win32::UniqueKernelHandle release(::OpenEventW(SYNCHRONIZE, FALSE, L"HueglassTestRelease"));
    ASSERT_TRUE(holding && release);
    ::SetEvent(holding.get());
    EXPECT_EQ(::WaitForSingleObject(release.get(), 30000), WAIT_OBJECT_0);
}

TEST(Win32Wallpaper, AFileHeldOpenByAnotherProcessIsNotRead) {
    test::TempFolder folder;
    const auto path = folder.Write("TranscodedWallpaper", SmallBmp());
    const win32::UniqueKernelHandle holding(::CreateEventW(nullptr, TRUE, FALSE, L"HueglassTestHolding"));
    const win32::UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, L"HueglassTestRelease"));
    ASSERT_TRUE(holding && release);

    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=Win32Wallpaper.HolderProcess";
    ::SetEnvironmentVariableW(L"HUEGLASS_HOLD_FILE", path.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableW(L"HUEGLASS_HOLD_FILE", nullptr);
    ASSERT_TRUE(started);
    const win32::UniqueKernelHandle child(process.hProcess), thread(process.hThread);
    const HANDLE either[] = {holding.get(), child.get()};
    ASSERT_EQ(::WaitForMultipleObjects(2, either, FALSE, 30000), WAIT_OBJECT_0) << "the helper did not take the file";

    win32::Win32FileSystem files;
    const PictureResult busy = LoadWallpaperBitmap(files, path);
    EXPECT_FALSE(busy);
    EXPECT_NE(busy.error.find("cannot be opened"), std::string::npos) << busy.error;
    EXPECT_TRUE(files.ReadAll(path, 1 << 20)); // an ordinary read shares

    ::SetEvent(release.get());
    ASSERT_EQ(::WaitForSingleObject(child.get(), 30000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(child.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(LoadWallpaperBitmap(files, path));
    // The file is released as soon as it has been read, before it is decoded.
    ASSERT_TRUE(files.ReadExclusive(path, 1 << 20));
    const win32::UniqueFile again(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(again);
}

TEST(Win32Pictures, IconsAndMetafilesAreDrawnOntoWhite) {
    // A 2x2 icon: a 32-bit DIB with alpha (one opaque red pixel) and its mask.
    test::ByteWriter icon;
    icon.U16(0).U16(1).U16(1);                                            // header: icon, one image
    icon.U8(2).U8(2).U8(0).U8(0).U16(1).U16(32).U32(40 + 16 + 8).U32(22); // directory entry
    icon.U32(40).U32(2).U32(4).U16(1).U16(32).U32(0).U32(16 + 8).U32(0).U32(0).U32(0).U32(0);
    icon.U32(0xFFFF0000).U32(0x00000000).U32(0x00000000).U32(0x00000000); // bottom row first
    icon.Zeros(8);                                                         // mask rows
    test::TempFolder folder;
    const auto path = folder.Write("app.ICO", icon.bytes);
    win32::Win32FileSystem files;
    win32::Win32Pictures pictures;
    const PictureResult picture = LoadWallpaperBitmap(files, path, &pictures);
    ASSERT_TRUE(picture) << picture.error;
    EXPECT_EQ(picture.bitmap->Width(), 2);
    EXPECT_EQ(test::ColorAt(*picture.bitmap, 0, 1), RgbColor(255, 0, 0));
    EXPECT_EQ(test::ColorAt(*picture.bitmap, 1, 0), clWhite);

    // An enhanced metafile of a filled rectangle, recorded here.
    const RECT frame{0, 0, 2540, 2540}; // one inch in 0.01 mm
    const HDC recorder = ::CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    ASSERT_NE(recorder, nullptr);
    const win32::UniqueBrush brush(::CreateSolidBrush(RgbColor(40, 90, 200)));
    const RECT area{0, 0, 400, 400};
    ::FillRect(recorder, &area, brush.get());
    const HENHMETAFILE metafile = ::CloseEnhMetaFile(recorder);
    test::Bytes emf(::GetEnhMetaFileBits(metafile, 0, nullptr));
    ::GetEnhMetaFileBits(metafile, static_cast<UINT>(emf.size()), emf.data());
    ::DeleteEnhMetaFile(metafile);
    const PictureResult drawn = LoadWallpaperBitmap(files, folder.Write("logo.emf", emf), &pictures);
    ASSERT_TRUE(drawn) << drawn.error;
    EXPECT_GT(drawn.bitmap->Width(), 10);
    EXPECT_EQ(test::ColorAt(*drawn.bitmap, 1, 1), RgbColor(40, 90, 200));

    EXPECT_FALSE(LoadWallpaperBitmap(files, folder.Write("bad.tif", {'I', 'I', 42, 0, 1}), &pictures));
    EXPECT_FALSE(LoadWallpaperBitmap(files, folder.Write("bad.wmf", {1, 2, 3}), &pictures));
}

TEST(Win32SystemColors, ResolvesCodesThroughTheSystemTable) {
    const win32::Win32SystemColors system;
    EXPECT_EQ(ResolveColor(0xFF000010, system), static_cast<TColor>(::GetSysColor(COLOR_BTNSHADOW)));
}

} // namespace
} // namespace hg
