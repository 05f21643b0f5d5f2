// Shows real task dialogs built with TMsgBox and drives them from a helper
// thread with window messages, as a user's clicks and key presses arrive.
#include "dialogs/Warnings.h"
#include "dialogs/win32/Win32TaskDialogHost.h"
#include "win32/dialogs/DialogDriver.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace hg::win32 {
namespace {

using namespace dialog_driver;

class TaskDialogTest : public ::testing::Test {
protected:
    Win32TaskDialogHost host_{L"Hueglass"};
};

TEST_F(TaskDialogTest, CompositionWarningShowsItsTextsAndButtonsInOrder) {
    std::vector<Child> children;
    std::wstring title;
    HWND owner = nullptr;
    TModalResult result = 0;
    {
        DialogScript script([&](HWND dialog, DWORD) {
            title = TextOf(dialog);
            owner = ::GetWindow(dialog, GW_OWNER);
            children = ChildrenOf(dialog);
            SaveShot(dialog, L"dialog-A-composition-off");
            Click(FindButton(dialog, L"&Cancel"));
        });
        result = CompositionOffWarning().Execute(host_, nullptr, true);
        EXPECT_TRUE(script.Appeared());
        EXPECT_TRUE(script.ClosedByScript());
    }
    EXPECT_EQ(result, composition_warning::Cancel);
    EXPECT_EQ(title, L"Hueglass");
    EXPECT_TRUE(owner == nullptr || owner == ::GetDesktopWindow());

    auto hasText = [&](const std::wstring& part) {
        return std::any_of(children.begin(), children.end(),
                           [&](const Child& c) { return c.visible && c.text.find(part) != std::wstring::npos; });
    };
    EXPECT_TRUE(hasText(L"Windows DWM is not enabled in your current Windows session"));
    EXPECT_TRUE(hasText(L"It's strongly recommended that Windows DWM is turned on"));
    EXPECT_TRUE(hasText(L"your hardware might not be compatible with DWM"));
    EXPECT_TRUE(std::any_of(children.begin(), children.end(), [](const Child& c) {
        return _wcsicmp(c.className.c_str(), WC_LINK) == 0 && c.visible &&
               c.text.find(L"Windows Desktop Window Manager (DWM)") != std::wstring::npos;
    })) << "the link text is shown by a link control";

    std::vector<std::wstring> buttonsLeftToRight;
    std::vector<Child> buttons;
    for (const Child& c : children)
        if (_wcsicmp(c.className.c_str(), L"Button") == 0 && c.visible)
            buttons.push_back(c);
    std::sort(buttons.begin(), buttons.end(), [](const Child& a, const Child& b) { return a.rect.left < b.rect.left; });
    for (const Child& c : buttons)
        buttonsLeftToRight.push_back(c.text);
    EXPECT_EQ(buttonsLeftToRight, (std::vector<std::wstring>{L"&Enable DWM", L"&Ignore", L"&Cancel"}));
}

TEST_F(TaskDialogTest, EnterPressesTheDefaultButton) {
    struct Case {
        const char* name;
        TMsgBox box;
        TModalResult expected;
    };
    const Case cases[] = {
        {"none marked: the first custom button, identifier 1", CompositionOffWarning(), composition_warning::EnableDwm},
        {"default common button", MsgBox(L"Keep?").YesNo().DefButton(tcbNo), mrNo},
        {"custom button marked default", MsgBox(L"Go?").AddButton(L"&Now", 10).AddButton(L"&Later", 11, true), 11},
    };
    for (Case c : cases) {
        TModalResult result = 0;
        {
            DialogScript script([](HWND dialog, DWORD thread) { PressKey(dialog, thread, VK_RETURN); });
            result = c.box.Execute(host_, nullptr, true);
        }
        EXPECT_EQ(result, c.expected) << c.name;
    }
}

TEST_F(TaskDialogTest, AutoColorizationWarningReportsTheCheckBox) {
    struct Case {
        const char* name;
        bool tick;
        std::function<void(HWND, DWORD)> close;
        TModalResult result;
    };
    const Case cases[] = {
        {"ticked, Ignore", true, [](HWND d, DWORD) { Click(FindButton(d, L"&Ignore")); },
         auto_colorization_warning::Ignore},
        {"clear, Turn Off", false, [](HWND d, DWORD) { Click(FindButton(d, L"&Turn Off")); },
         auto_colorization_warning::TurnOff},
        {"ticked, Esc", true, [](HWND d, DWORD t) { PressKey(d, t, VK_ESCAPE); }, auto_colorization_warning::TurnOff},
        {"close box", false, [](HWND d, DWORD) { ::PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); },
         auto_colorization_warning::TurnOff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool dontShowAgain = !c.tick;
        std::wstring title;
        TModalResult result = 0;
        {
            DialogScript script([&](HWND dialog, DWORD thread) {
                title = TextOf(dialog);
                if (c.tick) {
                    HWND box = FindButton(dialog, L"Do not show this warning again");
                    SaveShot(dialog, L"dialog-B-auto-colorization");
                    Click(box);
                    // Act only once the tick has landed, as a user would see it.
                    WaitFor([&] { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; });
                }
                c.close(dialog, thread);
            });
            result = AutoColorizationWarning(dontShowAgain).Execute(host_, nullptr, true);
            EXPECT_TRUE(script.ClosedByScript());
        }
        EXPECT_EQ(title, L"Warning");
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(dontShowAgain, c.tick);
    }
}

TEST_F(TaskDialogTest, YesNoCannotBeCancelledButOkCancelCan) {
    TModalResult result = 0;
    {
        // Esc first, then No: if Esc closed the dialog the result would be 2.
        DialogScript script([](HWND dialog, DWORD thread) {
            PressKey(dialog, thread, VK_ESCAPE);
            ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            Click(::GetDlgItem(dialog, IDNO));
        });
        result = MsgBox(L"Replace the colour?").Question().YesNo().Execute(host_, nullptr, true);
    }
    EXPECT_EQ(result, mrNo);

    {
        DialogScript script([](HWND dialog, DWORD thread) { PressKey(dialog, thread, VK_ESCAPE); });
        result = MsgBox(L"Continue?").OKCancel().Execute(host_, nullptr, true);
    }
    EXPECT_EQ(result, mrCancel);
}

TEST_F(TaskDialogTest, RadioButtonSelectionIsReported) {
    struct Case {
        const char* name;
        std::int32_t defaultRadio; // -2: DefRadioButton not called
        const wchar_t* pick;       // nullptr: leave as it is
        std::vector<int> checkedAtStart;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"first by default", -2, nullptr, {1, 0, 0}, 0},
        {"default given", 1, nullptr, {0, 1, 0}, 1},
        {"none selected", -1, nullptr, {0, 0, 0}, -1},
        {"user picks", -1, L"Blue", {0, 0, 0}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMsgBox box = MsgBox(L"Colour source").AddRadioButtons({L"Red", L"Green", L"Blue"}).OK();
        if (c.defaultRadio != -2)
            box = box.DefRadioButton(c.defaultRadio);
        std::vector<int> checked;
        std::int32_t radio = 99;
        TModalResult result = 0;
        {
            DialogScript script([&](HWND dialog, DWORD) {
                for (const wchar_t* caption : {L"Red", L"Green", L"Blue"})
                    checked.push_back(static_cast<int>(::SendMessageW(FindButton(dialog, caption), BM_GETCHECK, 0, 0)));
                if (c.pick) {
                    HWND pick = FindButton(dialog, c.pick);
                    Click(pick);
                    WaitFor([&] { return ::SendMessageW(pick, BM_GETCHECK, 0, 0) == BST_CHECKED; });
                }
                Click(::GetDlgItem(dialog, IDOK));
            });
            result = box.Execute(radio, host_, nullptr);
        }
        EXPECT_EQ(result, mrOk);
        EXPECT_EQ(checked, c.checkedAtStart);
        EXPECT_EQ(radio, c.expected);
    }

    std::int32_t radio = 99;
    {
        DialogScript script([](HWND dialog, DWORD) { Click(::GetDlgItem(dialog, IDOK)); });
        EXPECT_EQ(MsgBox(L"No radio buttons").OK().Execute(radio, host_, nullptr), mrOk);
    }
    EXPECT_EQ(radio, -1);
}

TEST_F(TaskDialogTest, LinkGoesToTheHandlerAndTheDialogStaysOpen) {
    std::mutex mutex;
    std::vector<std::wstring> clicked;
    bool stillOpen = false;
    bool linkFound = false;
    TModalResult result = 0;
    {
        DialogScript script([&](HWND dialog, DWORD) {
            linkFound = ClickFirstLink(dialog);
            WaitFor([&] {
                std::lock_guard lock(mutex);
                return !clicked.empty();
            });
            // Anything the click could have done to the dialog has happened by now.
            ::SendMessageW(dialog, WM_NULL, 0, 0);
            stillOpen = ::IsWindowVisible(dialog) != FALSE;
            Click(::GetDlgItem(dialog, IDCLOSE));
        });
        result = MsgBox(L"About")
                     .Text(L"See <a href=\"https://example.org/hueglass\">the web site</a> for news.")
                     .Close()
                     .Hypertext([&](const std::wstring& url) {
                         std::lock_guard lock(mutex);
                         clicked.push_back(url);
                     })
                     .Execute(host_, nullptr, true);
    }
    EXPECT_TRUE(linkFound);
    EXPECT_EQ(clicked, std::vector<std::wstring>{L"https://example.org/hueglass"});
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, mrClose);
}

TEST_F(TaskDialogTest, CommandLinkWarningShowsCaptionsAndReportsTheChoice) {
    bool dontShowAgain = true;
    TModalResult result = 0;
    std::vector<std::wstring> texts;
    {
        DialogScript script([&](HWND dialog, DWORD) {
            for (const Child& c : ChildrenOf(dialog))
                if (c.visible)
                    texts.push_back(c.text);
            SaveShot(dialog, L"warning-manual-color");
            Click(FindButton(dialog, L"&Turn off automatic settings"));
        });
        result = ManualColorInAutoModeWarning(dontShowAgain).Execute(host_, nullptr, true);
    }
    EXPECT_EQ(result, manual_color_warning::TurnOffAutomatic);
    EXPECT_FALSE(dontShowAgain);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"All options can be set in the settings dialog"), texts.end());
}

TEST_F(TaskDialogTest, OwnerFormOwnsTheDialogAndOtherWindowsWaitBehindIt) {
    HWND form = CreateTestForm(L"Options", 50);
    HWND other = CreateTestForm(L"Preview", 400);

    HWND owner = nullptr;
    bool formEnabled = true, otherEnabled = true;
    TModalResult result = 0;
    {
        DialogScript script([&](HWND dialog, DWORD) {
            owner = ::GetWindow(dialog, GW_OWNER);
            formEnabled = ::IsWindowEnabled(form) != FALSE;
            otherEnabled = ::IsWindowEnabled(other) != FALSE;
            Click(::GetDlgItem(dialog, IDOK));
        });
        result = MsgBox(L"Saved").OK().Execute(host_, form, true);
    }
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(owner, form);
    EXPECT_FALSE(formEnabled);
    EXPECT_FALSE(otherEnabled);
    EXPECT_TRUE(::IsWindowEnabled(form));
    EXPECT_TRUE(::IsWindowEnabled(other));
    EXPECT_TRUE(::IsWindowEnabled(::GetDesktopWindow()));
    ::DestroyWindow(form);
    ::DestroyWindow(other);
}

TEST_F(TaskDialogTest, VerificationWithoutPointerStillShowsTheCheckBox) {
    bool shown = false;
    TModalResult result = 0;
    {
        DialogScript script([&](HWND dialog, DWORD) {
            HWND box = FindButton(dialog, L"Remember");
            shown = box != nullptr;
            Click(box);
            Click(::GetDlgItem(dialog, IDOK));
        });
        result = MsgBox(L"A").OK().Verification(L"Remember", nullptr).Execute(host_, nullptr, true);
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(result, mrOk);
}

HRESULT WINAPI FailingTaskDialog(const TASKDIALOGCONFIG*, int* button, int* radio, BOOL* checked) {
    // What a failed call may leave behind must not be taken as the answer.
    *button = IDYES;
    *radio = 101;
    *checked = FALSE;
    return E_OUTOFMEMORY;
}

TEST(Win32TaskDialogHost, DialogThatCannotBeShownReportsCancelAndTheInitialCheckState) {
    Win32TaskDialogHost missing(L"Hueglass", nullptr);
    Win32TaskDialogHost failing(L"Hueglass", &FailingTaskDialog);
    for (Win32TaskDialogHost* host : {&missing, &failing}) {
        bool checked = true;
        std::int32_t radio = 5;
        TMsgBox box = MsgBox(L"A").YesNo().AddRadioButtons({L"a", L"b"}).Verification(L"Check", &checked);
        EXPECT_EQ(box.Execute(radio, *host, nullptr), mrCancel);
        EXPECT_EQ(radio, -1);
        EXPECT_TRUE(checked);
    }
}

TEST(Win32TaskDialogHost, UntitledDialogsBearTheProgramsName) {
    EXPECT_EQ(Win32TaskDialogHost().ApplicationTitle(), L"win32_dialogs");
    EXPECT_EQ(Win32TaskDialogHost(L"Hueglass").ApplicationTitle(), L"Hueglass");
}

} // namespace
} // namespace hg::win32
