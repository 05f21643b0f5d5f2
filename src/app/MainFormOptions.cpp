// "&Settings...": the options dialog over the main window's settings.
#include "app/MainForm.h"

#include "options/OptionsDialog.h"

namespace hg {

namespace {
// The main window as the dialog reads and changes it.
class OptionsOwner final : public IOptionsOwner {
public:
    OptionsOwner(MainForm& form, IMainHost& host) : form_(form), host_(host) {}
    TAppOptions& AppOptions() override { return form_.AppOptions(); }
    bool MenuEnabledChecked() override { return form_.MenuEnabledChecked(); }
    void SetMenuEnabledChecked(bool checked) override { form_.SetMenuEnabledChecked(checked); }
    TColor LastAeroColor() override { return form_.colorizer().LastAeroColor; }
    void SetCompositionColor(TColor color, std::int32_t intensity, bool storeColor, std::int32_t transparent,
                             std::int32_t transValue) override {
        form_.colorizer().SetCompositionColor(color, intensity, storeColor, transparent, transValue);
    }
    void ResetSysColors() override { form_.colorizer().ResetSysColors(); }
    void InitDefaultMenu() override { form_.InitDefaultMenu(); }
    void UpdateTrayIcons(bool activeOnly) override { form_.UpdateTrayIcons(activeOnly); }
    void InitTimers() override { form_.InitTimers(); }
    int MonitorCount() override { return host_.MonitorCount(); }

private:
    MainForm& form_;
    IMainHost& host_;
};
} // namespace

void MainForm::Settings2Click() {
    IOptionsDialog* const window = ports_.options;
    if (window == nullptr)
        return;
    OptionsOwner owner(*this, ports_.host);
    OptionsForm form(OptionsPorts{owner, ports_.system, ports_.registry, ports_.taskDialogs}, optionsInitial_);
    const auto result = Modals.Run(WindowKind::Options, *window, [&] { return window->ShowModal(form); });
    if (!result || *result != kOptionsOk)
        return; // brought forward, cancelled, or closed by "E&xit"
    InitTimers();
    try {
        SaveSettings(ports_.profile, ports_.files, IniFileName_, AppOptions_, menuEnabledChecked_);
    } catch (const SettingsWriteError& error) {
        // The new settings stay in force; the user learns they were not kept.
        ports_.host.ShowError(error.message());
    }
    UpdateTrayIcons(false);
}

} // namespace hg
