#include "e2e/E2e.h"

#include "fakes/InstallDoubles.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace hg::e2e {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
}

namespace {

fs::path BuiltFile(const wchar_t* name) {
    // The build places the program and the test doubles at known places.
    for (const char* dir : {HUEGLASS_BIN_DIR, HUEGLASS_TESTBIN_DIR})
        if (fs::exists(fs::path(dir) / name))
            return fs::path(dir) / name;
    return fs::path(HUEGLASS_BIN_DIR) / name;
}

} // namespace

TestFolder::TestFolder() {
    // Once per test program; a no-op when the set-up test has installed them.
    static const std::wstring installed = fakes::InstallTestDoubles(fs::path(HUEGLASS_TESTBIN_DIR).wstring());
    EXPECT_EQ(installed, L"") << "the test doubles could not be installed into System32";
    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name)
        if (c == '/')
            c = '-';
    path_ = fs::path(temp) / ("hg-e2e-" + name);
    std::error_code ec;
    fs::remove_all(path_, ec);
    fs::create_directories(path_);
    fs::copy_file(BuiltFile(L"Hueglass.exe"), exe(), fs::copy_options::overwrite_existing);
}

void TestFolder::AddVersionDouble() {
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(fs::exists(BuiltFile(L"version.dll")));
    ASSERT_EQ(ReadFileText(BuiltFile(L"version.dll")), ReadFileText(fs::path(system) / L"version.dll"))
        << "the version.dll test double is not installed in System32";
}

TestFolder::~TestFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

App::App(const fs::path& exe, const std::vector<std::wstring>& environment) {
    // The child gets this process's environment plus the extra variables.
    std::wstring block;
    wchar_t* own = ::GetEnvironmentStringsW();
    for (const wchar_t* p = own; *p; p += wcslen(p) + 1) {
        block += p;
        block += L'\0';
    }
    ::FreeEnvironmentStringsW(own);
    for (const auto& variable : environment) {
        block += variable;
        block += L'\0';
        SetOverrides(exe, variable);
    }
    block += L'\0';

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    const std::wstring folder = exe.parent_path().wstring();
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          block.data(), folder.c_str(), &startup, &info_))
        ADD_FAILURE() << "cannot start " << exe.string() << ", error " << ::GetLastError();
}

void App::SetOverrides(const fs::path& exe, const std::wstring& variable) {
    const std::wstring prefix = L"WINEDLLOVERRIDES=";
    if (variable.rfind(prefix, 0) != 0)
        return;
    overridesKey_ = L"Software\\Wine\\AppDefaults\\" + exe.filename().wstring() + L"\\DllOverrides";
    // "a,b=n,b;c=b": names, then the order in Wine's short letters.
    std::wstringstream entries(variable.substr(prefix.size()));
    for (std::wstring entry; std::getline(entries, entry, L';');) {
        const std::size_t equals = entry.find(L'=');
        if (equals == std::wstring::npos)
            continue;
        std::wstring order;
        for (wchar_t letter : entry.substr(equals + 1))
            if (letter == L'n' || letter == L'b')
                order += std::wstring(order.empty() ? L"" : L",") + (letter == L'n' ? L"native" : L"builtin");
        std::wstringstream names(entry.substr(0, equals));
        for (std::wstring name; std::getline(names, name, L',');) {
            ::RegSetKeyValueW(HKEY_CURRENT_USER, overridesKey_.c_str(), name.c_str(), REG_SZ, order.c_str(),
                              static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
            overridden_.push_back(name);
        }
    }
}

App::~App() {
    if (info_.hProcess) {
        if (Running()) {
            ::TerminateProcess(info_.hProcess, 99);
            ::WaitForSingleObject(info_.hProcess, 10000);
        }
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
    for (const std::wstring& name : overridden_)
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, overridesKey_.c_str(), name.c_str());
}

bool App::Running() {
    return info_.hProcess && ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND App::WaitMainWindow(std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            HWND window = nullptr;
            while ((window = ::FindWindowExW(nullptr, window, L"TFrmHueglassMain", nullptr)) != nullptr) {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(window, &pid);
                if (pid == info_.dwProcessId) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

std::optional<DWORD> App::WaitExit(std::chrono::milliseconds timeout) {
    if (!info_.hProcess ||
        ::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void App::Command(HWND main, WORD id) { ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className) {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        std::vector<HWND> found;
    } search{pid, className, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[256];
            ::GetClassNameW(window, name, 256);
            if (owner == s.pid && ::IsWindowVisible(window) && wcscmp(name, s.className) == 0)
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::vector<std::wstring> ChildTexts(HWND window) {
    std::vector<std::wstring> texts;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(WindowText(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

HWND WaitDialog(DWORD pid, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            const auto dialogs = WindowsOf(pid, L"#32770");
            found = dialogs.empty() ? nullptr : dialogs.front();
            return found != nullptr;
        },
        timeout);
    return found;
}

HWND FindChild(HWND window, const std::wstring& text) {
    struct Search {
        const std::wstring& text;
        HWND found;
    } search{text, nullptr};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            if (WindowText(child) == s.text) {
                s.found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ClickButton(HWND dialog, const std::wstring& caption) {
    const HWND button = FindChild(dialog, caption);
    if (button == nullptr)
        return false;
    ::PostMessageW(button, BM_CLICK, 0, 0);
    return true;
}

HWND WaitWindowNamed(DWORD pid, const std::wstring& caption, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND window : WindowsOf(pid, L"#32770"))
                if (WindowText(window) == caption) {
                    found = window;
                    return true;
                }
            return false;
        },
        timeout);
    return found;
}

void ClickLink(HWND link) {
    ::PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 8));
    ::PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(6, 8));
}

void PressEscape(HWND control) {
    ::PostMessageW(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(control, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

fs::path DataFolder() {
    wchar_t appData[MAX_PATH + 1] = {};
    ::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, TRUE);
    return fs::path(appData) / L"Brenmoor" / L"Hueglass";
}

std::vector<DwmRecord> ReadDwmLog(const fs::path& log) {
    std::vector<DwmRecord> records;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        DwmRecord r;
        unsigned afterglowBalance = 0, reflection = 0;
        if (std::sscanf(line.c_str(),
                        "Color=0x%x Afterglow=%u ColorBalance=%u AfterglowBalance=%u BlurBalance=%u "
                        "GlassReflectionIntensity=%u OpaqueBlend=0x%x",
                        &r.color, &r.afterglow, &r.balance, &afterglowBalance, &r.blurBalance, &reflection,
                        &r.opaqueBlend) >= 3)
            records.push_back(r);
    }
    return records;
}

std::string DescribeDwmLog(const std::vector<DwmRecord>& records) {
    std::string out;
    char text[96];
    for (const auto& r : records) {
        std::snprintf(text, sizeof text, "  Color=0x%08X Afterglow=%u BlurBalance=%u OpaqueBlend=0x%08X\n", r.color,
                      r.afterglow, r.blurBalance, r.opaqueBlend);
        out += text;
    }
    return out.empty() ? "  (no records)\n" : out;
}

void ProgramTest::SetUp() {
    std::error_code ec;
    fs::remove_all(DataFolder(), ec);
}

void ProgramTest::TearDown() { ProgramTest::SetUp(); }

fs::path SettingsFile() { return DataFolder() / L"Hueglass.Settings"; }

std::optional<std::wstring> ReadIni(const fs::path& file, const wchar_t* key) {
    wchar_t buffer[2048];
    ::GetPrivateProfileStringW(L"General", key, L"\x01", buffer, 2048, file.c_str());
    if (wcscmp(buffer, L"\x01") == 0)
        return std::nullopt;
    return std::wstring(buffer);
}

std::string ReadFileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {
constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\Hueglass.exe";
} // namespace

WineVersion::WineVersion(const wchar_t* version) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                     static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

WineVersion::~WineVersion() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults); }

OlderWindows::OlderWindows(const wchar_t* wineVersion, const wchar_t* kernelVersion)
    : version_(wineVersion), kernelVersion_(kernelVersion) {
    // The version.dll double in System32, not Wine's own. Set for the program
    // in the registry (removed with the Windows version): measured under Wine
    // 8, WINEDLLOVERRIDES in the environment of a program started by another
    // Wine process reached dwmapi.dll (loaded at run time) but not
    // version.dll (imported).
    const std::wstring key = std::wstring(kAppDefaults) + L"\\DllOverrides";
    const wchar_t order[] = L"native,builtin";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"version", REG_SZ, order, sizeof(order));
}

std::vector<std::wstring> OlderWindows::Environment() const {
    return {L"WINEDLLOVERRIDES=dwmapi=n,b", L"HUEGLASS_KERNEL_VERSION=" + kernelVersion_};
}

RegistryValue::RegistryValue(const wchar_t* key, const wchar_t* name) : key_(key), name_(name) {
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type_, nullptr, &size) == ERROR_SUCCESS) {
        saved_.resize(size);
        existed_ = ::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type_, saved_.data(),
                                  &size) == ERROR_SUCCESS;
    }
}

RegistryValue::~RegistryValue() {
    if (existed_)
        ::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), type_, saved_.data(),
                          static_cast<DWORD>(saved_.size()));
    else
        Remove();
}

void RegistryValue::SetDword(DWORD value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), REG_DWORD, &value, sizeof(value));
}

void RegistryValue::SetString(const std::wstring& value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistryValue::Remove() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str()); }

std::optional<DWORD> RegistryValue::Dword() const {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// Wine's notification area (without a desktop's own tray, a window of its
// own) shows each icon as a child window of this class.
std::vector<HWND> VisibleTrayIcons() {
    std::vector<HWND> icons;
    HWND tray = nullptr;
    while ((tray = ::FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)) != nullptr) {
        HWND icon = nullptr;
        while ((icon = ::FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) != nullptr)
            if (::IsWindowVisible(icon))
                icons.push_back(icon);
    }
    return icons;
}

int TrayIconCount() { return static_cast<int>(VisibleTrayIcons().size()); }

// The whole screen as a 24-bit BMP file, for looking at what a user sees.
void SaveScreenshot(const std::filesystem::path& file) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::BitBlt(dc, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + stride * static_cast<DWORD>(h);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride) * h);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

// A screenshot for looking at, when HUEGLASS_SCREENSHOTS names a folder.
void ScreenshotIfAsked(const wchar_t* name) {
    if (const wchar_t* folder = _wgetenv(L"HUEGLASS_SCREENSHOTS"))
        SaveScreenshot(std::filesystem::path(folder) / name);
}

} // namespace hg::e2e
