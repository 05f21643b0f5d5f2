#pragma once
// The hidden main window of class "TFrmHueglassMain": owns the program's
// logic and turns window messages into calls on it.
#include "about/win32/AboutWindow.h"
#include "app/MainForm.h"
#include "app/win32/Win32WallpaperWatch.h"
#include "color/win32/Win32ActiveWindows.h"
#include "color/win32/Win32Pictures.h"
#include "colorize/win32/Win32Composition.h"
#include "dialogs/win32/Win32TaskDialogHost.h"
#include "manual/win32/Win32ManualHost.h"
#include "options/win32/OptionsWindow.h"
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

    // The wallpaper's change notifications, whose handles the message loop
    // waits on beside the messages.
    Win32WallpaperWatch& WallpaperWatch() { return wallpaperWatch_; }

private:
    // Task dialogs of the logic, registered as open windows while shown.
    class ModalTaskDialogs final : public ITaskDialogHost {
    public:
        explicit ModalTaskDialogs(ITaskDialogHost& inner) : inner_(inner) {}
        void Attach(ModalWindows& modals) { modals_ = &modals; }
        NativeWindow DesktopWindow() override { return inner_.DesktopWindow(); }
        std::wstring ApplicationTitle() override { return inner_.ApplicationTitle(); }
        std::optional<TaskDialogOutcome> ShowTaskDialog(const TaskDialogDescription& description,
                                                        const TLinkHandler& onLink) override;
        void OpenUrl(const std::wstring& url, NativeWindow parent) override { inner_.OpenUrl(url, parent); }

    private:
        ITaskDialogHost& inner_;
        ModalWindows* modals_ = nullptr;
    };

    // Every message runs in a handler scope; "E&xit" is carried out after
    // the outermost handler has returned.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(WORD id);
    // The end of the exit path: the icon goes, the window is destroyed and
    // the message loop ends.
    void FinishExit();
    void PostWallpaperNotice(WallpaperNotice notice);

    // IMainHost
    void ShowPlainMessage(const std::wstring& text) override;
    void ShowError(const std::wstring& text) override;
    void PostQuit() override;
    void PostDeferredStart() override;
    void PostDeferredExit() override;
    void ShellOpen(const std::wstring& file, const std::wstring& parameters) override;
    void ProcessMessages() override;
    int MonitorCount() override;
    std::uintptr_t ForegroundWindow() override;
    std::uintptr_t MainWindowHandle() override;

    // IAboutBoxHost: the About box is created for each showing.
    void ShowAboutBox() override;
    void BringForward() override;
    void CloseAsCancelled() override;

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
    Win32ActiveWindows activeWindows_;
    TFrmOptions options_{[this] { return hwnd(); }};
    std::set<TimerId> enabledTimers_;
    ModalTaskDialogs modalDialogs_{dialogs_}; // attached to form_.Modals once that exists
    // Its notices are posted to this window, so each is handled like any
    // other message (and a broadcast is never held up by a check).
    Win32WallpaperWatch wallpaperWatch_{[this](WallpaperNotice notice) { PostWallpaperNotice(notice); }};
    MainForm form_;
    // The notification-area icon and its menu, attached to form_.
    Win32Tray tray_;
    // The colour dialog and the screen pick, attached to form_.
    Win32ManualHost manual_;
    UniqueKernelHandle CreatedMutex;
    // The window exists: an exit that became due may destroy it.
    bool created_ = false;
    // Shared with update checks that may outlive the About box.
    std::shared_ptr<Win32UpdateTransport> updateTransport_ = std::make_shared<Win32UpdateTransport>();
    // The About box while it is open.
    TFrmAboutHueglass* aboutBox_ = nullptr;
    bool aboutCancelPending_ = false;
};

} // namespace hg::win32
