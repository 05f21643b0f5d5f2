#pragma once
// Drives real dialogs of the calling thread from a helper thread with window
// messages, as a user's clicks and key presses arrive, and looks at them.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace hg::win32::dialog_driver {

using namespace std::chrono_literals;

inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

inline std::wstring TextOf(HWND window) {
    // WM_GETTEXT rather than GetWindowText: the window belongs to another thread.
    std::wstring text(static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    const LRESULT n = ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

struct Child {
    HWND window;
    std::wstring className;
    std::wstring text;
    RECT rect; // screen coordinates
    bool visible;
};

inline std::vector<Child> ChildrenOf(HWND dialog) {
    std::vector<Child> children;
    ::EnumChildWindows(
        dialog,
        [](HWND window, LPARAM list) {
            Child child{window, ClassOf(window), TextOf(window), {}, ::IsWindowVisible(window) != FALSE};
            ::GetWindowRect(window, &child.rect);
            reinterpret_cast<std::vector<Child>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

inline HWND FindButton(HWND dialog, const std::wstring& caption) {
    for (const Child& child : ChildrenOf(dialog))
        if (_wcsicmp(child.className.c_str(), L"Button") == 0 && child.visible && child.text.starts_with(caption))
            return child.window;
    return nullptr;
}

// The visible task dialog of the given thread.
inline HWND FindDialog(DWORD threadId) {
    HWND found = nullptr;
    ::EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM result) {
            if (ClassOf(window) == L"#32770" && ::IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// A key press arrives at the control with the keyboard focus.
inline void PressKey(HWND dialog, DWORD threadId, WPARAM key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    HWND target = dialog;
    if (::GetGUIThreadInfo(threadId, &info) && info.hwndFocus != nullptr)
        target = info.hwndFocus;
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

inline void Click(HWND button) {
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

// Clicks the first link of the dialog where the link control says a link is.
inline bool ClickFirstLink(HWND dialog) {
    for (const Child& child : ChildrenOf(dialog)) {
        if (_wcsicmp(child.className.c_str(), WC_LINK) != 0 || !child.visible)
            continue;
        RECT client;
        ::GetClientRect(child.window, &client);
        for (int y = 1; y < client.bottom; y += 3)
            for (int x = 1; x < client.right; x += 3) {
                LHITTESTINFO hit{};
                hit.pt = {x, y};
                if (::SendMessageW(child.window, LM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) {
                    ::PostMessageW(child.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
                    ::PostMessageW(child.window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
                    return true;
                }
            }
    }
    return false;
}

// Saves the dialog as it shows on screen when HUEGLASS_DIALOG_SHOTS names a
// folder, for a person to look at.
inline void SaveShot(HWND dialog, const wchar_t* name) {
    const wchar_t* folder = _wgetenv(L"HUEGLASS_DIALOG_SHOTS");
    if (folder == nullptr || *folder == 0)
        return;
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    ::GetWindowRect(dialog, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                          sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    std::ofstream out(std::filesystem::path(folder) / (std::wstring(name) + L".bmp"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
    out.write(static_cast<const char*>(bits), size);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

// A plain visible top-level window of the calling thread, standing for one
// of the program's forms.
inline HWND CreateTestForm(const wchar_t* title, int x) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW cls{};
    cls.lpfnWndProc = ::DefWindowProcW;
    cls.hInstance = instance;
    cls.lpszClassName = L"HgDialogTestForm";
    ::RegisterClassW(&cls); // fails harmlessly once the class exists
    HWND form = ::CreateWindowExW(0, cls.lpszClassName, title, WS_OVERLAPPEDWINDOW, x, 50, 300, 200, nullptr, nullptr,
                                  instance, nullptr);
    ::ShowWindow(form, SW_SHOWNORMAL);
    return form;
}

// Waits on a helper thread for the task dialog of the calling thread and
// then acts on it as the user. What it sees is kept for the test to check
// once Execute has returned.
class DialogScript {
public:
    explicit DialogScript(std::function<void(HWND dialog, DWORD threadId)> act)
        : threadId_(::GetCurrentThreadId()), helper_([this, act = std::move(act)] { Run(act); }) {}
    ~DialogScript() {
        done_ = true;
        helper_.join();
    }

    bool Appeared() const { return appeared_; }
    bool ClosedByScript() const { return !rescued_; }

private:
    void Run(const std::function<void(HWND, DWORD)>& act) {
        HWND dialog = nullptr;
        if (!WaitFor([&] { return done_ || (dialog = FindDialog(threadId_)) != nullptr; }) || done_)
            return;
        appeared_ = true;
        act(dialog, threadId_);
        if (WaitFor([&] { return done_ || !::IsWindow(dialog); }))
            return;
        // The script did not close it: close it by any means so that the
        // test fails instead of hanging.
        rescued_ = true;
        for (const int id : {IDCANCEL, IDOK, IDNO, IDCLOSE, 1, 2, 3})
            ::PostMessageW(dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(id), 0);
        // The emulated dialog knows no TDM_ messages: any of its push buttons.
        for (const Child& child : ChildrenOf(dialog))
            if (_wcsicmp(child.className.c_str(), L"Button") == 0 &&
                (::GetWindowLongPtrW(child.window, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON)
                Click(child.window);
    }

    DWORD threadId_;
    std::atomic<bool> done_{false};
    std::atomic<bool> appeared_{false};
    std::atomic<bool> rescued_{false};
    std::thread helper_;
};

} // namespace hg::win32::dialog_driver
