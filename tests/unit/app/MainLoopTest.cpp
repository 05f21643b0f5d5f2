// The automatic colour loop, stepped tick by tick with fake ports.
#include "app/MainForm.h"

#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "fakes/app/FakeMainPorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace hg {
namespace {

using namespace hg::testing;

// A one-colour 24-bit Windows bitmap file.
std::vector<std::uint8_t> SolidBmp(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const int stride = (width * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height);
    std::vector<std::uint8_t> bytes;
    auto put16 = [&](std::uint32_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    bytes.push_back('B');
    bytes.push_back('M');
    put32(54 + imageSize);
    put32(0);
    put32(54);
    put32(40);
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(height));
    put16(1);
    put16(24);
    put32(0);
    put32(imageSize);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x)
            bytes.push_back(x < width * 3 ? (x % 3 == 0 ? b : x % 3 == 1 ? g : r) : 0);
    return bytes;
}

const std::wstring kWallA = L"C:\\Wall\\a.bmp";
const std::pair<std::wstring, std::wstring> kWallpaperValue{L"Control Panel\\Desktop", L"Wallpaper"};

class MainLoopTest : public FakeMainPorts {
protected:
    void SetUp() override {
        SetPicture(kWallA, 0x20, 0x90, 0xE0, 0x5A210001);
        registry.strings[kWallpaperValue] = kWallA;
        composition.sysColors[SysColor::Background] = 0x00336699;
    }
    void SetPicture(const std::wstring& path, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::int32_t age) {
        files.files[path] = {SolidBmp(8, 6, r, g, b), age};
    }
    // The colour the loop should make of a picture file.
    TColor ColourOf(const std::wstring& path) {
        PictureResult picture = LoadWallpaperBitmap(files, path);
        EXPECT_TRUE(picture) << picture.error;
        return ImageColor(picture.bitmap->View(), 1, true);
    }
    static std::uint32_t Engine(TColor c) { return ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16); }
    MainForm& Start() {
        form = NewForm();
        form->FormCreate();
        form->DeferredStart();
        return *form;
    }
    std::vector<std::uint32_t> WrittenColors() const {
        std::vector<std::uint32_t> colors;
        for (const auto& p : composition.written)
            colors.push_back(p.Color);
        return colors;
    }

    std::unique_ptr<MainForm> form;
};

TEST_F(MainLoopTest, StartAppliesTheWallpaperColourAtOnceAndTheFirstTickFindsNothingNew) {
    MainForm& f = Start();
    ASSERT_EQ(WrittenColors(), std::vector<std::uint32_t>{Engine(ColourOf(kWallA))});
    EXPECT_EQ(composition.written[0].Afterglow, 70u);
    EXPECT_EQ(composition.written[0].ColorBalance, 70u);
    EXPECT_EQ(f.colorizer().LastAeroColor, ColourOf(kWallA));
    EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::Background});
    EXPECT_EQ(f.TrayHint(), L"Hueglass (Setting the Accent color via wallpaper)");

    f.OnTimer(TimerId::Background);
    EXPECT_EQ(composition.written.size(), 1u);
    EXPECT_TRUE(timers.IsEnabled(TimerId::Background));
}

TEST_F(MainLoopTest, ANewFileAgeIsReadOnceItsWriterIsDoneOnWindowsTen) {
    MainForm& f = Start();
    SetPicture(kWallA, 0xF0, 0x30, 0x10, 0x5A210002);
    f.OnTimer(TimerId::Background);
    EXPECT_EQ(composition.written.size(), 1u) << "read before the writer was done";
    EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::WallpaperSettle});

    f.OnTimer(TimerId::WallpaperSettle);
    ASSERT_EQ(composition.written.size(), 2u);
    EXPECT_EQ(composition.written[1].Color, Engine(ColourOf(kWallA)));
    EXPECT_EQ(f.LastWallpaper, 0x5A210002);
    EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::Background});
}

TEST_F(MainLoopTest, BeforeWindowsTenANewWallpaperFadesInAtOnce) {
    system.SetWindows7();
    MainForm& f = Start();
    ASSERT_TRUE(f.AppOptions().FadeColor);
    // Start-up's colour fades in from the engine's colour; let it finish.
    while (timers.IsEnabled(TimerId::Anime))
        f.OnTimer(TimerId::Anime);
    const std::size_t before = composition.written.size();

    SetPicture(kWallA, 0xF0, 0x30, 0x10, 0x5A210002);
    f.OnTimer(TimerId::Background);
    EXPECT_TRUE(timers.IsEnabled(TimerId::Anime));
    EXPECT_TRUE(timers.IsEnabled(TimerId::Background));
    while (timers.IsEnabled(TimerId::Anime))
        f.OnTimer(TimerId::Anime);
    EXPECT_GT(composition.written.size(), before + 1);
    EXPECT_EQ(composition.written.back().Color, Engine(ColourOf(kWallA)));

    // The tick noted the file's age: the same wallpaper does not fade in
    // again at the next tick.
    const std::size_t faded = composition.written.size();
    f.OnTimer(TimerId::Background);
    EXPECT_FALSE(timers.IsEnabled(TimerId::Anime));
    EXPECT_EQ(composition.written.size(), faded);
}

TEST_F(MainLoopTest, AnUnreadablePictureChangesNoColourButIsNotTriedAgain) {
    MainForm& f = Start();
    files.files[kWallA] = {std::vector<std::uint8_t>{'B', 'M', 1, 2, 3}, 0x5A210003};
    f.OnTimer(TimerId::Background);
    f.OnTimer(TimerId::WallpaperSettle);
    EXPECT_EQ(composition.written.size(), 1u);
    EXPECT_EQ(f.LastWallpaper, 0x5A210003);
    f.OnTimer(TimerId::Background);
    EXPECT_FALSE(timers.IsEnabled(TimerId::WallpaperSettle));
}

// A new picture that another program holds just then (a virus scanner,
// Explorer showing it) is read again at the next tick, as often as it takes,
// and followed once it is free.
class HeldPictureTest : public MainLoopTest {
protected:
    void Tick(MainForm& f) {
        f.OnTimer(TimerId::Background);
        if (timers.IsEnabled(TimerId::WallpaperSettle))
            f.OnTimer(TimerId::WallpaperSettle);
        while (timers.IsEnabled(TimerId::Anime))
            f.OnTimer(TimerId::Anime);
    }
    void ExpectReadOnceFree() {
        MainForm& f = Start();
        while (timers.IsEnabled(TimerId::Anime))
            f.OnTimer(TimerId::Anime);
        const std::size_t before = composition.written.size();
        SetPicture(kWallA, 0xF0, 0x30, 0x10, 0x5A210002);
        files.inUse.insert(kWallA);
        for (int tick = 0; tick < 3; ++tick)
            Tick(f);
        EXPECT_EQ(composition.written.size(), before);
        EXPECT_NE(f.LastWallpaper, 0x5A210002) << "the change was taken as handled";

        files.inUse.clear();
        Tick(f);
        ASSERT_GT(composition.written.size(), before);
        EXPECT_EQ(composition.written.back().Color, Engine(ColourOf(kWallA)));
        EXPECT_EQ(f.LastWallpaper, 0x5A210002);
    }
};

TEST_F(HeldPictureTest, OnWindowsTen) { ExpectReadOnceFree(); }

TEST_F(HeldPictureTest, BeforeWindowsTen) {
    system.SetWindows7();
    ExpectReadOnceFree();
}

TEST_F(MainLoopTest, WithoutWallpaperThePlainBackgroundColourIsFollowedOnce) {
    registry.strings[kWallpaperValue] = L"";
    MainForm& f = Start();
    EXPECT_TRUE(composition.written.empty());
    f.OnTimer(TimerId::Background);
    ASSERT_EQ(WrittenColors(), std::vector<std::uint32_t>{Engine(0x00336699)});
    EXPECT_EQ(f.LastBgColor, 0x00336699u);
    f.OnTimer(TimerId::Background);
    EXPECT_EQ(composition.written.size(), 1u);
}

TEST_F(MainLoopTest, WithoutWallpaperAndWithoutBackgroundColourNothingHappens) {
    registry.strings.erase(kWallpaperValue);
    profile.values[L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings"] = {
        {L"UseBgColor", L"0"}};
    MainForm& f = Start();
    f.OnTimer(TimerId::Background);
    EXPECT_TRUE(composition.written.empty());
    EXPECT_TRUE(timers.IsEnabled(TimerId::Background));
}

TEST_F(MainLoopTest, ReturningToTheSameUnchangedWallpaperIsNotNoticed) {
    MainForm& f = Start();
    registry.strings[kWallpaperValue] = L"";
    f.OnTimer(TimerId::Background); // plain background applied
    registry.strings[kWallpaperValue] = kWallA;
    f.OnTimer(TimerId::Background); // A again, same age as handled before
    EXPECT_FALSE(timers.IsEnabled(TimerId::WallpaperSettle));
    ASSERT_EQ(composition.written.size(), 2u);
    EXPECT_EQ(composition.written.back().Color, Engine(0x00336699));
}

TEST_F(MainLoopTest, InitTimersFollowsTheSourceAndTheCheckMark) {
    struct Case {
        const wchar_t* mode;
        bool enabled;
        std::set<TimerId> timers;
        const wchar_t* hint;
    };
    const Case cases[] = {
        {L"0", true, {TimerId::Background}, L"Hueglass (Setting the Accent color via wallpaper)"},
        {L"1", true, {TimerId::Icon}, L"Hueglass (Setting the Accent color via active application icon)"},
        {L"2", true, {TimerId::Icon}, L"Hueglass (Setting the Accent color via active application contents)"},
        {L"7", true, {}, L"Hueglass (Setting the Accent color via )"},
        {L"1", false, {}, L"Hueglass is disabled"},
    };
    for (const Case& c : cases) {
        timers.enabled.clear();
        composition.written.clear();
        profile.values[L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings"] = {
            {L"Mode", c.mode}, {L"AppEnabled", c.enabled ? L"1" : L"0"}};
        MainForm& f = Start();
        EXPECT_EQ(timers.enabled, c.timers) << "mode " << static_cast<char>(c.mode[0]);
        EXPECT_EQ(f.TrayHint(), c.hint);
        if (!c.enabled) {
            // Off: the colour on screen is written again and stays.
            ASSERT_EQ(composition.written.size(), 1u);
            EXPECT_EQ(composition.written[0].Color, Engine(f.colorizer().LastAeroColor));
        }
    }
}

TEST_F(MainLoopTest, EnabledCommandStopsAndRestartsTheLoopAndSavesTheState) {
    MainForm& f = Start();
    const std::wstring file = f.IniFileName();
    f.MenuEnabledClick();
    EXPECT_FALSE(f.MenuEnabledChecked());
    EXPECT_TRUE(timers.enabled.empty());
    EXPECT_EQ(profile.values[file][L"AppEnabled"], L"0");
    ASSERT_EQ(composition.written.size(), 2u);
    EXPECT_EQ(composition.written[1].Color, composition.written[0].Color);

    // Off: a new wallpaper changes nothing, even if a tick still arrives.
    SetPicture(kWallA, 0xF0, 0x30, 0x10, 0x5A210009);
    f.OnTimer(TimerId::Background);
    EXPECT_EQ(composition.written.size(), 2u);

    f.MenuEnabledClick();
    EXPECT_TRUE(f.MenuEnabledChecked());
    EXPECT_EQ(profile.values[file][L"AppEnabled"], L"1");
    ASSERT_EQ(composition.written.size(), 3u);
    EXPECT_EQ(composition.written[2].Color, Engine(ColourOf(kWallA)));
    // The first tick after switching on handles the wallpaper again.
    f.OnTimer(TimerId::Background);
    EXPECT_TRUE(timers.IsEnabled(TimerId::WallpaperSettle));
}

TEST_F(MainLoopTest, SwitchingOnAgainHandlesTheUnchangedWallpaperOnceMoreAtTheFirstTick) {
    MainForm& f = Start();
    f.MenuEnabledClick();
    f.MenuEnabledClick();
    const std::size_t afterOn = composition.written.size();
    f.OnTimer(TimerId::Background);
    ASSERT_TRUE(timers.IsEnabled(TimerId::WallpaperSettle)) << "the unchanged wallpaper was not handled again";
    f.OnTimer(TimerId::WallpaperSettle);
    EXPECT_EQ(composition.written.size(), afterOn + 1);
    EXPECT_EQ(composition.written.back().Color, Engine(ColourOf(kWallA)));
}

TEST_F(MainLoopTest, SwitchedOffTheColourOnScreenIsAppliedAgainAsTheColourShown) {
    // With system colours on, only a colour recorded as shown reaches them.
    profile.values[L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings"] = {
        {L"ColorizeSysColors", L"1"}};
    MainForm& f = Start();
    const TColor shown = f.colorizer().LastAeroColor;
    composition.calls.clear();
    f.MenuEnabledClick();
    EXPECT_EQ(composition.calls.front(), "sys 13=" + fakes::FakeComposition::Hex(shown));
    EXPECT_NE(std::find(composition.calls.begin(), composition.calls.end(), "broadcast"), composition.calls.end());
    EXPECT_EQ(composition.written.back().Color, Engine(shown));
}

// A picture for which a colour was remembered by hand, and another one.
class RememberedColourTest : public MainLoopTest {
protected:
    static constexpr TColor kRemembered = 0x00123456;
    const std::wstring kWallB = L"C:\\Wall\\b.bmp";
    MainForm& StartRemembering(bool remember) {
        profile.values[L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings"] = {
            {L"RememberCustomColors", remember ? L"1" : L"0"}};
        SetPicture(kWallB, 0x10, 0xC0, 0x40, 0x5A210001);
        form = NewForm();
        form->FormCreate();
        // Entry 0 belongs to another wallpaper (b.bmp), entry 1 to a.bmp.
        const auto entryOf = [&](const std::wstring& path, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                 TColor colour) {
            const TColor corner = RgbColor(r, g, b);
            return TImgColorHist{corner, corner, corner, corner, colour,
                                 static_cast<std::int32_t>(files.files[path].bytes.size())};
        };
        form->CustomColorList.Append(L"Na", entryOf(kWallB, 0x10, 0xC0, 0x40, 0x00ABCDEF));
        form->CustomColorList.Append(L"Na", entryOf(kWallA, 0x20, 0x90, 0xE0, kRemembered));
        form->DeferredStart();
        return *form;
    }
};

TEST_F(RememberedColourTest, TheColourMemoryIsConsultedOnlyWithTheOptionOn) {
    for (const bool remember : {true, false}) {
        composition.written.clear();
        MainForm& f = StartRemembering(remember);
        ASSERT_EQ(composition.written.size(), 1u);
        EXPECT_EQ(composition.written[0].Color, Engine(remember ? kRemembered : ColourOf(kWallA)))
            << "remember " << remember;
        const TrayMenuItem& reset = f.TrayMenu[TrayItem::MnuClearCurrentManualColor];
        EXPECT_EQ(reset.visible, remember);
        if (remember) {
            EXPECT_EQ(reset.hint, L"1");
        }
    }
}

TEST_F(RememberedColourTest, ResetIsHiddenOnceAPictureGivesTheColour) {
    MainForm& f = StartRemembering(true);
    ASSERT_TRUE(f.TrayMenu[TrayItem::MnuClearCurrentManualColor].visible);
    // a.bmp is replaced by a picture that nobody chose a colour for.
    SetPicture(kWallA, 0xF0, 0x30, 0x10, 0x5A210002);
    f.OnTimer(TimerId::Background);
    f.OnTimer(TimerId::WallpaperSettle);
    EXPECT_EQ(composition.written.back().Color, Engine(ColourOf(kWallA)));
    EXPECT_FALSE(f.TrayMenu[TrayItem::MnuClearCurrentManualColor].visible)
        << "a stale Reset Manual Color would delete entry 1, another picture's colour";
}

TEST_F(MainLoopTest, ExitArrivingWhileTheFirstColourIsMadeEndsEverything) {
    form = NewForm();
    form->FormCreate();
    host.whileMessagesRun = [&] { form->FormClose(); };
    form->DeferredStart();
    EXPECT_TRUE(composition.written.empty()) << "a colour was applied after Exit";
    EXPECT_TRUE(timers.enabled.empty());
    EXPECT_FALSE(tray.TrayIconVisible()) << "the tray icon was shown after Exit";
}

TEST_F(MainLoopTest, TheIconTimerHandsOnEachNewForegroundWindowOnce) {
    profile.values[L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings"] = {{L"Mode", L"1"}};
    MainForm& f = Start();
    host.foreground = 0x111;
    f.OnTimer(TimerId::Icon);
    EXPECT_EQ(f.LastForegroundWindow, 0x111u);
    host.foreground = host.mainWindow;
    f.OnTimer(TimerId::Icon);
    EXPECT_EQ(f.LastForegroundWindow, 0x111u) << "our own window is not a source";
}

} // namespace
} // namespace hg
