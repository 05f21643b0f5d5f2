#pragma once
// Drives the real Hueglass.exe under Wine as Windows would: start it, find
// its windows, send it messages, and look at files, registry values and
// windows. Every wait has a deadline; a failure says what was seen.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hg::e2e {

using namespace std::chrono_literals;

// Polls the condition until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s);

// A folder of its own for each test, holding a copy of Hueglass.exe and
// nothing else, removed at the end.
//
// The test doubles of dwmapi.dll, version.dll and wininet.dll are in the
// prefix's System32 (installed once, see fakes/InstallDoubles.h), where the
// program loads its DLLs from. The program gets a double only where its DLL
// override says native: WINEDLLOVERRIDES=dwmapi=n,b given to App for the
// dwmapi.dll double (App sets it in the registry too), the registry (the key DllOverrides under
// HKCU\Software\Wine\AppDefaults\Hueglass.exe, as OlderWindows and the
// About tests set it) for the others; otherwise it gets Wine's own.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path exe() const { return path_ / L"Hueglass.exe"; }
    // Checks that the test double of version.dll is in place: loaded as
    // native (as OlderWindows sets it) and with HUEGLASS_KERNEL_VERSION=6.3,
    // the program sees the kernel of Windows 8.1 (Wine's always reads 10.0).
    void AddVersionDouble();

private:
    std::filesystem::path path_;
};

// The running program.
class App {
public:
    // Starts exe with the given extra environment variables ("NAME=value").
    // DLL overrides given as WINEDLLOVERRIDES=... are also set for the
    // program in the registry (AppDefaults\<exe>\DllOverrides) while it
    // runs: a program started by another Wine process does not see them in
    // its environment for every load, and the test doubles in System32 are
    // chosen by them.
    App(const std::filesystem::path& exe, const std::vector<std::wstring>& environment = {});
    ~App(); // ends the process if it still runs
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    DWORD pid() const { return info_.dwProcessId; }
    // The main window of this process, waited for.
    HWND WaitMainWindow(std::chrono::milliseconds timeout = 20s);
    // The exit code, or nullopt if it did not end within the timeout.
    std::optional<DWORD> WaitExit(std::chrono::milliseconds timeout = 20s);
    bool Running();
    // Sends a tray menu command as the menu would.
    void Command(HWND main, WORD id);

private:
    void SetOverrides(const std::filesystem::path& exe, const std::wstring& variable);

    PROCESS_INFORMATION info_{};
    std::wstring overridesKey_;
    std::vector<std::wstring> overridden_;
};

// Top-level visible windows of a process with the given class ("#32770"
// for dialogs and message boxes).
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className);
std::wstring WindowText(HWND window);
// Texts of all child windows (static texts, buttons).
std::vector<std::wstring> ChildTexts(HWND window);
// The first visible dialog (task dialog or message box) of the process.
HWND WaitDialog(DWORD pid, std::chrono::milliseconds timeout = 20s);
// The child control with exactly this text (a button caption with its "&").
HWND FindChild(HWND window, const std::wstring& text);
// Clicks a button the way a user's click arrives: BM_CLICK to the control.
bool ClickButton(HWND dialog, const std::wstring& caption);
// A dialog of the process with this caption, once it shows; null after the
// timeout.
HWND WaitWindowNamed(DWORD pid, const std::wstring& caption, std::chrono::milliseconds timeout = 20s);
// A click at the start of a link control's text, as the mouse sends it.
void ClickLink(HWND link);
// Esc as the keyboard sends it to the window with the focus.
void PressEscape(HWND control);

// Icons shown in Wine's notification area, in the order added.
std::vector<HWND> VisibleTrayIcons();
int TrayIconCount();

// The whole screen as a 24-bit BMP file, for looking at what a user sees;
// the second form only when HUEGLASS_SCREENSHOTS names a folder (the file
// goes there).
void SaveScreenshot(const std::filesystem::path& file);
void ScreenshotIfAsked(const wchar_t* name);

// The roaming data folder of the program and its settings file.
std::filesystem::path DataFolder();
std::filesystem::path SettingsFile();
std::optional<std::wstring> ReadIni(const std::filesystem::path& file, const wchar_t* key);
std::string ReadFileText(const std::filesystem::path& file);

// One colorization record as the test double of dwmapi.dll logs it.
struct DwmRecord {
    std::uint32_t color = 0; // 0x00RRGGBB
    std::uint32_t afterglow = 0, balance = 0;
    std::uint32_t blurBalance = 0, opaqueBlend = 0;
};
std::vector<DwmRecord> ReadDwmLog(const std::filesystem::path& log);
// The records, one a line, for a failure message.
std::string DescribeDwmLog(const std::vector<DwmRecord>& records);

// Base of the end-to-end fixtures: the program's roaming data folder is
// removed before and after each test, so every run starts with no settings.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Windows version Wine reports to Hueglass.exe ("win7", "win81", "win10",
// "winxp64"); removed again when the guard ends.
class WineVersion {
public:
    explicit WineVersion(const wchar_t* version);
    ~WineVersion();
};

// What the program needs to see an older Windows through and through: the
// version Wine reports to it ("win7", "win81") and, through the version.dll
// test double (TestFolder::AddVersionDouble), the same
// version in kernel32.dll's version resource. Environment() gives the
// variables App must start the program with.
class OlderWindows {
public:
    OlderWindows(const wchar_t* wineVersion, const wchar_t* kernelVersion);
    // The dwmapi.dll override and the kernel32 version asked for.
    std::vector<std::wstring> Environment() const;

private:
    WineVersion version_;
    std::wstring kernelVersion_;
};

// A string or DWORD value under HKEY_CURRENT_USER, restored (or removed) at
// the end of the test.
class RegistryValue {
public:
    RegistryValue(const wchar_t* key, const wchar_t* name);
    ~RegistryValue();
    void SetDword(DWORD value);
    void SetString(const std::wstring& value);
    void Remove();
    std::optional<DWORD> Dword() const;

private:
    std::wstring key_, name_;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> saved_;
    bool existed_ = false;
};

} // namespace hg::e2e
