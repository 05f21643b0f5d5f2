// A hidden window and a message loop, nothing else.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"IdleLoop";
    ::RegisterClassW(&wc);
    ::CreateWindowExW(WS_EX_TOOLWINDOW, L"IdleLoop", L"IdleLoop", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                      nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}
