#include "settings/Settings.h"

#include <array>
#include <variant>

namespace hg {

namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    return out;
}

int DigitValue(wchar_t c, int base) {
    int v = -1;
    if (c >= L'0' && c <= L'9')
        v = c - L'0';
    else if (c >= L'a' && c <= L'f')
        v = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
        v = c - L'A' + 10;
    return v < base ? v : -1;
}

} // namespace

std::optional<std::int32_t> ParseSettingsInteger(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == L'$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    // Decimal must fit a signed 32-bit value; hexadecimal may use all 32 bits
    // (0xFFFFFFFF is -1), as the value is a bit pattern.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t value = 0;
    for (wchar_t c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > limit)
            return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

SettingsWriteError::SettingsWriteError(const std::wstring& file)
    : UserError(L"Unable to write to " + file, "Unable to write to " + Narrow(file)) {}

std::wstring SettingsLocation::GetIniFile() {
    const std::wstring candidate = AddBackslash(system_.ExecutableFolder()) + std::wstring(kSettingsFileName);
    portableMode_ = files_.FileExists(candidate);
    if (portableMode_)
        return candidate;
    return GetDataFolder() + std::wstring(kSettingsFileName);
}

std::wstring SettingsLocation::GetDataFolder() {
    std::wstring folder = portableMode_ ? AddBackslash(system_.ExecutableFolder())
                                        : AddBackslash(system_.AppDataFolder()) + L"Brenmoor\\Hueglass\\";
    if (!files_.DirectoryExists(folder))
        files_.CreateDirectories(folder); // a failure surfaces when a file is written there
    return folder;
}

namespace {

// One row per key, in the order the file is written.
struct IntegerKey {
    std::wstring_view key;
    std::int32_t TAppOptions::*field;
};
struct BooleanKey {
    std::wstring_view key;
    bool TAppOptions::*field;
};

constexpr std::wstring_view kAppEnabled = L"AppEnabled";

const std::array<std::variant<IntegerKey, BooleanKey>, 17> kKeys{{
    IntegerKey{L"Mode", &TAppOptions::Mode},
    IntegerKey{L"Intensity", &TAppOptions::Intensity},
    BooleanKey{L"FadeColor", &TAppOptions::FadeColor},
    BooleanKey{L"UseBgColor", &TAppOptions::UseBgColor},
    BooleanKey{L"ShowDeskOnPick", &TAppOptions::ShowDeskOnPick},
    BooleanKey{L"DisableOnPick", &TAppOptions::DisableOnPick},
    BooleanKey{L"Win8AutoColorizeWarn", &TAppOptions::Win8AutoColorizeWarn},
    BooleanKey{L"WarnDisableAutoPick", &TAppOptions::WarnDisableAutoPick},
    IntegerKey{L"TrayIconStyle", &TAppOptions::TrayIconStyle},
    IntegerKey{L"DoubleClickAction", &TAppOptions::DoubleClickAction},
    BooleanKey{L"IgnoreDarkLigthColors", &TAppOptions::IgnoreDarkLigthColors},
    BooleanKey{L"RememberCustomColors", &TAppOptions::RememberCustomColors},
    BooleanKey{L"ShowPreviewWindow", &TAppOptions::ShowPreviewWindow},
    IntegerKey{L"DualMonWallSlideUseMon", &TAppOptions::DualMonWallSlideUseMon},
    IntegerKey{L"ColorMode", &TAppOptions::nColorMode},
    // "AppEnabled" is written here, from the live state (see SaveSettings).
    BooleanKey{L"FirstTimePick", &TAppOptions::bFirstTimePick},
    BooleanKey{L"ColorizeSysColors", &TAppOptions::ColorizeSysColors},
}};
constexpr std::size_t kAppEnabledPosition = 15;

std::int32_t ReadInteger(IProfile& profile, const std::wstring& file, std::wstring_view key, std::int32_t fallback) {
    const auto text = profile.ReadString(file, kSettingsSection, key);
    if (!text)
        return fallback;
    return ParseSettingsInteger(*text).value_or(fallback);
}

// Writes one key into `copy`; a failure names the settings file itself.
void Write(IProfile& profile, const std::wstring& copy, const std::wstring& file, std::wstring_view key,
           std::int32_t value) {
    if (!profile.WriteString(copy, kSettingsSection, key, std::to_wstring(value)))
        throw SettingsWriteError(file);
}

} // namespace

TAppOptions LoadSettings(IProfile& profile, const std::wstring& file, bool windows10) {
    TAppOptions options;
    for (const auto& key : kKeys) {
        if (const auto* i = std::get_if<IntegerKey>(&key))
            options.*i->field = ReadInteger(profile, file, i->key, options.*i->field);
        else {
            const auto& b = std::get<BooleanKey>(key);
            options.*b.field = ReadInteger(profile, file, b.key, options.*b.field ? 1 : 0) != 0;
        }
    }
    options.AppEnabled = ReadInteger(profile, file, kAppEnabled, 1) != 0;
    if (windows10) {
        // Fades and the hidden preview are not offered from Windows 10 on.
        options.FadeColor = false;
        options.ShowPreviewWindow = true;
    }
    return options;
}

std::wstring SettingsCopyName(const std::wstring& file) { return file + L".tmp"; }

void SaveSettings(IProfile& profile, IFileSystem& files, const std::wstring& file, const TAppOptions& options,
                  bool appEnabled) {
    // The keys go into a copy of the file beside it (the profile functions
    // keep its layout, the keys this program does not know and their order),
    // which then replaces the file in one step: a save cut short by a crash,
    // a full disk or a failing write leaves the old file as it was.
    const std::wstring copy = SettingsCopyName(file);
    files.Delete(copy); // left by a save cut short; if it stays, copying over it fails below
    if (files.FileExists(file) && !files.CopyOver(file, copy)) {
        files.Delete(copy);
        throw SettingsWriteError(file);
    }
    try {
        for (std::size_t n = 0; n < kKeys.size(); ++n) {
            if (n == kAppEnabledPosition)
                Write(profile, copy, file, kAppEnabled, appEnabled ? 1 : 0);
            if (const auto* i = std::get_if<IntegerKey>(&kKeys[n]))
                Write(profile, copy, file, i->key, options.*i->field);
            else {
                const auto& b = std::get<BooleanKey>(kKeys[n]);
                Write(profile, copy, file, b.key, options.*b.field ? 1 : 0);
            }
        }
        if (!files.FlushToDisk(copy) || !files.MoveOver(copy, file))
            throw SettingsWriteError(file);
    } catch (...) {
        files.Delete(copy);
        throw;
    }
}

} // namespace hg
