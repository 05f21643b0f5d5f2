#pragma once
// The main window's logic with every port faked: a base for its tests.
#include "app/MainForm.h"
#include "fakes/app/FakeMainHost.h"
#include "fakes/app/FakeTimers.h"
#include "fakes/colorize/FakeComposition.h"
#include "fakes/dialogs/FakeTaskDialogHost.h"
#include "fakes/platform/FakePorts.h"
#include "fakes/tray/FakeTrayHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace hg::testing {

// The data folder the fakes' user has, and the program's two files in it.
inline const std::wstring kData = L"C:\\Users\\me\\AppData\\Roaming\\Brenmoor\\Hueglass\\";
inline const std::wstring kIni = kData + L"Hueglass.Settings";
inline const std::wstring kColours = kData + L"CustomColorCache.Settings";

class FakeMainPorts : public ::testing::Test {
protected:
    FakeMainPorts() { files.profile = &profile; }

    // A new main window logic on these fakes, its tray attached, not created yet.
    std::unique_ptr<MainForm> NewForm() {
        auto form = std::make_unique<MainForm>(
            MainPorts{host, system, files, profile, registry, dialogs, timers, composition, nullptr});
        form->AttachTray(tray);
        return form;
    }

    FakeMainHost host;
    FakeSystemInfo system;
    FakeFileSystem files;
    FakeProfile profile;
    FakeRegistry registry;
    FakeTaskDialogHost dialogs;
    FakeTimers timers;
    fakes::FakeComposition composition;
    FakeTrayHost tray;
};

} // namespace hg::testing
