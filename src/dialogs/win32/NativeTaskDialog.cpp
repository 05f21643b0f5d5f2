#include "dialogs/win32/NativeTaskDialog.h"

#include "platform/win32/ErrorBoundary.h"
#include "platform/win32/Win32SystemInfo.h"

#include <commctrl.h>

#include <exception>
#include <filesystem>

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

struct CallbackContext {
    const NativeTaskDialogEvents* events = nullptr;
    std::exception_ptr error; // rethrown once the dialog has closed
};

HRESULT CALLBACK TaskDialogCallback(HWND dialog, UINT notification, WPARAM wParam, LPARAM lParam, LONG_PTR data) {
    auto* context = reinterpret_cast<CallbackContext*>(data);
    if (context == nullptr || context->error)
        return S_OK;
    const NativeTaskDialogEvents& events = *context->events;
    // An exception must not unwind through the dialog's window procedure.
    try {
        if (events.OnWindow)
            events.OnWindow(dialog);
        if (notification == TDN_HYPERLINK_CLICKED && events.OnLink)
            events.OnLink(reinterpret_cast<const wchar_t*>(lParam));
        if (notification == TDN_BUTTON_CLICKED && events.OnButtonClicked &&
            !events.OnButtonClicked(dialog, static_cast<int>(wParam)))
            return S_FALSE; // the dialog stays open
    } catch (...) {
        context->error = std::current_exception();
    }
    return S_OK;
}

} // namespace

ThreadWindowsDisabled::ThreadWindowsDisabled(HWND owner) : owner_(owner) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(this));
}

ThreadWindowsDisabled::~ThreadWindowsDisabled() {
    for (HWND window : disabled_)
        if (::IsWindow(window))
            ::EnableWindow(window, TRUE);
}

BOOL CALLBACK ThreadWindowsDisabled::DisableOne(HWND window, LPARAM self) {
    // A system callback: no exception may cross it. Out of memory stops the
    // enumeration; a window is disabled only once it is listed for enabling.
    return Guarded(
        [&]() -> BOOL {
            auto* me = reinterpret_cast<ThreadWindowsDisabled*>(self);
            if (window != me->owner_ && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
                me->disabled_.push_back(window);
                ::EnableWindow(window, FALSE);
            }
            return TRUE;
        },
        BOOL{FALSE});
}

std::optional<TaskDialogOutcome> ShowNativeTaskDialog(TaskDialogIndirectFn taskDialogIndirect,
                                                      const TaskDialogDescription& d,
                                                      const NativeTaskDialogEvents& events) {
    if (taskDialogIndirect == nullptr)
        return std::nullopt;

    HWND parent = static_cast<HWND>(d.Parent);
    if (parent == nullptr)
        parent = ::GetActiveWindow();

    const std::vector<TASKDIALOG_BUTTON> buttons = NativeButtons(d.Buttons);
    const std::vector<TASKDIALOG_BUTTON> radioButtons = NativeButtons(d.RadioButtons);
    CallbackContext context{&events, nullptr};

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
    config.pszCollapsedControlText = TextOrNull(d.CollapsedControlText);
    if (d.Flags & TDF_USE_HICON_FOOTER)
        config.hFooterIcon = static_cast<HICON>(d.CustomFooterIcon);
    else
        config.pszFooterIcon = MAKEINTRESOURCEW(d.FooterIcon);
    config.pszFooter = TextOrNull(d.Footer);
    config.cxWidth = d.Width > 0 ? static_cast<UINT>(d.Width) : 0;
    config.pfCallback = &TaskDialogCallback;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&context);

    int button = 0;
    int radioButton = 0;
    BOOL verificationChecked = FALSE;
    HRESULT hr;
    {
        const ThreadWindowsDisabled others(parent);
        hr = taskDialogIndirect(&config, &button, &radioButton, &verificationChecked);
    }
    if (parent != nullptr && parent != ::GetDesktopWindow() && ::IsWindow(parent))
        ::SetActiveWindow(parent);
    if (context.error)
        std::rethrow_exception(context.error);
    if (FAILED(hr))
        return std::nullopt;
    return TaskDialogOutcome{button, radioButton, verificationChecked != FALSE};
}

std::wstring ExecutableTitle() {
    return std::filesystem::path(ExecutablePath()).stem().wstring();
}

} // namespace hg::win32
