// Change notifications about the wallpaper: each starts the poll's check at
// once, a burst of them gives one colour, and they are heard only where the
// poll's tick is.
#include "app/MainForm.h"

#include "app/WallpaperWatch.h"
#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "fakes/app/FakeMainPorts.h"
#include "fakes/app/FakeWallpaperWatch.h"
#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

using namespace hg::testing;

const std::wstring kWallA = L"C:\\Wall\\a.bmp";
const std::wstring kWallB = L"C:\\Wall\\b.bmp";
const std::pair<std::wstring, std::wstring> kWallpaperValue{L"Control Panel\\Desktop", L"Wallpaper"};
constexpr std::int32_t kAge = 0x5A210001;
constexpr WallpaperNotice kAllNotices[] = {WallpaperNotice::Registry, WallpaperNotice::Folder,
                                           WallpaperNotice::SettingChange};

class WallpaperWatchTest : public FakeMainPorts {
protected:
    void SetUp() override {
        SetPicture(kWallA, 0x00E09020, kAge);
        registry.strings[kWallpaperValue] = kWallA;
        composition.sysColors[SysColor::Background] = 0x00336699;
    }
    void SetPicture(const std::wstring& path, TColor colour, std::int32_t age) {
        files.files[path] = {test::EncodeJpeg(test::MakeBitmap(8, 6, [&](int, int) { return colour; })), age};
    }
    void Settings(std::map<std::wstring, std::wstring> values) { profile.values[kIni] = std::move(values); }
    MainForm& Start() {
        form = NewForm();
        form->AttachWallpaperWatch(watch);
        form->FormCreate();
        form->DeferredStart();
        return *form;
    }
    TColor ColourOf(const std::wstring& path) {
        PictureResult picture = LoadWallpaperBitmap(files, path);
        EXPECT_TRUE(picture) << picture.error;
        return ImageColor(picture.bitmap->View(), 1, true);
    }
    static std::uint32_t Engine(TColor c) { return ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16); }
    std::vector<std::uint32_t> ColoursSince(std::size_t first) const {
        std::vector<std::uint32_t> colours;
        for (std::size_t i = first; i < composition.written.size(); ++i)
            colours.push_back(composition.written[i].Color);
        return colours;
    }

    FakeWallpaperWatch watch;
    std::unique_ptr<MainForm> form;
};

TEST_F(WallpaperWatchTest, EachKindOfNotificationStartsOneCheckAtOnce) {
    for (const WallpaperNotice notice : kAllNotices) {
        composition.written.clear();
        timers.enabled.clear();
        SetPicture(kWallA, 0x00E09020, kAge);
        MainForm& f = Start();
        const std::size_t before = composition.written.size();

        // Nothing changed: the check finds nothing and the poll goes on.
        f.WallpaperNotified(notice);
        EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::Background}) << static_cast<int>(notice);

        SetPicture(kWallA, 0x001030F0, kAge + 1);
        f.WallpaperNotified(notice);
        // Windows 10: read once the writer is done; the poll waits meanwhile.
        EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::WallpaperSettle}) << static_cast<int>(notice);
        EXPECT_EQ(composition.written.size(), before);
        f.OnTimer(TimerId::WallpaperSettle);
        EXPECT_EQ(ColoursSince(before), std::vector<std::uint32_t>{Engine(ColourOf(kWallA))})
            << static_cast<int>(notice);
        EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::Background});
        f.OnTimer(TimerId::Background);
        EXPECT_EQ(composition.written.size(), before + 1) << "the poll handled the same change again";
    }
}

TEST_F(WallpaperWatchTest, ABurstWhileTheWriterIsBusyGivesOneColour) {
    MainForm& f = Start();
    const std::size_t before = composition.written.size();
    // The file is written in pieces; the registry and the system say so too.
    SetPicture(kWallA, 0x001030F0, kAge + 1);
    f.WallpaperNotified(WallpaperNotice::Folder);
    SetPicture(kWallA, 0x001030F0, kAge + 2); // its last piece, a later age
    for (const WallpaperNotice notice : kAllNotices)
        f.WallpaperNotified(notice);
    EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::WallpaperSettle});
    f.OnTimer(TimerId::WallpaperSettle);
    EXPECT_EQ(ColoursSince(before), std::vector<std::uint32_t>{Engine(ColourOf(kWallA))});
    // The notices that came meanwhile made one more look, which found the
    // change already handled; so do the poll's next ticks.
    EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::Background});
    f.OnTimer(TimerId::Background);
    f.WallpaperNotified(WallpaperNotice::Folder);
    EXPECT_EQ(composition.written.size(), before + 1);
    EXPECT_EQ(f.LastWallpaper, kAge + 2);
}

TEST_F(WallpaperWatchTest, AFurtherChangeReportedDuringTheWaitIsHandledRightAfterTheFirst) {
    SetPicture(kWallB, 0x0020C040, kAge + 7);
    MainForm& f = Start();
    const std::size_t before = composition.written.size();
    SetPicture(kWallA, 0x001030F0, kAge + 1);
    f.WallpaperNotified(WallpaperNotice::Folder);
    // Meanwhile the user switches to another picture.
    registry.strings[kWallpaperValue] = kWallB;
    f.WallpaperNotified(WallpaperNotice::Registry);
    f.OnTimer(TimerId::WallpaperSettle); // a.bmp, as found
    // b.bmp is looked at straight away, not at the next tick.
    ASSERT_EQ(timers.enabled, std::set<TimerId>{TimerId::WallpaperSettle});
    f.OnTimer(TimerId::WallpaperSettle);
    EXPECT_EQ(ColoursSince(before),
              (std::vector<std::uint32_t>{Engine(ColourOf(kWallA)), Engine(ColourOf(kWallB))}));
    EXPECT_EQ(timers.enabled, std::set<TimerId>{TimerId::Background});
}

TEST_F(WallpaperWatchTest, ANotificationWhileTheColourIsMadeGivesNoSecondFadeBeforeWindowsTen) {
    system.SetWindows7();
    MainForm& f = Start();
    while (timers.IsEnabled(TimerId::Anime))
        f.OnTimer(TimerId::Anime);
    const std::size_t before = composition.written.size();

    SetPicture(kWallA, 0x001030F0, kAge + 1);
    // The registry and the file change together: the second notice is
    // handled by the pending messages the colour operation lets run.
    int notices = 0;
    host.whileMessagesRun = [&] {
        if (notices++ == 0)
            f.WallpaperNotified(WallpaperNotice::Registry);
    };
    f.WallpaperNotified(WallpaperNotice::Folder);
    host.whileMessagesRun = nullptr;
    ASSERT_TRUE(timers.IsEnabled(TimerId::Anime)) << "no fade started";
    while (timers.IsEnabled(TimerId::Anime))
        f.OnTimer(TimerId::Anime);
    // One fade: its steps and its end, from the old colour to the new one.
    EXPECT_EQ(composition.written.size(), before + 9);
    EXPECT_EQ(composition.written.back().Color, Engine(ColourOf(kWallA)));
    EXPECT_TRUE(timers.IsEnabled(TimerId::Background));
}

TEST_F(WallpaperWatchTest, NotificationsAreIgnoredWhereThePollsTickIs) {
    struct Case {
        const char* name;
        std::map<std::wstring, std::wstring> settings;
        std::function<void(MainForm&)> then;
    };
    const Case cases[] = {
        {"loop switched off", {}, [](MainForm& f) { f.MenuEnabledClick(); }},
        {"active application icon", {{L"Mode", L"1"}}, nullptr},
        {"active application contents", {{L"Mode", L"2"}}, nullptr},
        {"during a pick", {{L"DisableOnPick", L"1"}}, [](MainForm& f) { f.MnuFromScreenClick(); }},
        {"after Exit", {}, [](MainForm& f) { f.Close1Click(); }},
    };
    for (const Case& c : cases) {
        composition.written.clear();
        timers.enabled.clear();
        SetPicture(kWallA, 0x00E09020, kAge);
        Settings(c.settings);
        MainForm& f = Start();
        if (c.then)
            c.then(f);
        const std::set<TimerId> timersBefore = timers.enabled;
        const std::size_t before = composition.written.size();
        SetPicture(kWallA, 0x001030F0, kAge + 1);
        for (const WallpaperNotice notice : kAllNotices)
            f.WallpaperNotified(notice);
        EXPECT_EQ(timers.enabled, timersBefore) << c.name;
        EXPECT_EQ(composition.written.size(), before) << c.name;
    }
}

TEST_F(WallpaperWatchTest, AnotherFileWithTheSameAgeIsANewWallpaper) {
    SetPicture(kWallB, 0x0020C040, kAge); // copied together with a.bmp: the same age
    MainForm& f = Start();
    for (const std::wstring& path : {kWallB, kWallA}) {
        const std::size_t before = composition.written.size();
        registry.strings[kWallpaperValue] = path;
        f.OnTimer(TimerId::Background); // the poll finds it, with no notification
        ASSERT_TRUE(timers.IsEnabled(TimerId::WallpaperSettle)) << "switching to another file was not noticed";
        f.OnTimer(TimerId::WallpaperSettle);
        EXPECT_EQ(ColoursSince(before), std::vector<std::uint32_t>{Engine(ColourOf(path))});
        EXPECT_EQ(f.LastWallpaperPath, path);
    }
}

TEST_F(WallpaperWatchTest, ThePollStillFindsAChangeThatNoNotificationReported) {
    MainForm& f = Start();
    SetPicture(kWallA, 0x001030F0, kAge + 1);
    f.OnTimer(TimerId::Background);
    ASSERT_TRUE(timers.IsEnabled(TimerId::WallpaperSettle));
    f.OnTimer(TimerId::WallpaperSettle);
    EXPECT_EQ(composition.written.back().Color, Engine(ColourOf(kWallA)));
}

TEST_F(WallpaperWatchTest, TheWatchFollowsTheWallpaperAndClosesWhenTheLoopStops) {
    MainForm& f = Start();
    EXPECT_EQ(watch.folders, std::vector<std::wstring>{L"C:\\Wall"});

    SetPicture(L"D:\\Pictures\\c.bmp", 0x0020C040, kAge);
    registry.strings[kWallpaperValue] = L"D:\\Pictures\\c.bmp";
    f.WallpaperNotified(WallpaperNotice::Registry);
    EXPECT_EQ(watch.folders, std::vector<std::wstring>{L"D:\\Pictures"});
    f.OnTimer(TimerId::WallpaperSettle);

    // A plain background: only the registry is watched.
    registry.strings[kWallpaperValue] = L"";
    f.OnTimer(TimerId::Background);
    EXPECT_TRUE(watch.watching);
    EXPECT_TRUE(watch.folders.empty());

    f.MenuEnabledClick();
    EXPECT_FALSE(watch.watching) << "switched off, the watches stay open";
    f.MenuEnabledClick();
    EXPECT_TRUE(watch.watching);
    f.SessionEnded();
    EXPECT_FALSE(watch.watching) << "the end of the session leaves the watches open";
    f.InitTimers();
    ASSERT_TRUE(watch.watching);
    f.Close1Click();
    EXPECT_FALSE(watch.watching) << "Exit leaves the watches open";
}

TEST(WallpaperFolders, AreTheFolderOfThePicture) {
    const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
        {L"C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper",
         {L"C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Themes"}},
        {L"C:\\wall.jpg", {L"C:\\"}},
        {L"\\\\server\\share\\wall.jpg", {L"\\\\server\\share"}},
        {L"Z:/tmp/wall.jpg", {L"Z:/tmp"}},
        {L"wall.jpg", {}},
        {L"", {}},
    };
    for (const auto& [path, folders] : cases)
        EXPECT_EQ(WallpaperFolders(path), folders) << std::string(path.begin(), path.end());
}

} // namespace
} // namespace hg
