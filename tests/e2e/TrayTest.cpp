// The tray icon and its popup menu, and the colour file, driven through the
// real Hueglass.exe under Wine.
#include "e2e/E2e.h"

#include "../../resources/resource.h"

#include <gtest/gtest.h>

#include <shellapi.h>

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
const wchar_t kLightThemeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// The icon added last.
HWND LastTrayIcon() {
    const auto icons = VisibleTrayIcons();
    return icons.empty() ? nullptr : icons.back();
}

// What the screen shows inside a window, pixel by pixel.
std::vector<COLORREF> PixelsOf(HWND window) {
    RECT box{};
    if (!window || !::GetWindowRect(window, &box))
        return {};
    std::vector<COLORREF> pixels;
    HDC screen = ::GetDC(nullptr);
    for (LONG y = box.top; y < box.bottom; ++y)
        for (LONG x = box.left; x < box.right; ++x)
            pixels.push_back(::GetPixel(screen, x, y));
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// The shell's record of the program's icon (the main window's icon 1).
NOTIFYICONDATAW IconOf(HWND main, UINT flags) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = main;
    data.uID = 1;
    data.uFlags = flags;
    return data;
}

// A solid red icon, unlike any of the program's.
HICON RedIcon() {
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    std::vector<std::uint32_t> bits(static_cast<std::size_t>(size * size), 0xFFFF0000);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(size * size / 8 + 64), 0);
    HBITMAP colour = ::CreateBitmap(size, size, 1, 32, bits.data());
    HBITMAP maskBitmap = ::CreateBitmap(size, size, 1, 1, mask.data());
    ICONINFO parts{TRUE, 0, 0, maskBitmap, colour};
    HICON icon = ::CreateIconIndirect(&parts);
    ::DeleteObject(colour);
    ::DeleteObject(maskBitmap);
    return icon;
}

bool MostlyRed(const std::vector<COLORREF>& pixels) {
    std::size_t red = 0;
    for (const COLORREF p : pixels)
        red += p == RGB(255, 0, 0) ? 1 : 0;
    return !pixels.empty() && red * 2 > pixels.size();
}

// Which of the program's tray images an icon window shows: each image, as
// the program loads it (16 x 16 at 96 pixels per inch), drawn at every place
// in the window over the window's own background; the closest wins.
int ShownTrayImage(HWND iconWindow, const fs::path& exe, std::string& distances) {
    RECT box{};
    ::GetWindowRect(iconWindow, &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    const std::vector<COLORREF> shown = PixelsOf(iconWindow);
    if (shown.empty() || width < 16 || height < 16)
        return 0;
    // The image drawn at (x, y) over the background, as the screen shows it.
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateBitmap(width, height, 1, 32, nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    HBRUSH background = ::CreateSolidBrush(shown.front());
    const RECT all{0, 0, width, height};
    const auto distanceAt = [&](HICON image, int x, int y) {
        ::FillRect(dc, &all, background);
        ::DrawIconEx(dc, x, y, image, 16, 16, 0, nullptr, DI_NORMAL);
        int sum = 0;
        for (int py = 0; py < height; ++py)
            for (int px = 0; px < width; ++px) {
                const COLORREF a = ::GetPixel(dc, px, py), b = shown[static_cast<std::size_t>(py * width + px)];
                sum += std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                       std::abs(GetBValue(a) - GetBValue(b));
            }
        return sum;
    };
    const HMODULE module =
        ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    int best = 0, bestDistance = std::numeric_limits<int>::max();
    for (const int id : {IDI_HUEGLASS, IDI_WIN78, IDI_WIN10B, IDI_WIN10W}) {
        const auto image = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        if (image == nullptr) {
            distances += " (an image could not be loaded)";
            best = 0;
            break;
        }
        int closest = std::numeric_limits<int>::max();
        for (int y = 0; y + 16 <= height; ++y)
            for (int x = 0; x + 16 <= width; ++x)
                closest = std::min(closest, distanceAt(image, x, y));
        ::DestroyIcon(image);
        char text[32];
        std::snprintf(text, sizeof text, " %d:%d", id, closest);
        distances += text;
        if (closest < bestDistance) {
            bestDistance = closest;
            best = id;
        }
    }
    ::FreeLibrary(module);
    ::DeleteObject(background);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return best;
}

// The popup menu window of the process, if one is open.
HWND OpenMenuOf(DWORD pid) {
    const auto menus = WindowsOf(pid, L"#32768");
    return menus.empty() ? nullptr : menus.front();
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
    RegistryValue lightTheme_{kLightThemeKey, L"SystemUsesLightTheme"};
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

TEST_F(Tray, TheIconIsAddedAgainWhenTheTaskbarIsCreatedAgain) {
    const int before = TrayIconCount();
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return TrayIconCount() == before + 1; })) << "no icon was added to the tray";

    // A new taskbar knows no icons: the old one's is gone, then the new one
    // announces itself.
    NOTIFYICONDATAW data = IconOf(main, 0);
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_TRUE(WaitFor([&] { return TrayIconCount() == before; }));
    ::PostMessageW(main, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return TrayIconCount() == before + 1; })) << "the icon did not come back";

    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
}

TEST_F(Tray, TheIconIsDrawnAgainAfterAChangeOfResolution) {
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    HWND icon = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (icon = LastTrayIcon()) != nullptr; })) << "no icon was added to the tray";

    // Another image in the program's place, so that its own coming back shows.
    NOTIFYICONDATAW data = IconOf(main, NIF_ICON);
    data.hIcon = RedIcon();
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_MODIFY, &data));
    ASSERT_TRUE(WaitFor([&] { return MostlyRed(PixelsOf(icon)); })) << "the stand-in image never showed";
    ::DestroyIcon(data.hIcon);

    ::PostMessageW(main, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    // The program waits for the shell to settle (5 s) before drawing it.
    EXPECT_TRUE(WaitFor([&] { return !MostlyRed(PixelsOf(icon)); }, 30s)) << "the icon was not drawn again";

    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
}

// Dark pixels of the icon: the light theme's variant is a dark glyph (for a
// light taskbar), the dark theme's a white one.
std::size_t DarkPixels(const std::vector<COLORREF>& pixels) {
    std::size_t dark = 0;
    for (const COLORREF p : pixels)
        dark += GetRValue(p) + GetGValue(p) + GetBValue(p) < 200 ? 1 : 0;
    return dark;
}

TEST_F(Tray, SwitchingWindowsBetweenLightAndDarkChangesTheIconAtOnce) {
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    HWND icon = nullptr;
    std::size_t lightGlyph = 0;
    ASSERT_TRUE(WaitFor([&] {
        icon = LastTrayIcon();
        lightGlyph = DarkPixels(PixelsOf(icon));
        return lightGlyph > 20;
    })) << "the light theme's dark glyph never showed";

    const auto themeChanged = [&](DWORD lightTheme) {
        lightTheme_.SetDword(lightTheme);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(main, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                              SMTO_ABORTIFHUNG, 5000, &ignored);
    };
    themeChanged(0);
    EXPECT_TRUE(WaitFor([&] { return DarkPixels(PixelsOf(icon)) * 4 < lightGlyph; }))
        << "the icon kept its light-theme variant";
    ScreenshotIfAsked(L"tray-dark-theme.bmp");
    themeChanged(1);
    EXPECT_TRUE(WaitFor([&] { return DarkPixels(PixelsOf(icon)) * 4 >= lightGlyph * 3; }))
        << "the light-theme variant did not come back";

    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
}

TEST_F(Tray, DoubleClickBringsTheProgramForward) {
    // An action outside the three: the double click launches nothing.
    Settings(L"DoubleClickAction", L"7");
    App app(folder_.exe());
    const HWND main = app.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return LastTrayIcon() != nullptr; }));
    ASSERT_NE(::GetForegroundWindow(), main);
    ::PostMessageW(main, kTrayCallback, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == main; })) << "the program did not come forward";
    EXPECT_TRUE(WindowsOf(app.pid(), L"#32770").empty()) << "something opened";
    EXPECT_TRUE(app.Running());

    app.Command(main, kExit);
    EXPECT_EQ(app.WaitExit(), 0u);
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
        TestFolder folder;
        folder.AddVersionDouble();
        const OlderWindows windows(c.wine, c.kernel);
        const auto before = VisibleTrayIcons();
        App app(folder.exe(), windows.Environment());
        const HWND main = app.WaitMainWindow();
        ASSERT_NE(main, nullptr);
        HWND icon = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            for (const HWND candidate : VisibleTrayIcons())
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
