// The registry and file-system ports and hueglass-color on the real registry
// and file system: what the fakes cannot show.
#include "settings/Settings.h"
#include "cli/HueglassColor.h"
#include "color/win32/Win32Pictures.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32Registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace hg {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kTestKey[] = L"Software\\HueglassTests\\Registry";

class RegistryPort : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(
            ::RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr),
            ERROR_SUCCESS);
    }
    void TearDown() override {
        key_ = {};
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(::RegSetValueExW(key_.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }

    win32::UniqueKey key_;
    win32::Win32Registry registry;
};

TEST_F(RegistryPort, OnlyAFourByteDwordReadsAsANumber) {
    const DWORD one = 1;
    const wchar_t text[] = L"1";
    const std::uint64_t wide = 1;
    Set(L"Dword", REG_DWORD, &one, sizeof one);
    Set(L"Text", REG_SZ, text, sizeof text);
    Set(L"Binary", REG_BINARY, &one, sizeof one);
    Set(L"Qword", REG_QWORD, &wide, sizeof wide);
    EXPECT_EQ(registry.ReadDword(kTestKey, L"Dword"), 1u);
    // "AutoColorization" stored as the text "1" counts as off: no number.
    EXPECT_EQ(registry.ReadDword(kTestKey, L"Text"), std::nullopt);
    EXPECT_EQ(registry.ReadDword(kTestKey, L"Binary"), std::nullopt);
    EXPECT_EQ(registry.ReadDword(kTestKey, L"Qword"), std::nullopt);
    EXPECT_EQ(registry.ReadDword(kTestKey, L"Missing"), std::nullopt);
    EXPECT_EQ(registry.ReadDword(L"Software\\HueglassTests\\NoSuchKey", L"Dword"), std::nullopt);
    // The key may be written with the backslashes the program's paths carry.
    EXPECT_EQ(registry.ReadDword(std::wstring(L"\\") + kTestKey + L"\\", L"Dword"), 1u);
}

// A folder of its own as the current folder, restored at the end.
class InCurrentFolder : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
        folder_ = fs::path(temp) / (L"hueglass-relative-" + std::to_wstring(::GetCurrentProcessId()));
        fs::create_directories(folder_ / L"pictures");
        wchar_t previous[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        ASSERT_TRUE(::SetCurrentDirectoryW(folder_.c_str()));
    }
    void TearDown() override {
        ::SetCurrentDirectoryW(previous_.c_str());
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    // A 2 x 1 bitmap of one colour.
    void WriteBmp(const fs::path& name, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        const std::uint8_t bytes[] = {'B', 'M', 62, 0, 0, 0, 0, 0,  0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0,
                                      0,   1,   0,  0, 0, 1, 0, 24, 0, 0, 0,  0, 0, 8, 0,  0, 0, 0, 0, 0, 0,
                                      0,   0,   0,  0, 0, 0, 0, 0,  0, 0, 0,  0, b, g, r,  b, g, r, 0, 0};
        std::ofstream out(folder_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    }

    fs::path folder_;
    std::wstring previous_;
};

TEST_F(InCurrentFolder, RelativeNamesAreFoundWhateverTheirFirstLetter) {
    WriteBmp(L"wall.bmp", 0x20, 0x40, 0x80);
    win32::Win32FileSystem files;
    // "w" is no drive here (and "c" is): the drive is the current folder's.
    for (const wchar_t* name : {L"wall.bmp", L".\\wall.bmp", L"pictures\\..\\wall.bmp"})
        EXPECT_TRUE(files.FileExists(name)) << fs::path(name).string();
    EXPECT_TRUE(files.DirectoryExists(L"pictures"));
    EXPECT_FALSE(files.FileExists(L"pictures"));
    EXPECT_FALSE(files.FileExists(L"nothing.bmp"));
    EXPECT_TRUE(files.CreateDirectories(L"made\\here"));
    EXPECT_TRUE(fs::is_directory(folder_ / L"made" / L"here"));
}

struct ToolRun {
    int status = 0;
    std::string out, err;
};

ToolRun RunTool(std::vector<std::string> args) {
    ToolRun run;
    win32::Win32FileSystem files;
    win32::Win32Pictures pictures;
    const ToolOutput output{[&](std::string_view t) { run.out += t; }, [&](std::string_view t) { run.err += t; }};
    run.status = RunHueglassColor(args, files, &pictures, output);
    return run;
}

TEST_F(InCurrentFolder, TheToolReadsRelativeNamesAndSaysWhenANameIsAFolder) {
    WriteBmp(L"wall.bmp", 0x20, 0x40, 0x80);
    const ToolRun run = RunTool({"--average", "wall.bmp", "pictures", "none.bmp"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "#204080\t0x00804020\twall.bmp\n");
    EXPECT_NE(run.err.find("hueglass-color: pictures: is a folder"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("hueglass-color: none.bmp: no such file"), std::string::npos) << run.err;
}

std::string FileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The settings saved through a copy with the real profile functions: the
// file keeps its layout, comments, other sections and keys in their order.
TEST_F(InCurrentFolder, SettingsSavedThroughACopyKeepWhatTheProgramDoesNotKnow) {
    const fs::path file = folder_ / L"Hueglass.Settings";
    const std::string before = "; written by hand\r\n[Other]\r\nA=1\r\n[General]\r\nZeta=last\r\n"
                               "Intensity=0x20\r\nCustomColors=ColorA=FFFFFF\r\n";
    std::ofstream(file, std::ios::binary) << before;
    win32::Win32Profile profile;
    win32::Win32FileSystem files;
    TAppOptions options;
    options.Intensity = 44;
    SaveSettings(profile, files, file.wstring(), options, true);

    const std::string after = FileText(file);
    EXPECT_EQ(after.rfind("; written by hand\r\n[Other]\r\nA=1\r\n[General]\r\nZeta=last\r\nIntensity=44\r\n"
                          "CustomColors=ColorA=FFFFFF\r\nMode=0\r\n", 0),
              0u)
        << after;
    EXPECT_EQ(LoadSettings(profile, file.wstring(), false).Intensity, 44);
    EXPECT_FALSE(fs::exists(SettingsCopyName(file.wstring()))) << "the copy stayed beside the file";
}

// A settings file with a second name (a package manager's persisted copy,
// linked from its own folder) is saved under both names, not split from it.
TEST_F(InCurrentFolder, ASettingsFileWithASecondNameKeepsIt) {
    const fs::path file = folder_ / L"Hueglass.Settings";
    const fs::path link = folder_ / L"persisted.Settings";
    std::ofstream(file, std::ios::binary) << "[General]\r\nMode=2\r\n";
    ASSERT_TRUE(::CreateHardLinkW(link.c_str(), file.c_str(), nullptr));
    win32::Win32Profile profile;
    win32::Win32FileSystem files;
    TAppOptions options;
    options.Intensity = 44;
    SaveSettings(profile, files, file.wstring(), options, true);

    EXPECT_EQ(LoadSettings(profile, link.wstring(), false).Intensity, 44) << FileText(link);
    EXPECT_EQ(FileText(link), FileText(file));
    EXPECT_FALSE(fs::exists(SettingsCopyName(file.wstring()))) << "the copy stayed beside the file";
}

// Another program reading the settings file as it is saved (a virus
// scanner, a backup, a synchronising client: they open it without sharing
// its deletion, so it cannot be replaced while they hold it) holds the save
// up briefly; it does not fail it.
TEST_F(InCurrentFolder, ASettingsFileBrieflyHeldByAReaderIsSaved) {
    const fs::path file = folder_ / L"Hueglass.Settings";
    std::ofstream(file, std::ios::binary) << "[General]\r\nMode=2\r\n";
    win32::UniqueFile reader(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    // The reader lets go a moment after the save has made its copy, the
    // time a scanner takes over a small file.
    std::thread letGo([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(SettingsCopyName(file.wstring())) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        reader = win32::UniqueFile();
    });
    win32::Win32Profile profile;
    win32::Win32FileSystem files;
    TAppOptions options;
    options.Intensity = 44;
    EXPECT_NO_THROW(SaveSettings(profile, files, file.wstring(), options, true));
    letGo.join();
    EXPECT_EQ(LoadSettings(profile, file.wstring(), false).Intensity, 44) << FileText(file);
    EXPECT_FALSE(fs::exists(SettingsCopyName(file.wstring()))) << "the copy stayed beside the file";
}

// A read-only settings file is refused, and stays as it was: same bytes,
// still read-only, no copy beside it.
TEST_F(InCurrentFolder, AReadOnlySettingsFileIsLeftAsItWas) {
    const fs::path file = folder_ / L"Hueglass.Settings";
    const std::string before = "[General]\r\nMode=2\r\nUnknown=kept\r\n";
    std::ofstream(file, std::ios::binary) << before;
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    win32::Win32Profile profile;
    win32::Win32FileSystem files;
    EXPECT_THROW(SaveSettings(profile, files, file.wstring(), TAppOptions{}, true), SettingsWriteError);
    EXPECT_EQ(FileText(file), before);
    EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(fs::exists(SettingsCopyName(file.wstring()))) << "the copy stayed beside the file";
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
} // namespace hg
