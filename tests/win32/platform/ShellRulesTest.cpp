// The shell's rules on real windows under Wine: system dialogs registered
// as open windows and closed by "E&xit", the error boundary of the window
// procedures, COM and the common controls of the user-interface thread.
#include "platform/Errors.h"
#include "platform/ModalWindows.h"
#include "platform/win32/ErrorBoundary.h"
#include "platform/win32/ErrorText.h"
#include "platform/win32/SystemDialog.h"
#include "platform/win32/UiThread.h"
#include "platform/win32/Window.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace hg::win32 {
namespace {

using namespace std::chrono_literals;

// Runs `step` from a timer of this thread, so it runs inside whatever modal
// loop is up then.
class ThreadTimer {
public:
    ThreadTimer(UINT milliseconds, std::function<void()> step) : step_(std::move(step)) {
        id_ = ::SetTimer(nullptr, 0, milliseconds, &ThreadTimer::Proc);
        Active().push_back({id_, this});
    }
    ~ThreadTimer() {
        ::KillTimer(nullptr, id_);
        std::erase_if(Active(), [this](const auto& a) { return a.second == this; });
    }
    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;

private:
    static std::vector<std::pair<UINT_PTR, ThreadTimer*>>& Active() {
        static std::vector<std::pair<UINT_PTR, ThreadTimer*>> active;
        return active;
    }
    static void CALLBACK Proc(HWND, UINT, UINT_PTR id, DWORD) {
        for (const auto& [timer, self] : Active())
            if (timer == id) {
                ::KillTimer(nullptr, id); // once
                self->step_();
                return;
            }
    }
    UINT_PTR id_ = 0;
    std::function<void()> step_;
};

// Should a rule break, the dialogs this thread left open are closed after a
// deadline, so the test fails instead of hanging.
class Watchdog {
public:
    Watchdog() : thread_(::GetCurrentThreadId()), worker_([this] { Run(); }) {}
    ~Watchdog() {
        done_ = true;
        worker_.join();
    }

private:
    void Run() {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!done_ && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        if (done_)
            return;
        ::EnumThreadWindows(
            thread_,
            [](HWND window, LPARAM) -> BOOL {
                ::PostMessageW(window, WM_CLOSE, 0, 0);
                ::PostMessageW(window, WM_COMMAND, IDNO, 0);
                return TRUE;
            },
            0);
    }
    DWORD thread_;
    std::atomic<bool> done_{false};
    std::thread worker_;
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

TEST(SystemDialog, ExitClosesNestedSystemDialogsInnermostFirstAndASecondRequestBringsOneForward) {
    ModalWindows modals;
    const Watchdog watchdog;
    std::vector<std::wstring> events;
    HWND box = nullptr;

    // Inside the message box's loop: a Yes/No task dialog (which has no
    // Cancel of its own) opens on top; inside that one's loop, "E&xit".
    const ThreadTimer openInner(100, [&] {
        box = ::FindWindowW(nullptr, L"Outer box");
        EXPECT_TRUE(modals.IsOpen(WindowKind::Message));
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof(config);
        config.pszWindowTitle = L"Inner question";
        config.pszMainInstruction = L"Yes or no?";
        config.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_NO_BUTTON;
        int button = 0;
        const ThreadTimer exit(100, [&] {
            const HWND question = ::FindWindowW(nullptr, L"Inner question");
            EXPECT_EQ(ClassOf(question), L"#32770");
            EXPECT_TRUE(modals.BringForward(WindowKind::ColorDialog));
            EXPECT_EQ(::GetForegroundWindow(), question) << "the open dialog did not come forward";
            modals.RequestExit();
        });
        const HRESULT hr = RunSystemDialog(modals, WindowKind::ColorDialog,
                                           [&] { return ::TaskDialogIndirect(&config, &button, nullptr, nullptr); });
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(button, IDCANCEL);
        events.push_back(L"inner closed");
    });
    const int result = RunSystemDialog(modals, WindowKind::Message,
                                       [&] { return ::MessageBoxW(nullptr, L"A plain message", L"Outer box", MB_OK); });
    events.push_back(L"outer closed");

    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(events, (std::vector<std::wstring>{L"inner closed", L"outer closed"}));
    EXPECT_NE(box, nullptr);
    EXPECT_FALSE(::IsWindow(box));
    EXPECT_FALSE(modals.AnyOpen());
    EXPECT_TRUE(modals.ExitDue());
}

TEST(SystemDialog, ADialogToldToCloseBeforeItIsUpClosesAsSoonAsItShows) {
    ModalWindows modals;
    const Watchdog watchdog;
    const int result = RunSystemDialog(modals, WindowKind::Message, [&] {
        modals.RequestExit(); // between registering and the dialog's creation
        return ::MessageBoxW(nullptr, L"Never seen for long", L"Early box", MB_OK);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(modals.ExitDue());
}

// A window whose handlers fail in the ways the program's may.
class FailingWindow final : public Window {
public:
    bool Create(bool failCreation) {
        failCreation_ = failCreation;
        return Window::Create(L"HueglassFailingWindow", L"", WS_POPUP, 0, nullptr);
    }
    std::function<void()> onFail;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE && failCreation_)
            throw UserError(L"Cannot create");
        if (message == WM_USER + 1)
            throw SystemError(ERROR_ACCESS_DENIED);
        if (message == WM_USER + 2)
            throw std::bad_alloc();
        if (message == WM_USER + 3) {
            if (onFail)
                onFail();
            throw 3;
        }
        if (message == WM_USER + 4)
            return 44;
        return Window::HandleMessage(message, wParam, lParam);
    }
    bool failCreation_ = false;
};

TEST(ErrorBoundary, AnErrorThatEscapesAHandlerIsShownAndTheProgramRunsOn) {
    std::vector<std::wstring> shown;
    SetErrorReporter([&](const std::wstring& text) { shown.push_back(text); });
    FailingWindow window;
    ASSERT_TRUE(window.Create(false));
    EXPECT_EQ(::SendMessageW(window.hwnd(), WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(window.hwnd(), WM_USER + 2, 0, 0), 0);
    // A handler that fails again while its error is being shown (a paint
    // that always fails): one box, not a growing stack of them.
    SetErrorReporter([&](const std::wstring& text) {
        shown.push_back(text);
        ::SendMessageW(window.hwnd(), WM_USER + 3, 0, 0);
    });
    ::SendMessageW(window.hwnd(), WM_USER + 3, 0, 0);
    EXPECT_EQ(::SendMessageW(window.hwnd(), WM_USER + 4, 0, 0), 44) << "the window stopped working";
    EXPECT_EQ(shown, (std::vector<std::wstring>{ErrorText(ERROR_ACCESS_DENIED), ErrorText(ERROR_NOT_ENOUGH_MEMORY),
                                                ErrorText(ERROR_INTERNAL_ERROR)}));
    EXPECT_NE(shown[0].find(L"denied"), std::wstring::npos) << "not the platform's text";

    SetErrorReporter([&](const std::wstring& text) { shown.push_back(text); });
    FailingWindow broken;
    EXPECT_FALSE(broken.Create(true)) << "a window whose creation failed was created";
    EXPECT_EQ(shown.back(), L"Cannot create");
    SetErrorReporter(nullptr);
}

TEST(UiThread, ComIsApartmentThreadedAndBalancedAndTheWindowsControlsAreRegistered) {
    std::thread fresh([] {
        {
            const ComApartment com;
            ASSERT_TRUE(com.ok());
            APTTYPE type{};
            APTTYPEQUALIFIER qualifier{};
            ASSERT_EQ(::CoGetApartmentType(&type, &qualifier), S_OK);
            EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA) << "apartment type " << type;
            // Another model on the same thread is refused and releases nothing.
            const ComApartment worker(ComApartment::Model::MultiThreaded);
            EXPECT_EQ(worker.result(), RPC_E_CHANGED_MODE);
        }
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        EXPECT_EQ(::CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED) << "COM left initialised";
    });
    fresh.join();

    ASSERT_TRUE(InitCommonControlsForWindows());
    for (const wchar_t* name :
         {WC_LINK, WC_TABCONTROLW, UPDOWN_CLASSW, TRACKBAR_CLASSW, PROGRESS_CLASSW, TOOLTIPS_CLASSW, WC_LISTVIEWW}) {
        const HWND control = ::CreateWindowExW(0, name, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                               ::GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(control, nullptr) << "no control of class " << std::string(name, name + wcslen(name));
        if (control)
            ::DestroyWindow(control);
    }
}

} // namespace
} // namespace hg::win32
