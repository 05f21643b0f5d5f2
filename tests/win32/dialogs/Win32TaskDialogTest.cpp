// Shows real TTaskDialog dialogs, native and emulated, and drives them from a
// helper thread with window messages as a user's clicks and keys arrive.
#include "dialogs/win32/Win32TaskDialog.h"
#include "platform/Placement.h"
#include "win32/dialogs/DialogDriver.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace hg::win32 {
namespace {

using namespace dialog_driver;
using namespace task_dialog;
// The message-box builder has types of the same names.
using task_dialog::TTaskDialogFlags;
using task_dialog::TTaskDialogIcon;

// The first visible child of the class whose text is `text`.
HWND FindChild(HWND dialog, const wchar_t* className, const std::wstring& text) {
    for (const Child& child : ChildrenOf(dialog))
        if (_wcsicmp(child.className.c_str(), className) == 0 && child.visible && child.text == text)
            return child.window;
    return nullptr;
}

HWND FindChildOfClass(HWND dialog, const wchar_t* className) {
    for (const Child& child : ChildrenOf(dialog))
        if (_wcsicmp(child.className.c_str(), className) == 0 && child.visible)
            return child.window;
    return nullptr;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    if (handle != nullptr)
        ::GetObjectW(handle, sizeof(font), &font);
    return font;
}

bool HasFont(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(wanted.lfFaceName, face);
    bool found = false;
    HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(
        screen, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

int Scaled(int n) {
    return hg::ScaleByPPI(n, ScreenDpi());
}

// Checks a radio button or check box and waits until the tick has landed.
void Tick(HWND button) {
    Click(button);
    WaitFor([&] { return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; });
}

bool IsOwnerDrawn(HWND button) {
    return (::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
}

// The tooltip text that `control` of `dialog` shows, from the dialog's
// tooltip window.
std::wstring TooltipOf(HWND dialog, HWND control) {
    struct Search {
        HWND owner;
        HWND tooltip;
    } search{dialog, nullptr};
    ::EnumThreadWindows(
        ::GetWindowThreadProcessId(dialog, nullptr),
        [](HWND window, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            if (_wcsicmp(ClassOf(window).c_str(), TOOLTIPS_CLASSW) == 0 && ::GetWindow(window, GW_OWNER) == s->owner)
                s->tooltip = window;
            return s->tooltip == nullptr ? TRUE : FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.tooltip == nullptr)
        return {};
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    ::SendMessageW(search.tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
}

class Win32TaskDialogTest : public ::testing::Test {
protected:
    Win32TaskDialogPlatform native_{L"Hueglass"};
    Win32TaskDialogPlatform emulated_{L"Hueglass", nullptr};
};

TEST_F(Win32TaskDialogTest, TaskMessageDlgShowsTheMessageWithOneOkButton) {
    for (Win32TaskDialogPlatform* platform : {&native_, &emulated_}) {
        std::wstring title;
        bool messageShown = false;
        int okButtons = 0;
        std::int32_t result = 0;
        {
            DialogScript script([&](HWND dialog, DWORD thread) {
                title = TextOf(dialog);
                for (const Child& c : ChildrenOf(dialog)) {
                    messageShown = messageShown || (c.visible && c.text == L"Dialogs have been reactivated.");
                    okButtons += c.visible && _wcsicmp(c.className.c_str(), L"Button") == 0 && c.text == L"OK";
                }
                SaveShot(dialog, platform == &native_ ? L"task-message-native" : L"task-message-emulated");
                PressKey(dialog, thread, VK_RETURN);
            });
            result = task_dialog::TaskMessageDlg(*platform, L"Dialogs have been reactivated.", msg_type::Information,
                                                 msg_button::OK, 0, nullptr);
            EXPECT_TRUE(script.ClosedByScript());
        }
        EXPECT_EQ(result, 1);
        EXPECT_EQ(title, L"Hueglass");
        EXPECT_TRUE(messageShown);
        EXPECT_EQ(okButtons, 1);
    }
}

// Which button, key or close gives which result.
struct CloseCase {
    const char* name;
    TCommonButtons buttons;
    TTaskDialogFlags flags;
    std::int32_t buttonDef;
    const wchar_t* customButtons;
    std::function<void(HWND dialog, DWORD thread)> act;
    std::int32_t native; // -1: not tried natively
    std::int32_t emulated;
};

void PressEsc(HWND d, DWORD t) {
    PressKey(d, t, VK_ESCAPE);
}
void PressEnter(HWND d, DWORD t) {
    PressKey(d, t, VK_RETURN);
}
void CloseBox(HWND d, DWORD) {
    ::PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
}
std::function<void(HWND, DWORD)> Press(const wchar_t* caption) {
    return [caption](HWND d, DWORD) { Click(FindButton(d, caption)); };
}
// Esc and the close box first: if either closed the dialog, its result would
// show instead of No's.
void EscCloseThenNo(HWND d, DWORD t) {
    PressKey(d, t, VK_ESCAPE);
    ::PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    Click(FindButton(d, L"&No"));
}

TEST_F(Win32TaskDialogTest, ButtonsEscAndCloseGiveTheirResults) {
    const CloseCase cases[] = {
        // Wine's native dialog lets Esc through only to a button of
        // identifier 2, so Esc without a Cancel button is not tried natively.
        {"lone OK, Esc", {cbOK}, {}, 0, L"", PressEsc, -1, 1},
        {"lone OK, close box", {cbOK}, {}, 0, L"", CloseBox, 2, 2},
        {"lone OK, Enter", {cbOK}, {}, 0, L"", PressEnter, 1, 1},
        {"OK and Cancel, Esc", {cbOK, cbCancel}, {}, 0, L"", PressEsc, 2, 2},
        {"Yes and No cannot be cancelled", {cbYes, cbNo}, {}, 0, L"", EscCloseThenNo, 7, 7},
        {"Yes and No, cancellation allowed", {cbYes, cbNo}, {tdfAllowDialogCancellation}, 0, L"", PressEsc, -1, 2},
        {"Enter on the default No", {cbYes, cbNo}, {}, 7, L"", PressEnter, 7, 7},
        {"Retry", {cbRetry, cbCancel}, {}, 0, L"", Press(L"&Retry"), 4, 4},
        {"Close", {cbClose}, {}, 0, L"", Press(L"&Close"), 8, 3},
        {"custom button", {cbOK}, {}, 0, L"Later", Press(L"Later"), 100, 100},
    };
    for (const CloseCase& c : cases) {
        for (const bool emulate : {false, true}) {
            if (!emulate && c.native == -1)
                continue;
            SCOPED_TRACE(std::string(c.name) + (emulate ? " (emulated)" : " (native)"));
            TTaskDialog dialog;
            dialog.Inst = L"Go on?";
            dialog.Buttons = c.customButtons;
            std::int32_t result = 0;
            {
                DialogScript script(c.act);
                result = dialog.Execute(native_, c.buttons, c.buttonDef, c.flags, tiQuestion, tfiWarning, 0, 0, nullptr,
                                        emulate);
                EXPECT_TRUE(script.ClosedByScript());
            }
            EXPECT_EQ(dialog.Dialog.Emulated, emulate);
            EXPECT_EQ(result, emulate ? c.emulated : c.native);
        }
    }
}

TEST_F(Win32TaskDialogTest, CommandLinksRadiosAndVerificationAreReported) {
    for (const bool emulate : {false, true}) {
        SCOPED_TRACE(emulate ? "emulated" : "native");
        TTaskDialog dialog;
        dialog.Title = L"Hueglass";
        dialog.Inst = L"Where should the colour come from?";
        dialog.Content = L"The choice can be changed later in the settings.";
        dialog.Buttons = L"From the wallpaper\\nThe predominant colour of the picture\n\nFrom the active window\\nIts "
                         L"icon's colour";
        dialog.Radios = L"Predominant colour\nAverage colour\n\n";
        dialog.Verify = L"Do not ask again";
        dialog.Footer = L"Settings are saved when the program ends.";
        std::vector<std::wstring> links;
        bool ownerDrawn = false;
        std::wstring note;
        std::int32_t result = 0;
        {
            DialogScript script([&](HWND dialog, DWORD) {
                for (const Child& c : ChildrenOf(dialog))
                    if (c.visible && _wcsicmp(c.className.c_str(), L"Button") == 0 && c.text.starts_with(L"From "))
                        links.push_back(c.text);
                HWND link = FindButton(dialog, L"From the active window");
                ownerDrawn = link != nullptr && IsOwnerDrawn(link);
                note = TooltipOf(dialog, link);
                Tick(FindButton(dialog, L"Average colour"));
                Tick(FindButton(dialog, L"Do not ask again"));
                SaveShot(dialog, emulate ? L"task-dialog-emulated" : L"task-dialog-native");
                Click(link);
            });
            result = dialog.Execute(native_, {}, 0, {tdfUseCommandLinks}, tiInformation, tfiInformation, 0, 0, nullptr,
                                    emulate);
            EXPECT_TRUE(script.ClosedByScript());
        }
        EXPECT_EQ(result, 101);
        EXPECT_EQ(dialog.RadioRes, 201);
        EXPECT_TRUE(dialog.VerifyChecked);
        if (emulate) {
            // Our own drawing with the arrow; the note is the tooltip.
            EXPECT_EQ(links, (std::vector<std::wstring>{L"From the wallpaper", L"From the active window"}));
            EXPECT_TRUE(ownerDrawn);
            EXPECT_EQ(note, L"Its icon's colour");
        } else {
            // Caption and note below it; the empty line made no button.
            EXPECT_EQ(links, (std::vector<std::wstring>{L"From the wallpaper\nThe predominant colour of the picture",
                                                        L"From the active window\nIts icon's colour"}));
        }
    }
}

TEST_F(Win32TaskDialogTest, RadioDefaultsInTheEmulation) {
    struct Case {
        std::int32_t radioDef;
        TTaskDialogFlags flags;
        std::vector<LRESULT> checked;
        std::int32_t radioRes;
    };
    const Case cases[] = {
        {0, {}, {BST_CHECKED, BST_UNCHECKED}, 200},
        {201, {}, {BST_UNCHECKED, BST_CHECKED}, 201},
        {0, {tdfNoDefaultRadioButton}, {BST_UNCHECKED, BST_UNCHECKED}, 0},
    };
    for (const Case& c : cases) {
        TTaskDialog dialog;
        dialog.Radios = L"First\nSecond";
        std::vector<LRESULT> checked;
        {
            DialogScript script([&](HWND dialog, DWORD) {
                for (const wchar_t* caption : {L"First", L"Second"})
                    checked.push_back(::SendMessageW(FindButton(dialog, caption), BM_GETCHECK, 0, 0));
                Click(FindButton(dialog, L"OK"));
            });
            EXPECT_EQ(dialog.Execute(emulated_, {cbOK}, 0, c.flags, tiInformation, tfiWarning, c.radioDef), 1);
        }
        EXPECT_EQ(checked, c.checked) << c.radioDef;
        EXPECT_EQ(dialog.RadioRes, c.radioRes) << c.radioDef;
    }
}

TEST_F(Win32TaskDialogTest, EmulationFontsAreTheOnesTheWindowsGot) {
    const wchar_t* face = HasFont(L"Calibri") ? L"Calibri" : HasFont(L"Tahoma") ? L"Tahoma" : L"Arial";
    const int height = Scaled(std::wcscmp(face, L"Calibri") == 0 ? -14 : -13);
    LOGFONTW instruction{}, content{}, link{}, button{}, verify{}, radio{};
    std::wstring windowClass;
    {
        DialogScript script([&](HWND dialog, DWORD) {
            windowClass = ClassOf(dialog);
            instruction = FontOf(FindChild(dialog, L"Static", L"Main instruction"));
            content = FontOf(FindChild(dialog, L"Static", L"Content"));
            link = FontOf(FindButton(dialog, L"Link"));
            radio = FontOf(FindButton(dialog, L"Radio"));
            verify = FontOf(FindButton(dialog, L"Verify"));
            button = FontOf(FindButton(dialog, L"OK"));
            Click(FindButton(dialog, L"OK"));
        });
        TTaskDialog dialog;
        dialog.Inst = L"Main instruction";
        dialog.Content = L"Content";
        dialog.Buttons = L"Link";
        dialog.Radios = L"Radio";
        dialog.Verify = L"Verify";
        dialog.Execute(emulated_, {cbOK}, 0, {tdfUseCommandLinks});
    }
    EXPECT_EQ(windowClass, L"#32770");
    for (const LOGFONTW* font : {&instruction, &content, &link, &button, &verify, &radio})
        EXPECT_STREQ(font->lfFaceName, face);
    EXPECT_EQ(instruction.lfHeight, height - Scaled(4));
    EXPECT_EQ(link.lfHeight, height - Scaled(3));
    for (const LOGFONTW* font : {&content, &button, &verify, &radio})
        EXPECT_EQ(font->lfHeight, height);
    EXPECT_LT(instruction.lfWeight, FW_BOLD);

    // The classic look: the system's message font, the instruction bold.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    {
        DialogScript script([&](HWND dialog, DWORD) {
            instruction = FontOf(FindChild(dialog, L"Static", L"Main instruction"));
            button = FontOf(FindButton(dialog, L"OK"));
            Click(FindButton(dialog, L"OK"));
        });
        TTaskDialog dialog;
        dialog.Inst = L"Main instruction";
        dialog.Execute(emulated_, {cbOK}, 0, {}, tiInformation, tfiWarning, 0, 0, nullptr, true, true);
    }
    EXPECT_STREQ(button.lfFaceName, metrics.lfMessageFont.lfFaceName);
    EXPECT_STREQ(instruction.lfFaceName, metrics.lfMessageFont.lfFaceName);
    EXPECT_GE(instruction.lfWeight, FW_BOLD);
}

TEST_F(Win32TaskDialogTest, QueryFormsAlwaysUseTheEmulationAndReportTheInput) {
    // An edit field, focused, masked: filled as the user types.
    TTaskDialog query;
    query.Inst = L"Name of the colour";
    query.Query = L"old";
    std::wstring initial;
    bool focused = false;
    LONG_PTR style = 0;
    WCHAR mask = 0;
    {
        DialogScript script([&](HWND dialog, DWORD thread) {
            HWND edit = FindChildOfClass(dialog, L"Edit");
            initial = TextOf(edit);
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            focused = ::GetGUIThreadInfo(thread, &info) && info.hwndFocus == edit;
            style = ::GetWindowLongPtrW(edit, GWL_STYLE);
            mask = static_cast<WCHAR>(::SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0));
            ::SendMessageW(edit, EM_SETSEL, 0, -1);
            for (const wchar_t ch : std::wstring(L"Sea"))
                ::PostMessageW(edit, WM_CHAR, ch, 1);
            WaitFor([&] { return TextOf(edit) == L"Sea"; });
            SaveShot(dialog, L"task-dialog-query");
            Click(FindButton(dialog, L"OK"));
        });
        EXPECT_EQ(query.Execute(native_, {cbOK, cbCancel}, 0, {tdfQuery, tdfQueryMasked, tdfQueryFieldFocused}), 1);
    }
    EXPECT_TRUE(query.Dialog.Emulated);
    EXPECT_EQ(initial, L"old");
    EXPECT_TRUE(focused);
    EXPECT_NE(style & ES_PASSWORD, 0);
    EXPECT_EQ(mask, L'*');
    EXPECT_EQ(query.Query, L"Sea");

    // A fixed list: the position and text of the chosen item.
    TTaskDialog list;
    list.Inst = L"Colour source";
    list.Selection = L"Wallpaper\nActive window\nScreen";
    list.Query = L"Active window";
    LRESULT selectedAtStart = -2;
    {
        DialogScript script([&](HWND dialog, DWORD) {
            HWND combo = FindChildOfClass(dialog, L"ComboBox");
            selectedAtStart = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
            ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
            Click(FindButton(dialog, L"OK"));
        });
        EXPECT_EQ(list.Execute(native_, {cbOK}), 1);
    }
    EXPECT_TRUE(list.Dialog.Emulated);
    EXPECT_EQ(selectedAtStart, 1);
    EXPECT_EQ(list.SelectionRes, 2);
    EXPECT_EQ(list.Query, L"Screen");

    // An editable list takes a text of its own.
    TTaskDialog editable;
    editable.Selection = L"Wallpaper\nScreen";
    editable.Query = L"Wallpaper";
    {
        DialogScript script([&](HWND dialog, DWORD) {
            HWND combo = FindChildOfClass(dialog, L"ComboBox");
            ::SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Sky"));
            Click(FindButton(dialog, L"OK"));
        });
        EXPECT_EQ(editable.Execute(native_, {cbOK}, 0, {tdfQuery}), 1);
    }
    EXPECT_EQ(editable.Query, L"Sky");
}

TEST_F(Win32TaskDialogTest, HandlerKeepsTheDialogOpenAndChangesItsText) {
    for (Win32TaskDialogPlatform* platform : {&native_, &emulated_}) {
        SCOPED_TRACE(platform == &native_ ? "native" : "emulated");
        TTaskDialog dialog;
        dialog.Inst = L"Checking";
        dialog.Content = L"Not checked yet";
        dialog.Buttons = L"Check\nDone";
        bool updated = false;
        bool openAfterCheck = false;
        std::int32_t result = 0;
        {
            DialogScript script([&](HWND window, DWORD) {
                Click(FindButton(window, L"Check"));
                updated = WaitFor([&] {
                    const std::vector<Child> children = ChildrenOf(window);
                    return std::any_of(children.begin(), children.end(), [](const Child& c) {
                        return c.visible && c.text.find(L"Checked all") != std::wstring::npos;
                    });
                });
                openAfterCheck = ::IsWindowVisible(window) != FALSE;
                Click(FindButton(window, L"Done"));
            });
            result = dialog.Execute(*platform, {}, 0, {}, tiInformation, tfiWarning, 0, 0, nullptr, false, false,
                                    [](TTaskDialog& sender, std::int32_t button, bool& canClose) {
                                        if (button == 100) {
                                            canClose = false;
                                            sender.SetElementText(tdeContent, L"Checked all");
                                        }
                                    });
            EXPECT_TRUE(script.ClosedByScript());
        }
        EXPECT_TRUE(updated);
        EXPECT_TRUE(openAfterCheck);
        EXPECT_EQ(result, 101);
        EXPECT_EQ(dialog.Dialog.Form, nullptr);
    }
}

TEST_F(Win32TaskDialogTest, EmulatedWindowIsDestroyedAndItsOwnerEnabledWhenTheHandlerThrows) {
    HWND form = CreateTestForm(L"Options", 50);

    HWND shown = nullptr;
    HWND owner = nullptr;
    bool formEnabled = true;
    {
        DialogScript script([&](HWND dialog, DWORD) {
            shown = dialog;
            owner = ::GetWindow(dialog, GW_OWNER);
            formEnabled = ::IsWindowEnabled(form) != FALSE;
            Click(FindButton(dialog, L"OK"));
        });
        TTaskDialog dialog;
        EXPECT_THROW(dialog.Execute(emulated_, {cbOK}, 0, {}, tiInformation, tfiWarning, 0, 0, form, false, false,
                                    [](TTaskDialog&, std::int32_t, bool&) { throw std::runtime_error("handler"); }),
                     std::runtime_error);
        EXPECT_EQ(dialog.Dialog.Form, nullptr);
    }
    EXPECT_EQ(owner, form);
    EXPECT_FALSE(formEnabled);
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(::IsWindow(shown));
    EXPECT_TRUE(::IsWindowEnabled(form));
    ::DestroyWindow(form);
}

std::uint32_t g_nativeFlags = 0;
HRESULT g_nativeAnswer = S_OK;

HRESULT WINAPI RecordingTaskDialog(const TASKDIALOGCONFIG* config, int* button, int* radio, BOOL* checked) {
    g_nativeFlags = config->dwFlags;
    *button = IDOK;
    *radio = 0;
    *checked = FALSE;
    return g_nativeAnswer;
}

TEST(Win32TaskDialogPlatform, OwnFlagsNeverReachTheNativeDialogAndItsFailureGivesTheEmulation) {
    Win32TaskDialogPlatform recording(L"Hueglass", &RecordingTaskDialog);
    TTaskDialog dialog;
    g_nativeAnswer = S_OK;
    EXPECT_EQ(dialog.Execute(recording, {cbOK}, 0, {tdfCanBeMinimized, tdfQueryMasked, tdfQueryFieldFocused}), 1);
    EXPECT_EQ(g_nativeFlags, static_cast<std::uint32_t>(TDF_CAN_BE_MINIMIZED | TDF_ALLOW_DIALOG_CANCELLATION));
    EXPECT_FALSE(dialog.Dialog.Emulated);

    g_nativeAnswer = E_OUTOFMEMORY;
    bool emulationShown = false;
    {
        DialogScript script([&](HWND d, DWORD) {
            emulationShown = FindChild(d, L"Static", L"Information") != nullptr;
            Click(FindButton(d, L"OK"));
        });
        EXPECT_EQ(TTaskDialog{}.Execute(recording, {cbOK, cbCancel}), 1);
    }
    EXPECT_TRUE(emulationShown);
}

} // namespace
} // namespace hg::win32
