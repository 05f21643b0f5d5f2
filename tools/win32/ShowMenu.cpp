// hueglass-show-menu: waits for the running Hueglass's tray icon, opens its
// menu as a right click on the icon would, and prints the part of the screen
// that shows both (WIDTHxHEIGHT+X+Y, for a screenshot). With --exit it ends
// the program through its "Exit" command instead and waits for it to end.
// Exit status 0 on success; 1 with a message when something never appeared.
#include "tray/Commands.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

// Polls until the condition holds or about timeoutMs have passed.
template <class Condition> bool WaitFor(Condition condition, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() > end)
            return false;
        ::Sleep(50);
    }
    return true;
}

// The last visible icon of Wine's notification area (its own window when
// the desktop has no tray); a fresh prefix shows only ours.
HWND TrayIcon() {
    HWND found = nullptr, tray = nullptr;
    while ((tray = ::FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)) != nullptr) {
        HWND icon = nullptr;
        while ((icon = ::FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) != nullptr)
            if (::IsWindowVisible(icon))
                found = icon;
    }
    return found;
}

HWND OpenMenuOf(DWORD pid) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, L"#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == pid && ::IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

int Fail(const char* what) {
    std::fprintf(stderr, "hueglass-show-menu: %s\n", what);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool exit = argc > 1 && std::wcscmp(argv[1], L"--exit") == 0;
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = ::FindWindowW(hg::kMainWindowClass, nullptr)) != nullptr; }, 60000))
        return Fail("Hueglass's main window never appeared");
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);

    if (exit) {
        const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        ::PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(hg::MenuCommand::Close), 0);
        if (process == nullptr)
            return 0;
        const bool ended = ::WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
        DWORD code = 1;
        ::GetExitCodeProcess(process, &code);
        ::CloseHandle(process);
        if (!ended)
            return Fail("Hueglass did not end after Exit");
        return code == 0 ? 0 : Fail("Hueglass ended with a failure status after Exit");
    }

    HWND icon = nullptr;
    if (!WaitFor([&] { return (icon = TrayIcon()) != nullptr; }, 60000))
        return Fail("no tray icon appeared");
    RECT iconBox{};
    ::GetWindowRect(icon, &iconBox);
    // The cursor at the icon's lower right corner, then the right button's
    // release as the shell reports it: the menu opens at the cursor, beside
    // the icon rather than over it.
    const POINT at{iconBox.right, iconBox.bottom};
    ::SetCursorPos(at.x, at.y);
    ::PostMessageW(main, static_cast<UINT>(hg::AppMessage::TrayCallback), 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    if (!WaitFor([&] { return (menu = OpenMenuOf(pid)) != nullptr; }, 20000))
        return Fail("the tray menu did not open");
    // The menu window is sized before it is shown; give it a moment to be
    // drawn before the caller takes its picture.
    RECT menuBox{};
    ::GetWindowRect(menu, &menuBox);
    ::Sleep(300);

    const int margin = 24;
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    const int left = std::max(0, static_cast<int>(std::min(iconBox.left, menuBox.left)) - margin);
    const int top = std::max(0, static_cast<int>(std::min(iconBox.top, menuBox.top)) - margin);
    const int right = std::min(screenW, static_cast<int>(std::max(iconBox.right, menuBox.right)) + margin);
    const int bottom = std::min(screenH, static_cast<int>(std::max(iconBox.bottom, menuBox.bottom)) + margin);
    std::printf("%dx%d+%d+%d\n", right - left, bottom - top, left, top);
    return 0;
}
