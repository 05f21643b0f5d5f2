#pragma once
// The options dialog "Hueglass Options" without its windows: which control
// shows what, which is enabled or shown, what OK, Apply and Cancel write
// back, and the live preview of intensity and transparency. The Windows side
// (options/win32/OptionsWindow.h) creates the controls, pushes the user's
// changes in through the handlers below and shows the state it reads back.
#include "settings/Settings.h"
#include "color/Color.h"
#include "dialogs/MsgBox.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace hg {

namespace task_dialog {
class ITaskDialogPlatform;
}

// Every control whose state the logic decides, named as the dialog knows it.
enum class OptionsControl : std::uint8_t {
    // "Color"
    CheckDisabled,
    RbWallpaper,
    RbIcon,
    RbContents,
    RadioPredominant,
    RadioAverage,
    CkIgnoreDarkLIghtColors,
    lblTitulo2,
    Tracker,
    LabelLeft,
    Label3,
    CheckTrans,
    TransTracker,
    LabelOpaque,
    LabelTrans,
    // "Wallpaper"
    CheckBgColor,
    CheckFade,
    CkRememberManualSet,
    CheckDisableOnPick,
    CheckShowDeskOnPick,
    CheckShowPreviewWindow,
    CkMainMonWin81,
    SpinMon,
    // "Advanced"
    CmbDoubleClick,
    CmbIconStyle,
    ChkMoreColors,
    // Buttons
    BtnApply,
    Count
};

struct OptionsControlState {
    bool visible = true;
    bool enabled = true;
    bool checked = false; // check boxes and radio buttons
};

// What the dialog reads and changes in the main window.
class IOptionsOwner {
public:
    virtual ~IOptionsOwner() = default;
    virtual TAppOptions& AppOptions() = 0;
    // The check mark of the tray menu's "Automatic Color" item: the loop's
    // live on/off state.
    virtual bool MenuEnabledChecked() = 0;
    virtual void SetMenuEnabledChecked(bool checked) = 0;
    virtual TColor LastAeroColor() = 0;
    virtual void SetCompositionColor(TColor color, std::int32_t intensity, bool storeColor, std::int32_t transparent,
                                     std::int32_t transValue) = 0;
    virtual void ResetSysColors() = 0;
    virtual void InitDefaultMenu() = 0;
    virtual void UpdateTrayIcons(bool activeOnly) = 0;
    virtual void InitTimers() = 0;
    virtual int MonitorCount() = 0;
};

struct OptionsPorts {
    IOptionsOwner& owner;
    ISystemInfo& system;
    IRegistry& registry;
    // Shows "Dialogs have been reactivated."; none: the message is skipped.
    task_dialog::ITaskDialogPlatform* dialogs = nullptr;
};

// The desktop composition values of Windows 7 read when a dialog was last
// created; kept from one dialog to the next.
struct OptionsInitialValues {
    bool InitialTransparency = false;
    std::int32_t InitialBlurBalance = 0;
};

inline constexpr wchar_t kDwmKey[] = L"Software\\Microsoft\\Windows\\DWM";
inline constexpr wchar_t kOpaqueBlendValue[] = L"ColorizationOpaqueBlend";
inline constexpr wchar_t kBlurBalanceValue[] = L"ColorizationBlurBalance";
inline constexpr wchar_t kReactivatedMessage[] = L"Dialogs have been reactivated.";

// Modal results of the dialog.
inline constexpr int kOptionsOk = 1;
inline constexpr int kOptionsCancel = 2;

class OptionsForm {
public:
    // The sliders' range and the intensity slider's position before it is
    // loaded (it stays there on Windows 10, where it is hidden).
    static constexpr int kTrackerMin = 1;
    static constexpr int kTrackerMax = 100;
    static constexpr int kTrackerDefault = 33;
    static constexpr std::int64_t kSpinMin = 1;

    OptionsForm(OptionsPorts ports, OptionsInitialValues& initial);

    // Loads every control from the settings and decides what is shown and
    // enabled. "&Apply" starts disabled.
    void FormCreate();

    // The window, as parent of the message it shows.
    void SetWindow(NativeWindow window) { window_ = window; }

    // ----- What the user changed; each runs the control's handler -----
    // A check box was ticked or cleared.
    void SetChecked(OptionsControl box, bool checked);
    // A radio button was selected (the others of its group clear).
    void Select(OptionsControl radio);
    void SetTracker(int position);
    void SetTransTracker(int position);
    void SetDoubleClickItem(int item);
    void SetIconStyleItem(int item);
    // The user changed the monitor number's text: the number it reads as,
    // or nullopt while it is no number (the spin control replaces such a
    // text only when it is read).
    void SetSpinValue(std::optional<std::int64_t> value);
    // "Reactivate warning dialogs".
    void LabelDownloadLinkClick();

    // OK (apply = false) and Apply (apply = true). Returns true when the
    // dialog closes with kOptionsOk.
    bool BtnOkClick(bool apply);
    // The dialog closes with this result; kOptionsCancel undoes the preview.
    void FormClose(int modalResult);

    // ----- What the window shows -----
    const OptionsControlState& operator[](OptionsControl control) const {
        return controls_[static_cast<std::size_t>(control)];
    }
    int TrackerPosition() const { return tracker_; }
    int TransTrackerPosition() const { return transTracker_; }
    // -1: no item selected.
    int DoubleClickItem() const { return doubleClick_; }
    int IconStyleItem() const { return iconStyle_; }
    std::int64_t SpinValue() const { return spinValue_; }
    std::int64_t SpinMaxValue() const { return spinMax_; }
    bool SpinReadOnly() const { return spinReadOnly_; }
    // The form's outer height at 96 pixels per inch where the version hides
    // controls; nullopt keeps the design size.
    std::optional<int> OuterHeightAt96() const { return outerHeight96_; }

private:
    OptionsControlState& at(OptionsControl control) { return controls_[static_cast<std::size_t>(control)]; }
    bool Checked(OptionsControl control) const { return (*this)[control].checked; }
    void EnableApply() { at(OptionsControl::BtnApply).enabled = true; }

    // The enabling rules; run after every change they depend on.
    void UpdateEnabling();
    void RbWallpaperClick();
    void CheckDisabledClick();
    void RadioPredominantClick();
    void CheckTransClick();
    void TrackerChange();
    // Writes the registry's "ColorizationOpaqueBlend"; UserError when it cannot.
    void SetDWMOpaqueValue(bool transparent);
    std::int32_t IntensityFromTracker() const;

    OptionsPorts ports_;
    OptionsInitialValues& initial_;
    NativeWindow window_ = nullptr;
    std::array<OptionsControlState, static_cast<std::size_t>(OptionsControl::Count)> controls_{};
    bool windows8_ = false;
    bool windows10_ = false;
    int tracker_ = kTrackerDefault;
    int transTracker_ = kTrackerMin;
    int doubleClick_ = -1;
    int iconStyle_ = -1;
    std::int64_t spinValue_ = kSpinMin;
    std::int64_t spinMax_ = 99;
    // The user changed the monitor number; until then OK keeps the stored
    // monitor, even one that is not present now.
    bool spinEdited_ = false;
    bool spinReadOnly_ = false;
    bool previewed_ = false; // the frames show a trial intensity or transparency
    std::optional<int> outerHeight96_;
};

bool IsCheckBox(OptionsControl control);
bool IsRadioButton(OptionsControl control);

// The item a list shows for a stored value: the value when it names an item,
// otherwise none (-1).
int ListItemFor(std::int32_t value, int itemCount);

} // namespace hg
