#pragma once
// The boundary that no C++ exception crosses: every window procedure, dialog
// procedure and system callback of the program runs its handler through
// Guarded. An error that escapes a handler is shown in a plain message box
// with its text (the platform's text for system errors) and the program
// keeps running.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace hg::win32 {

// The text shown for an escaped error (see hg::ErrorMessage).
std::wstring DescribeError(const std::exception_ptr& error);

// Where escaped errors are shown. The main window routes them into its own
// message box (owned by it, closed by "E&xit"); without a reporter, or with
// an empty one, a plain task-modal message box without owner shows them.
using ErrorReporter = std::function<void(const std::wstring& text)>;
void SetErrorReporter(ErrorReporter reporter);

// Shows the error. While one error box is up, a further error (a handler
// that fails on every paint) is not shown on top of it, so errors never pile
// up into an endless stack of boxes. Never throws.
void ReportError(const std::exception_ptr& error) noexcept;

// Runs handler(); an exception that escapes it is reported and `fallback`
// returned instead.
template <class Handler, class Result> Result Guarded(Handler&& handler, Result fallback) noexcept {
    try {
        return std::forward<Handler>(handler)();
    } catch (...) {
        ReportError(std::current_exception());
        return fallback;
    }
}

template <class Handler> void Guarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

} // namespace hg::win32
