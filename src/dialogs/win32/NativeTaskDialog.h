#pragma once
// What the two task dialog facilities share on Windows: the call of the
// native task dialog (TaskDialogIndirect of comctl32 version 6) with its
// callback, and the rule that a modal dialog keeps the program's other
// windows disabled while it is up.
#include "dialogs/MsgBox.h"
#include "platform/win32/EntryPoints.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hg::win32 {

// Disables the thread's other visible windows while a modal dialog is up, so
// that none of them can be used behind it, and enables them again afterwards.
// The dialog disables its owner itself.
class ThreadWindowsDisabled {
public:
    explicit ThreadWindowsDisabled(HWND owner);
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;
    ~ThreadWindowsDisabled();

private:
    static BOOL CALLBACK DisableOne(HWND window, LPARAM self);

    HWND owner_;
    std::vector<HWND> disabled_;
};

struct NativeTaskDialogEvents {
    // Receives each clicked link's URL; the dialog stays open.
    std::function<void(const std::wstring& url)> OnLink;
    // A button was pressed; false keeps the dialog open.
    std::function<bool(HWND dialog, int button)> OnButtonClicked;
    // The dialog's window, on every notification.
    std::function<void(HWND dialog)> OnWindow;
};

// Shows the native task dialog modally; nullopt when there is no entry point
// or the call failed. Without a parent the thread's active window owns it.
// An exception thrown by an event handler is rethrown once the dialog is
// gone (a throwing button handler lets its button close the dialog); it
// never unwinds through the dialog's window procedure.
std::optional<TaskDialogOutcome> ShowNativeTaskDialog(TaskDialogIndirectFn taskDialogIndirect,
                                                      const TaskDialogDescription& description,
                                                      const NativeTaskDialogEvents& events);

// The executable's file name without its extension.
std::wstring ExecutableTitle();

} // namespace hg::win32
