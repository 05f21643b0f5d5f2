#include "app/win32/MainWindow.h"

#include "app/Commands.h"

#include <shellapi.h>

namespace hg::win32 {

namespace {
constexpr wchar_t kTitle[] = L"Hueglass";
} // namespace

MainWindow::MainWindow(UniqueKernelHandle mutex)
    : form_(MainPorts{*this, system_, files_, profile_, registry_, dialogs_}), CreatedMutex(std::move(mutex)) {}

MainWindow::~MainWindow() = default;

bool MainWindow::Create() {
    // A top-level window (not message-only), so that a second copy finds it
    // by class and it receives the shell's broadcasts; it is never shown.
    return Window::Create(kMainWindowClass, kTitle, WS_POPUP, WS_EX_TOOLWINDOW, nullptr,
                          ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        form_.FormCreate();
        return 0;
    case WM_CLOSE:
        // Closing the hidden window only hides it; "E&xit" ends the program.
        ::ShowWindow(hwnd(), SW_HIDE);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1)
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_DESTROY:
        // FormDestroy: a new copy may start from now on.
        CreatedMutex.reset();
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    if (message == static_cast<UINT>(AppMessage::DeferredStart)) {
        form_.DeferredStart();
        return 0;
    }
    if (message == static_cast<UINT>(AppMessage::SecondInstance))
        return 0;
    return Window::HandleMessage(message, wParam, lParam);
}

void MainWindow::OnCommand(WORD id) {
    switch (static_cast<MenuCommand>(id)) {
    case MenuCommand::Close:
        Close1Click();
        break;
    default:
        break;
    }
}

void MainWindow::Close1Click() {
    if (form_.state() == MainForm::State::Closed)
        return;
    form_.FormClose();
    ::DestroyWindow(hwnd());
}

void MainWindow::ShowPlainMessage(const std::wstring& text) {
    ::MessageBoxW(hwnd(), text.c_str(), kTitle, MB_OK);
}

void MainWindow::ShowError(const std::wstring& text) {
    ::MessageBoxW(hwnd(), text.c_str(), kTitle, MB_OK | MB_ICONERROR);
}

void MainWindow::ShellOpen(const std::wstring& file, const std::wstring& parameters) {
    ::ShellExecuteW(hwnd(), L"open", file.c_str(), parameters.c_str(), L"", SW_SHOWNORMAL);
}

void MainWindow::PostQuit() { ::PostQuitMessage(0); }

void MainWindow::PostDeferredStart() {
    ::PostMessageW(hwnd(), static_cast<UINT>(AppMessage::DeferredStart), 0, 0);
}

} // namespace hg::win32
