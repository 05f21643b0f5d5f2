// The tray icon and its popup menu, and the colour file, driven through the
// real Hueglass.exe under Wine.
#include "e2e/E2e.h"

#include "../../resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <cstring>
#include <fstream>
#include <iterator>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr WORD kExit = 1009;
constexpr UINT kTrayCallback = WM_APP + 1;

// The whole screen as a 24-bit BMP file, for looking at what a user sees.
void SaveScreenshot(const fs::path& file) {
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

// Wine's notification area (without a desktop's own tray, a window of its
// own) shows each icon as a child window of this class.
int TrayIconCount() {
    int count = 0;
    HWND tray = nullptr;
    while ((tray = ::FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)) != nullptr) {
        HWND icon = nullptr;
        while ((icon = ::FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) != nullptr)
            count += ::IsWindowVisible(icon) ? 1 : 0;
    }
    return count;
}

// The popup menu window of the process, if one is open.
HWND OpenMenuOf(DWORD pid) {
    const auto menus = WindowsOf(pid, L"#32768");
    return menus.empty() ? nullptr : menus.front();
}

// A screenshot for looking at, when HUEGLASS_SCREENSHOTS names a folder.
void ScreenshotIfAsked(const wchar_t* name) {
    if (const wchar_t* folder = _wgetenv(L"HUEGLASS_SCREENSHOTS"))
        SaveScreenshot(fs::path(folder) / name);
}

// The visible icon windows in Wine's notification area.
std::vector<HWND> TrayIconWindows() {
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

// Pixels (0x00RRGGBB, top-down) of a w x h picture.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
};

// Draws into a fresh 32-bit picture filled with a background colour.
template <typename Draw>
Pixels Picture(int width, int height, std::uint32_t background, Draw draw) {
    Pixels out{width, height, {}};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    auto* p = static_cast<std::uint32_t*>(bits);
    std::fill(p, p + width * height, background);
    draw(dc);
    ::GdiFlush();
    out.rgb.assign(p, p + width * height);
    for (auto& v : out.rgb)
        v &= 0x00FFFFFF;
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return out;
}

// What a window shows, copied from the screen (a window of another process
// reads as black through its own device context).
Pixels Capture(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    HDC screen = ::GetDC(nullptr);
    Pixels shot = Picture(r.right, r.bottom, 0, [&](HDC dc) {
        ::BitBlt(dc, 0, 0, r.right, r.bottom, screen, origin.x, origin.y, SRCCOPY);
    });
    ::ReleaseDC(nullptr, screen);
    return shot;
}

int Distance(const Pixels& a, const Pixels& b) {
    int sum = 0;
    for (std::size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            sum += std::abs(static_cast<int>((a.rgb[i] >> shift) & 0xFF) - static_cast<int>((b.rgb[i] >> shift) & 0xFF));
    return sum;
}

// Which of the program's tray images an icon window shows: each image, as
// the program loads it (16 x 16 at 96 pixels per inch), drawn at every place
// in the window over the window's own background; the closest wins.
int ShownTrayImage(HWND iconWindow, const fs::path& exe, std::string& distances) {
    const Pixels shot = Capture(iconWindow);
    const HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    int best = 0, bestDistance = std::numeric_limits<int>::max();
    for (const int id : {IDI_HUEGLASS, IDI_WIN78, IDI_WIN10B, IDI_WIN10W}) {
        const auto icon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        if (icon == nullptr) {
            distances += " (an image could not be loaded)";
            return 0;
        }
        int closest = std::numeric_limits<int>::max();
        for (int y = 0; y + 16 <= shot.height; ++y)
            for (int x = 0; x + 16 <= shot.width; ++x)
                closest = std::min(closest, Distance(shot, Picture(shot.width, shot.height, shot.rgb.at(0), [&](HDC dc) {
                                                         ::DrawIconEx(dc, x, y, icon, 16, 16, 0, nullptr, DI_NORMAL);
                                                     })));
        ::DestroyIcon(icon);
        char text[32];
        std::snprintf(text, sizeof text, " %d:%d", id, closest);
        distances += text;
        if (closest < bestDistance) {
            bestDistance = closest;
            best = id;
        }
    }
    ::FreeLibrary(module);
    return best;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A colour file: the header, N, then the given entries of six values each.
std::vector<std::uint8_t> ColourFile(std::int32_t n, const std::vector<std::array<std::uint32_t, 6>>& entries) {
    std::vector<std::uint8_t> bytes(256, 0);
    bytes[0] = 6;
    std::memcpy(bytes.data() + 1, "HGCC17", 6);
    const auto put = [&](std::uint32_t v) {
        for (int s = 0; s < 32; s += 8)
            bytes.push_back(static_cast<std::uint8_t>(v >> s));
    };
    put(static_cast<std::uint32_t>(n));
    for (const auto& entry : entries)
        for (const auto v : entry)
            put(v);
    return bytes;
}

class Tray : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // The light theme: the dark glyph, which shows on Wine's white tray.
        lightTheme_.SetDword(1);
    }
    void Settings(const wchar_t* key, const wchar_t* value) {
        fs::create_directories(DataFolder());
        ::WritePrivateProfileStringW(L"General", key, value, SettingsFile().c_str());
    }
    fs::path ColourFilePath() const { return DataFolder() / L"CustomColorCache.Settings"; }

    WineVersion version_{L"win10"};
    RegistryValue lightTheme_{L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                              L"SystemUsesLightTheme"};
    TestFolder folder_;
};

TEST_F(Tray, IconAppearsMenuOpensAtTheCursorAndTheIconGoesAtExit) {
    const int before = TrayIconCount();
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return TrayIconCount() == before + 1; })) << "no icon was added to the tray";

    // A right click on the icon, as the shell reports it.
    ::SetCursorPos(700, 420);
    ::PostMessageW(main, kTrayCallback, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = OpenMenuOf(app.pid())) != nullptr; })) << "no popup menu opened";
    RECT box{};
    ::GetWindowRect(menu, &box);
    EXPECT_TRUE(::PtInRect(&box, POINT{700, 420}) || box.left == 700 || box.bottom == 420)
        << "the menu is not at the cursor: " << box.left << "," << box.top << "-" << box.right << "," << box.bottom;
    // Wine's menus cannot be read from another process; their height shows
    // that all nine text items (the reset item is hidden) are there.
    EXPECT_GT(box.bottom - box.top, 9 * 14);
    ScreenshotIfAsked(L"tray-menu.bmp");

    // Escape closes it; the program keeps running.
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return OpenMenuOf(app.pid()) == nullptr; })) << "the menu did not close";
    EXPECT_TRUE(app.Running());

    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
    EXPECT_TRUE(WaitFor([&] { return TrayIconCount() == before; })) << "the icon stayed after Exit";
}

TEST_F(Tray, TheAutomaticColourItemOfTheMenuSwitchesTheLoopAndTheSetting) {
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    const auto chooseAutomaticColour = [&] {
        ::SetCursorPos(700, 420);
        ::PostMessageW(main, kTrayCallback, 1, WM_RBUTTONUP);
        HWND menu = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (menu = OpenMenuOf(app.pid())) != nullptr; })) << "no popup menu opened";
        // Down to the fourth item (separators are skipped): Personalize, Pick
        // Color From Screen, Select a Color, then the automatic colour item.
        for (int i = 0; i < 4; ++i)
            ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(WaitFor([&] { return OpenMenuOf(app.pid()) == nullptr; })) << "the menu did not close";
    };

    chooseAutomaticColour();
    EXPECT_TRUE(WaitFor([&] { return ReadIni(SettingsFile(), L"AppEnabled") == L"0"; }))
        << "choosing the item did not switch the automatic colour off";
    chooseAutomaticColour();
    EXPECT_TRUE(WaitFor([&] { return ReadIni(SettingsFile(), L"AppEnabled") == L"1"; }))
        << "choosing it again did not switch the automatic colour back on";

    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
}

TEST_F(Tray, DamagedColourFileIsReadAsFarAsItGoesAndWrittenWholeAtExit) {
    Settings(L"RememberCustomColors", L"1");
    const std::array<std::uint32_t, 6> first{0x102030, 0x405060, 0x708090, 0xA0B0C0, 0x0000FF, 123456};
    const std::array<std::uint32_t, 6> second{1, 2, 3, 4, 0x00FF00, 0xFFFFFFFF};
    // N says 1000 entries; two are present, then half an entry.
    auto damaged = ColourFile(1000, {first, second});
    damaged.insert(damaged.end(), 12, 0xEE);
    WriteBytes(ColourFilePath(), damaged);

    for (int run = 0; run < 2; ++run) {
        App app(folder_.exe());
        const HWND main = app.WaitMainWindow();
        ASSERT_NE(main, nullptr);
        app.Command(main, kExit);
        ASSERT_EQ(app.WaitExit(), 0u);
        // The first run read the two entries and wrote them back as a whole
        // file; the second read that file and wrote it unchanged.
        EXPECT_EQ(ReadBytes(ColourFilePath()), ColourFile(2, {first, second})) << "run " << run;
        EXPECT_FALSE(fs::exists(ColourFilePath().wstring() + L".tmp"));
    }
}

TEST_F(Tray, WithoutRememberedColoursTheColourFileIsNeverTouched) {
    const std::vector<std::uint8_t> foreign{'n', 'o', 't', ' ', 'o', 'u', 'r', 's'};
    WriteBytes(ColourFilePath(), foreign);
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    app.Command(main, kExit);
    ASSERT_EQ(app.WaitExit(), 0u);
    EXPECT_EQ(ReadBytes(ColourFilePath()), foreign);
}

// The icon in the style of the system: Windows 10's glyph for the light theme
// there, the Windows 7 and 8 image before (as far as the program can tell,
// through the version.dll test double).
TEST_F(Tray, TheSystemStyleIconFollowsTheWindowsVersion) {
    struct Case {
        const wchar_t* wine;
        const wchar_t* kernel;
        int image;
    };
    for (const Case& c : {Case{L"win7", L"6.1.7601", IDI_WIN78}, Case{L"win10", L"10.0.19045", IDI_WIN10B},
                          Case{L"win81", L"6.3.9600", IDI_WIN78}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.wine)));
        TestFolder folder(true, true);
        const OlderWindows windows(c.wine, c.kernel);
        const auto before = TrayIconWindows();
        App app(folder.exe(), windows.Environment());
        const HWND main = app.WaitMainWindow();
        ASSERT_NE(main, nullptr);
        HWND icon = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            for (const HWND candidate : TrayIconWindows())
                if (std::find(before.begin(), before.end(), candidate) == before.end())
                    icon = candidate;
            return icon != nullptr;
        })) << "no icon was added to the tray";
        std::string distances;
        // The icon window may show its image a moment after it appears.
        EXPECT_TRUE(WaitFor([&] {
            distances.clear();
            return ShownTrayImage(icon, folder.exe(), distances) == c.image;
        }, 5s)) << "closest images (id:distance):" << distances;
        app.Command(main, kExit);
        EXPECT_EQ(app.WaitExit(), 0u);
    }
}

} // namespace
} // namespace hg::e2e
