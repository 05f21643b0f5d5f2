// The options dialog as a user meets it: real mouse clicks and keys, sent
// through the X display the test runs under (xdotool, the XTEST extension),
// reach the dialog through Wine's own input handling and the dialog's modal
// loop, as a user's do. The ports are fakes that report three monitors, so
// the monitor number is shown; the tests assert what OK writes.
#include "options/win32/OptionsWindow.h"

#include "fakes/options/FakeOptionsOwner.h"
#include "fakes/platform/FakePorts.h"
#include "platform/win32/UiThread.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace hg::win32 {
namespace {

using C = OptionsControl;
using namespace std::chrono_literals;

// Polls until the condition holds or the deadline passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        ::Sleep(20);
    }
    return true;
}

// Runs a shell command line of the machine Wine runs on (xdotool, import)
// and waits for it to end. Wine starts such programs but gives no handle to
// wait on, so the command writes its exit code into a file that is polled.
int RunUnix(const std::string& command) {
    static int counter = 0;
    const std::string marker =
        "/tmp/hueglass-options-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
    const std::filesystem::path markerFile = L"Z:" + std::filesystem::path(marker).wstring();
    std::filesystem::remove(markerFile);
    const std::string line = "/bin/sh -c \"" + command + "; echo $? > " + marker + "\"";
    std::wstring wide(line.begin(), line.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(L"Z:\\bin\\sh", wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    if (process.hProcess != nullptr)
        ::CloseHandle(process.hProcess);
    if (process.hThread != nullptr)
        ::CloseHandle(process.hThread);
    int code = -1;
    WaitUntil([&] {
        std::ifstream in(markerFile);
        return static_cast<bool>(in >> code);
    });
    std::filesystem::remove(markerFile);
    return code;
}

// The dialog while the test's main thread runs its modal loop: what the
// user does with mouse and keyboard, and what the controls show. Failures
// are collected and reported by the main thread.
class User {
public:
    User(HWND dialog, std::vector<std::string>& failures) : dialog_(dialog), failures_(failures) {}

    HWND dialog() const { return dialog_; }
    HWND Find(int id) const {
        struct Search {
            int id;
            HWND found;
        } search{id, nullptr};
        ::EnumChildWindows(
            dialog_,
            [](HWND child, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (::GetDlgCtrlID(child) != s->id)
                    return TRUE;
                s->found = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND Control(C control) const { return Find(OptionsControlId(control)); }

    void Fail(const std::string& what) { failures_.push_back(what); }
    // Waits for the condition; a failure names what was expected.
    bool Expect(const std::function<bool()>& condition, const std::string& what) {
        if (WaitUntil(condition))
            return true;
        Fail(what);
        return false;
    }

    void Xdotool(const std::string& arguments) {
        if (const int code = RunUnix("xdotool " + arguments); code != 0)
            Fail("xdotool " + arguments + " ended with " + std::to_string(code));
    }
    void ClickAt(POINT at) { Xdotool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " click 1"); }
    // A click at a point of the control given in its client coordinates.
    void ClickIn(HWND control, int x, int y) {
        POINT at{x, y};
        ::ClientToScreen(control, &at);
        ClickAt(at);
    }
    // A click into a field, once it has the focus: a click that Xvfb or Wine
    // lost on the way (the pointer already there) is given again.
    bool ClickInto(HWND control, int x, int y) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            ClickIn(control, x, y);
            if (WaitUntil([&] { return Focus() == control; }, 3s))
                return true;
        }
        Fail("a click did not put the focus in the field");
        return false;
    }
    void ClickCentre(HWND control) {
        RECT r{};
        ::GetClientRect(control, &r);
        ClickIn(control, r.right / 2, r.bottom / 2);
    }
    // Keys as xdotool names them ("ctrl+Tab", "Down", "2").
    void Keys(const std::string& keys) { Xdotool("key --delay 30 " + keys); }

    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog_, nullptr), &info);
        return info.hwndFocus;
    }
    int Page() const { return static_cast<int>(::SendMessageW(Find(kOptionsTabsId), TCM_GETCURSEL, 0, 0)); }
    std::wstring Text(HWND control) const {
        wchar_t text[64] = {};
        ::SendMessageW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        return text;
    }
    int Selected(C list) const { return static_cast<int>(::SendMessageW(Control(list), CB_GETCURSEL, 0, 0)); }
    bool ApplyEnabled() const { return ::IsWindowEnabled(Control(C::BtnApply)) != FALSE; }
    // Everything the dialog's thread was sent before has been handled.
    void Settle() const { ::SendMessageW(dialog_, WM_NULL, 0, 0); }

    // Opens a drop-down list with a click and clicks one of its items.
    void ChooseWithMouse(C list, int item) {
        HWND combo = Control(list);
        ClickCentre(combo);
        if (!Expect([&] { return ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }, "the list did not open"))
            return;
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        ::GetComboBoxInfo(combo, &info);
        RECT r{};
        ::SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
        ClickIn(info.hwndList, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Expect([&] { return ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) == 0; }, "the list did not close");
        Settle();
    }

    // A picture of the whole screen when HUEGLASS_SCREENSHOTS names a folder
    // (of the machine Wine runs on).
    void Screenshot(const char* name) {
        const char* folder = std::getenv("HUEGLASS_SCREENSHOTS");
        if (folder == nullptr || *folder != '/')
            return;
        ::RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Settle();
        RunUnix(std::string("import -window root ") + folder + "/" + name + ".png");
    }

private:
    HWND dialog_;
    std::vector<std::string>& failures_;
};

class OptionsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        InitCommonControlsForWindows();
        owner.monitors = 3;
        ASSERT_EQ(RunUnix("command -v xdotool >/dev/null"), 0) << "xdotool is needed (tools/install-packages.sh)";
    }

    // Shows the dialog on this thread, as "&Settings..." does, while drive
    // acts as the user on another thread. The dialog is closed as cancelled
    // if drive leaves it open. Returns the modal result.
    int Run(const std::function<void(User&)>& drive) {
        OptionsForm form(OptionsPorts{owner, system, registry, nullptr}, initial);
        TFrmOptions window([] { return HWND{nullptr}; });
        std::vector<std::string> failures;
        std::thread user([&] {
            HWND dialog = nullptr;
            const DWORD self = ::GetCurrentProcessId();
            WaitUntil([&] {
                dialog = ::FindWindowW(L"#32770", L"Hueglass Options");
                DWORD pid = 0;
                ::GetWindowThreadProcessId(dialog, &pid);
                return dialog != nullptr && pid == self && ::IsWindowVisible(dialog);
            });
            if (dialog == nullptr) {
                failures.push_back("the dialog did not show");
                return;
            }
            User actor(dialog, failures);
            // The pointer over the dialog, where the keys then go.
            RECT r{};
            ::GetWindowRect(dialog, &r);
            actor.Xdotool("mousemove " + std::to_string(r.left + 40) + " " + std::to_string(r.bottom - 20));
            drive(actor);
            if (::IsWindow(dialog)) {
                ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                if (!WaitUntil([&] { return !::IsWindow(dialog); }))
                    failures.push_back("the dialog did not close");
            }
        });
        const int result = window.ShowModal(form);
        user.join();
        for (const std::string& failure : failures)
            ADD_FAILURE() << failure;
        return result;
    }

    testing::FakeOptionsOwner owner;
    testing::FakeSystemInfo system; // Windows 10
    testing::FakeRegistry registry;
    OptionsInitialValues initial;
};

TEST_F(OptionsWindow, ListItemsChosenWithTheMouseOrTheKeysStayAndOkKeepsThem) {
    owner.options.DoubleClickAction = 0;
    owner.options.TrayIconStyle = 0;
    const int result = Run([](User& user) {
        user.Keys("ctrl+Prior"); // from the first page back to the last
        if (!user.Expect([&] { return user.Page() == 2; }, "Ctrl+PageUp did not show \"Advanced\""))
            return;
        user.ChooseWithMouse(C::CmbDoubleClick, 2);
        user.Expect([&] { return user.Selected(C::CmbDoubleClick) == 2; }, "the double-click list snapped back");
        user.Expect([&] { return user.ApplyEnabled(); }, "a list item chosen did not enable Apply");
        user.ChooseWithMouse(C::CmbIconStyle, 1);
        user.Expect([&] { return user.Selected(C::CmbIconStyle) == 1; }, "the icon style list snapped back");
        user.Screenshot("options-list-chosen-with-mouse");

        // The arrows and Home on a closed list (it has the focus).
        user.Keys("Up");
        user.Expect([&] { return user.Selected(C::CmbIconStyle) == 0; }, "Up on the closed list did nothing");
        user.Keys("Down");
        user.Expect([&] { return user.Selected(C::CmbIconStyle) == 1; }, "Down on the closed list did nothing");
        user.ClickCentre(user.Control(C::CmbDoubleClick));
        user.Keys("Escape"); // closes the list the click opened, not the dialog
        user.Keys("Home");
        user.Expect([&] { return user.Selected(C::CmbDoubleClick) == 0; }, "Home on the closed list did nothing");
        user.Keys("Down");
        user.Settle();
        user.Expect([&] { return user.Selected(C::CmbDoubleClick) == 1; }, "Down on the closed list did nothing");
        user.ClickCentre(user.Find(IDOK));
    });
    EXPECT_EQ(result, kOptionsOk);
    EXPECT_EQ(owner.options.DoubleClickAction, 1);
    EXPECT_EQ(owner.options.TrayIconStyle, 1);
}

TEST_F(OptionsWindow, SteppingTheMonitorNumberEnablesApplyAndOkKeepsIt) {
    owner.options.DualMonWallSlideUseMon = 0; // shown as 1
    const int result = Run([](User& user) {
        user.Keys("ctrl+Tab");
        if (!user.Expect([&] { return user.Page() == 1; }, "Ctrl+Tab did not show \"Wallpaper\""))
            return;
        HWND spin = user.Control(C::SpinMon);
        user.ClickIn(spin, 6, 6);
        user.Expect([&] { return user.Focus() == spin; }, "a click did not put the focus in the monitor number");
        user.Keys("Up");
        user.Expect([&] { return user.Text(spin) == L"2"; }, "Up did not step the number");
        user.Expect([&] { return user.ApplyEnabled(); }, "a step did not enable Apply");
        user.Keys("Up Up");
        user.Expect([&] { return user.Text(spin) == L"3"; }, "the steps went beyond the three monitors");
        // The up-down: its lower half steps down, its upper half up.
        const HWND updown = ::GetWindow(spin, GW_CHILD);
        RECT r{};
        ::GetClientRect(updown, &r);
        user.ClickIn(updown, r.right / 2, r.bottom * 3 / 4);
        user.Expect([&] { return user.Text(spin) == L"2"; }, "the up-down's lower half did not step down");
        user.ClickIn(updown, r.right / 2, r.bottom * 3 / 4);
        user.ClickIn(updown, r.right / 2, r.bottom / 4);
        user.Expect([&] { return user.Text(spin) == L"2"; }, "the up-down's upper half did not step up");
        user.Screenshot("options-monitor-stepped");
        user.Keys("Return"); // OK, the default button
    });
    EXPECT_EQ(result, kOptionsOk);
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, 1);
}

TEST_F(OptionsWindow, TypedTextIsKeptUntilTheNumberIsRead) {
    owner.options.DualMonWallSlideUseMon = 0; // shown as 1
    const int result = Run([](User& user) {
        user.Keys("ctrl+Next");
        if (!user.Expect([&] { return user.Page() == 1; }, "Ctrl+PageDown did not show \"Wallpaper\""))
            return;
        HWND spin = user.Control(C::SpinMon);
        user.ClickIn(spin, 6, 6);
        user.Keys("End BackSpace");
        user.Settle();
        user.Expect([&] { return user.Text(spin).empty(); }, "the emptied text was replaced while typing");
        user.Keys("2");
        user.Expect([&] { return user.Text(spin) == L"2"; }, "typing 2 after Backspace did not give 2");
        user.Keys("BackSpace");
        // Leaving the field reads the number: the empty text becomes 1, selected.
        user.Keys("shift+Tab");
        user.Expect([&] { return user.Text(spin) == L"1"; }, "leaving the field did not replace the empty text");
        if (!user.ClickInto(spin, 6, 6))
            return;
        user.Settle();
        user.Keys("End 7");
        user.Expect([&] { return user.Text(spin) == L"17"; }, "typing was disturbed");
        user.Keys("Return"); // OK reads 17 and limits it to the three monitors
    });
    EXPECT_EQ(result, kOptionsOk);
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, 2);
}

// A laptop away from its dock: the stored monitor 5 is not present now.
TEST_F(OptionsWindow, OpenAndOkKeepAStoredMonitorThatIsNotPresent) {
    owner.options.DualMonWallSlideUseMon = 4;
    const int result = Run([](User& user) {
        user.Expect([&] { return user.Text(user.Control(C::SpinMon)) == L"5"; }, "the stored monitor is not shown");
        user.Expect([&] { return !user.ApplyEnabled(); }, "filling the dialog enabled Apply");
        user.Keys("Return");
    });
    EXPECT_EQ(result, kOptionsOk);
    EXPECT_EQ(owner.options.DualMonWallSlideUseMon, 4);
}

TEST_F(OptionsWindow, CtrlTabSwitchesPagesAndTabFromTheStripEntersThePage) {
    const int result = Run([](User& user) {
        const std::pair<const char*, int> steps[] = {
            {"ctrl+Tab", 1}, {"ctrl+Tab", 2}, {"ctrl+Tab", 0}, {"ctrl+shift+Tab", 2}, {"ctrl+Next", 0}, {"ctrl+Prior", 2}};
        for (const auto& [keys, page] : steps)
            user.Keys(keys), user.Expect([&] { return user.Page() == page; }, std::string(keys) + " showed another page");
        // The focus followed into the page shown.
        user.Expect([&] { return ::IsChild(::GetParent(user.Control(C::CmbDoubleClick)), user.Focus()); },
                    "the focus stayed on a hidden page");
        // Back on "Color": Shift+Tab from its first control reaches the tab
        // strip (last in the tab order, after the buttons), and Tab from the
        // strip enters the page again.
        user.Keys("ctrl+Tab");
        user.Expect([&] { return user.Page() == 0 && user.Focus() == user.Control(C::CheckDisabled); },
                    "Ctrl+Tab did not bring the focus into \"Color\"");
        HWND tabs = user.Find(kOptionsTabsId);
        user.Keys("shift+Tab");
        user.Expect([&] { return user.Focus() == tabs; }, "Shift+Tab from the page did not reach the tab strip");
        user.Keys("Tab");
        user.Expect([&] { return user.Focus() == user.Control(C::CheckDisabled); },
                    "Tab from the tab strip did not enter the page");
        // On the strip, Ctrl+Tab switches pages and leaves the focus there.
        user.Keys("shift+Tab ctrl+Tab");
        user.Expect([&] { return user.Page() == 1 && user.Focus() == tabs; }, "Ctrl+Tab on the strip moved the focus");
        user.Keys("Escape");
    });
    EXPECT_EQ(result, kOptionsCancel);
}

} // namespace
} // namespace hg::win32
