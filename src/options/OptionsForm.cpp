#include "options/OptionsForm.h"

#include "dialogs/TaskDialog.h"
#include "platform/Errors.h"

#include <algorithm>
#include <string>

namespace hg {

namespace {
using C = OptionsControl;

constexpr int kDoubleClickItems = 3; // personalize, pick from screen, colour dialog
constexpr int kIconStyleItems = 2;   // application, native
// Read when the composition values cannot be: frames transparent, half blurred.
constexpr std::int32_t kDefaultBlurBalance = 50;

int TrackerRange(std::int64_t position) {
    return static_cast<int>(std::clamp<std::int64_t>(position, OptionsForm::kTrackerMin, OptionsForm::kTrackerMax));
}
} // namespace

bool IsCheckBox(OptionsControl control) {
    switch (control) {
    case C::CheckDisabled:
    case C::CkIgnoreDarkLIghtColors:
    case C::CheckTrans:
    case C::CheckBgColor:
    case C::CheckFade:
    case C::CkRememberManualSet:
    case C::CheckDisableOnPick:
    case C::CheckShowDeskOnPick:
    case C::CheckShowPreviewWindow:
    case C::CkMainMonWin81:
    case C::ChkMoreColors:
        return true;
    default:
        return false;
    }
}

bool IsRadioButton(OptionsControl control) {
    return control == C::RbWallpaper || control == C::RbIcon || control == C::RbContents ||
           control == C::RadioPredominant || control == C::RadioAverage;
}

int ListItemFor(std::int32_t value, int itemCount) {
    return value >= 0 && value < itemCount ? value : -1;
}

OptionsForm::OptionsForm(OptionsPorts ports, OptionsInitialValues& initial) : ports_(ports), initial_(initial) {}

void OptionsForm::FormCreate() {
    ISystemInfo& system = ports_.system;
    windows10_ = IsWindows10OrHigher(system);
    windows8_ = IsWindows8OrHigher(system);
    const TAppOptions& options = ports_.owner.AppOptions();

    if (!windows10_) {
        const auto opaque = ports_.registry.ReadDword(kDwmKey, kOpaqueBlendValue);
        const auto blur = ports_.registry.ReadDword(kDwmKey, kBlurBalanceValue);
        if (opaque && blur) {
            initial_.InitialTransparency = *opaque == 0;
            initial_.InitialBlurBalance = static_cast<std::int32_t>(*blur);
        } else {
            initial_.InitialTransparency = true;
            initial_.InitialBlurBalance = kDefaultBlurBalance;
        }
    }

    if (windows8_) {
        // Frames have no transparency from Windows 8 on.
        at(C::CheckTrans) = {false, false, false};
        for (C hidden : {C::TransTracker, C::LabelOpaque, C::LabelTrans})
            at(hidden).visible = false;
        initial_.InitialTransparency = false;
        if (windows10_) {
            // Nor an intensity of their own from Windows 10 on.
            for (C hidden : {C::Tracker, C::LabelLeft, C::Label3, C::lblTitulo2})
                at(hidden).visible = false;
            outerHeight96_ = 300;
        } else {
            outerHeight96_ = 350;
        }
    } else if (IsWindows7OrHigher(system)) {
        at(C::CheckTrans).checked = initial_.InitialTransparency;
    }
    transTracker_ = TrackerRange(initial_.InitialBlurBalance);

    at(C::RbWallpaper).checked = options.Mode == 0;
    at(C::RbIcon).checked = options.Mode == 1;
    at(C::RbContents).checked = options.Mode == 2;

    at(C::CheckDisabled).checked = !ports_.owner.MenuEnabledChecked();
    at(C::CheckBgColor).checked = options.UseBgColor;

    if (windows10_) {
        // Colours change at once from Windows 10 on, and the preview window
        // is always shown.
        at(C::CheckFade) = {true, false, false};
        at(C::CheckShowPreviewWindow).enabled = false;
    } else {
        at(C::CheckFade).checked = options.FadeColor;
        // With transparency the slider runs the other way.
        const std::int64_t intensity = options.Intensity;
        tracker_ = TrackerRange(initial_.InitialTransparency ? 128 - intensity : intensity);
    }

    at(C::CkRememberManualSet).checked = options.RememberCustomColors;
    at(C::CheckShowDeskOnPick).checked = options.ShowDeskOnPick;
    at(C::CheckDisableOnPick).checked = options.DisableOnPick;
    doubleClick_ = ListItemFor(options.DoubleClickAction, kDoubleClickItems);
    iconStyle_ = ListItemFor(options.TrayIconStyle, kIconStyleItems);
    at(C::CheckShowPreviewWindow).checked = options.ShowPreviewWindow;
    at(C::CkIgnoreDarkLIghtColors).checked = options.IgnoreDarkLigthColors;
    // Any colour mode but 1 means the average colour, so it shows as such.
    at(C::RadioPredominant).checked = options.nColorMode == 1;
    at(C::RadioAverage).checked = options.nColorMode != 1;

    const int monitors = std::max(1, ports_.owner.MonitorCount());
    spinMax_ = monitors;
    if (windows8_ && monitors > 1) {
        at(C::CkMainMonWin81).checked = options.DualMonWallSlideUseMon >= 0;
        // The stored monitor as it is, even one not present now (a laptop
        // away from its dock): shown is what OK keeps.
        if (options.DualMonWallSlideUseMon >= 0)
            spinValue_ = std::int64_t{options.DualMonWallSlideUseMon} + 1;
    } else {
        at(C::CkMainMonWin81).visible = false;
        at(C::SpinMon).visible = false;
    }

    at(C::ChkMoreColors).checked = options.ColorizeSysColors;
    UpdateEnabling();
    at(C::BtnApply).enabled = false;
}

void OptionsForm::UpdateEnabling() {
    const bool manual = Checked(C::CheckDisabled);
    for (C source : {C::RbWallpaper, C::RbIcon, C::RbContents})
        at(source).enabled = !manual;
    // The average colour alone leaves out dark and light pixels, and only
    // while the program chooses the colour.
    at(C::CkIgnoreDarkLIghtColors).enabled = !manual && Checked(C::RadioAverage);

    // The settings of the wallpaper and of manual colours matter only while
    // the wallpaper is the source of an automatic colour.
    const bool wallpaper = Checked(C::RbWallpaper) && !manual;
    if (!windows10_) {
        at(C::CheckFade).enabled = wallpaper;
        at(C::CheckShowPreviewWindow).enabled = wallpaper;
    }
    for (C box : {C::CheckBgColor, C::CheckDisableOnPick, C::CkRememberManualSet, C::CheckShowDeskOnPick})
        at(box).enabled = wallpaper;
    at(C::CkMainMonWin81).enabled = wallpaper;
    spinReadOnly_ = !wallpaper;
    at(C::SpinMon).enabled = Checked(C::CkMainMonWin81);

    for (C part : {C::TransTracker, C::LabelOpaque, C::LabelTrans})
        at(part).enabled = Checked(C::CheckTrans);
}

void OptionsForm::RbWallpaperClick() {
    EnableApply();
    UpdateEnabling();
}

void OptionsForm::CheckDisabledClick() {
    RbWallpaperClick();
}

void OptionsForm::RadioPredominantClick() {
    EnableApply();
    UpdateEnabling();
}

void OptionsForm::SetChecked(OptionsControl box, bool checked) {
    OptionsControlState& state = at(box);
    if (!IsCheckBox(box) || !state.visible || !state.enabled || state.checked == checked)
        return;
    state.checked = checked;
    switch (box) {
    case C::CheckDisabled:
    case C::ChkMoreColors:
        CheckDisabledClick();
        break;
    case C::CheckTrans:
        try {
            CheckTransClick();
        } catch (...) {
            // The box shows what the system holds.
            state.checked = !checked;
            UpdateEnabling();
            throw;
        }
        break;
    default:
        EnableApply();
        UpdateEnabling();
        break;
    }
}

void OptionsForm::Select(OptionsControl radio) {
    OptionsControlState& state = at(radio);
    if (!state.visible || !state.enabled || state.checked)
        return;
    switch (radio) {
    case C::RbWallpaper:
    case C::RbIcon:
    case C::RbContents:
        for (C source : {C::RbWallpaper, C::RbIcon, C::RbContents})
            at(source).checked = source == radio;
        RbWallpaperClick();
        break;
    case C::RadioPredominant:
    case C::RadioAverage:
        at(C::RadioPredominant).checked = radio == C::RadioPredominant;
        at(C::RadioAverage).checked = radio == C::RadioAverage;
        RadioPredominantClick();
        break;
    default:
        break; // not a radio button
    }
}

void OptionsForm::SetTracker(int position) {
    position = TrackerRange(position);
    if (!(*this)[C::Tracker].visible || position == tracker_)
        return;
    tracker_ = position;
    TrackerChange();
}

void OptionsForm::SetTransTracker(int position) {
    position = TrackerRange(position);
    if (!(*this)[C::TransTracker].visible || position == transTracker_)
        return;
    transTracker_ = position;
    TrackerChange();
}

void OptionsForm::SetDoubleClickItem(int item) {
    item = ListItemFor(item, kDoubleClickItems);
    if (item < 0 || item == doubleClick_)
        return;
    doubleClick_ = item;
    EnableApply();
}

void OptionsForm::SetIconStyleItem(int item) {
    item = ListItemFor(item, kIconStyleItems);
    if (item < 0 || item == iconStyle_)
        return;
    iconStyle_ = item;
    EnableApply();
}

void OptionsForm::SetSpinValue(std::optional<std::int64_t> value) {
    if (value == spinValue_)
        return;
    spinEdited_ = true;
    if (value)
        spinValue_ = *value;
    EnableApply();
}

std::int32_t OptionsForm::IntensityFromTracker() const {
    return Checked(C::CheckTrans) ? 128 - tracker_ : tracker_;
}

void OptionsForm::TrackerChange() {
    if (windows10_)
        return;
    // A trial colour: the frames show it, the program does not keep it.
    ports_.owner.SetCompositionColor(ports_.owner.LastAeroColor(), IntensityFromTracker(), false,
                                     Checked(C::CheckTrans) ? 1 : 0, transTracker_);
    previewed_ = true;
    EnableApply();
}

void OptionsForm::CheckTransClick() {
    UpdateEnabling();
    SetDWMOpaqueValue(Checked(C::CheckTrans));
    TrackerChange();
}

void OptionsForm::SetDWMOpaqueValue(bool transparent) {
    if (!ports_.registry.WriteDword(kDwmKey, kOpaqueBlendValue, transparent ? 0 : 1))
        throw UserError(L"Unable to write to HKEY_CURRENT_USER\\" + std::wstring(kDwmKey));
}

void OptionsForm::LabelDownloadLinkClick() {
    // At once: the warnings stay reactivated even if the dialog is cancelled.
    TAppOptions& options = ports_.owner.AppOptions();
    options.Win8AutoColorizeWarn = true;
    options.WarnDisableAutoPick = true;
    options.bFirstTimePick = true;
    if (ports_.dialogs != nullptr)
        task_dialog::TaskMessageDlg(*ports_.dialogs, kReactivatedMessage, task_dialog::msg_type::Information,
                                    task_dialog::msg_button::OK, 0, window_);
}

bool OptionsForm::BtnOkClick(bool apply) {
    IOptionsOwner& owner = ports_.owner;
    TAppOptions& options = owner.AppOptions();
    owner.SetMenuEnabledChecked(!Checked(C::CheckDisabled));
    // A source outside the three (edited by hand) stays unless one is chosen.
    if (Checked(C::RbWallpaper))
        options.Mode = 0;
    else if (Checked(C::RbIcon))
        options.Mode = 1;
    else if (Checked(C::RbContents))
        options.Mode = 2;
    options.Intensity = IntensityFromTracker();
    options.FadeColor = Checked(C::CheckFade);
    options.RememberCustomColors = Checked(C::CkRememberManualSet);
    options.UseBgColor = Checked(C::CheckBgColor);
    options.ShowDeskOnPick = Checked(C::CheckShowDeskOnPick);
    options.DisableOnPick = Checked(C::CheckDisableOnPick);
    if (doubleClick_ >= 0)
        options.DoubleClickAction = doubleClick_;
    if (iconStyle_ >= 0)
        options.TrayIconStyle = iconStyle_;
    options.IgnoreDarkLigthColors = Checked(C::CkIgnoreDarkLIghtColors);
    options.ShowPreviewWindow = Checked(C::CheckShowPreviewWindow);
    options.nColorMode = Checked(C::RadioPredominant) ? 1 : 0;
    if ((*this)[C::CkMainMonWin81].visible) {
        // What the user typed is limited to the monitors present (OK pressed
        // with Enter comes before the spin control limits it); a stored
        // monitor the user left alone is kept.
        if (spinEdited_)
            spinValue_ = std::clamp<std::int64_t>(spinValue_, kSpinMin, spinMax_);
        options.DualMonWallSlideUseMon = Checked(C::CkMainMonWin81) ? static_cast<std::int32_t>(spinValue_ - 1) : -1;
    }
    if (!Checked(C::ChkMoreColors) && options.ColorizeSysColors)
        owner.ResetSysColors();
    options.ColorizeSysColors = Checked(C::ChkMoreColors);
    owner.InitDefaultMenu();
    owner.UpdateTrayIcons(false);
    if (!apply)
        return true;
    owner.InitTimers();
    at(C::BtnApply).enabled = false;
    // What was applied stays, transparency included: Cancel returns to it.
    if ((*this)[C::CheckTrans].visible) {
        initial_.InitialTransparency = Checked(C::CheckTrans);
        initial_.InitialBlurBalance = transTracker_;
    }
    return false;
}

void OptionsForm::FormClose(int modalResult) {
    if (modalResult != kOptionsCancel || windows10_)
        return;
    const bool restoreRegistry = Checked(C::CheckTrans) != initial_.InitialTransparency;
    const bool written = !restoreRegistry ||
                         ports_.registry.WriteDword(kDwmKey, kOpaqueBlendValue, initial_.InitialTransparency ? 0 : 1);
    if (previewed_)
        ports_.owner.SetCompositionColor(ports_.owner.LastAeroColor(), ports_.owner.AppOptions().Intensity, false,
                                         initial_.InitialTransparency ? 1 : 0, initial_.InitialBlurBalance);
    if (!written)
        throw UserError(L"Unable to write to HKEY_CURRENT_USER\\" + std::wstring(kDwmKey));
}

} // namespace hg
