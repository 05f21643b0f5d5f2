// "&Settings...": the options dialog opened from the tray menu, and what the
// main window does after it.
#include "app/MainForm.h"

#include "fakes/app/FakeMainPorts.h"
#include "options/OptionsDialog.h"

#include <gtest/gtest.h>

#include <functional>

namespace hg {
namespace {

using namespace hg::testing;

const std::wstring kIni = L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\Hueglass.Settings";

// Runs the dialog's logic as a user would: what `use` does, then the result.
class ScriptedOptionsDialog final : public IOptionsDialog {
public:
    std::function<int(OptionsForm&)> use = [](OptionsForm& form) {
        form.BtnOkClick(false);
        return kOptionsOk;
    };
    int shown = 0;
    int broughtForward = 0;
    int ShowModal(OptionsForm& form) override {
        ++shown;
        form.FormCreate();
        const int result = use(form);
        form.FormClose(result);
        return result;
    }
    void BringForward() override { ++broughtForward; }
    void CloseAsCancelled() override {}
};

class SettingsCommand : public FakeMainPorts {
protected:
    MainForm& Start() {
        form_ = std::make_unique<MainForm>(
            MainPorts{host, system, files, profile, registry, dialogs, timers, composition, nullptr, nullptr, &window});
        form_->AttachTray(tray);
        form_->FormCreate();
        form_->DeferredStart();
        profile.writes.clear();
        return *form_;
    }
    ScriptedOptionsDialog window;
    std::unique_ptr<MainForm> form_;
};

TEST_F(SettingsCommand, OkRestartsTheLoopAndSavesCancelSavesNothing) {
    MainForm& form = Start();
    window.use = [](OptionsForm& dialog) {
        dialog.Select(OptionsControl::RbContents);
        dialog.BtnOkClick(false);
        return kOptionsOk;
    };
    form.Settings2Click();
    EXPECT_EQ(form.AppOptions().Mode, 2);
    EXPECT_EQ(form.TrayHint(), L"Hueglass (Setting the Accent color via active application contents)");
    EXPECT_EQ(profile.values[kIni][L"Mode"], L"2");
    EXPECT_EQ(profile.writes.size(), 18u);

    profile.writes.clear();
    window.use = [](OptionsForm& dialog) {
        dialog.Select(OptionsControl::RbWallpaper);
        return kOptionsCancel;
    };
    form.Settings2Click();
    EXPECT_EQ(form.AppOptions().Mode, 2);
    EXPECT_TRUE(profile.writes.empty());
}

TEST_F(SettingsCommand, FailedSaveIsReportedAndTheDialogOpensAgain) {
    MainForm& form = Start();
    profile.failWrites = true;
    form.Settings2Click();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], L"Unable to write to " + kIni);
    form.Settings2Click();
    EXPECT_EQ(window.shown, 2);
    EXPECT_EQ(window.broughtForward, 0);
}

TEST_F(SettingsCommand, SecondRequestWhileOpenBringsItForward) {
    MainForm& form = Start();
    window.use = [&](OptionsForm& dialog) {
        form.Settings2Click();
        dialog.BtnOkClick(false);
        return kOptionsOk;
    };
    form.Settings2Click();
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(window.broughtForward, 1);
}

} // namespace
} // namespace hg
