#pragma once
// Shows TMsgBox dialogs with the native task dialog of comctl32 version 6.
// The process must activate common controls 6 (the program's manifest does);
// without them, or when the call fails, a dialog reports mrCancel as the
// builder's contract says.
#include "dialogs/MsgBox.h"
#include "platform/win32/EntryPoints.h"

#include <windows.h>

#include <string>

namespace hg::win32 {

class Win32TaskDialogHost final : public ITaskDialogHost {
public:
    // applicationTitle titles dialogs without a caption of their own; empty
    // means the executable's name without its extension.
    explicit Win32TaskDialogHost(std::wstring applicationTitle = {});
    // With a given task dialog entry point instead of comctl32's; null means
    // the system has none.
    Win32TaskDialogHost(std::wstring applicationTitle, TaskDialogIndirectFn taskDialogIndirect);

    NativeWindow DesktopWindow() override;
    std::wstring ApplicationTitle() override;
    std::optional<TaskDialogOutcome> ShowTaskDialog(const TaskDialogDescription& description,
                                                    const TLinkHandler& onLink) override;
    void OpenUrl(const std::wstring& url, NativeWindow parent) override;

private:
    std::wstring applicationTitle_;
    TaskDialogIndirectFn taskDialogIndirect_;
};

// The host that the program's dialogs use.
Win32TaskDialogHost& DefaultTaskDialogHost();

// Shows `box` with the default host; the owner is ownerForm, else the desktop
// window when useDesktopWindow, else the thread's active window.
TModalResult Execute(TMsgBox& box, HWND ownerForm = nullptr, bool useDesktopWindow = true);
// For a chain's temporary: MsgBox(...).Warning()... ; the check box's state
// still arrives through the pointer given to Verification.
TModalResult Execute(TMsgBox&& box, HWND ownerForm = nullptr, bool useDesktopWindow = true);
// Second form: radioButton receives the selected radio button's position, -1
// for none.
TModalResult Execute(TMsgBox& box, std::int32_t& radioButton, HWND ownerForm = nullptr);

} // namespace hg::win32
