// The packages users download, under Wine: the per-user installer (silent
// install, upgrade of a running copy, uninstall with and without the user's
// data) and the portable zip.
#include "e2e/E2e.h"

#include <gtest/gtest.h>

#include <knownfolders.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <fstream>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kExit = 1009;
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Hueglass";
const fs::path kPackageDir = HUEGLASS_PACKAGE_DIR;
const std::wstring kVersion = L"" HUEGLASS_VERSION_TEXT;

fs::path KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    fs::path result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)))
        result = path;
    ::CoTaskMemFree(path);
    return result;
}

fs::path SetupExe() { return kPackageDir / (L"Hueglass-" + kVersion + L"-setup.exe"); }
fs::path InstallFolder() { return KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Hueglass"; }
fs::path InstalledExe() { return InstallFolder() / L"Hueglass.exe"; }
fs::path Shortcut() { return KnownFolder(FOLDERID_Programs) / L"Hueglass.lnk"; }

std::optional<std::wstring> RegString(const wchar_t* key, const wchar_t* name) {
    wchar_t text[1024];
    DWORD size = sizeof text;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

std::optional<DWORD> RegDword(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool UninstallEntryExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// Runs a program with arguments to its end; its exit code, or nullopt when
// it could not start or did not end in time.
std::optional<DWORD> RunToEnd(const fs::path& exe, const std::wstring& arguments,
                         std::chrono::milliseconds timeout = 120s) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return std::nullopt;
    std::optional<DWORD> code;
    if (::WaitForSingleObject(info.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0) {
        DWORD c = 0;
        ::GetExitCodeProcess(info.hProcess, &c);
        code = c;
    } else {
        ::TerminateProcess(info.hProcess, 99);
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return code;
}

// Whether any Hueglass.exe process exists (started, with or without its
// window yet).
bool HueglassProcessExists() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found; more = ::Process32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szExeFile, L"Hueglass.exe") == 0;
    ::CloseHandle(snapshot);
    return found;
}

// The main window of a running Hueglass, whichever process it belongs to.
HWND RunningMainWindow() { return ::FindWindowW(L"TFrmHueglassMain", nullptr); }

// Ends every running copy through its Exit command and waits for the
// process itself to end.
void EndRunningCopies() {
    for (HWND main; (main = RunningMainWindow()) != nullptr;) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(main, &pid);
        HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
        ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(kExit, 0), 0);
        if (process) {
            ::WaitForSingleObject(process, 20000);
            ::CloseHandle(process);
        } else {
            WaitFor([&] { return !::IsWindow(main); });
        }
    }
}

FILETIME OldTime() {
    SYSTEMTIME old{};
    old.wYear = 2001;
    old.wMonth = 1;
    old.wDay = 1;
    FILETIME time{};
    ::SystemTimeToFileTime(&old, &time);
    return time;
}

bool HasOldTime(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data))
        return false;
    const FILETIME old = OldTime();
    return ::CompareFileTime(&data.ftLastWriteTime, &old) == 0;
}

void SetOldTime(const fs::path& file) {
    HANDLE handle = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const FILETIME old = OldTime();
    ::SetFileTime(handle, nullptr, nullptr, &old);
    ::CloseHandle(handle);
}

// The NSIS uninstaller hands its work to a copy of itself in the temporary
// folder and returns at once; its last step removes the uninstall entry.
void Uninstall(const std::wstring& arguments) {
    ASSERT_EQ(RunToEnd(InstallFolder() / L"Uninstall.exe", arguments), 0u);
    ASSERT_TRUE(WaitFor([] { return !UninstallEntryExists(); }, 60s)) << "the uninstaller did not finish";
}

// Every test starts and ends with no Hueglass installed or running and no
// settings in the profile.
class Installer : public ProgramTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(SetupExe())) << SetupExe().string();
        CleanUp();
        ProgramTest::SetUp();
    }
    void TearDown() override {
        CleanUp();
        ProgramTest::TearDown();
    }
    static void CleanUp() {
        EndRunningCopies();
        if (fs::exists(InstallFolder() / L"Uninstall.exe"))
            Uninstall(L"/S");
        std::error_code ec;
        fs::remove_all(InstallFolder(), ec);
    }
    static void Install(const std::wstring& arguments = L"/S") { ASSERT_EQ(RunToEnd(SetupExe(), arguments), 0u); }
};

TEST_F(Installer, SilentInstallPlacesFilesShortcutRunValueAndUninstallEntryAndStartsOnlyWhenAsked) {
    Install();
    for (const wchar_t* name : {L"Hueglass.exe", L"hueglass-color.exe", L"README.txt", L"Uninstall.exe"})
        EXPECT_TRUE(fs::exists(InstallFolder() / name)) << "missing " << fs::path(name).string();
    EXPECT_EQ(fs::exists(InstallFolder() / L"LICENSE.txt"), fs::exists(fs::path(HUEGLASS_LICENSE_FILE)));
    EXPECT_TRUE(fs::exists(Shortcut())) << Shortcut().string();
    EXPECT_EQ(RegString(kRunKey, L"Hueglass"), L"\"" + InstalledExe().wstring() + L"\"");

    EXPECT_EQ(RegString(kUninstallKey, L"DisplayName"), L"Hueglass");
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayVersion"), kVersion);
    EXPECT_EQ(RegString(kUninstallKey, L"Publisher"), L"Brenmoor");
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayIcon"), L"\"" + InstalledExe().wstring() + L"\",0");
    EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), InstallFolder().wstring());
    EXPECT_EQ(RegString(kUninstallKey, L"UninstallString"),
              L"\"" + (InstallFolder() / L"Uninstall.exe").wstring() + L"\"");
    // In KiB: the two programs alone are well over a megabyte.
    EXPECT_GT(RegDword(kUninstallKey, L"EstimatedSize").value_or(0), 1024u);

    // A silent install starts the program only when asked (the installer
    // would have created the process before it ended).
    EXPECT_FALSE(HueglassProcessExists()) << "a silent install started Hueglass unasked";

    // Asked: the installed program starts and shows its icon.
    const int iconsBefore = TrayIconCount();
    Install(L"/S /LAUNCH");
    EXPECT_TRUE(WaitFor([] { return RunningMainWindow() != nullptr; })) << "/LAUNCH did not start Hueglass";
    EXPECT_TRUE(WaitFor([&] { return TrayIconCount() == iconsBefore + 1; })) << "no tray icon";
}

// The value of "  Key: " in a generated winget manifest (one line).
std::wstring WingetSwitch(const std::string& manifest, const std::string& key) {
    const std::string marker = "\n  " + key + ": ";
    const std::size_t at = manifest.find(marker);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + marker.size();
    const std::string value = manifest.substr(start, manifest.find('\n', start) - start);
    return std::wstring(value.begin(), value.end());
}

// What winget runs: the manifest's silent switch and its folder switch with
// <INSTALLPATH> filled in; for removal, the uninstall entry's
// QuietUninstallString.
TEST_F(Installer, TheWingetManifestsSwitchesInstallSilentlyIntoTheFolderGivenAndItsQuietUninstallRemovesIt) {
    const std::string manifest = ReadFileText(kPackageDir / L"winget" / L"Brenmoor.Hueglass.installer.yaml");
    const std::wstring silent = WingetSwitch(manifest, "Silent");
    std::wstring location = WingetSwitch(manifest, "InstallLocation");
    const std::size_t token = location.find(L"<INSTALLPATH>");
    ASSERT_FALSE(silent.empty());
    ASSERT_NE(token, std::wstring::npos) << fs::path(location).string();
    const fs::path folder = KnownFolder(FOLDERID_LocalAppData) / L"Winget Apps" / L"Hueglass";
    std::error_code ec;
    fs::remove_all(folder.parent_path(), ec);
    location.replace(token, 13, folder.wstring());

    Install(silent + L" " + location);
    EXPECT_TRUE(fs::exists(folder / L"Hueglass.exe"));
    EXPECT_FALSE(fs::exists(InstalledExe())) << "installed into the default folder instead";
    EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), folder.wstring());
    EXPECT_FALSE(HueglassProcessExists()) << "a silent install started Hueglass unasked";

    const std::wstring quiet = RegString(kUninstallKey, L"QuietUninstallString").value_or(L"");
    const std::wstring uninstaller = L"\"" + (folder / L"Uninstall.exe").wstring() + L"\"";
    ASSERT_EQ(quiet.substr(0, uninstaller.size()), uninstaller);
    EXPECT_EQ(RunToEnd(folder / L"Uninstall.exe", quiet.substr(uninstaller.size() + 1)), 0u);
    EXPECT_TRUE(WaitFor([] { return !UninstallEntryExists(); }, 60s)) << "the quiet uninstall did not finish";
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(folder); })) << "the program folder remains";
    fs::remove_all(folder.parent_path(), ec);
}

TEST_F(Installer, StartAtSignInFollowsTheLastChoice) {
    Install();
    ASSERT_TRUE(RegString(kRunKey, L"Hueglass"));
    Install(L"/S /STARTUP=0");
    EXPECT_FALSE(RegString(kRunKey, L"Hueglass")) << "unticked on a later install, the Run value stayed";
    Install();
    EXPECT_FALSE(RegString(kRunKey, L"Hueglass")) << "an upgrade forgot that the user unticked it";
    Install(L"/S /STARTUP=1");
    EXPECT_TRUE(RegString(kRunKey, L"Hueglass"));
}

TEST_F(Installer, UpgradeEndsTheRunningCopyThroughExitReplacesTheExeAndStartsItAgain) {
    Install();
    SetOldTime(InstalledExe());
    App running(InstalledExe());
    ASSERT_NE(running.WaitMainWindow(), nullptr);
    ASSERT_FALSE(fs::exists(SettingsFile()));

    Install();
    EXPECT_EQ(running.WaitExit(0ms), 0u) << "the running copy was not ended through Exit before the files";
    EXPECT_TRUE(fs::exists(SettingsFile())) << "the running copy did not save its settings";
    EXPECT_FALSE(HasOldTime(InstalledExe())) << "the program file was not replaced";
    HWND again = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (again = RunningMainWindow()) != nullptr; })) << "not started again";
    DWORD pid = 0;
    ::GetWindowThreadProcessId(again, &pid);
    EXPECT_NE(pid, running.pid());
}

TEST_F(Installer, UpgradeWithoutARunningCopyDoesNotStartIt) {
    Install();
    Install();
    EXPECT_FALSE(HueglassProcessExists());
}

struct UninstallCase {
    const wchar_t* arguments;
    bool dataRemains;
};

class Uninstaller : public Installer, public ::testing::WithParamInterface<UninstallCase> {};

TEST_P(Uninstaller, EndsTheProgramAndRemovesEverythingButTheUserDataUnlessAsked) {
    Install();
    const fs::path colours = DataFolder() / L"CustomColorCache.Settings";
    fs::create_directories(DataFolder());
    std::ofstream(colours, std::ios::binary) << "remembered colours";
    App running(InstalledExe());
    ASSERT_NE(running.WaitMainWindow(), nullptr);

    Uninstall(GetParam().arguments);
    EXPECT_EQ(running.WaitExit(), 0u) << "the running copy was not ended through Exit";
    EXPECT_FALSE(fs::exists(InstallFolder())) << "the program folder remains";
    EXPECT_FALSE(fs::exists(Shortcut()));
    EXPECT_FALSE(RegString(kRunKey, L"Hueglass"));
    EXPECT_EQ(fs::exists(SettingsFile()), GetParam().dataRemains);
    EXPECT_EQ(fs::exists(colours), GetParam().dataRemains);
    if (!GetParam().dataRemains) {
        EXPECT_FALSE(fs::exists(DataFolder()));
    }
}

INSTANTIATE_TEST_SUITE_P(DataOption, Uninstaller,
                         ::testing::Values(UninstallCase{L"/S", true}, UninstallCase{L"/S /REMOVEDATA", false}));

// The zip, unpacked by the test fixture e2e_install_unpack.
TEST(PortableZip, HoldsTheProgramsAndWritesSettingsBesideTheExeWhenAFileIsThere) {
    const fs::path folder = kPackageDir / L"portable-test";
    for (const wchar_t* name : {L"Hueglass.exe", L"hueglass-color.exe", L"README.txt"})
        EXPECT_TRUE(fs::exists(folder / name)) << "missing " << fs::path(name).string();
    EXPECT_EQ(fs::exists(folder / L"LICENSE.txt"), fs::exists(fs::path(HUEGLASS_LICENSE_FILE)));
    EXPECT_NE(ReadFileText(folder / L"README.txt").find("Hueglass.Settings"), std::string::npos);

    std::error_code ec;
    fs::remove_all(DataFolder(), ec);
    const fs::path beside = folder / L"Hueglass.Settings";
    std::ofstream(beside).close();
    {
        App app(folder / L"Hueglass.exe");
        const HWND main = app.WaitMainWindow();
        ASSERT_NE(main, nullptr);
        app.Command(main, kExit);
        ASSERT_EQ(app.WaitExit(), 0u);
    }
    EXPECT_EQ(ReadIni(beside, L"Mode"), L"0") << ReadFileText(beside);
    EXPECT_FALSE(fs::exists(SettingsFile())) << "settings were written to the profile too";
}

} // namespace
} // namespace hg::e2e
