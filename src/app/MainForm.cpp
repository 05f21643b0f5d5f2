#include "app/MainForm.h"

namespace hg {

namespace {
constexpr wchar_t kPersonalizeKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
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

    AreWeOnWindows10 = IsWindows10OrHigher(ports_.system);
    AreWeOnWindows8 = IsWindows8OrHigher(ports_.system);

    IniFileName_ = location_.GetIniFile();
    bIsPicking = false;
    bInWarning = false;

    AppOptions_ = LoadSettings(ports_.profile, IniFileName_, IsWindows10OrHigher(ports_.system));
    menuEnabledChecked_ = AppOptions_.AppEnabled;

    LastForegroundWindow = 0;
    LastBgColor = static_cast<TColor>(-1);
    InitVisualStyle();

    ports_.host.PostDeferredStart();
    state_ = State::WaitingForStart;
}

void MainForm::InitVisualStyle() {
    bDarkSystemTheme = false;
    if (AreWeOnWindows10) {
        // A missing or unreadable value counts as the dark theme.
        const auto light = ports_.registry.ReadDword(kPersonalizeKey, L"SystemUsesLightTheme");
        bDarkSystemTheme = !light || *light == 0;
    }
}

void MainForm::DeferredStart() {
    if (state_ != State::WaitingForStart)
        return;
    state_ = State::Running;
}

void MainForm::FormClose() {
    try {
        SaveSettings(ports_.profile, IniFileName_, AppOptions_, menuEnabledChecked_);
    } catch (const SettingsWriteError& error) {
        ports_.host.ShowError(error.message());
    }
    state_ = State::Closed;
}

} // namespace hg
