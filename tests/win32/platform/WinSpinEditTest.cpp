// The spin control as a user drives it: real keyboard messages through the
// message loop (key downs translated into characters), the clipboard, the
// up-down's own mouse handling and focus moving away.
#include "platform/win32/WinSpinEdit.h"

#include "platform/win32/ErrorBoundary.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <string>

namespace hg::win32 {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

void SetClipboardText(HWND owner, const std::wstring& text) {
    ASSERT_TRUE(::OpenClipboard(owner));
    ::EmptyClipboard();
    const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_UNICODETEXT, block);
    ::CloseClipboard();
}

// EN_CHANGE notifications the frame received from the spin control (id 100).
int g_changes = 0;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == 100 && HIWORD(wParam) == EN_CHANGE)
        ++g_changes;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class SpinEdit : public ::testing::Test {
protected:
    void SetUp() override {
        ::InitCommonControls();
        g_changes = 0;
        WNDCLASSW wc{};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HueglassSpinTestFrame";
        ::RegisterClassW(&wc);
        frame_ = ::CreateWindowExW(0, wc.lpszClassName, L"spin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                   nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(frame_, nullptr);
        ASSERT_TRUE(spin_.Create(frame_, 100, 10, 10, 80, 30));
        other_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 60, 80, 24, frame_, nullptr,
                                   wc.hInstance, nullptr);
        ::SetForegroundWindow(frame_);
        ::SetFocus(spin_.hwnd());
        Pump();
    }
    void TearDown() override { ::DestroyWindow(frame_); }

    static void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // A key pressed and released, as the keyboard driver posts it; the loop
    // translates it into a character.
    void Key(UINT vk) {
        const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        ::PostMessageW(spin_.hwnd(), WM_KEYDOWN, vk, 1 | (scan << 16));
        ::PostMessageW(spin_.hwnd(), WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
        Pump();
    }
    // Digits, letters and the minus key of the main keyboard.
    void Type(const std::wstring& keys) {
        for (const wchar_t c : keys)
            Key(c == L'-' ? VK_OEM_MINUS : static_cast<UINT>(::towupper(c)));
    }
    void SelectAll() { ::SendMessageW(spin_.hwnd(), EM_SETSEL, 0, -1); }
    std::wstring Text() const { return TextOf(spin_.hwnd()); }
    // A click on the upper or lower half of the up-down control.
    void ClickButton(bool up) {
        RECT r{};
        ::GetClientRect(spin_.button(), &r);
        const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
        ::SendMessageW(spin_.button(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(spin_.button(), WM_LBUTTONUP, 0, at);
        Pump();
    }

    HWND frame_ = nullptr;
    HWND other_ = nullptr;
    TWinSpinEdit spin_;
};

TEST_F(SpinEdit, StartsAtZeroAndTypingKeepsOnlyWhatANumberHolds) {
    EXPECT_EQ(Text(), L"0");
    EXPECT_EQ(spin_.Value(), 0);
    SelectAll();
    Type(L"4x2-");
    EXPECT_EQ(Text(), L"42-") << "letters are dropped, digits and signs typed";
    SelectAll();
    Type(L"-17");
    EXPECT_EQ(spin_.Value(), -17);
    // Return does not break the line of a one-line number.
    Key(VK_RETURN);
    EXPECT_EQ(Text(), L"-17");
}

TEST_F(SpinEdit, ArrowKeysAndTheUpDownStepWithinTheRange) {
    spin_.SetMinValue(1);
    spin_.SetMaxValue(99);
    spin_.SetIncrement(5);
    spin_.SetValue(90);
    Key(VK_UP);
    EXPECT_EQ(Text(), L"95");
    Key(VK_UP);
    EXPECT_EQ(Text(), L"99") << "an up step stops at MaxValue";
    Key(VK_DOWN);
    EXPECT_EQ(Text(), L"94");
    ClickButton(true);
    EXPECT_EQ(Text(), L"99");
    ClickButton(false);
    ClickButton(false);
    EXPECT_EQ(Text(), L"89");
    // The up-down's own position never moves, so it never reaches an end.
    EXPECT_EQ(::SendMessageW(spin_.button(), UDM_GETPOS32, 0, 0), 0);
}

TEST_F(SpinEdit, TheLargestNumberSteppedUpStaysAndANumberBeyondTheRangeReadsAsMinValue) {
    // Equal ends: no limits at all.
    SelectAll();
    Type(L"9223372036854775807");
    EXPECT_EQ(spin_.Value(), kMax);
    Key(VK_UP);
    EXPECT_EQ(Text(), L"9223372036854775807") << "the step wrapped around";
    spin_.SetMinValue(3);
    spin_.SetMaxValue(3);
    SelectAll();
    Type(L"9223372036854775808");
    EXPECT_EQ(spin_.Value(), 3) << "a number beyond 64 bits is not a number";
    EXPECT_EQ(Text(), L"3");
}

TEST_F(SpinEdit, PasteTakesOnlyTheCharactersTypingWouldAccept) {
    SelectAll();
    SetClipboardText(frame_, L"a1-b2\r\n3");
    ::SendMessageW(spin_.hwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(Text(), L"1-23");
    // Ctrl+V, as the keyboard delivers it.
    SelectAll();
    SetClipboardText(frame_, L" 77 apples");
    ::PostMessageW(spin_.hwnd(), WM_CHAR, 0x16, 1);
    Pump();
    EXPECT_EQ(Text(), L"77");
}

TEST_F(SpinEdit, LeavingTheControlLimitsTheNumberAndReplacesANonNumber) {
    spin_.SetMinValue(1);
    spin_.SetMaxValue(99);
    SelectAll();
    Type(L"150");
    EXPECT_EQ(Text(), L"150") << "no limiting while typing";
    ::SetFocus(other_);
    Pump();
    EXPECT_EQ(Text(), L"99");

    ::SetFocus(spin_.hwnd());
    Pump();
    SelectAll();
    Type(L"-");
    ::SetFocus(other_);
    Pump();
    EXPECT_EQ(Text(), L"1") << "a text that is no number becomes MinValue";
}

TEST_F(SpinEdit, InADialogTabMovesOnAndLimitsTheNumber) {
    spin_.SetMinValue(1);
    spin_.SetMaxValue(99);
    spin_.SetValue(500);
    ::PostMessageW(spin_.hwnd(), WM_KEYDOWN, VK_TAB, 1);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!::IsDialogMessageW(frame_, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    EXPECT_EQ(::GetFocus(), other_) << "the multi-line edit underneath kept the Tab key";
    EXPECT_EQ(Text(), L"99");
}

TEST_F(SpinEdit, EnteringTheControlSelectsTheWholeText) {
    spin_.SetValue(1234);
    ::SetFocus(other_);
    Pump();
    ::SetFocus(spin_.hwnd());
    Pump();
    DWORD start = 0, end = 0;
    ::SendMessageW(spin_.hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u);
}

TEST_F(SpinEdit, ReadOnlyRefusesTypingStepsPasteAndCut) {
    spin_.SetValue(5);
    spin_.SetReadOnly(true);
    ASSERT_TRUE(spin_.ReadOnly());
    SelectAll();
    Type(L"8");
    Key(VK_UP);
    ClickButton(true);
    SetClipboardText(frame_, L"6");
    ::SendMessageW(spin_.hwnd(), WM_PASTE, 0, 0);
    SelectAll();
    ::SendMessageW(spin_.hwnd(), WM_CUT, 0, 0);
    EXPECT_EQ(Text(), L"5");
}

TEST_F(SpinEdit, WithoutTheEditorOnlyTheStepsChangeTheNumber) {
    spin_.SetEditorEnabled(false);
    spin_.SetValue(5);
    SelectAll();
    Type(L"8");
    Key(VK_BACK);
    SetClipboardText(frame_, L"6");
    ::SendMessageW(spin_.hwnd(), WM_PASTE, 0, 0);
    ::SendMessageW(spin_.hwnd(), WM_CUT, 0, 0);
    EXPECT_EQ(Text(), L"5");
    Key(VK_UP);
    EXPECT_EQ(Text(), L"6");
    ClickButton(true);
    EXPECT_EQ(Text(), L"7");
}

// The parent hears of every change of the text, whoever made it, under the
// control's id; a text that stays the same sends nothing.
TEST_F(SpinEdit, EveryChangeOfTheTextNotifiesTheParent) {
    spin_.SetMinValue(1);
    spin_.SetMaxValue(99);
    struct Step {
        const char* what;
        std::function<void()> act;
        const wchar_t* text;
        int notifications;
    };
    const Step steps[] = {
        {"SetValue", [&] { spin_.SetValue(5); }, L"5", 1},
        {"SetValue, same number", [&] { spin_.SetValue(5); }, L"5", 0},
        {"Up arrow", [&] { Key(VK_UP); }, L"6", 1},
        {"Down arrow", [&] { Key(VK_DOWN); }, L"5", 1},
        {"up-down click", [&] { ClickButton(true); }, L"6", 1},
        {"typing", [&] { SelectAll(), Type(L"4"); }, L"4", 1},
        {"typing a refused letter", [&] { Type(L"x"); }, L"4", 0},
        {"paste", [&] { SetClipboardText(frame_, L"12"), ::SendMessageW(spin_.hwnd(), WM_PASTE, 0, 0); }, L"412", 1},
        {"leaving limits the number", [&] { ::SetFocus(other_), Pump(); }, L"99", 1},
        {"a step at the limit", [&] { ::SetFocus(spin_.hwnd()), Pump(), Key(VK_UP); }, L"99", 0},
        {"emptied", [&] { SelectAll(), Key(VK_BACK); }, L"", 1},
        {"reading a text that is no number", [&] { spin_.Value(); }, L"1", 1},
    };
    for (const Step& step : steps) {
        const int before = g_changes;
        step.act();
        EXPECT_EQ(Text(), step.text) << step.what;
        EXPECT_EQ(g_changes - before, step.notifications) << step.what;
    }
}

// A text that is no number becomes MinValue when it is read, selected so
// that the next key typed replaces it.
TEST_F(SpinEdit, ANonNumberReplacedWhenReadIsSelected) {
    spin_.SetMinValue(1);
    ::SetWindowTextW(spin_.hwnd(), L"-");
    ::SendMessageW(spin_.hwnd(), EM_SETSEL, 1, 1);
    EXPECT_EQ(spin_.Value(), 1);
    EXPECT_EQ(Text(), L"1");
    DWORD start = 9, end = 9;
    ::SendMessageW(spin_.hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 1u);
    Type(L"3");
    EXPECT_EQ(Text(), L"3");
}

// An error in a handler (memory running out while a huge clipboard text is
// pasted) is reported; it never crosses the window procedure.
TEST_F(SpinEdit, AnErrorInAHandlerIsReportedNotThrownThroughTheWindowProcedure) {
    class Failing final : public TWinSpinEdit {
    protected:
        bool AcceptsChar(wchar_t) override { throw std::bad_alloc(); }
    } failing;
    ASSERT_TRUE(failing.Create(frame_, 101, 100, 10, 80, 30));
    std::wstring reported;
    SetErrorReporter([&](const std::wstring& text) { reported = text; });
    bool escaped = false;
    try {
        ::SendMessageW(failing.hwnd(), WM_CHAR, L'5', 1);
    } catch (...) {
        escaped = true;
    }
    SetErrorReporter({});
    EXPECT_FALSE(escaped);
    EXPECT_FALSE(reported.empty()) << "the error was not reported";
    EXPECT_EQ(TextOf(failing.hwnd()), L"0");
}

// The least height for fixed fonts, against numbers worked out by hand:
// m + min(m, s) / 4 + 4 * SM_CYBORDER + 2, with m the font's and s the
// system font's text height.
TEST_F(SpinEdit, MinimumHeightFollowsTheFontsTextHeight) {
    const HDC dc = ::GetDC(spin_.hwnd());
    TEXTMETRICW system{};
    const HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(SYSTEM_FONT));
    ::GetTextMetricsW(dc, &system);
    ::SelectObject(dc, old);
    ::ReleaseDC(spin_.hwnd(), dc);
    ASSERT_EQ(system.tmHeight, 16) << "the numbers below are worked out for a system font 16 pixels high";
    ASSERT_EQ(::GetSystemMetrics(SM_CYBORDER), 1);
    struct Case {
        int cellHeight; // asked of the font
        int textHeight; // what Wine's Tahoma measures for it, m
        int expected;
    };
    // A small font, where m is the lesser, and a large one, where s is.
    for (const Case c : {Case{12, 11, 11 + 2 + 4 + 2}, Case{40, 40, 40 + 4 + 4 + 2}}) {
        const HFONT font = ::CreateFontW(c.cellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                         L"Tahoma");
        {
            const HDC fontDc = ::GetDC(spin_.hwnd());
            const HGDIOBJ previous = ::SelectObject(fontDc, font);
            TEXTMETRICW metrics{};
            ::GetTextMetricsW(fontDc, &metrics);
            ::SelectObject(fontDc, previous);
            ::ReleaseDC(spin_.hwnd(), fontDc);
            ASSERT_EQ(metrics.tmHeight, c.textHeight) << "font " << c.cellHeight;
        }
        ::SendMessageW(spin_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        EXPECT_EQ(spin_.MinimumHeight(), c.expected) << "font " << c.cellHeight;
        ::SetWindowPos(spin_.hwnd(), nullptr, 0, 0, 80, 4, SWP_NOMOVE | SWP_NOZORDER);
        RECT outer{};
        ::GetWindowRect(spin_.hwnd(), &outer);
        EXPECT_EQ(outer.bottom - outer.top, c.expected) << "font " << c.cellHeight;
        ::SendMessageW(spin_.hwnd(), WM_SETFONT, 0, FALSE);
        ::DeleteObject(font);
    }
}

TEST_F(SpinEdit, TooLowAControlGrowsToShowItsTextAndHoldsTheUpDownInside) {
    ::SetWindowPos(spin_.hwnd(), nullptr, 0, 0, 80, 4, SWP_NOMOVE | SWP_NOZORDER);
    RECT outer{};
    ::GetWindowRect(spin_.hwnd(), &outer);
    EXPECT_EQ(outer.bottom - outer.top, spin_.MinimumHeight());
    EXPECT_GT(spin_.MinimumHeight(), 10);
    RECT client{}, button{};
    ::GetClientRect(spin_.hwnd(), &client);
    ::GetWindowRect(spin_.button(), &button);
    ::MapWindowPoints(nullptr, spin_.hwnd(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(button.right, client.right);
    EXPECT_EQ(button.bottom - button.top, client.bottom);
    RECT text{};
    ::SendMessageW(spin_.hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    EXPECT_LT(text.right, button.left + 1) << "the text would run under the up-down";
}

} // namespace
} // namespace hg::win32
