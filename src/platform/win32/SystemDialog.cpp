#include "platform/win32/SystemDialog.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace hg::win32 {

namespace {

// The dialogs being shown on this thread, innermost last, and the one hook
// that serves them all.
thread_local std::vector<SystemDialog*> tShowing;
thread_local HHOOK tHook = nullptr;

bool IsDialogWindow(HWND window) {
    wchar_t name[16] = {};
    return ::GetClassNameW(window, name, 16) > 0 && std::wcscmp(name, L"#32770") == 0;
}

} // namespace

SystemDialog::SystemDialog() {
    if (tShowing.empty())
        tHook = ::SetWindowsHookExW(WH_CBT, &SystemDialog::CbtProc, nullptr, ::GetCurrentThreadId());
    tShowing.push_back(this);
}

SystemDialog::~SystemDialog() {
    tShowing.erase(std::remove(tShowing.begin(), tShowing.end(), this), tShowing.end());
    if (tShowing.empty() && tHook != nullptr) {
        ::UnhookWindowsHookEx(tHook);
        tHook = nullptr;
    }
}

LRESULT CALLBACK SystemDialog::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && !tShowing.empty()) {
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        SystemDialog* innermost = tShowing.back();
        if (innermost->window_ == nullptr && (create->lpcs->style & WS_CHILD) == 0 && IsDialogWindow(window))
            innermost->window_ = window;
    } else if (code == HCBT_ACTIVATE) {
        // A dialog told to close before it was up ends as soon as it shows
        // (its loop is ready by then).
        for (SystemDialog* dialog : tShowing)
            if (dialog->window_ == window && dialog->cancelled_)
                ::EndDialog(window, IDCANCEL);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void SystemDialog::BringForward() {
    if (window_ == nullptr || !::IsWindow(window_))
        return;
    if (::IsIconic(window_))
        ::ShowWindow(window_, SW_RESTORE);
    ::SetForegroundWindow(window_);
}

void SystemDialog::CloseAsCancelled() {
    cancelled_ = true;
    // EndDialog rather than the Cancel command: a dialog without a Cancel
    // button (a Yes/No question) ignores that command, and the caller
    // discards a result that an exit brought about anyway.
    if (window_ != nullptr && ::IsWindow(window_))
        ::EndDialog(window_, IDCANCEL);
}

} // namespace hg::win32
