#include "options/OptionsForm.h"

#include "fakes/dialogs/FakeTaskDialogPlatform.h"
#include "fakes/options/FakeOptionsOwner.h"
#include "fakes/platform/FakePorts.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace hg::testing {
namespace {

using C = OptionsControl;
enum class Version { Windows7, Windows81, Windows10 };

class OptionsFormTest : public ::testing::Test {
protected:
    void SetVersion(Version version) {
        if (version == Version::Windows7)
            system.SetWindows7();
        else if (version == Version::Windows81)
            system.version = {2, 6, 3}, system.kernel10 = false;
        else
            system.version = {2, 10, 0}, system.kernel10 = true;
    }
    void SetDwm(std::uint32_t opaqueBlend, std::uint32_t blurBalance) {
        registry.dwords[{kDwmKey, kOpaqueBlendValue}] = opaqueBlend;
        registry.dwords[{kDwmKey, kBlurBalanceValue}] = blurBalance;
    }
    std::uint32_t OpaqueBlend() { return registry.dwords.at({kDwmKey, kOpaqueBlendValue}); }

    OptionsForm& Open() {
        form = std::make_unique<OptionsForm>(OptionsPorts{owner, system, registry, &dialogs}, initial);
        form->FormCreate();
        return *form;
    }

    FakeOptionsOwner owner;
    FakeSystemInfo system;
    FakeRegistry registry;
    FakeTaskDialogPlatform dialogs;
    OptionsInitialValues initial;
    std::unique_ptr<OptionsForm> form;
};

// Every check box against its setting: shown as loaded, stored as ticked.
TEST_F(OptionsFormTest, CheckBoxesShowAndStoreTheirSettings) {
    struct Case {
        C box;
        bool TAppOptions::*field;
    };
    const Case cases[] = {
        {C::CkIgnoreDarkLIghtColors, &TAppOptions::IgnoreDarkLigthColors},
        {C::CheckBgColor, &TAppOptions::UseBgColor},
        {C::CheckFade, &TAppOptions::FadeColor},
        {C::CkRememberManualSet, &TAppOptions::RememberCustomColors},
        {C::CheckDisableOnPick, &TAppOptions::DisableOnPick},
        {C::CheckShowDeskOnPick, &TAppOptions::ShowDeskOnPick},
        {C::CheckShowPreviewWindow, &TAppOptions::ShowPreviewWindow},
        {C::ChkMoreColors, &TAppOptions::ColorizeSysColors},
    };
    SetVersion(Version::Windows7);
    owner.options.nColorMode = 0; // the average colour, so its box can change
    for (const Case& c : cases) {
        for (const bool value : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "control " << static_cast<int>(c.box) << " value " << value);
            owner.options.*c.field = value;
            OptionsForm& dialog = Open();
            EXPECT_EQ(dialog[c.box].checked, value);
            EXPECT_FALSE(dialog[C::BtnApply].enabled);
            dialog.SetChecked(c.box, !value);
            EXPECT_TRUE(dialog[C::BtnApply].enabled);
            EXPECT_TRUE(dialog.BtnOkClick(false));
            EXPECT_EQ(owner.options.*c.field, !value);
        }
    }
}

TEST_F(OptionsFormTest, ChoicesShowAndStoreTheirSettings) {
    SetVersion(Version::Windows81);
    owner.monitors = 3;
    owner.options = {};
    owner.options.Mode = 2;
    owner.options.nColorMode = 1;
    owner.options.DoubleClickAction = 2;
    owner.options.TrayIconStyle = 0;
    owner.options.DualMonWallSlideUseMon = 0;
    owner.options.Intensity = 40;
    owner.menuEnabled = false;
    OptionsForm& dialog = Open();
    EXPECT_TRUE(dialog[C::RbContents].checked);
    EXPECT_FALSE(dialog[C::RbWallpaper].checked || dialog[C::RbIcon].checked);
    EXPECT_TRUE(dialog[C::RadioPredominant].checked);
    EXPECT_FALSE(dialog[C::RadioAverage].checked);
    EXPECT_EQ(dialog.DoubleClickItem(), 2);
    EXPECT_EQ(dialog.IconStyleItem(), 0);
    EXPECT_TRUE(dialog[C::CheckDisabled].checked);
    EXPECT_TRUE(dialog[C::CkMainMonWin81].checked);
    EXPECT_EQ(dialog.SpinValue(), 1); // monitor index 0 shows as 1
    EXPECT_EQ(dialog.SpinMaxValue(), 3);
    EXPECT_EQ(dialog.TrackerPosition(), 40);

    dialog.SetChecked(C::CheckDisabled, false);
    dialog.Select(C::RbIcon);
    dialog.Select(C::RadioAverage);
    dialog.SetDoubleClickItem(1);
    dialog.SetIconStyleItem(1);
    dialog.SetSpinValue(3);
    dialog.SetTracker(77);
    dialog.BtnOkClick(false);
    EXPECT_TRUE(owner.menuEnabled);
    EXPECT_EQ(owner.options.Mode, 1);
    EXPECT_EQ(owner.options.nColorMode, 0);
    EXPECT_EQ(owner.options.DoubleClickAction, 1);
    EXPECT_EQ(owner.options.TrayIconStyle, 1);
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, 2);
    EXPECT_EQ(owner.options.Intensity, 77);

    OptionsForm& again = Open();
    again.Select(C::RbWallpaper);
    again.SetChecked(C::CkMainMonWin81, false);
    EXPECT_FALSE(again[C::SpinMon].enabled);
    again.BtnOkClick(false);
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, -1);
}

// Opening and pressing OK changes nothing, on every version (Windows 10
// stores the hidden slider's 33 as the intensity, which means nothing there).
TEST_F(OptionsFormTest, OpenThenOkChangesNothing) {
    TAppOptions varied;
    varied.Mode = 1;
    varied.UseBgColor = false;
    varied.Intensity = 90;
    varied.FadeColor = false;
    varied.ShowDeskOnPick = false;
    varied.DoubleClickAction = 1;
    varied.DisableOnPick = true;
    varied.TrayIconStyle = 0;
    varied.IgnoreDarkLigthColors = false;
    varied.RememberCustomColors = true;
    varied.ShowPreviewWindow = true;
    varied.DualMonWallSlideUseMon = 1;
    varied.nColorMode = 0;
    varied.ColorizeSysColors = true;
    for (const Version version : {Version::Windows7, Version::Windows81, Version::Windows10}) {
        for (const bool transparent : {false, true}) {
            for (const TAppOptions& start : {TAppOptions{}, varied}) {
                SCOPED_TRACE(::testing::Message() << "version " << static_cast<int>(version) << " transparent "
                                                  << transparent << " mode " << start.Mode);
                SetVersion(version);
                SetDwm(transparent ? 0 : 1, 40);
                owner.monitors = 2;
                owner.options = start;
                if (version == Version::Windows10)
                    owner.options.FadeColor = false; // as loaded there
                owner.menuEnabled = start.Mode == 0;
                Open().BtnOkClick(false);
                TAppOptions expected = start;
                if (version == Version::Windows10)
                    expected.FadeColor = false, expected.Intensity = 33;
                EXPECT_EQ(owner.options, expected);
                EXPECT_EQ(owner.menuEnabled, start.Mode == 0);
                EXPECT_EQ(owner.resetSysColors, 0);
                EXPECT_EQ(OpaqueBlend(), transparent ? 0u : 1u);
            }
        }
    }
}

TEST_F(OptionsFormTest, WhatEachVersionShows) {
    struct Case {
        Version version;
        bool transparency, intensity, monitor;
        std::optional<int> height;
    };
    const Case cases[] = {
        {Version::Windows7, true, true, false, std::nullopt},
        {Version::Windows81, false, true, true, 350},
        {Version::Windows10, false, false, true, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.version));
        SetVersion(c.version);
        owner.monitors = 2;
        owner.options.FadeColor = true;
        OptionsForm& dialog = Open();
        for (C part : {C::CheckTrans, C::TransTracker, C::LabelOpaque, C::LabelTrans})
            EXPECT_EQ(dialog[part].visible, c.transparency);
        for (C part : {C::Tracker, C::LabelLeft, C::Label3, C::lblTitulo2})
            EXPECT_EQ(dialog[part].visible, c.intensity);
        EXPECT_EQ(dialog[C::CkMainMonWin81].visible, c.monitor);
        EXPECT_EQ(dialog[C::SpinMon].visible, c.monitor);
        EXPECT_EQ(dialog.OuterHeightAt96(), c.height);
        const bool windows10 = c.version == Version::Windows10;
        EXPECT_EQ(dialog[C::CheckFade].enabled, !windows10);
        EXPECT_EQ(dialog[C::CheckFade].checked, !windows10);
        EXPECT_EQ(dialog[C::CheckShowPreviewWindow].enabled, !windows10);
    }
}

TEST_F(OptionsFormTest, OneMonitorHidesTheMonitorChoiceAndKeepsIt) {
    SetVersion(Version::Windows10);
    owner.monitors = 1;
    owner.options.DualMonWallSlideUseMon = 4;
    OptionsForm& dialog = Open();
    EXPECT_FALSE(dialog[C::CkMainMonWin81].visible);
    dialog.BtnOkClick(false);
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, 4);
}

TEST_F(OptionsFormTest, ManualAndSourceGreyWhatNoLongerMatters) {
    const C wallpaperBoxes[] = {C::CheckBgColor,        C::CkRememberManualSet,    C::CheckDisableOnPick,
                                C::CheckShowDeskOnPick, C::CheckShowPreviewWindow, C::CkMainMonWin81};
    for (const Version version : {Version::Windows81, Version::Windows10}) {
        SetVersion(version);
        owner.monitors = 2;
        owner.menuEnabled = true;
        owner.options.nColorMode = 0;
        owner.options.DualMonWallSlideUseMon = 0;
        OptionsForm& dialog = Open();
        const bool windows10 = version == Version::Windows10;
        for (C box : wallpaperBoxes)
            EXPECT_EQ(dialog[box].enabled, !(windows10 && box == C::CheckShowPreviewWindow));
        EXPECT_TRUE(dialog[C::CkIgnoreDarkLIghtColors].enabled);
        EXPECT_FALSE(dialog.SpinReadOnly());

        dialog.SetChecked(C::CheckDisabled, true);
        for (C off : {C::RbWallpaper, C::RbIcon, C::RbContents, C::CkIgnoreDarkLIghtColors})
            EXPECT_FALSE(dialog[off].enabled);
        for (C box : wallpaperBoxes)
            EXPECT_FALSE(dialog[box].enabled);
        EXPECT_EQ(dialog[C::CheckFade].enabled, false);
        EXPECT_TRUE(dialog.SpinReadOnly());
        EXPECT_TRUE(dialog[C::BtnApply].enabled);

        dialog.SetChecked(C::CheckDisabled, false);
        dialog.Select(C::RbIcon);
        for (C box : wallpaperBoxes)
            EXPECT_FALSE(dialog[box].enabled);
        EXPECT_EQ(dialog[C::CheckFade].enabled, false);
        EXPECT_TRUE(dialog[C::CkIgnoreDarkLIghtColors].enabled);

        dialog.Select(C::RbWallpaper);
        dialog.SetChecked(C::CheckDisabled, true);
        dialog.BtnOkClick(false);
        EXPECT_FALSE(owner.menuEnabled) << "OK with Manual ticked switches the loop off";
    }
}

// The box matters only for the average colour, and only while the program
// chooses the colour; whichever of the two changed last.
TEST_F(OptionsFormTest, IgnoreDarkLightFollowsColourModeAndManual) {
    owner.options.nColorMode = 1;
    OptionsForm& dialog = Open();
    EXPECT_FALSE(dialog[C::CkIgnoreDarkLIghtColors].enabled);
    dialog.Select(C::RadioAverage);
    EXPECT_TRUE(dialog[C::CkIgnoreDarkLIghtColors].enabled);
    dialog.SetChecked(C::CheckDisabled, true);
    EXPECT_FALSE(dialog[C::CkIgnoreDarkLIghtColors].enabled);
    dialog.Select(C::RadioPredominant);
    dialog.SetChecked(C::CheckDisabled, false);
    EXPECT_FALSE(dialog[C::CkIgnoreDarkLIghtColors].enabled);
}

TEST_F(OptionsFormTest, TransparencyRunsTheIntensitySliderBackwards) {
    SetVersion(Version::Windows7);
    SetDwm(0, 30); // transparent
    owner.options.Intensity = 100;
    OptionsForm& dialog = Open();
    EXPECT_TRUE(dialog[C::CheckTrans].checked);
    EXPECT_EQ(dialog.TrackerPosition(), 28);
    EXPECT_EQ(dialog.TransTrackerPosition(), 30);
    dialog.SetTracker(100);
    dialog.BtnOkClick(false);
    EXPECT_EQ(owner.options.Intensity, 28);
    EXPECT_EQ(Open().TrackerPosition(), 100);
    EXPECT_EQ(OpaqueBlend(), 0u) << "opening does not write the registry";
}

TEST_F(OptionsFormTest, MissingCompositionValuesOpenTransparentAtFifty) {
    SetVersion(Version::Windows7);
    registry.dwords[{kDwmKey, kOpaqueBlendValue}] = 1; // the blur balance is missing
    OptionsForm& dialog = Open();
    EXPECT_TRUE(dialog[C::CheckTrans].checked);
    EXPECT_EQ(dialog.TransTrackerPosition(), 50);
}

TEST_F(OptionsFormTest, SlidersPreviewAndCancelUndoesIt) {
    SetVersion(Version::Windows7);
    SetDwm(1, 40); // opaque
    owner.options.Intensity = 60;
    OptionsForm& dialog = Open();
    EXPECT_TRUE(owner.compositionCalls.empty()) << "opening shows what is already on screen";
    EXPECT_FALSE(dialog[C::TransTracker].enabled);

    dialog.SetTracker(80);
    ASSERT_EQ(owner.compositionCalls.size(), 1u);
    EXPECT_EQ(owner.compositionCalls.back(), (CompositionCall{0x00336699, 80, false, 0, 40}));

    dialog.SetChecked(C::CheckTrans, true);
    EXPECT_EQ(OpaqueBlend(), 0u) << "ticking writes the registry at once";
    EXPECT_TRUE(dialog[C::TransTracker].enabled);
    EXPECT_EQ(owner.compositionCalls.back(), (CompositionCall{0x00336699, 48, false, 1, 40}));
    dialog.SetTransTracker(90);
    EXPECT_EQ(owner.compositionCalls.back(), (CompositionCall{0x00336699, 48, false, 1, 90}));

    owner.lastAeroColor = 0x00112233; // the loop applied a colour meanwhile
    dialog.FormClose(kOptionsCancel);
    EXPECT_EQ(OpaqueBlend(), 1u) << "the registry value read at creation is back";
    EXPECT_EQ(owner.compositionCalls.back(), (CompositionCall{0x00112233, 60, false, 0, 40}));
    EXPECT_EQ(owner.options.Intensity, 60);
    EXPECT_EQ(owner.initTimers, 0);
}

TEST_F(OptionsFormTest, OkKeepsTheTransparencyAndCancelAfterApplyReturnsToTheApplied) {
    SetVersion(Version::Windows7);
    SetDwm(1, 40);
    OptionsForm& dialog = Open();
    dialog.SetChecked(C::CheckTrans, true);
    dialog.SetTransTracker(70);
    EXPECT_FALSE(dialog.BtnOkClick(true));
    EXPECT_EQ(owner.initTimers, 1);
    EXPECT_FALSE(dialog[C::BtnApply].enabled);
    const std::size_t calls = owner.compositionCalls.size();
    dialog.FormClose(kOptionsCancel);
    EXPECT_EQ(OpaqueBlend(), 0u);
    ASSERT_GT(owner.compositionCalls.size(), calls);
    EXPECT_EQ(owner.compositionCalls.back().transparent, 1);
    EXPECT_EQ(owner.compositionCalls.back().transValue, 70);

    OptionsForm& next = Open();
    next.SetChecked(C::CheckTrans, false);
    next.BtnOkClick(false);
    next.FormClose(kOptionsOk);
    EXPECT_EQ(OpaqueBlend(), 1u) << "OK keeps the last value";
}

TEST_F(OptionsFormTest, NoPreviewOnWindows10) {
    SetVersion(Version::Windows10);
    OptionsForm& dialog = Open();
    dialog.SetTracker(90); // hidden: nothing happens
    dialog.FormClose(kOptionsCancel);
    EXPECT_TRUE(owner.compositionCalls.empty());
    EXPECT_TRUE(registry.dwords.empty());
}

TEST_F(OptionsFormTest, RegistryThatCannotBeWrittenIsReportedAndTheBoxStays) {
    SetVersion(Version::Windows7);
    SetDwm(1, 40);
    OptionsForm& dialog = Open();
    registry.failWrites = true;
    EXPECT_THROW(dialog.SetChecked(C::CheckTrans, true), UserError);
    EXPECT_FALSE(dialog[C::CheckTrans].checked);
    EXPECT_FALSE(dialog[C::TransTracker].enabled);
    EXPECT_NO_THROW(dialog.FormClose(kOptionsCancel)) << "nothing to restore";
}

TEST_F(OptionsFormTest, HostileSettingsAreBroughtIntoRange) {
    struct Case {
        std::int32_t intensity, mode, doubleClick, iconStyle, monitor, colorMode;
        std::uint32_t blur;
        int tracker, transTracker;
        std::int64_t spin;
    };
    const Case cases[] = {
        // A monitor index far beyond the monitors present shows as it is
        // stored, and OK keeps it.
        {INT_MIN, -1, -1, INT_MIN, INT_MAX, INT_MIN, 0xFFFFFFFF, 100, 1, std::int64_t{INT_MAX} + 1},
        {INT_MAX, 3, 3, 2, -5, 2, 0x7FFFFFFF, 1, 100, 1},
        {0, INT_MAX, INT_MAX, INT_MAX, INT_MIN, -1, 0, 100, 1, 1},
    };
    SetVersion(Version::Windows81);
    owner.monitors = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.intensity);
        for (const bool transparent : {false, true}) {
            SetDwm(transparent ? 0 : 1, c.blur);
            owner.options.Intensity = c.intensity;
            owner.options.Mode = c.mode;
            owner.options.DoubleClickAction = c.doubleClick;
            owner.options.TrayIconStyle = c.iconStyle;
            owner.options.DualMonWallSlideUseMon = c.monitor;
            owner.options.nColorMode = c.colorMode;
            OptionsForm& dialog = Open();
            // Windows 8.1 has no transparency: the slider runs forwards.
            EXPECT_EQ(dialog.TrackerPosition(), c.intensity <= 0 ? 1 : 100);
            EXPECT_EQ(dialog.DoubleClickItem(), -1);
            EXPECT_EQ(dialog.IconStyleItem(), -1);
            EXPECT_FALSE(dialog[C::RbWallpaper].checked || dialog[C::RbIcon].checked || dialog[C::RbContents].checked);
            EXPECT_TRUE(dialog[C::RadioAverage].checked) << "anything but 1 is the average colour";
            EXPECT_EQ(dialog.SpinValue(), c.spin);
            dialog.BtnOkClick(false);
            EXPECT_EQ(owner.options.Mode, c.mode);
            EXPECT_EQ(owner.options.DoubleClickAction, c.doubleClick);
            EXPECT_EQ(owner.options.TrayIconStyle, c.iconStyle);
            EXPECT_EQ(owner.options.nColorMode, 0);
            EXPECT_EQ(owner.options.DualMonWallSlideUseMon, c.monitor >= 0 ? c.monitor : -1);
        }
    }

    SetVersion(Version::Windows7);
    for (const std::int32_t intensity : {INT_MIN, INT_MAX}) {
        SetDwm(0, 0xFFFFFFFF); // transparent, blur balance -1
        owner.options.Intensity = intensity;
        OptionsForm& dialog = Open();
        EXPECT_EQ(dialog.TrackerPosition(), intensity < 0 ? 100 : 1);
        EXPECT_EQ(dialog.TransTrackerPosition(), 1);
    }
}

// Three monitors; 7 typed and OK pressed with Enter before the spin control
// limited it.
TEST_F(OptionsFormTest, MonitorNumberIsLimitedOnOk) {
    SetVersion(Version::Windows10);
    owner.monitors = 3;
    owner.options.DualMonWallSlideUseMon = 0;
    for (const auto& [typed, stored] :
         {std::pair<std::int64_t, std::int32_t>{7, 2}, {-40, 0}, {INT64_MAX, 2}, {2, 1}}) {
        OptionsForm& dialog = Open();
        dialog.SetSpinValue(typed);
        dialog.BtnOkClick(false);
        EXPECT_EQ(owner.options.DualMonWallSlideUseMon, stored) << typed;
    }
}

// A laptop away from its dock: the stored monitor 4 is not present now. Open
// and OK keep it; a number the user changed is limited to the monitors
// present, and a text that is no number yet changes nothing but "&Apply".
TEST_F(OptionsFormTest, StoredMonitorNotPresentIsKeptUnlessTheUserChangesIt) {
    SetVersion(Version::Windows10);
    owner.monitors = 3;
    owner.options.DualMonWallSlideUseMon = 3;
    OptionsForm& dialog = Open();
    EXPECT_EQ(dialog.SpinValue(), 4);
    dialog.BtnOkClick(false);
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, 3) << "open and OK moved to another monitor";

    // Apply leaves it alone too.
    OptionsForm& applied = Open();
    applied.SetChecked(C::CheckBgColor, !applied[C::CheckBgColor].checked);
    applied.BtnOkClick(true);
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, 3);
    EXPECT_EQ(applied.SpinValue(), 4);

    // Backspace, then the same number typed again: the user's number.
    OptionsForm& retyped = Open();
    retyped.SetSpinValue(std::nullopt);
    EXPECT_TRUE(retyped[C::BtnApply].enabled);
    EXPECT_EQ(retyped.SpinValue(), 4) << "a text that is no number changed the number";
    retyped.SetSpinValue(4);
    EXPECT_FALSE(retyped.BtnOkClick(true));
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, 2);
    EXPECT_EQ(retyped.SpinValue(), 3) << "Apply shows the number it stored";
}

TEST_F(OptionsFormTest, OkAndApplyRefreshTheMenuApplyRestartsTheLoop) {
    OptionsForm& dialog = Open();
    dialog.Select(C::RbContents);
    EXPECT_TRUE(dialog[C::BtnApply].enabled);
    EXPECT_FALSE(dialog.BtnOkClick(true));
    EXPECT_EQ(owner.options.Mode, 2);
    EXPECT_EQ(owner.initTimers, 1);
    EXPECT_EQ(owner.initDefaultMenu, 1);
    EXPECT_EQ(owner.updateTrayIcons, 1);
    EXPECT_FALSE(dialog[C::BtnApply].enabled);
    dialog.FormClose(kOptionsCancel);
    EXPECT_EQ(owner.options.Mode, 2) << "applied settings stay after Cancel";

    OptionsForm& again = Open();
    EXPECT_TRUE(again.BtnOkClick(false));
    EXPECT_EQ(owner.initTimers, 1) << "OK leaves the restart to the command";
    EXPECT_EQ(owner.initDefaultMenu, 2);
}

// Every change can be applied, also those of controls without a handler.
TEST_F(OptionsFormTest, EveryChangeEnablesApply) {
    const std::function<void(OptionsForm&)> changes[] = {
        [](OptionsForm& d) { d.SetChecked(C::CheckBgColor, false); },
        [](OptionsForm& d) { d.SetDoubleClickItem(2); },
        [](OptionsForm& d) { d.SetIconStyleItem(0); },
        [](OptionsForm& d) { d.SetTracker(12); },
        [](OptionsForm& d) { d.Select(C::RadioAverage); },
        [](OptionsForm& d) { d.SetChecked(C::ChkMoreColors, true); },
    };
    SetVersion(Version::Windows81);
    for (const auto& change : changes) {
        OptionsForm& dialog = Open();
        change(dialog);
        EXPECT_TRUE(dialog[C::BtnApply].enabled);
    }
}

TEST_F(OptionsFormTest, SystemColoursAreRestoredOnOkNotAtTheClick) {
    owner.options.ColorizeSysColors = true;
    OptionsForm& dialog = Open();
    dialog.SetChecked(C::ChkMoreColors, false);
    EXPECT_EQ(owner.resetSysColors, 0);
    dialog.BtnOkClick(true);
    EXPECT_EQ(owner.resetSysColors, 1);
    EXPECT_FALSE(owner.options.ColorizeSysColors);
    dialog.BtnOkClick(false);
    EXPECT_EQ(owner.resetSysColors, 1) << "only when it was on";
}

TEST_F(OptionsFormTest, ReactivatingWarningsHoldsEvenWhenCancelled) {
    owner.options.Win8AutoColorizeWarn = false;
    owner.options.WarnDisableAutoPick = false;
    owner.options.bFirstTimePick = false;
    OptionsForm& dialog = Open();
    dialog.SetWindow(reinterpret_cast<NativeWindow>(0x1234));
    dialog.LabelDownloadLinkClick();
    dialog.FormClose(kOptionsCancel);
    EXPECT_TRUE(owner.options.Win8AutoColorizeWarn);
    EXPECT_TRUE(owner.options.WarnDisableAutoPick);
    EXPECT_TRUE(owner.options.bFirstTimePick);
    ASSERT_EQ(dialogs.nativeShown.size(), 1u);
    const TaskDialogDescription& shown = dialogs.nativeShown[0];
    EXPECT_EQ(shown.MainInstruction, L"Dialogs have been reactivated.");
    EXPECT_EQ(shown.MainIcon, 81); // information
    EXPECT_EQ(shown.Parent, reinterpret_cast<NativeWindow>(0x1234));
    EXPECT_FALSE(dialog[C::BtnApply].enabled);
}

} // namespace
} // namespace hg::testing
