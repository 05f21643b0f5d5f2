// The icon timer hands each new foreground window to the active-application
// source of the chosen mode, whose colour is applied at once.
#include "app/MainForm.h"

#include "fakes/app/FakeMainPorts.h"
#include "fakes/color/FakeActiveWindows.h"
#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

using namespace hg::testing;

const std::wstring kSettings = L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings";

class ActiveSourceLoop : public FakeMainPorts {
protected:
    MainForm& Start(const std::wstring& mode) {
        // Windows 7, where the wallpaper's colours may fade: these never do.
        system.SetWindows7();
        profile.values[kSettings] = {{L"Mode", mode}, {L"FadeColor", L"1"}, {L"Intensity", L"55"}};
        form = std::make_unique<MainForm>(
            MainPorts{host, system, files, profile, registry, dialogs, timers, composition, nullptr, &windows});
        form->AttachTray(tray);
        form->FormCreate();
        form->DeferredStart();
        EXPECT_TRUE(form->AppOptions().FadeColor);
        EXPECT_TRUE(timers.IsEnabled(TimerId::Icon));
        return *form;
    }
    void Foreground(std::uintptr_t window) {
        host.foreground = window;
        form->OnTimer(TimerId::Icon);
    }
    static void Solid(fakes::FakeActiveWindows::Window& w, TColor c) {
        w.contents = test::MakeBitmap(32, 20, [c](int, int) { return c; });
    }
    // Colours written to the engine, as TColor.
    std::vector<TColor> Written() const {
        std::vector<TColor> colors;
        for (const auto& p : composition.written)
            colors.push_back(((p.Color >> 16) & 0xFF) | (p.Color & 0xFF00) | ((p.Color & 0xFF) << 16));
        return colors;
    }

    fakes::FakeActiveWindows windows;
    std::unique_ptr<MainForm> form;
};

TEST_F(ActiveSourceLoop, ContentsColourOfEachNewForegroundWindowIsAppliedOnceAndAtOnce) {
    Solid(windows.windows[0x111], 0x0060A040);
    Solid(windows.windows[0x222], 0x004050B0);
    composition.sysColors[SysColor::BtnShadow] = 0x00A0A0A0;
    Start(L"2");

    Foreground(0x111);
    Foreground(0x111); // still the same window
    Foreground(host.mainWindow);
    Foreground(0x222);
    Foreground(0x111);
    Foreground(0); // no foreground window
    EXPECT_EQ(Written(), (std::vector<TColor>{0x0060A040, 0x004050B0, 0x0060A040, 0x00A0A0A0}));
    EXPECT_FALSE(timers.IsEnabled(TimerId::Anime)) << "an application's colour faded in";
    EXPECT_EQ(composition.written.back().Afterglow, 55u);
    EXPECT_EQ(form->colorizer().LastAeroColor, 0x00A0A0A0u);
}

TEST_F(ActiveSourceLoop, IconSourceWritesOnlyForAWindowWithAnIcon) {
    windows.windows[0x111] = {}; // no icon
    windows.windows[0x222].classIcon = 0x77;
    windows.icons[0x77] = test::MakeBitmap(32, 32, [](int x, int) { return x < 20 ? TColor{0x004050B0} : clWhite; });
    Start(L"1");

    Foreground(0x111);
    EXPECT_TRUE(composition.written.empty());
    Foreground(0x222);
    EXPECT_EQ(Written(), std::vector<TColor>{0x004050B0});
    EXPECT_TRUE(windows.captures.empty());
}

TEST_F(ActiveSourceLoop, AFailureInsideTheSourceStaysInTheTick) {
    Solid(windows.windows[0x111], 0x0060A040);
    windows.windows[0x111].captureThrows = true;
    Start(L"2");
    EXPECT_NO_THROW(Foreground(0x111));
    EXPECT_TRUE(composition.written.empty());
    EXPECT_TRUE(timers.IsEnabled(TimerId::Icon));
}

TEST_F(ActiveSourceLoop, NothingHappensWhileTheLoopIsOff) {
    Solid(windows.windows[0x111], 0x0060A040);
    MainForm& f = Start(L"2");
    f.SetMenuEnabledChecked(false);
    const std::size_t before = composition.written.size();
    Foreground(0x111);
    EXPECT_EQ(composition.written.size(), before);
    EXPECT_TRUE(windows.captures.empty());
}

} // namespace
} // namespace hg
