#include "about/win32/ModalDialog.h"

#include "platform/win32/ErrorBoundary.h"

namespace hg::win32 {

namespace {

// An empty dialog template: style, no controls, no menu, the default class,
// an empty title (set afterwards), no font.
struct EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

} // namespace

INT_PTR ModalDialog::Run(HWND owner, const wchar_t* caption) {
    caption_ = caption;
    alignas(4) EmptyTemplate tpl{};
    tpl.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_NOIDLEMSG;
    tpl.header.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &tpl.header, owner,
                                                     &ModalDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result == -1 ? IDCANCEL : result;
}

void ModalDialog::Cancel() {
    if (hwnd_ != nullptr)
        End(IDCANCEL);
    else
        cancelPending_ = true;
}

void ModalDialog::End(INT_PTR result) {
    if (hwnd_ != nullptr)
        ::EndDialog(hwnd_, result);
}

void ModalDialog::SetClientSize(int width, int height) {
    RECT box{0, 0, width, height};
    ::AdjustWindowRectEx(&box, static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    ::SetWindowPos(hwnd_, nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND ModalDialog::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
                             int height, int id, HFONT font, DWORD exStyle) {
    const HWND control = ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                           height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                           ::GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr && font != nullptr)
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<ModalDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    }
    if (self == nullptr)
        return FALSE;
    // No exception crosses the dialog procedure: an error in a handler is
    // shown and the program goes on.
    const INT_PTR answer = Guarded(
        [&]() -> INT_PTR {
            if (message == WM_INITDIALOG) {
                ::SetWindowTextW(hwnd, self->caption_);
                self->OnInit();
                if (self->cancelPending_) {
                    self->cancelPending_ = false;
                    ::EndDialog(hwnd, IDCANCEL);
                }
                return FALSE; // OnInit gives the focus to its control
            }
            INT_PTR result = 0;
            if (!self->OnMessage(message, wParam, lParam, result))
                return FALSE;
            ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            const bool brush = message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORDLG || message == WM_CTLCOLORBTN;
            return brush ? result : TRUE;
        },
        static_cast<INT_PTR>(FALSE));
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return answer;
}

HFONT MakeFont(const wchar_t* face, int designHeight, int designPpi, int ppi, bool bold) {
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(designHeight, ppi, designPpi);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    ::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&font);
}

} // namespace hg::win32
