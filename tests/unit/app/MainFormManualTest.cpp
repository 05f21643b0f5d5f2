// Colours set by hand: the colour dialog, the automatic-mode warning and the
// screen pick, driven through fake ports.
#include "app/MainForm.h"

#include "dialogs/Warnings.h"
#include "fakes/app/FakeMainPorts.h"
#include "fakes/manual/FakeManualHost.h"
#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace hg {
namespace {

using namespace hg::testing;

const std::wstring kWall = L"C:\\Wall\\lake.bmp";
const std::pair<std::wstring, std::wstring> kWallpaperValue{L"Control Panel\\Desktop", L"Wallpaper"};
constexpr TColor kChosen = 0x00336699;
// The wallpaper's colour is the mean of all its pixels: exactly a solid picture's.
const std::pair<std::wstring, std::wstring> kAverage{L"ColorMode", L"0"};
const std::pair<std::wstring, std::wstring> kAllPixels{L"IgnoreDarkLigthColors", L"0"};

// A 2 x 2 bitmap file of one colour (blue, green, red bytes).
test::Bytes SolidBmp(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    const test::Bytes pixels{b, g, r, b, g, r, 0, 0, b, g, r, b, g, r, 0, 0};
    return test::MakeBmp(40, 2, 2, 24, 0, {}, pixels);
}

class MainFormManual : public FakeMainPorts {
protected:
    void SetUp() override {
        files.files[kWall].bytes = SolidBmp(0x10, 0x20, 0x30);
        registry.strings[kWallpaperValue] = kWall;
        manual.onCaptureLost = [this] { form_->PickCaptureChanged(); };
    }
    // The program started and running, with these settings.
    MainForm& Start(std::vector<std::pair<std::wstring, std::wstring>> settings = {}) {
        for (auto& [key, value] : settings)
            profile.values[kIni][key] = value;
        form_ = NewForm();
        form_->AttachManualHost(manual);
        form_->FormCreate();
        form_->DeferredStart();
        composition.written.clear();
        profile.writes.clear();
        return *form_;
    }
    TColor LastWritten() const {
        EXPECT_FALSE(composition.written.empty());
        return composition.written.empty() ? 0 : RgbToTColor(composition.written.back().Color);
    }
    static TColor RgbToTColor(std::uint32_t argb) {
        return ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
    }
    bool Saved(const std::wstring& key) const {
        return std::any_of(profile.writes.begin(), profile.writes.end(), [&](auto& w) { return w.first == key; });
    }
    IManualColorHost::ColorChoice Choice(TColor color) {
        CustomColorPalette custom = DefaultCustomColors();
        custom[4] = 0x0000FF;
        return {color, custom};
    }

    FakeManualHost manual;
    std::unique_ptr<MainForm> form_;
};

TEST_F(MainFormManual, ColourDialogAppliesThenWarnsThenRemembers) {
    MainForm& form = Start();
    const TColor before = form.colorizer().LastAeroColor;
    manual.choice = Choice(kChosen);
    manual.whileChoosing = [&] {
        EXPECT_FALSE(form.TrayMenu[TrayItem::MnuSelColor].enabled);
        form.RefreshTrayMenu(); // e.g. the loop switched from the menu meanwhile
        EXPECT_FALSE(form.TrayMenu[TrayItem::MnuSelColor].enabled);
        form.MnuSelColorClick();   // the double click: the dialog is not opened twice
        form.MnuFromScreenClick(); // nor a pick started over it
    };
    dialogs.outcome = TaskDialogOutcome{manual_color_warning::RememberManualColors, 0, false};
    dialogs.whileShown = [&] {
        EXPECT_TRUE(form.bInWarning);
        EXPECT_EQ(LastWritten(), kChosen) << "applied before the warning";
        EXPECT_TRUE(form.CustomColorList.empty()) << "remembered only after it";
    };

    form.MnuSelColorClick();

    EXPECT_EQ(manual.calls, (std::vector<std::string>{"choose", "foreground"}));
    EXPECT_EQ(manual.shownColor, before);
    EXPECT_EQ(manual.shownCustomColors, DefaultCustomColors());
    EXPECT_EQ(form.colorizer().LastAeroColor, kChosen);
    EXPECT_EQ(form.colorizer().OldAeroColor, before);
    EXPECT_EQ(profile.values[kIni][L"CustomColors"], FormatCustomColors(Choice(kChosen).customColors));
    EXPECT_TRUE(form.AppOptions().RememberCustomColors);
    EXPECT_TRUE(Saved(L"RememberCustomColors"));
    ASSERT_EQ(form.CustomColorList.size(), 1u);
    EXPECT_EQ(form.CustomColorList[0].hist.AeroColor, kChosen);
    EXPECT_EQ(form.CustomColorList[0].hist.TopLeftColor, 0x00102030u);
    EXPECT_EQ(files.files[kColours].bytes.size(), 260u + 24);
    EXPECT_TRUE(form.TrayMenu[TrayItem::MnuClearCurrentManualColor].visible);
    EXPECT_TRUE(form.TrayMenu[TrayItem::MnuSelColor].enabled);
    EXPECT_FALSE(form.bInWarning);
}

TEST_F(MainFormManual, CancelLeavesColourPaletteAndSettingsAsTheyWere) {
    MainForm& form = Start({{L"CustomColors", L"ColorA=123456"}});
    manual.choice = std::nullopt;
    form.MnuSelColorClick();
    EXPECT_EQ(manual.shownCustomColors[0], 0x123456u);
    EXPECT_EQ(manual.shownCustomColors[1], EmptyCustomColor);
    EXPECT_TRUE(composition.written.empty());
    EXPECT_TRUE(profile.writes.empty());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(form.TrayMenu[TrayItem::MnuSelColor].enabled);
}

TEST_F(MainFormManual, PaletteThatCannotBeWrittenIsReportedAndTheColourStays) {
    MainForm& form = Start();
    manual.choice = Choice(kChosen);
    profile.failWrites = true;
    form.MnuSelColorClick();
    EXPECT_EQ(LastWritten(), kChosen);
    EXPECT_EQ(host.errors, std::vector<std::wstring>{L"Unable to write to " + kIni});
    EXPECT_TRUE(dialogs.shown.empty()) << "the command stops at the error";
    EXPECT_TRUE(form.TrayMenu[TrayItem::MnuSelColor].enabled);
}

TEST_F(MainFormManual, WhenTheWarningShowsAndWhetherTheColourIsRemembered) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::wstring, std::wstring>> settings;
        bool warned;
        bool loopOnAfter;
        std::size_t remembered;
    };
    const Case cases[] = {
        {"DisableOnPick clears the loop first", {{L"DisableOnPick", L"1"}}, false, false, 0},
        {"warning switched off", {{L"WarnDisableAutoPick", L"0"}}, false, true, 0},
        {"colours already remembered", {{L"RememberCustomColors", L"1"}}, false, true, 1},
        {"loop off, Mode 1", {{L"AppEnabled", L"0"}, {L"Mode", L"1"}}, false, false, 0},
        {"loop off, Mode 0", {{L"AppEnabled", L"0"}, {L"RememberCustomColors", L"1"}}, false, false, 1},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        profile.values.clear();
        files.files.erase(kColours);
        manual.choice = Choice(kChosen);
        MainForm& form = Start(c.settings);
        form.MnuSelColorClick();
        EXPECT_EQ(LastWritten(), kChosen) << c.name;
        EXPECT_EQ(!dialogs.shown.empty(), c.warned) << c.name;
        EXPECT_EQ(form.MenuEnabledChecked(), c.loopOnAfter) << c.name;
        EXPECT_EQ(form.CustomColorList.size(), c.remembered) << c.name;
    }
}

TEST_F(MainFormManual, EachAnswerToTheWarning) {
    struct Case {
        const char* name;
        std::optional<TaskDialogOutcome> outcome;
        bool remember, loopOn, warnAgain, saved;
    };
    const Case cases[] = {
        {"remember", TaskDialogOutcome{1, 0, false}, true, true, true, true},
        {"turn off", TaskDialogOutcome{2, 0, false}, false, false, true, true},
        {"continue, ticked", TaskDialogOutcome{3, 0, true}, false, true, false, true},
        {"Esc, ticked", TaskDialogOutcome{2, 0, true}, false, false, false, true},
        {"cannot be shown", std::nullopt, false, true, true, false},
    };
    for (const Case& c : cases) {
        profile.values.clear();
        MainForm& form = Start();
        dialogs.shown.clear();
        dialogs.outcome = c.outcome;
        form.WarnUserIfOnAutoSettings();
        ASSERT_EQ(dialogs.shown.size(), 1u) << c.name;
        EXPECT_EQ(dialogs.shown[0].MainInstruction, L"The Accent color has been set manually but is set to automatic mode");
        EXPECT_EQ(dialogs.shown[0].Parent, dialogs.desktop);
        EXPECT_EQ(form.AppOptions().RememberCustomColors, c.remember) << c.name;
        EXPECT_EQ(form.MenuEnabledChecked(), c.loopOn) << c.name;
        EXPECT_EQ(form.TrayMenu[TrayItem::MenuEnabled].checked, c.loopOn) << c.name;
        EXPECT_EQ(form.AppOptions().WarnDisableAutoPick, c.warnAgain) << c.name;
        EXPECT_EQ(Saved(L"AppEnabled"), c.saved) << c.name;
        EXPECT_FALSE(form.bInWarning) << c.name;
    }
}

TEST_F(MainFormManual, AFadeUnderWayCompletesBeforeAPickOrTheColourDialog) {
    system.SetWindows7(); // fades exist before Windows 10
    files.files[kWall].bytes = SolidBmp(0x90, 0x10, 0x10);
    struct Case {
        const char* name;
        std::function<void(MainForm&)> run;
        bool chosen; // else the wallpaper's colour stays
    };
    const Case cases[] = {
        {"pick cancelled",
         [this](MainForm& f) {
             f.MnuFromScreenClick();
             manual.pixel = 0x00010203;
             f.TimerPickTimer(); // the live colour on the frames
             f.PickRightButton();
         },
         false},
        {"preview closed",
         [](MainForm& f) {
             f.MnuFromScreenClick();
             f.PreviewClosing();
         },
         false},
        {"colour dialog cancelled",
         [this](MainForm& f) {
             manual.choice = std::nullopt;
             f.MnuSelColorClick();
         },
         false},
        {"colour dialog OK",
         [this](MainForm& f) {
             manual.choice = Choice(kChosen);
             f.MnuSelColorClick();
         },
         true},
    };
    for (const Case& c : cases) {
        composition.engine.Color = 0xC4123456; // the colour on screen before the program starts
        MainForm& form = Start({{L"WarnDisableAutoPick", L"0"}, {L"ShowDeskOnPick", L"0"}, kAverage, kAllPixels});
        ASSERT_TRUE(timers.IsEnabled(TimerId::Anime)) << c.name;
        ASSERT_EQ(form.colorizer().NewAeroColor, 0x00901010u) << "the wallpaper's colour is the target";
        const TColor target = form.colorizer().NewAeroColor;
        ASSERT_NE(form.colorizer().LastAeroColor, target) << "the fade is between its ends";
        manual.shownColor = 0;
        c.run(form);
        EXPECT_FALSE(timers.IsEnabled(TimerId::Anime)) << c.name;
        EXPECT_EQ(LastWritten(), c.chosen ? kChosen : target) << c.name;
        EXPECT_EQ(form.colorizer().LastAeroColor, c.chosen ? kChosen : target) << c.name;
        if (!manual.calls.empty() && manual.calls.back() == "choose") {
            EXPECT_EQ(manual.shownColor, target) << c.name << ": the dialog starts at the fade's end";
        }
        manual.calls.clear();
    }
}

TEST_F(MainFormManual, ExitWhileTheColourDialogIsOpenAppliesNothing) {
    MainForm& form = Start();
    manual.choice = Choice(kChosen); // the dialog, closed by the end of the program
    manual.whileChoosing = [&] { form.Close1Click(); };
    form.MnuSelColorClick();
    EXPECT_TRUE(composition.written.empty());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(profile.values[kIni].count(L"CustomColors"));
}

TEST_F(MainFormManual, WarningClosedByExitIsNoAnswer) {
    MainForm& form = Start();
    dialogs.outcome = TaskDialogOutcome{manual_color_warning::TurnOffAutomatic, 0, false}; // as a cancel
    dialogs.whileShown = [&] { form.Close1Click(); };
    form.WarnUserIfOnAutoSettings();
    EXPECT_TRUE(form.MenuEnabledChecked());
    EXPECT_TRUE(profile.writes.empty());
}

TEST_F(MainFormManual, DoubleClickOpensTheColourDialogOrStartsAPick) {
    MainForm& dialog = Start({{L"DoubleClickAction", L"2"}});
    dialog.TrayDblClick();
    EXPECT_EQ(manual.calls, std::vector<std::string>{"choose"});

    manual.calls.clear();
    MainForm& pick = Start({{L"DoubleClickAction", L"1"}, {L"ShowDeskOnPick", L"0"}});
    pick.TrayDblClick();
    EXPECT_TRUE(pick.bIsPicking);
}

// ----- The screen pick -----

TEST_F(MainFormManual, LeftClickOnWindows10TakesTheSampledColour) {
    MainForm& form = Start({{L"ShowDeskOnPick", L"0"}, {L"RememberCustomColors", L"1"}});
    form.MnuFromScreenClick();
    EXPECT_EQ(manual.calls, (std::vector<std::string>{"preview", "cursor", "capture"}));
    EXPECT_FALSE(manual.previewGlass);
    EXPECT_TRUE(manual.previewInstructions);
    EXPECT_TRUE(form.bIsPicking);
    EXPECT_TRUE(timers.IsEnabled(TimerId::Pick));

    manual.pixel = 0x00ABCDEF;
    form.OnTimer(TimerId::Pick);
    EXPECT_EQ(manual.previewColor, 0x00ABCDEFu);
    EXPECT_TRUE(composition.written.empty()) << "on Windows 10 the frames wait for the end";

    form.PickLeftButton();
    EXPECT_FALSE(form.bIsPicking);
    EXPECT_FALSE(form.AppOptions().bFirstTimePick);
    EXPECT_FALSE(timers.IsEnabled(TimerId::Pick));
    EXPECT_FALSE(manual.crossHair);
    EXPECT_FALSE(manual.preview);
    EXPECT_EQ(LastWritten(), 0x00ABCDEFu);
    EXPECT_EQ(form.colorizer().LastAeroColor, 0x00ABCDEFu);
    ASSERT_EQ(form.CustomColorList.size(), 1u);
    EXPECT_EQ(form.CustomColorList[0].hist.AeroColor, 0x00ABCDEFu);

    // The next preview shows no instructions.
    form.MnuFromScreenClick();
    EXPECT_FALSE(manual.previewInstructions);
}

TEST_F(MainFormManual, HowAPickEnds) {
    // Only a colour the user took is warned about and remembered; every other
    // end is a cancel and puts the colour from before the pick back.
    struct Case {
        const char* name;
        bool windows7;
        std::function<void(MainForm&)> end;
        bool sampleFirst;
        bool taken;        // the sample is the colour now
        bool chosen;       // a colour was chosen: warned about, remembered
    };
    const Case cases[] = {
        {"left click", false, [](MainForm& f) { f.PickLeftButton(); }, true, true, true},
        {"left click, Windows 7", true, [](MainForm& f) { f.PickLeftButton(); }, true, true, true},
        {"right click", false, [](MainForm& f) { f.PickRightButton(); }, true, false, false},
        {"right click, Windows 7", true, [](MainForm& f) { f.PickRightButton(); }, true, false, false},
        {"capture taken away", false,
         [this](MainForm& f) {
             manual.captured = false; // another window took it
             f.PickCaptureChanged();
         },
         true, false, false},
        {"capture taken away, Windows 7", true,
         [this](MainForm& f) {
             manual.captured = false;
             f.PickCaptureChanged();
         },
         true, false, false},
        {"preview closed", false, [](MainForm& f) { f.PreviewClosing(); }, true, false, false},
        {"left click before the first tick", false, [](MainForm& f) { f.PickLeftButton(); }, false, false, true},
    };
    for (const Case& c : cases) {
        system = {};
        if (c.windows7)
            system.SetWindows7();
        profile.values.clear();
        files.files.erase(kColours);
        MainForm& form = Start({{L"ShowDeskOnPick", L"0"}});
        while (timers.IsEnabled(TimerId::Anime))
            form.OnTimer(TimerId::Anime); // the start's fade, if any, is over
        const TColor before = form.colorizer().LastAeroColor;
        dialogs.shown.clear();
        dialogs.outcome = TaskDialogOutcome{manual_color_warning::RememberManualColors, 0, false};
        form.MnuFromScreenClick();
        if (c.sampleFirst) {
            manual.pixel = 0x00010203;
            form.TimerPickTimer();
            if (c.windows7) {
                EXPECT_EQ(LastWritten(), 0x00010203u) << "the live colour on the frames";
            }
        }
        c.end(form);
        EXPECT_FALSE(form.bIsPicking) << c.name;
        EXPECT_FALSE(manual.captured) << c.name;
        EXPECT_FALSE(manual.crossHair) << c.name;
        EXPECT_FALSE(manual.preview) << c.name;
        const TColor now = c.taken ? 0x00010203u : before;
        EXPECT_EQ(LastWritten(), now) << c.name;
        EXPECT_EQ(form.colorizer().LastAeroColor, now) << c.name;
        EXPECT_EQ(dialogs.shown.size(), c.chosen ? 1u : 0u) << c.name;
        EXPECT_EQ(form.AppOptions().RememberCustomColors, c.chosen) << c.name;
        EXPECT_EQ(form.CustomColorList.size(), c.chosen ? 1u : 0u) << c.name;
        if (c.chosen) {
            EXPECT_EQ(form.CustomColorList[0].hist.AeroColor, now) << c.name;
        }
        EXPECT_FALSE(form.bInWarning) << c.name;
    }
}

TEST_F(MainFormManual, NoPickOrColourDialogStartsWhileThePreviewCloses) {
    MainForm& form = Start({{L"ShowDeskOnPick", L"0"}, {L"WarnDisableAutoPick", L"0"}});
    manual.choice = Choice(kChosen);
    int reentered = 0;
    manual.whileClosingPreview = [&] {
        // The tray's messages run while the preview's close is on the stack.
        ++reentered;
        EXPECT_TRUE(form.PickEnding());
        form.MnuFromScreenClick();
        form.MnuSelColorClick();
        form.TrayDblClick();
    };
    form.MnuFromScreenClick();
    form.PreviewClosing();
    EXPECT_EQ(reentered, 1);
    EXPECT_EQ(std::count(manual.calls.begin(), manual.calls.end(), "preview"), 1);
    EXPECT_EQ(std::count(manual.calls.begin(), manual.calls.end(), "choose"), 0);
    EXPECT_FALSE(form.bIsPicking);
    EXPECT_FALSE(form.PickEnding());

    // Once the close has returned, the next pick starts as usual.
    manual.whileClosingPreview = nullptr;
    form.MnuFromScreenClick();
    EXPECT_TRUE(form.bIsPicking);
    form.PickRightButton();
}

TEST_F(MainFormManual, NoPickStartsFromTheErrorBoxAtTheEndOfAPick) {
    MainForm& form = Start({{L"ShowDeskOnPick", L"0"}});
    dialogs.outcome = TaskDialogOutcome{manual_color_warning::ContinueAutomatic, 0, false};
    profile.failWrites = true; // the settings saved after the warning fail
    host.whileErrorShown = [&] { form.MnuFromScreenClick(); };
    form.MnuFromScreenClick();
    form.PickLeftButton();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(std::count(manual.calls.begin(), manual.calls.end(), "preview"), 1);
    EXPECT_FALSE(form.bIsPicking);
}

TEST_F(MainFormManual, ADialogThatThrowsLeavesBothColourCommandsWorking) {
    MainForm& form = Start({{L"ShowDeskOnPick", L"0"}});
    manual.whileChoosing = [] { throw std::bad_alloc(); };
    EXPECT_THROW(form.MnuSelColorClick(), std::bad_alloc);
    EXPECT_FALSE(form.ColorDialogOpen());
    EXPECT_TRUE(form.TrayMenu[TrayItem::MnuSelColor].enabled);
    manual.whileChoosing = nullptr;
    manual.choice = std::nullopt;
    form.MnuSelColorClick();
    EXPECT_EQ(std::count(manual.calls.begin(), manual.calls.end(), "choose"), 2) << "the dialog opens again";

    dialogs.whileShown = [] { throw std::runtime_error("the warning failed"); };
    EXPECT_THROW(form.WarnUserIfOnAutoSettings(), std::runtime_error);
    EXPECT_FALSE(form.bInWarning);
    form.MnuFromScreenClick();
    EXPECT_TRUE(form.bIsPicking) << "a pick starts again";
}

TEST_F(MainFormManual, ExitFinishesWhenTheCloseHandlerThrows) {
    MainForm& form = Start();
    profile.failWrites = true;
    host.whileErrorShown = [] { throw std::bad_alloc(); }; // even the report fails
    form.Close1Click();
    bool closed = false;
    EXPECT_NO_THROW(closed = form.ExitIfDue());
    EXPECT_TRUE(closed) << "the window must still be destroyed";
    EXPECT_EQ(form.state(), MainForm::State::Closed);
    EXPECT_EQ(host.reported.size(), 1u) << "the error is shown";
    EXPECT_FALSE(form.ExitIfDue()) << "and the exit runs once";
}

TEST_F(MainFormManual, AWallpaperColourFoundBeforeACommandInThePumpIsNotApplied) {
    system.SetWindows7(); // the wallpaper's colour fades in
    struct Case {
        const char* name;
        std::function<void(MainForm&)> command; // run while the pump runs
        bool applied;
    };
    const Case cases[] = {
        {"nothing ran: it fades in", nullptr, true},
        {"loop switched off", [](MainForm& f) { f.MenuEnabledClick(); }, false},
        {"check mark cleared alone", [](MainForm& f) { f.SetMenuEnabledChecked(false); }, false},
        {"source changed alone", [](MainForm& f) { f.AppOptions().Mode = 2; }, false},
        {"source changed (options OK)",
         [](MainForm& f) {
             f.AppOptions().Mode = 1;
             f.InitTimers();
         },
         false},
        {"colour chosen",
         [this](MainForm& f) {
             manual.choice = Choice(kChosen);
             f.MnuSelColorClick();
         },
         false},
        {"pick started", [](MainForm& f) { f.MnuFromScreenClick(); }, false},
    };
    TColor stale = 0; // the new wallpaper's colour, as the first case shows it
    for (const Case& c : cases) {
        profile.values.clear(); // the loop switched off is saved
        files.files[kWall].bytes = SolidBmp(0x10, 0x20, 0x30);
        MainForm& form = Start({{L"WarnDisableAutoPick", L"0"}, {L"ShowDeskOnPick", L"0"}, kAverage, kAllPixels});
        ASSERT_TRUE(form.MenuEnabledChecked()) << c.name;
        while (timers.IsEnabled(TimerId::Anime))
            form.OnTimer(TimerId::Anime);
        const TColor first = form.colorizer().LastAeroColor;
        // A new wallpaper; the pump inside its colour operation runs a command.
        files.files[kWall].bytes = SolidBmp(0x90, 0x10, 0x10);
        files.files[kWall].age += 2;
        bool ran = false;
        host.whileMessagesRun = [&] {
            if (ran || !c.command)
                return;
            ran = true;
            c.command(form);
        };
        form.TimerBackgroundTimer();
        host.whileMessagesRun = nullptr;
        EXPECT_EQ(timers.IsEnabled(TimerId::Anime), c.applied) << c.name;
        if (c.applied) {
            stale = form.colorizer().NewAeroColor;
            EXPECT_EQ(stale, 0x00901010u) << c.name;
            EXPECT_NE(first, stale) << c.name;
        } else {
            EXPECT_NE(form.colorizer().LastAeroColor, stale) << c.name;
            EXPECT_NE(form.colorizer().NewAeroColor, stale) << c.name;
        }
        EXPECT_EQ(ran, c.command != nullptr) << c.name;
        if (c.name == std::string("colour chosen")) {
            EXPECT_EQ(LastWritten(), kChosen) << c.name;
        }
        // Leave no pick behind for the next case.
        form.PickRightButton();
    }
}

TEST_F(MainFormManual, AWallpaperChangedDuringAPickIsTakenOnceItEnds) {
    system.SetWindows7();
    MainForm& form = Start({{L"WarnDisableAutoPick", L"0"}, {L"ShowDeskOnPick", L"0"}, kAverage, kAllPixels});
    while (timers.IsEnabled(TimerId::Anime))
        form.OnTimer(TimerId::Anime);
    const TColor before = form.colorizer().LastAeroColor;
    form.MnuFromScreenClick();
    files.files[kWall].bytes = SolidBmp(0x90, 0x10, 0x10);
    files.files[kWall].age += 2;
    form.TimerBackgroundTimer();
    EXPECT_FALSE(timers.IsEnabled(TimerId::Anime)) << "no fade over the live colour";
    EXPECT_TRUE(timers.IsEnabled(TimerId::Background)) << "the poll waits";
    form.PickRightButton();
    EXPECT_EQ(LastWritten(), before);
    form.TimerBackgroundTimer();
    EXPECT_TRUE(timers.IsEnabled(TimerId::Anime)) << "the new wallpaper's colour fades in after the pick";
    EXPECT_EQ(form.colorizer().NewAeroColor, 0x00901010u);
}

TEST_F(MainFormManual, UnreadablePixelIsSkippedAndASecondPickIsRefused) {
    MainForm& form = Start({{L"ShowDeskOnPick", L"0"}, {L"WarnDisableAutoPick", L"0"}});
    form.MnuFromScreenClick();
    manual.pixel = 0x00112233;
    form.TimerPickTimer();
    manual.pixel = std::nullopt; // off the screen
    form.TimerPickTimer();
    EXPECT_EQ(form.LastPickColor, 0x00112233u);
    EXPECT_EQ(manual.previewColor, 0x00112233u);

    const auto calls = manual.calls;
    form.MnuFromScreenClick();
    form.MnuSelColorClick();
    EXPECT_EQ(manual.calls, calls) << "nothing new starts while a pick runs";

    // The setting changing meanwhile does not leave the preview behind.
    form.AppOptions().ShowPreviewWindow = false;
    form.PickLeftButton();
    EXPECT_FALSE(manual.preview);
    EXPECT_EQ(LastWritten(), 0x00112233u);
}

TEST_F(MainFormManual, DesktopThatCannotBeShownStartsNoPick) {
    MainForm& form = Start({{L"DisableOnPick", L"1"}});
    manual.minimizeFails = true;
    EXPECT_THROW(form.MnuFromScreenClick(), SystemError); // shown at the command's boundary
    EXPECT_EQ(manual.calls, std::vector<std::string>{"minimize"});
    EXPECT_FALSE(form.bIsPicking);
    EXPECT_TRUE(form.MenuEnabledChecked());
    EXPECT_FALSE(timers.IsEnabled(TimerId::Pick));
}

TEST_F(MainFormManual, CancelledPickWithDisableOnPickLeavesTheLoopOffAndWarnsNot) {
    MainForm& form = Start({{L"ShowDeskOnPick", L"0"}, {L"DisableOnPick", L"1"}, {L"RememberCustomColors", L"1"}});
    const TColor before = form.colorizer().LastAeroColor;
    form.MnuFromScreenClick();
    EXPECT_FALSE(form.MenuEnabledChecked());
    form.PickRightButton();
    EXPECT_FALSE(form.MenuEnabledChecked());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(form.CustomColorList.empty()) << "a cancel remembers nothing";
    EXPECT_EQ(LastWritten(), before);
}

TEST_F(MainFormManual, PickEndingWarnsWhileTheLoopRuns) {
    MainForm& form = Start({{L"ShowDeskOnPick", L"0"}});
    dialogs.outcome = TaskDialogOutcome{manual_color_warning::RememberManualColors, 0, false};
    form.MnuFromScreenClick();
    form.PickLeftButton();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(form.CustomColorList.size(), 1u) << "remembered after the warning switched remembering on";
}

TEST_F(MainFormManual, ExitOrSessionEndDuringAPickGivesThePointerBackAndTheOldColour) {
    system.SetWindows7();
    for (const bool sessionEnd : {false, true}) {
        MainForm& form = Start({{L"ShowDeskOnPick", L"0"}, {L"WarnDisableAutoPick", L"0"}});
        while (timers.IsEnabled(TimerId::Anime))
            form.OnTimer(TimerId::Anime);
        const TColor before = form.colorizer().LastAeroColor;
        form.MnuFromScreenClick();
        manual.pixel = 0x00445566;
        form.TimerPickTimer();
        if (sessionEnd) {
            form.SessionEnding();
        } else {
            form.Close1Click();
            ASSERT_TRUE(form.ExitIfDue());
        }
        EXPECT_FALSE(form.bIsPicking) << sessionEnd;
        EXPECT_FALSE(manual.crossHair) << sessionEnd;
        EXPECT_FALSE(manual.captured) << sessionEnd;
        EXPECT_FALSE(manual.preview) << sessionEnd;
        EXPECT_FALSE(timers.IsEnabled(TimerId::Pick)) << sessionEnd;
        EXPECT_EQ(LastWritten(), before) << sessionEnd;
        EXPECT_TRUE(dialogs.shown.empty()) << sessionEnd;
    }
}

TEST_F(MainFormManual, PlainBackgroundRecordsNothing) {
    registry.strings[kWallpaperValue] = L"";
    MainForm& form = Start({{L"RememberCustomColors", L"1"}});
    manual.choice = Choice(kChosen);
    form.MnuSelColorClick();
    EXPECT_EQ(LastWritten(), kChosen);
    EXPECT_TRUE(form.CustomColorList.empty());
    EXPECT_FALSE(files.files.count(kColours));
}

} // namespace
} // namespace hg
