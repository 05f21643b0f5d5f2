#pragma once
// A dialog that a system call creates and runs in its own modal loop
// (MessageBoxW, TaskDialogIndirect, ChooseColorW, PrintDlgW): registered as
// an open window of the program while the call runs, so that "E&xit" can
// close it and a second request can bring it forward. Its window is found
// through a hook on this thread's own window creation (never another
// program's).
#include "platform/ModalWindows.h"

#include <windows.h>

#include <utility>

namespace hg::win32 {

class SystemDialog final : public IModalWindow {
public:
    // From now until destruction, the first dialog window (class "#32770")
    // this thread creates is taken as this dialog's window.
    SystemDialog();
    ~SystemDialog() override;
    SystemDialog(const SystemDialog&) = delete;
    SystemDialog& operator=(const SystemDialog&) = delete;

    HWND window() const { return window_; }
    void BringForward() override;
    // Ends the dialog's loop with IDCANCEL (its caller sees a cancelled
    // dialog); before the dialog is up, as soon as it is activated.
    void CloseAsCancelled() override;

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    bool cancelled_ = false;
};

// Runs call() (which shows a system dialog) with that dialog registered as
// an open window of the given kind; returns what call() returns.
template <class Call> auto RunSystemDialog(ModalWindows& modals, WindowKind kind, Call&& call) -> decltype(call()) {
    SystemDialog dialog;
    const ModalWindows::Registration open = modals.Register(kind, dialog);
    return std::forward<Call>(call)();
}

} // namespace hg::win32
