#include "colorize/win32/Win32Composition.h"
#include "colorize/Colorizer.h"
#include "colorize/win32/WindowFadeTimer.h"
#include "fakes/colorize/FakeComposition.h"
#include "platform/win32/Handles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace hg::win32 {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> ReadLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Sets an environment variable of this process for the test's duration; the
// double reads its variables on every call.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* name_;
};

// A log file of the double's, fresh for each test.
class DwmLog {
public:
    DwmLog() {
        wchar_t temp[MAX_PATH + 1];
        ::GetTempPathW(MAX_PATH + 1, temp);
        path_ = fs::path(temp) / (L"hg-dwm-log-" + std::to_wstring(::GetCurrentProcessId()) + L".txt");
        std::error_code ec;
        fs::remove(path_, ec);
        ::SetEnvironmentVariableW(L"HUEGLASS_DWM_LOG", path_.c_str());
    }
    ~DwmLog() {
        ::SetEnvironmentVariableW(L"HUEGLASS_DWM_LOG", nullptr);
        std::error_code ec;
        fs::remove(path_, ec);
    }
    std::vector<std::string> Lines() const { return ReadLines(path_); }

private:
    fs::path path_;
};

TEST(DwmapiDouble, IsLoadedInPlaceOfTheSystemLibrary) {
    const UniqueModule dwmapi{::LoadLibraryW(L"dwmapi.dll")};
    ASSERT_TRUE(dwmapi);
    using MarkerFn = int(WINAPI*)();
    const auto marker =
        reinterpret_cast<MarkerFn>(reinterpret_cast<void*>(::GetProcAddress(dwmapi.get(), "HueglassDwmDouble")));
    ASSERT_NE(marker, nullptr) << "Wine's own dwmapi.dll was loaded; is WINEDLLOVERRIDES=dwmapi=n,b set?";
    EXPECT_EQ(marker(), 1);
    EXPECT_NE(GetEntryPoints().GetColorizationParams, nullptr);
    EXPECT_NE(GetEntryPoints().SetColorizationParams, nullptr);
}

TEST(Win32Composition, ReadsTheEngineColourAndWritesRecordsTheEngineSees) {
    const DwmLog log;
    Win32Composition composition;
    fakes::FakeFadeTimer timer;
    Colorizer colorizer{composition, timer, [] { return ColorizeOptions{}; }};
    ASSERT_TRUE(composition.IsCompositionEnabled());
    ASSERT_TRUE(composition.HasColorizationParams());

    // The double starts with red 0xA0, green 0x52, blue 0x2D.
    colorizer.SeedFromComposition();
    EXPECT_EQ(colorizer.LastAeroColor, 0x002D52A0u);
    EXPECT_EQ(colorizer.OldAeroColor, 0x002D52A0u);

    colorizer.SetCompositionColor(0x00123456, 70, true, -1, -1);
    colorizer.SetCompositionColor(0x00123456, 25, false, 0, 50);
    EXPECT_THAT(log.Lines(),
                ElementsAre("Color=0x00563412 Afterglow=70 ColorBalance=70 AfterglowBalance=43 BlurBalance=49 "
                            "GlassReflectionIntensity=50 OpaqueBlend=0x00000000 Flag=0",
                            "Color=0x00563412 Afterglow=25 ColorBalance=25 AfterglowBalance=43 BlurBalance=50 "
                            "GlassReflectionIntensity=50 OpaqueBlend=0xFFFFFFFF Flag=0"));
    EXPECT_EQ(colorizer.ReadCompositionColor(), 0x00123456u);
}

TEST(Win32Composition, WritesNothingOnceCompositionIsSwitchedOff) {
    const DwmLog log;
    Win32Composition composition;
    fakes::FakeFadeTimer timer;
    Colorizer colorizer{composition, timer, [] { return ColorizeOptions{}; }};
    colorizer.LastAeroColor = 0x00000011;
    {
        const ScopedEnvironment off(L"HUEGLASS_DWM_COMPOSITION", L"0");
        EXPECT_FALSE(composition.IsCompositionEnabled());
        colorizer.SetCompositionColor(0x00123456, 70, true, -1, -1);
        EXPECT_THAT(log.Lines(), IsEmpty());
        EXPECT_EQ(colorizer.LastAeroColor, 0x00000011u);
        EXPECT_EQ(colorizer.ReadCompositionColor(), DefaultAccentColor);
    }
    EXPECT_TRUE(composition.IsCompositionEnabled());
    colorizer.SetCompositionColor(0x00123456, 70, true, -1, -1);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST(Win32Composition, MissingEntryPointsAreSkippedWithoutHarm) {
    const EntryPoints none{};
    Win32Composition composition{none};
    EXPECT_FALSE(composition.HasColorizationParams());
    TDwmColorizationParams params{};
    params.Color = 7;
    EXPECT_FALSE(composition.GetColorizationParams(params));
    EXPECT_EQ(params.Color, 7u);
    composition.SetColorizationParams(params);
    composition.SetAccentColorPreference(1, 1);
}

// Counts WM_SYSCOLORCHANGE arriving at a top-level window of this thread.
int sysColorChanges = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOLORCHANGE)
        ++sysColorChanges;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST(Win32Composition, SetsSystemColoursAndTellsTopLevelWindows) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"HgSysColorListener";
    ::RegisterClassW(&windowClass);
    const UniqueWindow listener{::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                                  nullptr, windowClass.hInstance, nullptr)};
    ASSERT_TRUE(listener);

    Win32Composition composition;
    const TColor original = composition.SystemColor(COLOR_HIGHLIGHT);
    const TColor probe = original == 0x00123456 ? 0x00654321 : 0x00123456;
    composition.SetSysColor(SysColor::Highlight, probe);
    EXPECT_EQ(composition.SystemColor(SysColor::Highlight), probe);

    const int before = sysColorChanges;
    composition.BroadcastSysColorChange();
    EXPECT_GT(sysColorChanges, before);

    composition.SetSysColor(SysColor::Highlight, original);
    EXPECT_EQ(composition.SystemColor(SysColor::Highlight), original);
}

std::vector<unsigned> LoggedReds(const std::vector<std::string>& lines) {
    std::vector<unsigned> reds;
    for (const auto& line : lines)
        reds.push_back((std::stoul(line.substr(line.find("0x") + 2, 8), nullptr, 16) >> 16) & 0xFF);
    return reds;
}

TEST(WindowFadeTimer, DrivesAWholeFadeIntoTheEngine) {
    const DwmLog log;
    const UniqueWindow window{
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)};
    ASSERT_TRUE(window);
    constexpr UINT_PTR id = 3;
    WindowFadeTimer timer{window.get(), id};
    Win32Composition composition;
    ColorizeOptions options;
    options.FadeColor = true;
    Colorizer colorizer{composition, timer, [&] { return options; }};
    colorizer.LastAeroColor = 0;

    colorizer.SetColorFromWallBg(0x000000FF);
    ASSERT_TRUE(timer.IsEnabled());
    // The main window's part: its WM_TIMER goes to the fade while enabled.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (timer.IsEnabled() && std::chrono::steady_clock::now() < deadline) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER && message.hwnd == window.get() && message.wParam == id) {
                if (timer.IsEnabled())
                    colorizer.TimerAnimeTimer();
            } else {
                ::DispatchMessageW(&message);
            }
        }
    }
    EXPECT_FALSE(timer.IsEnabled()) << "the fade did not end within 10 s";
    EXPECT_THAT(LoggedReds(log.Lines()), ElementsAre(57, 85, 113, 142, 170, 198, 227, 255, 255));
}

TEST(MulDiv, MatchesThePlatformIncludingNegativesAndOverflow) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const std::int32_t values[] = {0, 1,  -1, 2,  -2,  3,    -3,    4,      -4,  5,  -5,
                                   7, -7, 9,  -9, 255, -255, 46341, -46341, max, min};
    for (std::int32_t a : values)
        for (std::int32_t b : values)
            for (std::int32_t c : values)
                ASSERT_EQ(hg::MulDiv(a, b, c), ::MulDiv(a, b, c)) << a << " * " << b << " / " << c;
}

} // namespace
} // namespace hg::win32
