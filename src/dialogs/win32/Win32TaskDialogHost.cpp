#include "dialogs/win32/Win32TaskDialogHost.h"

#include "dialogs/win32/NativeTaskDialog.h"

#include <shellapi.h>

#include <utility>

namespace hg::win32 {

Win32TaskDialogHost::Win32TaskDialogHost(std::wstring applicationTitle)
    : Win32TaskDialogHost(std::move(applicationTitle), GetEntryPoints().TaskDialogIndirect) {}

Win32TaskDialogHost::Win32TaskDialogHost(std::wstring applicationTitle, TaskDialogIndirectFn taskDialogIndirect)
    : applicationTitle_(applicationTitle.empty() ? ExecutableTitle() : std::move(applicationTitle)),
      taskDialogIndirect_(taskDialogIndirect) {}

NativeWindow Win32TaskDialogHost::DesktopWindow() {
    return ::GetDesktopWindow();
}

std::wstring Win32TaskDialogHost::ApplicationTitle() {
    return applicationTitle_;
}

std::optional<TaskDialogOutcome> Win32TaskDialogHost::ShowTaskDialog(const TaskDialogDescription& description,
                                                                     const TLinkHandler& onLink) {
    NativeTaskDialogEvents events;
    events.OnLink = onLink;
    return ShowNativeTaskDialog(taskDialogIndirect_, description, events);
}

void Win32TaskDialogHost::OpenUrl(const std::wstring& url, NativeWindow parent) {
    // A link that cannot be opened leaves the dialog as it is: the shell
    // reports nothing useful we could add, and the user can still read the
    // dialog and close it.
    ::ShellExecuteW(static_cast<HWND>(parent), L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

Win32TaskDialogHost& DefaultTaskDialogHost() {
    static Win32TaskDialogHost host;
    return host;
}

TModalResult Execute(TMsgBox& box, HWND ownerForm, bool useDesktopWindow) {
    return box.Execute(DefaultTaskDialogHost(), ownerForm, useDesktopWindow);
}

TModalResult Execute(TMsgBox&& box, HWND ownerForm, bool useDesktopWindow) {
    return box.Execute(DefaultTaskDialogHost(), ownerForm, useDesktopWindow);
}

TModalResult Execute(TMsgBox& box, std::int32_t& radioButton, HWND ownerForm) {
    return box.Execute(radioButton, DefaultTaskDialogHost(), ownerForm);
}

} // namespace hg::win32
