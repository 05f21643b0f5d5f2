#pragma once
// Base of the program's windows: stores `this` at WM_NCCREATE and forwards
// every message to the member handler.
#include <windows.h>

namespace hg::win32 {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

protected:
    // Registers the class once (by name) and creates the window.
    bool Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, HWND parent,
                HICON icon = nullptr);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

} // namespace hg::win32
