#pragma once
// Port: what the main window's logic asks of its window and of the user
// interface services around it.
#include <cstdint>
#include <exception>
#include <string>

namespace hg {

class IMainHost {
public:
    virtual ~IMainHost() = default;
    // A plain message box with an OK button.
    virtual void ShowPlainMessage(const std::wstring& text) = 0;
    // An error the user must see (a file that cannot be written).
    virtual void ShowError(const std::wstring& text) = 0;
    // An error that escaped a step which must not stop what follows (the
    // close handler: the program ends all the same), shown as every escaped
    // error is. Never throws.
    virtual void ReportError(const std::exception_ptr& error) noexcept = 0;
    // Ends the message loop at its next message (the close handler does not run).
    virtual void PostQuit() = 0;
    // Posts the deferred-start message to the main window.
    virtual void PostDeferredStart() = 0;
    // Posts the main window a message that makes it look at a pending exit
    // once its running handlers have returned (see MainForm::ExitIfDue).
    virtual void PostDeferredExit() = 0;
    // Opens a program or document with the shell ("open"), the main window
    // as parent.
    virtual void ShellOpen(const std::wstring& file, const std::wstring& parameters) = 0;

    // Lets pending window messages run once (the wallpaper colour operation
    // does so between finding a colour and applying it).
    virtual void ProcessMessages() = 0;
    virtual int MonitorCount() = 0;
    // Window handles as plain numbers: the foreground window and our own.
    virtual std::uintptr_t ForegroundWindow() = 0;
    virtual std::uintptr_t MainWindowHandle() = 0;
};

} // namespace hg
