#include "platform/win32/WinSpinEdit.h"

#include "platform/SpinValue.h"
#include "platform/win32/ErrorBoundary.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Placement.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace hg::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 0x5350494E; // one subclass per edit

// The up-down control's size at 96 pixels per inch.
constexpr int kButtonWidth = 12;
constexpr int kButtonHeight = 17;

wchar_t DecimalSeparator() {
    wchar_t text[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) > 1)
        return text[0];
    return L'.';
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool LeftButtonDown() { return (::GetKeyState(VK_LBUTTON) & 0x8000) != 0; }

int TextHeight(HDC dc, HGDIOBJ font) {
    const SelectedObject selected(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

} // namespace

TWinSpinEdit::~TWinSpinEdit() {
    if (edit_ != nullptr) {
        ::RemoveWindowSubclass(edit_, &TWinSpinEdit::SubclassProc, kSubclassId);
        ::DestroyWindow(edit_);
    }
}

bool TWinSpinEdit::Create(HWND parent, int id, int x, int y, int width, int height) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    // Multi-line underneath, so that the formatting rectangle can be narrowed
    // to leave room for the up-down control, which the edit clips around.
    edit_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"0",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | ES_MULTILINE | ES_AUTOHSCROLL,
                              x, y, width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (edit_ == nullptr)
        return false;
    if (const auto font = static_cast<WPARAM>(::SendMessageW(parent, WM_GETFONT, 0, 0)))
        ::SendMessageW(edit_, WM_SETFONT, font, FALSE);
    button_ = ::CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, ScaleByPPI(kButtonWidth),
                                ScaleByPPI(kButtonHeight), edit_, nullptr, instance, nullptr);
    if (button_ != nullptr)
        ::SendMessageW(button_, UDM_SETRANGE32, static_cast<WPARAM>(-32768), 32767);
    ::SetWindowSubclass(edit_, &TWinSpinEdit::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    Resized();
    return true;
}

std::int64_t TWinSpinEdit::Value() {
    if (const auto value = ParseSpinText(TextOf(edit_)))
        return *value;
    SetValue(minValue_);
    if (autoSelect_ && !LeftButtonDown())
        ::SendMessageW(edit_, EM_SETSEL, 0, -1);
    return minValue_;
}

void TWinSpinEdit::SetValue(std::int64_t value) {
    const std::wstring text = SpinText(value);
    if (edit_ == nullptr || TextOf(edit_) == text)
        return; // no change, no notification
    // Replaced as a paste would replace it, not with WM_SETTEXT: a multi-line
    // edit sends no EN_CHANGE for WM_SETTEXT, and the parent must hear of
    // every change. The caret ends after the number.
    ::SendMessageW(edit_, EM_SETSEL, 0, -1);
    ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool TWinSpinEdit::ReadOnly() const { return (::GetWindowLongW(edit_, GWL_STYLE) & ES_READONLY) != 0; }

void TWinSpinEdit::SetReadOnly(bool readOnly) { ::SendMessageW(edit_, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0); }

int TWinSpinEdit::MinimumHeight() const {
    const WindowDc dc(edit_);
    if (dc.get() == nullptr)
        return 0;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(edit_, WM_GETFONT, 0, 0));
    if (font == nullptr)
        font = ::GetStockObject(SYSTEM_FONT);
    const int m = TextHeight(dc.get(), font);
    const int s = TextHeight(dc.get(), ::GetStockObject(SYSTEM_FONT));
    return m + std::min(m, s) / 4 + 4 * ::GetSystemMetrics(SM_CYBORDER) + 2;
}

bool TWinSpinEdit::AcceptsChar(wchar_t key) { return hg::AcceptsChar(key, editorEnabled_, DecimalSeparator()); }

void TWinSpinEdit::StepClick(bool up) {
    if (ReadOnly()) {
        ::MessageBeep(0);
        return;
    }
    SetValue(ClampValue(StepValue(Value(), increment_, up), minValue_, maxValue_));
}

void TWinSpinEdit::Paste() {
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(edit_))
        return;
    std::wstring pasted;
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
            // Bounded by the block's own size, whether or not it ends in a zero.
            const std::size_t limit = ::GlobalSize(data) / sizeof(wchar_t);
            pasted.assign(text, std::find(text, text + limit, L'\0'));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    const std::wstring kept = FilterPastedText(pasted, DecimalSeparator());
    if (kept.size() != pasted.size())
        ::MessageBeep(0); // as for each character typing would have refused
    if (!kept.empty())
        ::SendMessageW(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
}

void TWinSpinEdit::ClampOnExit() {
    const std::int64_t value = Value();
    const std::int64_t clamped = ClampValue(value, minValue_, maxValue_);
    if (clamped != value)
        SetValue(clamped);
}

void TWinSpinEdit::SelectAllUnlessMouseDown() {
    if (autoSelect_ && !LeftButtonDown())
        ::SendMessageW(edit_, EM_SETSEL, 0, -1);
}

int TWinSpinEdit::ButtonWidth() const {
    RECT r{};
    if (button_ == nullptr || !::GetWindowRect(button_, &r))
        return 0;
    return r.right - r.left;
}

void TWinSpinEdit::UpdateEditRect() {
    RECT client{};
    ::GetClientRect(edit_, &client);
    RECT text{2, 0, client.right - ButtonWidth() - 1, client.bottom + 1};
    ::SendMessageW(edit_, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&text));
}

void TWinSpinEdit::Resized() {
    if (resizing_)
        return;
    resizing_ = true;
    RECT outer{};
    ::GetWindowRect(edit_, &outer);
    const int minimum = MinimumHeight();
    if (outer.bottom - outer.top < minimum)
        ::SetWindowPos(edit_, nullptr, 0, 0, outer.right - outer.left, minimum,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The up-down fills the client area's right edge, inside the border.
    RECT client{};
    ::GetClientRect(edit_, &client);
    const int width = ButtonWidth();
    if (button_ != nullptr)
        ::SetWindowPos(button_, nullptr, client.right - width, 0, width, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateEditRect();
    resizing_ = false;
}

LRESULT CALLBACK TWinSpinEdit::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self) {
    auto* control = reinterpret_cast<TWinSpinEdit*>(self);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &TWinSpinEdit::SubclassProc, kSubclassId);
        control->edit_ = nullptr;
        control->button_ = nullptr;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    // No error crosses the window procedure (a paste that runs out of
    // memory): it is reported, and the message counts as handled.
    return Guarded([&] { return control->HandleMessage(message, wParam, lParam); }, LRESULT{0});
}

LRESULT TWinSpinEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE: {
        // A dialog keeps Tab and Return (the edit is multi-line underneath);
        // the arrows are the control's own.
        const LRESULT code = ::DefSubclassProc(edit_, message, wParam, lParam);
        return (code & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB)) | DLGC_WANTARROWS;
    }
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN) {
            StepClick(wParam == VK_UP);
            return 0; // the caret stays; a one-line number has no other line
        }
        break;
    case WM_CHAR:
        if (!AcceptsChar(static_cast<wchar_t>(wParam))) {
            ::MessageBeep(0);
            return 0;
        }
        break;
    case WM_PASTE:
        if (editorEnabled_ && !ReadOnly())
            Paste();
        return 0;
    case WM_CUT:
        if (!editorEnabled_ || ReadOnly())
            return 0;
        break;
    case WM_SETFOCUS: {
        const LRESULT result = ::DefSubclassProc(edit_, message, wParam, lParam);
        SelectAllUnlessMouseDown();
        return result;
    }
    case WM_KILLFOCUS:
        ClampOnExit();
        break;
    case WM_SIZE: {
        const LRESULT result = ::DefSubclassProc(edit_, message, wParam, lParam);
        Resized();
        return result;
    }
    case WM_SETFONT: {
        const LRESULT result = ::DefSubclassProc(edit_, message, wParam, lParam);
        Resized();
        return result;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == button_ && header->code == UDN_DELTAPOS) {
            const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
            if (change->iDelta != 0)
                StepClick(change->iDelta > 0);
            return TRUE; // the up-down's own position never moves, so it never reaches an end
        }
        break;
    }
    default:
        break;
    }
    return ::DefSubclassProc(edit_, message, wParam, lParam);
}

} // namespace hg::win32
