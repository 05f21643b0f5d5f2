#include "app/win32/MainWindow.h"

#include "app/Commands.h"

#include <shellapi.h>

namespace hg::win32 {

namespace {
constexpr wchar_t kTitle[] = L"Hueglass";
// One-shot timer: the tray icon is drawn afresh a while after a change of
// resolution, once the shell has settled on its new size.
constexpr UINT_PTR kTrayRefreshTimer = 0x7E1;
constexpr UINT kTrayRefreshDelayMs = 5000;
} // namespace

MainWindow::MainWindow(UniqueKernelHandle mutex)
    : form_(MainPorts{*this, system_, files_, profile_, registry_, dialogs_}),
      tray_(static_cast<UINT>(AppMessage::TrayCallback),
            {[this] { form_.TrayDblClick(); }, [this]() -> const TTrayMenu& { return form_.TrayMenu; }}),
      CreatedMutex(std::move(mutex)) {
    form_.AttachTray(tray_);
}

MainWindow::~MainWindow() = default;

bool MainWindow::Create() {
    // A top-level window (not message-only), so that a second copy finds it
    // by class and it receives the shell's broadcasts; it is never shown.
    return Window::Create(kMainWindowClass, kTitle, WS_POPUP, WS_EX_TOOLWINDOW, nullptr,
                          ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; tray_.HandleMessage(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_CREATE:
        tray_.Attach(hwnd());
        form_.FormCreate();
        return 0;
    case WM_DPICHANGED:
        // Instead of blocking the thread for the wait, a one-shot timer.
        ::SetTimer(hwnd(), kTrayRefreshTimer, kTrayRefreshDelayMs, nullptr);
        return 0;
    case WM_CLOSE:
        // Closing the hidden window only hides it; "E&xit" ends the program.
        ::ShowWindow(hwnd(), SW_HIDE);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1)
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTrayRefreshTimer) {
            ::KillTimer(hwnd(), kTrayRefreshTimer);
            form_.UpdateTrayIcons(false);
            return 0;
        }
        break;
    case WM_DESTROY:
        tray_.Remove();
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
    if (message == static_cast<UINT>(AppMessage::SecondInstance)) {
        form_.SecondInstance();
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void MainWindow::OnCommand(WORD id) {
    switch (static_cast<MenuCommand>(id)) {
    case MenuCommand::StartDisplay:
        form_.MnuStartDisplayClick();
        break;
    case MenuCommand::ClearCurrentManualColor:
        form_.MnuClearCurrentManualColorClick();
        break;
    case MenuCommand::Settings:
        form_.Settings2Click();
        break;
    case MenuCommand::Donate:
        form_.MnuDonateClick();
        break;
    case MenuCommand::About:
        form_.About1Click();
        break;
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
    tray_.Remove();
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
