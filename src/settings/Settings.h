#pragma once
// The settings record and its INI file "Hueglass.Settings", section "General".
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace hg {

// Field names follow the file keys letter for letter (including the historic
// spelling of IgnoreDarkLigthColors), except nColorMode ("ColorMode") and
// bFirstTimePick ("FirstTimePick").
struct TAppOptions {
    std::int32_t Mode = 0; // 0 wallpaper, 1 icon of the active application, 2 its contents
    bool UseBgColor = true;
    std::int32_t Intensity = 70;
    bool FadeColor = true;
    bool AppEnabled = true;
    bool ShowDeskOnPick = true;
    std::int32_t DoubleClickAction = 0; // 0 personalize, 1 pick from screen, 2 colour dialog
    bool DisableOnPick = false;
    bool Win8AutoColorizeWarn = true;
    bool WarnDisableAutoPick = true;
    std::int32_t TrayIconStyle = 1;
    bool IgnoreDarkLigthColors = true;
    bool RememberCustomColors = false;
    bool ShowPreviewWindow = true;
    std::int32_t DualMonWallSlideUseMon = -1;
    std::int32_t nColorMode = 1; // 1 predominant colour, anything else average
    bool bFirstTimePick = true;
    bool ColorizeSysColors = false;

    bool operator==(const TAppOptions&) const = default;
};

inline constexpr std::wstring_view kSettingsFileName = L"Hueglass.Settings";
inline constexpr std::wstring_view kSettingsSection = L"General";

// A settings value as text: decimal, or hexadecimal after "0x" (or "$"),
// with an optional sign and leading blanks. nullopt for anything else.
std::optional<std::int32_t> ParseSettingsInteger(std::wstring_view text);

// Raised when a settings value cannot be written; what() is the user-facing
// "Unable to write to <file>".
class SettingsWriteError : public UserError {
public:
    explicit SettingsWriteError(const std::wstring& file);
};

// Where the settings and the remembered colours live. The settings file
// beside the executable makes the program portable.
class SettingsLocation {
public:
    SettingsLocation(ISystemInfo& system, IFileSystem& files) : system_(system), files_(files) {}

    // Full path of "Hueglass.Settings"; decides PortableMode.
    std::wstring GetIniFile();
    // The data folder with a trailing backslash, created when missing (a
    // failure shows up later, when a file is written there).
    std::wstring GetDataFolder();
    bool PortableMode() const { return portableMode_; }

private:
    ISystemInfo& system_;
    IFileSystem& files_;
    bool portableMode_ = false;
};

// Reads the record; a missing file, key or unreadable value gives the default.
// windows10 forces FadeColor off and ShowPreviewWindow on.
TAppOptions LoadSettings(IProfile& profile, const std::wstring& file, bool windows10);

// Writes all 18 keys in their fixed order; "AppEnabled" is the live on/off
// state passed in. The keys go into a copy of the file beside it
// (SettingsCopyName), which is flushed and then moved over the file, so the
// file is saved whole or not at all. Throws SettingsWriteError, naming the
// file, at the first step that fails; the copy is removed again.
std::wstring SettingsCopyName(const std::wstring& file);
void SaveSettings(IProfile& profile, IFileSystem& files, const std::wstring& file, const TAppOptions& options,
                  bool appEnabled);

} // namespace hg
