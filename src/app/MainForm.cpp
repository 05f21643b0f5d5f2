#include "app/MainForm.h"

#include "dialogs/Warnings.h"

namespace hg {

namespace {
constexpr wchar_t kPersonalizeKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop\\";
constexpr wchar_t kAutoColorization[] = L"AutoColorization";
} // namespace

MainForm::MainForm(MainPorts ports) : ports_(ports), location_(ports.system, ports.files) {}

void MainForm::FormCreate() {
    state_ = State::Creating;
    if (!IsWindows7OrHigher(ports_.system)) {
        ports_.host.ShowPlainMessage(L"This program requires Windows 7 or higher");
        ports_.host.PostQuit();
        state_ = State::Refused;
        return;
    }
    WarnIfCompositionOff();

    AreWeOnWindows10 = IsWindows10OrHigher(ports_.system);
    AreWeOnWindows8 = IsWindows8OrHigher(ports_.system);

    IniFileName_ = location_.GetIniFile();
    bIsPicking = false;
    bInWarning = false;

    AppOptions_ = LoadSettings(ports_.profile, IniFileName_, IsWindows10OrHigher(ports_.system));
    menuEnabledChecked_ = AppOptions_.AppEnabled;
    InitDefaultMenu();
    LoadCustomColorCache();

    WarnIfAutoColorizationOn();

    LastForegroundWindow = 0;
    LastBgColor = static_cast<TColor>(-1);
    InitVisualStyle();

    ports_.host.PostDeferredStart();
    if (state_ == State::Creating)
        state_ = State::WaitingForStart;
}

void MainForm::WarnIfCompositionOff() {
    if (IsCompositionEnabled(ports_.system))
        return;
    TMsgBox box = CompositionOffWarning();
    switch (box.Execute(ports_.dialogs, nullptr, true)) {
    case composition_warning::EnableDwm:
        OpenPersonalization();
        break;
    case composition_warning::Cancel:
        // The rest of creation still runs, but the loop ends at its first
        // message: no timer starts and the tray icon never shows.
        ports_.host.PostQuit();
        state_ = State::Refused;
        break;
    default:
        break;
    }
}

void MainForm::WarnIfAutoColorizationOn() {
    if (!AreWeOnWindows8 || !AppOptions_.Win8AutoColorizeWarn)
        return;
    // Only a 32-bit value that is not 0 means on; text or a missing value is off.
    const auto value = ports_.registry.ReadDword(kDesktopKey, kAutoColorization);
    if (!value || *value == 0)
        return;
    bool dontShowAgain = false;
    TMsgBox box = AutoColorizationWarning(dontShowAgain);
    // A dialog that could not be shown at all must not turn the user's
    // setting off unasked, as a cancelled one would.
    const auto result = box.TryExecute(ports_.dialogs, nullptr, true);
    if (!result)
        return;
    if (*result == auto_colorization_warning::OpenPersonalize)
        OpenPersonalization();
    else if (*result == auto_colorization_warning::TurnOff)
        ports_.registry.WriteDword(kDesktopKey, kAutoColorization, 0);
    if (dontShowAgain)
        AppOptions_.Win8AutoColorizeWarn = false;
}

void MainForm::OpenPersonalization() { ports_.host.ShellOpen(L"control.exe", L" /name Microsoft.Personalization"); }

void MainForm::InitVisualStyle() {
    bDarkSystemTheme = false;
    if (AreWeOnWindows10) {
        // A missing or unreadable value counts as the dark theme.
        const auto light = ports_.registry.ReadDword(kPersonalizeKey, L"SystemUsesLightTheme");
        bDarkSystemTheme = !light || *light == 0;
    }
    // The Personalize item shows the image of the Windows personalization
    // settings.
    tray_->SetPersonalizeImage(AddBackslash(ports_.system.WindowsFolder()) + L"System32\\Themecpl.dll");
    TrayMenu[TrayItem::MnuStartDisplay].image = MenuImage::DisplayIco;
}

void MainForm::DeferredStart() {
    if (state_ != State::WaitingForStart)
        return;
    state_ = State::Running;
    RefreshTrayMenu();
    tray_->ShowTrayIcon();
}

void MainForm::FormClose() {
    try {
        SaveSettings(ports_.profile, IniFileName_, AppOptions_, menuEnabledChecked_);
    } catch (const SettingsWriteError& error) {
        ports_.host.ShowError(error.message());
    }
    if (!SaveCustomColorCache())
        ports_.host.ShowError(L"Unable to write to " + CustomColorFile);
    state_ = State::Closed;
}

} // namespace hg
