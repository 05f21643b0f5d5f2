#include "app/win32/MainWindow.h"

#include "app/Commands.h"

#include <shellapi.h>

namespace hg::win32 {

namespace {
constexpr wchar_t kTitle[] = L"Hueglass";
// One-shot timer: the tray icon is drawn afresh a while after a change of
// resolution, once the shell has settled on its new size.
} // namespace

MainWindow::MainWindow(UniqueKernelHandle mutex)
    : form_(MainPorts{*this, system_, files_, profile_, registry_, dialogs_, *this, composition_, &pictures_}),
      tray_(static_cast<UINT>(AppMessage::TrayCallback),
            {[this] { form_.TrayDblClick(); }, [this]() -> const TTrayMenu& { return form_.TrayMenu; }}),
      CreatedMutex(std::move(mutex)) {
    form_.AttachTray(tray_);
    form_.AttachAboutBox(*this);
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
        // The tray image is refreshed once the shell has settled; a one-shot
        // timer instead of blocking the thread for the wait.
        Enable(TimerId::DpiSettle);
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
        form_.OnTimer(static_cast<TimerId>(wParam));
        return 0;
    case WM_DESTROY:
        for (TimerId id : std::set<TimerId>(enabledTimers_))
            Disable(id);
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
    case MenuCommand::Enabled:
        form_.MenuEnabledClick();
        break;
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
    if (aboutBox_ != nullptr) {
        // The About box's modal loop runs below this command: it is closed
        // as if cancelled and the exit runs once the loop has returned.
        aboutBox_->CloseAsCancelled();
        ::PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::Close), 0), 0);
        return;
    }
    form_.FormClose();
    tray_.Remove();
    ::DestroyWindow(hwnd());
}

void MainWindow::ShowAboutBox() {
    if (aboutBox_ != nullptr) {
        ::SetForegroundWindow(aboutBox_->TopWindow());
        return;
    }
    TFrmAboutHueglass box({tray_, dialogs_, [this] { form_.MnuDonateClick(); }, updateTransport_});
    aboutBox_ = &box;
    box.ShowModal(hwnd());
    aboutBox_ = nullptr;
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

void MainWindow::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit for the main loop, which ends the program.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

int MainWindow::MonitorCount() { return ::GetSystemMetrics(SM_CMONITORS); }

std::uintptr_t MainWindow::ForegroundWindow() { return reinterpret_cast<std::uintptr_t>(::GetForegroundWindow()); }

std::uintptr_t MainWindow::MainWindowHandle() { return reinterpret_cast<std::uintptr_t>(hwnd()); }

void MainWindow::Enable(TimerId id) {
    if (hwnd() != nullptr && ::SetTimer(hwnd(), static_cast<UINT_PTR>(id), IntervalOf(id), nullptr) != 0)
        enabledTimers_.insert(id);
}

void MainWindow::Disable(TimerId id) {
    if (enabledTimers_.erase(id) != 0)
        ::KillTimer(hwnd(), static_cast<UINT_PTR>(id));
}

bool MainWindow::IsEnabled(TimerId id) const { return enabledTimers_.count(id) != 0; }

void MainWindow::PostQuit() { ::PostQuitMessage(0); }

void MainWindow::PostDeferredStart() {
    ::PostMessageW(hwnd(), static_cast<UINT>(AppMessage::DeferredStart), 0, 0);
}

} // namespace hg::win32
