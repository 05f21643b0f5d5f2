#include "settings/Settings.h"

#include "fakes/platform/FakePorts.h"

#include <gtest/gtest.h>

#include <climits>

namespace hg {
namespace {

using testing::FakeFileSystem;
using testing::FakeProfile;
using testing::FakeSystemInfo;

const std::wstring kFile = L"C:\\data\\Hueglass.Settings";

TEST(ParseSettingsInteger, ReadsDecimalAndHexadecimalAndRejectsTheRest) {
    struct Case {
        const wchar_t* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {L"0x20", 32},         {L"0X1f", 31},      {L"$10", 16},          {L"2", 2},
        {L"  7", 7},           {L"-1", -1},        {L"+5", 5},            {L"0xFFFFFFFF", -1},
        {L"-2147483648", INT_MIN}, {L"2147483647", INT_MAX}, {L"2147483648", std::nullopt},
        {L"0x100000000", std::nullopt}, {L"abc", std::nullopt}, {L"", std::nullopt}, {L"12abc", std::nullopt},
        {L"0x", std::nullopt}, {L"-", std::nullopt}, {L"1 ", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseSettingsInteger(c.text), c.value) << std::wstring(c.text).size() << " chars";
}

TEST(LoadSettings, MissingFileGivesEveryDefault) {
    FakeProfile profile;
    EXPECT_EQ(LoadSettings(profile, kFile, false), TAppOptions{});
    const TAppOptions defaults;
    EXPECT_EQ(defaults.Intensity, 70);
    EXPECT_TRUE(defaults.FadeColor && defaults.UseBgColor && defaults.AppEnabled && defaults.IgnoreDarkLigthColors);
    EXPECT_EQ(defaults.TrayIconStyle, 1);
    EXPECT_EQ(defaults.DualMonWallSlideUseMon, -1);
    EXPECT_EQ(defaults.nColorMode, 1);
}

TEST(LoadSettings, TextsThatAreNotIntegersGiveTheDefaultAndAnyNonZeroIsTrue) {
    FakeProfile profile;
    profile.values[kFile] = {{L"Intensity", L"abc"}, {L"FadeColor", L"2"}, {L"UseBgColor", L""},
                             {L"ColorMode", L"0x0"}, {L"Mode", L"2"},      {L"AppEnabled", L"0"},
                             {L"DualMonWallSlideUseMon", L"-1"}, {L"FirstTimePick", L"0"}};
    const TAppOptions options = LoadSettings(profile, kFile, false);
    EXPECT_EQ(options.Intensity, 70);
    EXPECT_TRUE(options.FadeColor);
    EXPECT_TRUE(options.UseBgColor);
    EXPECT_EQ(options.nColorMode, 0);
    EXPECT_EQ(options.Mode, 2);
    EXPECT_FALSE(options.AppEnabled);
    EXPECT_FALSE(options.bFirstTimePick);

    profile.values[kFile][L"Intensity"] = L"0x20";
    EXPECT_EQ(LoadSettings(profile, kFile, false).Intensity, 32);
}

TEST(LoadSettings, WindowsTenForcesNoFadeAndThePreviewWindow) {
    FakeProfile profile;
    profile.values[kFile] = {{L"FadeColor", L"1"}, {L"ShowPreviewWindow", L"0"}};
    const TAppOptions ten = LoadSettings(profile, kFile, true);
    EXPECT_FALSE(ten.FadeColor);
    EXPECT_TRUE(ten.ShowPreviewWindow);
    const TAppOptions seven = LoadSettings(profile, kFile, false);
    EXPECT_TRUE(seven.FadeColor);
    EXPECT_FALSE(seven.ShowPreviewWindow);
}

// The profile's values live in the fake files, as on a disk.
struct SettingsDisk {
    SettingsDisk() { files.profile = &profile; }
    FakeProfile profile;
    FakeFileSystem files;
};

TEST(SaveSettings, WritesTheEighteenKeysInOrderWithTheLiveEnabledState) {
    SettingsDisk disk;
    FakeProfile& profile = disk.profile;
    TAppOptions options;
    options.Intensity = 33;
    options.AppEnabled = true; // the loaded value; the live state wins
    SaveSettings(profile, disk.files, kFile, options, false);
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"Mode", L"0"},          {L"Intensity", L"33"},          {L"FadeColor", L"1"},
        {L"UseBgColor", L"1"},    {L"ShowDeskOnPick", L"1"},      {L"DisableOnPick", L"0"},
        {L"Win8AutoColorizeWarn", L"1"}, {L"WarnDisableAutoPick", L"1"}, {L"TrayIconStyle", L"1"},
        {L"DoubleClickAction", L"0"}, {L"IgnoreDarkLigthColors", L"1"}, {L"RememberCustomColors", L"0"},
        {L"ShowPreviewWindow", L"1"}, {L"DualMonWallSlideUseMon", L"-1"}, {L"ColorMode", L"1"},
        {L"AppEnabled", L"0"},    {L"FirstTimePick", L"1"},       {L"ColorizeSysColors", L"0"},
    };
    EXPECT_EQ(profile.writes, expected);
    // What was written reads back the same.
    TAppOptions back = LoadSettings(profile, kFile, false);
    EXPECT_FALSE(back.AppEnabled);
    back.AppEnabled = true;
    EXPECT_EQ(back, options);
}

TEST(SaveSettings, KeysTheProgramDoesNotKnowAreKept) {
    SettingsDisk disk;
    disk.profile.values[kFile] = {{L"CustomColors", L"ColorA=FFFFFF"}, {L"Intensity", L"12"}};
    SaveSettings(disk.profile, disk.files, kFile, TAppOptions{}, true);
    EXPECT_EQ(disk.profile.values[kFile][L"CustomColors"], L"ColorA=FFFFFF");
    EXPECT_EQ(disk.profile.values[kFile][L"Intensity"], L"70");
    EXPECT_EQ(disk.profile.values[kFile].size(), 19u);
    EXPECT_FALSE(disk.files.FileExists(SettingsCopyName(kFile)));
}

// Whichever step of the save fails, the settings file keeps every byte and
// value it had, the error names it, and no copy is left beside it; the
// next save (nothing failing) goes through.
TEST(SaveSettings, AFailedStepLeavesTheOldFileAsItWas) {
    const std::vector<std::uint8_t> bytes = {'[', 'G', 'e', 'n', 'e', 'r', 'a', 'l', ']', '\r', '\n', 'M', 'o', 'd', 'e', '=', '2'};
    const struct {
        const char* step;
        std::size_t failFromWrite;
        bool oldFileExists;
    } steps[] = {
        {"copy", SIZE_MAX, true},  {"", 0, true},   {"", 1, true},      {"", 9, true},
        {"", 17, true},            {"flush", SIZE_MAX, true}, {"move", SIZE_MAX, true},
        {"", 5, false},            {"flush", SIZE_MAX, false}, {"move", SIZE_MAX, false},
    };
    for (const auto& s : steps) {
        SettingsDisk disk;
        if (s.oldFileExists) {
            disk.files.files[kFile].bytes = bytes;
            disk.profile.values[kFile] = {{L"Mode", L"2"}, {L"Unknown", L"kept"}};
        }
        const auto valuesBefore = disk.profile.values;
        disk.files.failing = {s.step};
        disk.profile.failFromWrite = s.failFromWrite;
        const std::string label = std::string(s.step) + " / write " + std::to_string(s.failFromWrite) +
                                  (s.oldFileExists ? " / existing file" : " / no file");
        TAppOptions options;
        options.Mode = 1;
        try {
            SaveSettings(disk.profile, disk.files, kFile, options, true);
            ADD_FAILURE() << label << ": no error raised";
        } catch (const SettingsWriteError& error) {
            EXPECT_EQ(error.message(), L"Unable to write to " + kFile) << label;
        }
        if (s.oldFileExists)
            EXPECT_EQ(disk.files.files[kFile].bytes, bytes) << label;
        else
            EXPECT_FALSE(disk.files.FileExists(kFile)) << label << ": a partial file appeared";
        EXPECT_EQ(disk.profile.values, valuesBefore) << label;
        EXPECT_FALSE(disk.files.FileExists(SettingsCopyName(kFile))) << label << ": the copy was left behind";

        disk.files.failing.clear();
        disk.profile.failFromWrite = SIZE_MAX;
        SaveSettings(disk.profile, disk.files, kFile, options, true);
        EXPECT_EQ(disk.profile.values[kFile][L"Mode"], L"1") << label;
    }
}

TEST(SaveSettings, ACopyLeftByASaveCutShortIsReplaced) {
    SettingsDisk disk;
    disk.profile.values[kFile] = {{L"Mode", L"2"}};
    disk.profile.values[SettingsCopyName(kFile)] = {{L"Stale", L"1"}};
    SaveSettings(disk.profile, disk.files, kFile, TAppOptions{}, true);
    EXPECT_EQ(disk.profile.values[kFile].count(L"Stale"), 0u);
    EXPECT_EQ(disk.profile.values[kFile][L"Mode"], L"0");
}

TEST(SettingsLocation, RoamingFolderUnlessAFileLiesBesideTheProgram) {
    FakeSystemInfo system;
    FakeFileSystem files;
    SettingsLocation roaming(system, files);
    EXPECT_EQ(roaming.GetIniFile(), L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings");
    EXPECT_FALSE(roaming.PortableMode());
    EXPECT_TRUE(files.DirectoryExists(L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass"));

    files.files[L"C:\\Programs\\Hueglass\\Hueglass.Settings"] = {};
    SettingsLocation portable(system, files);
    EXPECT_EQ(portable.GetIniFile(), L"C:\\Programs\\Hueglass\\Hueglass.Settings");
    EXPECT_TRUE(portable.PortableMode());
    EXPECT_EQ(portable.GetDataFolder(), L"C:\\Programs\\Hueglass\\");
}

} // namespace
} // namespace hg
