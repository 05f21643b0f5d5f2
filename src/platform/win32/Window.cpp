#include "platform/win32/Window.h"

#include "platform/win32/ErrorBoundary.h"

namespace hg::win32 {

Window::~Window() {
    if (hwnd_ != nullptr) {
        // The window outlives its owner object only by mistake; detach first
        // so no message reaches a destroyed object.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

bool Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, HWND parent,
                    HICON icon) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!::GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Window::StaticProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        wc.hIconSm = icon;
        if (!::RegisterClassExW(&wc))
            return false;
    }
    return ::CreateWindowExW(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, parent, nullptr, instance, this) != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Window*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    // No exception crosses into the system's code: an error that escapes a
    // handler is shown, and the message gets the answer that fails it (a
    // window whose creation failed is not created).
    const LRESULT failed = message == WM_NCCREATE ? FALSE : message == WM_CREATE ? -1 : 0;
    const LRESULT result = Guarded([&] { return self->HandleMessage(message, wParam, lParam); }, failed);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

} // namespace hg::win32
