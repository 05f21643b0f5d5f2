// The main window's tray icon and menu commands, and the colours it
// remembers per wallpaper, driven through fake ports.
#include "app/MainForm.h"

#include "fakes/app/FakeMainPorts.h"


#include <gtest/gtest.h>

namespace hg {
namespace {

using namespace hg::testing;

const std::wstring kWall = L"C:\\pics\\lake.jpg";

Bitmap24 Plain(std::uint8_t grey) {
    auto bitmap = Bitmap24::Allocate(4, 3);
    std::fill(bitmap->Data(), bitmap->Data() + bitmap->SizeBytes(), grey);
    return std::move(*bitmap);
}

class MainFormTray : public FakeMainPorts {
protected:
    MainForm& Start(std::vector<std::pair<std::wstring, std::wstring>> settings = {}) {
        for (auto& [key, value] : settings)
            profile.values[kIni][key] = value;
        form_ = NewForm();
        form_->FormCreate();
        return *form_;
    }
    std::vector<std::uint8_t> ColourFile(const std::vector<TImgColorHist>& entries) {
        CustomColorList list;
        for (const auto& e : entries)
            list.Append(L"Na", e);
        return EncodeCustomColors(list);
    }

    std::unique_ptr<MainForm> form_;
};

TEST_F(MainFormTray, StartLoadsTheColourFileAndShowsTheIconOnlyAtTheDeferredStart) {
    files.files[kColours].bytes = ColourFile({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
    MainForm& form = Start({{L"DoubleClickAction", L"1"}, {L"Mode", L"2"}});
    EXPECT_EQ(form.CustomColorList.size(), 2u);
    EXPECT_EQ(form.TrayMenu.DefaultItem(), TrayItem::MnuFromScreen);
    EXPECT_EQ(tray.personalizeImage, L"C:\\Windows\\System32\\Themecpl.dll");
    EXPECT_EQ(form.TrayMenu[TrayItem::MnuStartDisplay].image, MenuImage::DisplayIco);
    EXPECT_FALSE(tray.visible);
    EXPECT_EQ(form.TrayMenu[TrayItem::MenuEnabled].caption, L"&Enabled");

    form.DeferredStart();
    EXPECT_TRUE(tray.visible);
    EXPECT_EQ(form.TrayMenu[TrayItem::MenuEnabled].caption, L"Automatic Color: Active application contents");
    EXPECT_FALSE(form.TrayMenu[TrayItem::MnuSelColor].enabled);
    // Windows 10 whose theme cannot be read: the light glyph for a dark taskbar.
    ASSERT_FALSE(tray.icons.empty());
    EXPECT_EQ(tray.icons.back(), TrayImage::Win10w);
}

TEST_F(MainFormTray, IconFollowsStyleVersionAndTheme) {
    struct Case {
        const wchar_t* style;
        bool windows7;
        std::optional<std::uint32_t> light;
        TrayImage image;
    };
    const Case cases[] = {{L"0", false, 1, TrayImage::Hueglass}, {L"1", false, 1, TrayImage::Win10b},
                          {L"1", false, 0, TrayImage::Win10w},   {L"1", false, std::nullopt, TrayImage::Win10w},
                          {L"1", true, 0, TrayImage::Win78}};
    for (const Case& c : cases) {
        tray = {};
        registry = {};
        system = {};
        if (c.windows7)
            system.SetWindows7();
        if (c.light)
            registry.dwords[{L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                             L"SystemUsesLightTheme"}] = *c.light;
        Start({{L"TrayIconStyle", c.style}}).DeferredStart();
        ASSERT_FALSE(tray.icons.empty());
        EXPECT_EQ(tray.icons.back(), c.image) << c.style << c.windows7;
    }
}

TEST_F(MainFormTray, DoubleClickBringsTheProgramForwardAndRunsTheChosenCommand) {
    MainForm& form = Start();
    form.DeferredStart();
    form.TrayDblClick();
    EXPECT_EQ(tray.foregrounds, 1);
    ASSERT_EQ(tray.shell.size(), 1u);
    EXPECT_EQ(tray.shell[0], (ShellRequest{false, std::nullopt, L"ms-settings:personalization", L"", L"", 5}));

    form.bInWarning = true;
    form.TrayDblClick();
    EXPECT_EQ(tray.foregrounds, 2);
    EXPECT_EQ(tray.shell.size(), 1u) << "a double click during the warning only brings the program forward";

    // Before Windows 10 the control panel opens, owned by the main window.
    system.SetWindows7();
    form.MnuStartDisplayClick();
    EXPECT_EQ(tray.shell.back(),
              (ShellRequest{true, L"open", L"control.exe", L" /name Microsoft.Personalization", L"", 1}));
    form.MnuDonateClick();
    EXPECT_EQ(tray.shell.back().verb, L"Open");
    EXPECT_EQ(tray.shell.back().show, 5);
    EXPECT_FALSE(tray.shell.back().ownedByMainWindow);
}

TEST_F(MainFormTray, SecondCopyShowsTheBalloonOnlyOnceTheIconIsVisible) {
    MainForm& form = Start();
    form.SecondInstance();
    EXPECT_TRUE(tray.balloons.empty());
    form.DeferredStart();
    form.SecondInstance();
    EXPECT_EQ(tray.balloons,
              (std::vector<std::pair<std::wstring, std::wstring>>{{L"Hueglass", L"Hueglass is running"}}));
}

TEST_F(MainFormTray, SwitchingBetweenLightAndDarkChoosesTheIconAgainAtOnce) {
    const std::pair<std::wstring, std::wstring> light{
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", L"SystemUsesLightTheme"};
    registry.dwords[light] = 1;
    MainForm& form = Start();
    form.DeferredStart();
    ASSERT_EQ(tray.icons.back(), TrayImage::Win10b);

    registry.dwords[light] = 0;
    form.SettingChanged(L"Environment");
    EXPECT_EQ(tray.icons.back(), TrayImage::Win10b) << "another setting changed the icon";
    form.SettingChanged(L"ImmersiveColorSet");
    EXPECT_EQ(tray.icons.back(), TrayImage::Win10w);
    registry.dwords[light] = 1;
    form.SettingChanged(L"ImmersiveColorSet");
    EXPECT_EQ(tray.icons.back(), TrayImage::Win10b);
}

TEST_F(MainFormTray, TheIconIsDrawnAgainOnceAChangeOfResolutionHasSettled) {
    MainForm& form = Start();
    form.DeferredStart();
    tray.icons.clear();
    timers.Enable(TimerId::DpiSettle);
    form.OnTimer(TimerId::DpiSettle);
    EXPECT_EQ(tray.icons.size(), 1u);
    EXPECT_FALSE(timers.IsEnabled(TimerId::DpiSettle)) << "a one-shot timer";
}

TEST_F(MainFormTray, RememberedColourIsSavedResetAndWrittenAtExit) {
    files.files[kWall].bytes.assign(777, 0);
    files.files[kColours].bytes = ColourFile({{9, 9, 9, 9, 9, 9}});
    MainForm& form = Start({{L"RememberCustomColors", L"1"}});
    form.DeferredStart();

    const Bitmap24 picture = Plain(0x40);
    form.SaveCustomColor(kWall, picture, 0x123456);
    form.SaveCustomColor(kWall, picture, 0x654321);
    ASSERT_EQ(form.CustomColorList.size(), 2u);
    EXPECT_EQ(form.CustomColorList[1].hist, (TImgColorHist{0x404040, 0x404040, 0x404040, 0x404040, 0x654321, 777}));
    const auto& item = form.TrayMenu[TrayItem::MnuClearCurrentManualColor];
    EXPECT_TRUE(item.visible);
    EXPECT_EQ(item.hint, L"1");
    EXPECT_EQ(files.files[kColours].bytes.size(), 260u + 2 * 24) << "each recording writes the file";

    form.MnuClearCurrentManualColorClick();
    EXPECT_FALSE(item.visible);
    EXPECT_EQ(form.CustomColorList.size(), 1u);
    EXPECT_EQ(files.files[kColours].bytes.size(), 260u + 2 * 24) << "the file changes only at the next save";

    form.FormClose();
    EXPECT_EQ(files.files[kColours].bytes, ColourFile({{9, 9, 9, 9, 9, 9}}));
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(MainFormTray, WithTheOptionOffNothingIsRecordedAndTheFileIsLeftAlone) {
    files.files[kWall].bytes.assign(10, 0);
    files.files[kColours].bytes = {1, 2, 3}; // not even a valid file: kept as it is
    MainForm& form = Start();
    form.SaveCustomColor(kWall, Plain(1), 0xFF);
    EXPECT_TRUE(form.CustomColorList.empty());
    EXPECT_FALSE(form.TrayMenu[TrayItem::MnuClearCurrentManualColor].visible);
    form.FormClose();
    EXPECT_EQ(files.files[kColours].bytes, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(MainFormTray, ColourFileThatCannotBeWrittenAtExitIsReported) {
    MainForm& form = Start({{L"RememberCustomColors", L"1"}});
    form.DeferredStart();
    files.failWrites = true;
    form.FormClose();
    EXPECT_EQ(host.errors, std::vector<std::wstring>{L"Unable to write to " + kColours});
}

} // namespace
} // namespace hg
