#include "app/win32/MainWindow.h"

#include "tray/Commands.h"
#include "dialogs/win32/Win32TaskDialog.h"
#include "platform/win32/ErrorBoundary.h"
#include "platform/win32/SystemDialog.h"

#include <shellapi.h>

#include <cwchar>
#include <string_view>

namespace hg::win32 {

namespace {
constexpr wchar_t kTitle[] = L"Hueglass";
// One-shot timer: the tray icon is drawn afresh a while after a change of
// resolution, once the shell has settled on its new size.
} // namespace

MainWindow::MainWindow(UniqueKernelHandle mutex)
    : form_(MainPorts{*this, system_, files_, profile_, registry_, modalDialogs_, *this, composition_, &pictures_,
                      &activeWindows_, &options_, &DefaultTaskDialogPlatform()}),
      tray_(static_cast<UINT>(AppMessage::TrayCallback),
            {[this] { form_.TrayDblClick(); }, [this]() -> const TTrayMenu& { return form_.TrayMenu; }}),
      manual_({[this] { return tray_.CurrentIcon(); }, [this] { form_.PreviewClosing(); },
               [this] { form_.PickCaptureChanged(); }}),
      CreatedMutex(std::move(mutex)) {
    form_.AttachTray(tray_);
    form_.AttachAboutBox(*this);
    form_.AttachManualHost(manual_);
    form_.AttachWallpaperWatch(wallpaperWatch_);
    modalDialogs_.Attach(form_.Modals);
    tray_.AttachModals(form_.Modals);
    // Errors that escape a handler appear in the program's own message box,
    // which "E&xit" can close like any other of its windows.
    SetErrorReporter([this](const std::wstring& text) { ShowError(text); });
}

MainWindow::~MainWindow() { SetErrorReporter(nullptr); }

bool MainWindow::Create() {
    // A top-level window (not message-only), so that a second copy finds it
    // by class and it receives the shell's broadcasts; it is never shown.
    created_ = Window::Create(kMainWindowClass, kTitle, WS_POPUP, WS_EX_TOOLWINDOW, nullptr,
                              ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
    return created_;
}

std::optional<TaskDialogOutcome> MainWindow::ModalTaskDialogs::ShowTaskDialog(const TaskDialogDescription& description,
                                                                              const TLinkHandler& onLink) {
    if (modals_ == nullptr)
        return inner_.ShowTaskDialog(description, onLink);
    return RunSystemDialog(*modals_, WindowKind::Message, [&] { return inner_.ShowTaskDialog(description, onLink); });
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    {
        const ModalWindows::HandlerScope handler = form_.Modals.EnterHandler();
        result = Dispatch(message, wParam, lParam);
    }
    // Here no handler of this window is on the stack any more (at the
    // outermost level): a due exit may destroy the window. During creation
    // it waits for the loop (the last closing window posted a reminder).
    if (created_ && form_.ExitIfDue())
        FinishExit();
    return result;
}

LRESULT MainWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; tray_.HandleMessage(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_CREATE:
        tray_.Attach(hwnd());
        manual_.Attach(hwnd(), form_.Modals);
        form_.FormCreate();
        return 0;
    case WM_DPICHANGED:
        // The tray image is refreshed once the shell has settled; a one-shot
        // timer instead of blocking the thread for the wait.
        Enable(TimerId::DpiSettle);
        return 0;
    case WM_SETTINGCHANGE:
        // A new desktop wallpaper is looked at once the broadcast has been
        // answered.
        if (wParam == SPI_SETDESKWALLPAPER)
            PostWallpaperNotice(WallpaperNotice::SettingChange);
        // lParam names the area that changed ("ImmersiveColorSet" for the
        // light or dark theme), or is null.
        if (lParam != 0) {
            const auto* area = reinterpret_cast<const wchar_t*>(lParam);
            form_.SettingChanged(std::wstring_view(area, ::wcsnlen(area, 256)));
        }
        break; // then the standard handling
    case WM_CLOSE:
        // Closing the hidden window only hides it; "E&xit" ends the program.
        ::ShowWindow(hwnd(), SW_HIDE);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1)
            OnCommand(LOWORD(wParam));
        return 0;
    // The screen pick: the main window holds the mouse while it runs.
    case WM_LBUTTONDOWN:
        form_.PickLeftButton();
        return 0;
    case WM_RBUTTONDOWN:
        form_.PickRightButton();
        return 0;
    case WM_CAPTURECHANGED:
        form_.PickCaptureChanged();
        return 0;
    case WM_TIMER:
        form_.OnTimer(static_cast<TimerId>(wParam));
        return 0;
    case WM_QUERYENDSESSION:
        // Saved already here: some systems end the process soon after the
        // query. The session may still go on; saving twice does no harm.
        form_.SessionEnding();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            form_.SessionEnding();
            form_.SessionEnded();
        }
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
    if (message == static_cast<UINT>(AppMessage::WallpaperNotice)) {
        if (wParam <= static_cast<WPARAM>(WallpaperNotice::SettingChange))
            form_.WallpaperNotified(static_cast<WallpaperNotice>(wParam));
        return 0;
    }
    if (message == static_cast<UINT>(AppMessage::DeferredExit))
        return 0; // the pending exit is looked at when this handler returns
    return Window::HandleMessage(message, wParam, lParam);
}

void MainWindow::OnCommand(WORD id) {
    // While the program exits, only "E&xit" is heard (again: it closes
    // windows that have opened since).
    if (form_.Modals.ExitRequested() && static_cast<MenuCommand>(id) != MenuCommand::Close)
        return;
    switch (static_cast<MenuCommand>(id)) {
    case MenuCommand::Enabled:
        form_.MenuEnabledClick();
        break;
    case MenuCommand::StartDisplay:
        form_.MnuStartDisplayClick();
        break;
    case MenuCommand::FromScreen:
        form_.MnuFromScreenClick();
        break;
    case MenuCommand::SelColor:
        form_.MnuSelColorClick();
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
        form_.Close1Click();
        break;
    default:
        break;
    }
}

void MainWindow::FinishExit() {
    tray_.Remove();
    ::DestroyWindow(hwnd());
}

void MainWindow::PostWallpaperNotice(WallpaperNotice notice) {
    ::PostMessageW(hwnd(), static_cast<UINT>(AppMessage::WallpaperNotice), static_cast<WPARAM>(notice), 0);
}

void MainWindow::ShowAboutBox() {
    TFrmAboutHueglass box({tray_, modalDialogs_, form_.Modals, [this] { form_.MnuDonateClick(); }, updateTransport_});
    aboutBox_ = &box;
    if (aboutCancelPending_)
        box.Cancel(); // "E&xit" came first: the box closes as soon as it is up
    aboutCancelPending_ = false;
    box.ShowModal(hwnd());
    aboutBox_ = nullptr;
}

void MainWindow::BringForward() {
    if (aboutBox_ != nullptr)
        aboutBox_->BringForward();
}

void MainWindow::CloseAsCancelled() {
    if (aboutBox_ != nullptr)
        aboutBox_->Cancel();
    else
        aboutCancelPending_ = true;
}

void MainWindow::ShowPlainMessage(const std::wstring& text) {
    RunSystemDialog(form_.Modals, WindowKind::Message,
                    [&] { return ::MessageBoxW(hwnd(), text.c_str(), kTitle, MB_OK); });
}

void MainWindow::ShowError(const std::wstring& text) {
    RunSystemDialog(form_.Modals, WindowKind::Message,
                    [&] { return ::MessageBoxW(hwnd(), text.c_str(), kTitle, MB_OK | MB_ICONERROR); });
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

void MainWindow::PostDeferredExit() {
    ::PostMessageW(hwnd(), static_cast<UINT>(AppMessage::DeferredExit), 0, 0);
}

} // namespace hg::win32
