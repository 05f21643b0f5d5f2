#pragma once
// The hidden main window of class "TFrmHueglassMain": owns the program's
// logic and turns window messages into calls on it.
#include "about/win32/AboutWindow.h"
#include "app/MainForm.h"
#include "color/win32/Win32Pictures.h"
#include "colorize/win32/Win32Composition.h"
#include "dialogs/win32/Win32TaskDialogHost.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Window.h"
#include "tray/win32/Win32Tray.h"
#include "update/win32/Win32UpdateTransport.h"

#include <memory>
#include <set>

namespace hg::win32 {

class MainWindow final : public Window, private IMainHost, private ITimers, private IAboutBoxHost {
public:
    explicit MainWindow(UniqueKernelHandle mutex);
    ~MainWindow() override;

    // Creates the window; its creation handler runs inside. False when the
    // window could not be created.
    bool Create();

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(WORD id);
    void Close1Click();

    // IMainHost
    void ShowPlainMessage(const std::wstring& text) override;
    void ShowError(const std::wstring& text) override;
    void PostQuit() override;
    void PostDeferredStart() override;
    void ShellOpen(const std::wstring& file, const std::wstring& parameters) override;
    void ProcessMessages() override;
    int MonitorCount() override;
    std::uintptr_t ForegroundWindow() override;
    std::uintptr_t MainWindowHandle() override;

    // IAboutBoxHost
    void ShowAboutBox() override;

    // ITimers: window timers whose ids are the TimerId values.
    void Enable(TimerId id) override;
    void Disable(TimerId id) override;
    bool IsEnabled(TimerId id) const override;

    Win32SystemInfo system_;
    Win32FileSystem files_;
    Win32Profile profile_;
    Win32Registry registry_;
    Win32TaskDialogHost dialogs_{L"Hueglass"};
    Win32Composition composition_;
    Win32Pictures pictures_;
    std::set<TimerId> enabledTimers_;
    MainForm form_;
    // The notification-area icon and its menu, attached to form_.
    Win32Tray tray_;
    UniqueKernelHandle CreatedMutex;
    // Shared with update checks that may outlive the About box.
    std::shared_ptr<Win32UpdateTransport> updateTransport_ = std::make_shared<Win32UpdateTransport>();
    // The About box while it is open.
    TFrmAboutHueglass* aboutBox_ = nullptr;
};

} // namespace hg::win32
