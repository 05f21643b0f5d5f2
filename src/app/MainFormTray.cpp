// The main window's tray icon, its menu commands and the colours remembered
// per wallpaper.
#include "app/MainForm.h"

namespace hg {

namespace {
constexpr wchar_t kDonationPage[] = L"https://www.brenmoor.com/donate.php";
} // namespace

void MainForm::RefreshTrayMenu() {
    ::hg::RefreshTrayMenu(TrayMenu, menuEnabledChecked_, AppOptions_.Mode);
    // The colour dialog runs once at a time.
    if (colorDialogOpen_)
        TrayMenu[TrayItem::MnuSelColor].enabled = false;
    UpdateTrayIcons(false);
}

void MainForm::UpdateTrayIcons(bool /*bActiveOnly: every caller asks for all icons*/) {
    tray_->SetTrayIcon(ChooseTrayIcon(AppOptions_.TrayIconStyle, AreWeOnWindows10, bDarkSystemTheme));
}

void MainForm::InitDefaultMenu() { ::hg::InitDefaultMenu(TrayMenu, AppOptions_.DoubleClickAction); }

void MainForm::TrayDblClick() {
    if (Modals.ExitRequested())
        return; // the program is on its way out
    // The program comes forward first, so what opens next gets the focus.
    tray_->BringToForeground();
    switch (::hg::TrayDblClick(bInWarning, AppOptions_.DoubleClickAction)) {
    case TrayAction::StartDisplay:
        MnuStartDisplayClick();
        break;
    case TrayAction::FromScreen:
        MnuFromScreenClick();
        break;
    case TrayAction::SelColor:
        MnuSelColorClick();
        break;
    case TrayAction::None:
        break;
    }
}

void MainForm::MnuStartDisplayClick() {
    // Tested afresh: the settings page exists from Windows 10 on.
    if (IsWindows10OrHigher(ports_.system))
        tray_->ShellRun({false, std::nullopt, L"ms-settings:personalization", L"", L"", 5 /* SW_SHOW */});
    else
        tray_->ShellRun({true, L"open", L"control.exe", L" /name Microsoft.Personalization", L"", 1 /* SW_SHOWNORMAL */});
}

void MainForm::MnuDonateClick() { tray_->ShellRun({false, L"Open", kDonationPage, L"", L"", 5 /* SW_SHOW */}); }


void MainForm::About1Click() {
    if (aboutBox_ == nullptr)
        return;
    Modals.Run(WindowKind::About, *aboutBox_, [this] {
        aboutBox_->ShowAboutBox();
        return true;
    });
}

void MainForm::SecondInstance() {
    // The balloon belongs to the tray icon: while the icon is not shown yet
    // (a start-up warning is still open) there is nothing to show it from.
    if (!tray_->TrayIconVisible())
        return;
    tray_->ShowTrayBalloon(L"Hueglass", L"Hueglass is running");
}

void MainForm::ShowManualColorItem(std::int32_t index) {
    TrayMenuItem& item = TrayMenu[TrayItem::MnuClearCurrentManualColor];
    item.visible = index >= 0;
    if (index >= 0)
        item.hint = std::to_wstring(index);
}

void MainForm::MnuClearCurrentManualColorClick() {
    TrayMenuItem& item = TrayMenu[TrayItem::MnuClearCurrentManualColor];
    // The file keeps the entry until the next save.
    ClearCurrentManualColor(CustomColorList, item.hint);
    item.visible = false;
    RestartAutomaticColor();
}

void MainForm::LoadCustomColorCache() {
    CustomColorFile = location_.GetDataFolder() + std::wstring(CustomColorFileName);
    ::hg::LoadCustomColorCache(CustomColorList, ports_.files, CustomColorFile);
}

bool MainForm::SaveCustomColorCache() {
    if (CustomColorFile.empty())
        return true; // the list was never loaded (a refused start)
    return ::hg::SaveCustomColorCache(CustomColorList, ports_.files, CustomColorFile,
                                      AppOptions_.RememberCustomColors);
}

void MainForm::SaveCustomColor(const std::wstring& wallpaper, const Bitmap24& picture, TColor colour) {
    if (!AppOptions_.RememberCustomColors)
        return;
    const std::int32_t index = RememberColorFor(CustomColorList, ports_.files, wallpaper, picture, colour);
    if (index < 0)
        return;
    ShowManualColorItem(index);
    // A failure is not reported here: the colour stays in the list and the
    // save at the end of the program tries again (and reports).
    SaveCustomColorCache();
}

void MainForm::RestartAutomaticColor() { InitTimers(); }

} // namespace hg
