// Colours set by hand: the colour dialog with its custom palette, the screen
// pick, the warning about manual colours while the automatic loop runs, and
// remembering such a colour for the wallpaper shown.
#include "app/MainForm.h"

#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "dialogs/Warnings.h"
#include "platform/ScopeExit.h"

namespace hg {

void MainForm::ApplyManualColor(TColor color) {
    ++colorEvents_;
    // A fade of the automatic loop would otherwise walk on over this colour.
    colorizer_.StopFade();
    colorizer_.SetCompositionColor(color, AppOptions_.Intensity, true, -1, -1);
}

void MainForm::MnuSelColorClick() {
    if (Modals.ExitRequested())
        return;
    if (colorDialogOpen_) {
        if (!Modals.BringForward(WindowKind::ColorDialog))
            tray_->BringToForeground();
        return;
    }
    if (bInWarning) {
        tray_->BringToForeground();
        return;
    }
    if (bIsPicking || PickEnding())
        return; // the pick holds the mouse; it ends first
    const CustomColorPalette palette =
        ParseCustomColors(ports_.profile.ReadString(IniFileName_, kSettingsSection, kCustomColorsKey));
    // A fade under way ends first, so the dialog starts at the colour the
    // loop was heading for, and a cancel leaves that colour, not a step of
    // the fade.
    colorizer_.CompleteFade();

    // Enabled again on every path, an error included, whatever state a
    // refresh gave it meanwhile.
    const ScopeExit enableItem([this] { TrayMenu[TrayItem::MnuSelColor].enabled = true; });
    std::optional<IManualColorHost::ColorChoice> choice;
    {
        colorDialogOpen_ = true;
        const ScopeExit closed([this] { colorDialogOpen_ = false; });
        TrayMenu[TrayItem::MnuSelColor].enabled = false;
        choice = manual_->RunColorDialog(colorizer_.LastAeroColor, palette);
    }

    if (!choice || Modals.ExitRequested())
        return; // cancelled, or closed by "E&xit"

    colorizer_.NewAeroColor = choice->color;
    colorizer_.OldAeroColor = colorizer_.LastAeroColor;
    ApplyManualColor(choice->color);
    if (AppOptions_.DisableOnPick)
        menuEnabledChecked_ = false;
    RefreshTrayMenu();
    if (!ports_.profile.WriteString(IniFileName_, kSettingsSection, kCustomColorsKey,
                                    FormatCustomColors(choice->customColors))) {
        // The colour stays applied; the user learns that the palette was not kept.
        ports_.host.ShowError(SettingsWriteError(IniFileName_).message());
        return;
    }
    WarnUserIfOnAutoSettings();
    if (AppOptions_.Mode == 0 && !Modals.ExitRequested())
        SaveCustomColor();
}

void MainForm::WarnUserIfOnAutoSettings() {
    if (!menuEnabledChecked_ || !AppOptions_.WarnDisableAutoPick || AppOptions_.RememberCustomColors)
        return;
    std::optional<TModalResult> result;
    bool dontShowAgain = false;
    {
        bInWarning = true;
        // Cleared however the warning ends, so that the tray commands never
        // stay dead after an error.
        const ScopeExit warned([this] { bInWarning = false; });
        manual_->ForceForegroundWindow(); // the warning opens also when this is refused
        TMsgBox box = ManualColorInAutoModeWarning(dontShowAgain);
        result = box.TryExecute(ports_.dialogs, nullptr, true);
    }
    // A warning that could not be shown, or that "E&xit" closed, is no
    // answer from the user: nothing changes.
    if (!result || Modals.ExitRequested())
        return;
    if (*result == manual_color_warning::RememberManualColors) {
        AppOptions_.RememberCustomColors = true;
    } else if (*result == manual_color_warning::TurnOffAutomatic) {
        menuEnabledChecked_ = false;
        RefreshTrayMenu();
    }
    if (dontShowAgain)
        AppOptions_.WarnDisableAutoPick = false;
    try {
        SaveSettings(ports_.profile, ports_.files, IniFileName_, AppOptions_, menuEnabledChecked_);
    } catch (const SettingsWriteError& error) {
        ports_.host.ShowError(error.message());
    }
}

void MainForm::SaveCustomColor() {
    if (!AppOptions_.RememberCustomColors)
        return;
    const std::wstring path = WallpaperPath();
    if (path.empty() || !ports_.files.FileExists(path))
        return; // a plain background: nothing to recognise it by
    try {
        // Only the corners are read (the decoder skips what it can); no bitmap
        // of the picture is made.
        PictureColorRows corners;
        if (LoadWallpaperRows(ports_.files, path, corners, ports_.pictures).empty())
            SaveCustomColor(path, corners.Corners(), colorizer_.LastAeroColor);
    } catch (const std::exception&) {
        // Out of memory on a huge picture: the colour stays applied, unremembered.
    }
}

void MainForm::MnuFromScreenClick() {
    if (Modals.ExitRequested())
        return;
    if (bInWarning) {
        tray_->BringToForeground();
        return;
    }
    if (bIsPicking || colorDialogOpen_ || PickEnding())
        return; // one pick at a time, not over the colour dialog, not inside the end of one
    // A failure escapes to the user before anything of the pick has started.
    if (AppOptions_.ShowDeskOnPick)
        manual_->MinimizeAll();
    if (AppOptions_.DisableOnPick)
        menuEnabledChecked_ = false;
    if (AppOptions_.ShowPreviewWindow)
        manual_->ShowPreview(!AreWeOnWindows10, AppOptions_.bFirstTimePick);
    RefreshTrayMenu();
    bIsPicking = true;
    pickConfirmed_ = false;
    ++colorEvents_;
    // A fade under way ends first: it would walk over the live colour, and a
    // cancelled pick returns to the colour the loop was heading for.
    colorizer_.CompleteFade();
    manual_->ReplaceArrowCursor();
    colorizer_.OldAeroColor = colorizer_.LastAeroColor;
    // Ended before its first tick, the pick keeps the colour on screen.
    LastPickColor = colorizer_.LastAeroColor;
    ports_.timers.Enable(TimerId::Pick);
    manual_->SetCapture();
}

void MainForm::TimerPickTimer() {
    if (!bIsPicking)
        return;
    const auto colour = manual_->PixelUnderCursor();
    if (!colour)
        return; // off the screen: the last colour read stays
    if (!AreWeOnWindows10)
        colorizer_.SetCompositionColor(*colour, AppOptions_.Intensity, true, -1, -1);
    LastPickColor = *colour;
    if (AreWeOnWindows10 && manual_->PreviewExists())
        manual_->SetPreviewColor(*colour);
}

void MainForm::PickLeftButton() {
    if (!bIsPicking)
        return;
    ports_.timers.Disable(TimerId::Pick);
    AppOptions_.bFirstTimePick = false;
    pickConfirmed_ = true;
    manual_->ReleaseCapture();
}

void MainForm::PickRightButton() {
    if (!bIsPicking)
        return;
    ports_.timers.Disable(TimerId::Pick);
    LastPickColor = colorizer_.OldAeroColor;
    pickConfirmed_ = false;
    manual_->ReleaseCapture();
}

void MainForm::PreviewClosing() {
    // Closing the preview during a pick cancels it; the end of a pick closes
    // the preview itself after bIsPicking is cleared. While this close runs,
    // nothing may start a new pick (and so a new preview).
    ++pickEndDepth_;
    const ScopeExit done([this] { --pickEndDepth_; });
    PickRightButton();
}

void MainForm::StopPicking(bool releaseCapture) {
    bIsPicking = false;
    ports_.timers.Disable(TimerId::Pick);
    manual_->RestoreCursors();
    if (releaseCapture)
        manual_->ReleaseCapture(); // its loss now finds no pick to end
    // Whatever the setting says now: the preview of this pick goes.
    if (manual_->PreviewExists())
        manual_->ClosePreview();
}

void MainForm::RestorePickStartColor() {
    LastPickColor = colorizer_.OldAeroColor;
    colorizer_.SetCompositionColor(colorizer_.OldAeroColor, AppOptions_.Intensity, true, -1, -1);
}

void MainForm::PickCaptureChanged() {
    if (!bIsPicking)
        return;
    ++pickEndDepth_;
    const ScopeExit done([this] { --pickEndDepth_; });
    StopPicking(false);
    if (!pickConfirmed_) {
        // Cancelled (the right button, the preview closed, the capture taken
        // away): no colour was chosen, so none is warned about or remembered.
        RestorePickStartColor();
        return;
    }
    ApplyManualColor(LastPickColor);
    colorizer_.LastAeroColor = LastPickColor;
    WarnUserIfOnAutoSettings();
    if (!Modals.ExitRequested())
        SaveCustomColor();
}

void MainForm::AbandonPick() {
    if (!bIsPicking)
        return;
    StopPicking(true);
    // Like a cancel: the frames that showed the live colour take the old one back.
    if (colorizer_.LastAeroColor != colorizer_.OldAeroColor)
        RestorePickStartColor();
}

} // namespace hg
