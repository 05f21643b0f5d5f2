#include "dialogs/win32/Win32TaskDialogHost.h"

#include "platform/win32/Win32SystemInfo.h"

#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <filesystem>
#include <vector>

namespace hg::win32 {

namespace {

const wchar_t* TextOrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

std::vector<TASKDIALOG_BUTTON> NativeButtons(const std::vector<TaskDialogButton>& buttons) {
    std::vector<TASKDIALOG_BUTTON> native;
    native.reserve(buttons.size());
    for (const TaskDialogButton& button : buttons)
        native.push_back({button.Id, button.Text.c_str()});
    return native;
}

// Disables the thread's other visible windows while a modal dialog is up, so
// that none of them can be used behind it, and enables them again afterwards.
// The task dialog disables its parent itself.
class ThreadWindowsDisabled {
public:
    explicit ThreadWindowsDisabled(HWND parent) : parent_(parent) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(this));
    }
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;
    ~ThreadWindowsDisabled() {
        for (HWND window : disabled_)
            if (::IsWindow(window))
                ::EnableWindow(window, TRUE);
    }

private:
    static BOOL CALLBACK DisableOne(HWND window, LPARAM self) {
        auto* me = reinterpret_cast<ThreadWindowsDisabled*>(self);
        if (window != me->parent_ && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
            ::EnableWindow(window, FALSE);
            me->disabled_.push_back(window);
        }
        return TRUE;
    }

    HWND parent_;
    std::vector<HWND> disabled_;
};

struct CallbackContext {
    const TLinkHandler* onLink = nullptr;
    std::exception_ptr error; // rethrown once the dialog has closed
};

HRESULT CALLBACK TaskDialogCallback(HWND, UINT notification, WPARAM, LPARAM lParam, LONG_PTR data) {
    auto* context = reinterpret_cast<CallbackContext*>(data);
    if (notification == TDN_HYPERLINK_CLICKED && context != nullptr && *context->onLink && !context->error) {
        // An exception must not unwind through the dialog's window procedure.
        try {
            (*context->onLink)(reinterpret_cast<const wchar_t*>(lParam));
        } catch (...) {
            context->error = std::current_exception();
        }
    }
    return S_OK; // the dialog stays open after a link click
}

std::wstring ExecutableTitle() {
    const std::wstring path = ExecutablePath();
    return std::filesystem::path(path).stem().wstring();
}

} // namespace

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

std::optional<TaskDialogOutcome> Win32TaskDialogHost::ShowTaskDialog(const TaskDialogDescription& d,
                                                                     const TLinkHandler& onLink) {
    if (taskDialogIndirect_ == nullptr)
        return std::nullopt;

    HWND parent = static_cast<HWND>(d.Parent);
    if (parent == nullptr)
        parent = ::GetActiveWindow();

    const std::vector<TASKDIALOG_BUTTON> buttons = NativeButtons(d.Buttons);
    const std::vector<TASKDIALOG_BUTTON> radioButtons = NativeButtons(d.RadioButtons);
    CallbackContext context{&onLink, nullptr};

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = parent;
    config.hInstance = nullptr; // icon identifiers name the system's own icons
    config.dwFlags = d.Flags;
    config.dwCommonButtons = d.CommonButtons;
    config.pszWindowTitle = d.WindowTitle.c_str();
    if (d.Flags & TDF_USE_HICON_MAIN)
        config.hMainIcon = static_cast<HICON>(d.CustomMainIcon);
    else
        config.pszMainIcon = MAKEINTRESOURCEW(d.MainIcon);
    config.pszMainInstruction = TextOrNull(d.MainInstruction);
    config.pszContent = TextOrNull(d.Content);
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.empty() ? nullptr : buttons.data();
    config.nDefaultButton = d.DefaultButton;
    config.cRadioButtons = static_cast<UINT>(radioButtons.size());
    config.pRadioButtons = radioButtons.empty() ? nullptr : radioButtons.data();
    config.nDefaultRadioButton = d.DefaultRadioButton;
    config.pszVerificationText = TextOrNull(d.VerificationText);
    config.pszExpandedInformation = TextOrNull(d.ExpandedInformation);
    config.pszExpandedControlText = TextOrNull(d.ExpandedControlText);
    config.pszCollapsedControlText = TextOrNull(d.ExpandedControlText);
    if (d.Flags & TDF_USE_HICON_FOOTER)
        config.hFooterIcon = static_cast<HICON>(d.CustomFooterIcon);
    else
        config.pszFooterIcon = MAKEINTRESOURCEW(d.FooterIcon);
    config.pszFooter = TextOrNull(d.Footer);
    config.pfCallback = &TaskDialogCallback;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&context);

    int button = 0;
    int radioButton = 0;
    BOOL verificationChecked = FALSE;
    HRESULT hr;
    {
        const ThreadWindowsDisabled others(parent);
        hr = taskDialogIndirect_(&config, &button, &radioButton, &verificationChecked);
    }
    if (parent != nullptr && parent != ::GetDesktopWindow() && ::IsWindow(parent))
        ::SetActiveWindow(parent);
    if (context.error)
        std::rethrow_exception(context.error);
    if (FAILED(hr))
        return std::nullopt;
    return TaskDialogOutcome{button, radioButton, verificationChecked != FALSE};
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
