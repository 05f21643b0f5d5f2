// The licence viewer on real windows: the document loaded from memory, the
// window read-only and placed on its owner, Esc, and Copy Text.
#include "about/License.h"
#include "about/win32/ShowLicense.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>
#include <functional>
#include <thread>

namespace hg::win32 {
namespace {

using namespace std::chrono_literals;

// The licence window of this process, waited for.
HWND WaitLicenceWindow() {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (const HWND window = ::FindWindowW(L"#32770", L"License Agreement")) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(window, &pid);
            if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(window))
                return window;
        }
        std::this_thread::sleep_for(10ms);
    }
    return nullptr;
}

std::wstring Text(HWND window) {
    wchar_t text[8192] = {};
    ::SendMessageW(window, WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(text));
    return text;
}

// Runs Execute on this thread while `inspect` looks at the open window from
// another one and then presses Esc in it.
void ExecuteAndInspect(TShowLicense& viewer, HWND owner, const std::function<void(HWND)>& inspect) {
    std::thread helper([&] {
        const HWND window = WaitLicenceWindow();
        ASSERT_NE(window, nullptr) << "the licence window did not open";
        inspect(window);
        ::PostMessageW(::GetDlgItem(window, IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    });
    viewer.Execute(owner);
    helper.join();
}

class Owner {
public:
    Owner() {
        window_ = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 80, 600, 500, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~Owner() { ::DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

TEST(ShowLicense, EmptyDocumentReadOnlyCentredOnTheOwner) {
    Owner owner;
    TShowLicense viewer; // Position: the owner's centre
    ExecuteAndInspect(viewer, owner.get(), [&](HWND window) {
        const HWND memo = ::GetDlgItem(window, TFrmLicense::IdMemo);
        ASSERT_NE(memo, nullptr) << "no rich edit";
        EXPECT_EQ(Text(memo), L"");
        EXPECT_TRUE(::GetWindowLongW(memo, GWL_STYLE) & ES_READONLY);
        RECT box{}, around{};
        ::GetWindowRect(window, &box);
        ::GetWindowRect(owner.get(), &around);
        EXPECT_NEAR((box.left + box.right) / 2, (around.left + around.right) / 2, 1);
        EXPECT_NEAR((box.top + box.bottom) / 2, (around.top + around.bottom) / 2, 1);
    });
    EXPECT_EQ(viewer.FrmLicense(), nullptr) << "Esc did not close the window";
}

TEST(ShowLicense, RichTextIsInterpretedAndCopiedAsPlainText) {
    TShowLicense viewer;
    viewer.LicenseText = SplitLines(PlainTextToRtf("Terms\n\nUse it {freely} \\ gladly.\n"));
    ExecuteAndInspect(viewer, nullptr, [&](HWND window) {
        const HWND memo = ::GetDlgItem(window, TFrmLicense::IdMemo);
        EXPECT_EQ(Text(memo).find(L"rtf"), std::wstring::npos) << Text(memo);
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(TFrmLicense::IdCopyText, 0), 0);
        ASSERT_TRUE(::OpenClipboard(nullptr));
        const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
        const std::wstring copied = data ? static_cast<const wchar_t*>(::GlobalLock(data)) : L"";
        if (data)
            ::GlobalUnlock(data);
        ::CloseClipboard();
        EXPECT_NE(copied.find(L"Terms"), std::wstring::npos) << copied;
        EXPECT_NE(copied.find(L"Use it {freely} \\ gladly."), std::wstring::npos) << copied;
        EXPECT_EQ(copied.find(L"\\par"), std::wstring::npos) << copied;
    });
}

TEST(ShowLicense, ClosedAsCancelledBeforeItIsUp) {
    // "E&xit" may reach the window before it exists: it ends as soon as it
    // is up, instead of staying open.
    TShowLicense viewer;
    viewer.CloseAsCancelled();
    viewer.Execute(nullptr);
    EXPECT_EQ(viewer.FrmLicense(), nullptr);
}

// A printer whose pages hold one character each, as the rich edit counts
// them: every page past the text's end shows.
class OnePerPage final : public IPageSink {
public:
    std::vector<std::int32_t> starts;
    bool StartPage() override { return starts.size() < 1000; }
    std::int32_t PrintPage(std::int32_t first) override {
        starts.push_back(first);
        return first + 1;
    }
    bool EndPage() override { return true; }
};

// The rich edit's text as it holds it (a paragraph end is one character).
std::wstring HeldText(HWND memo) {
    std::wstring text(4096, L'\0');
    GETTEXTEX query{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    text.resize(static_cast<std::size_t>(
        ::SendMessageW(memo, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

TEST(ShowLicense, PrintingEndsWithTheLastPageOfText) {
    TShowLicense viewer;
    viewer.LicenseText = SplitLines(PlainTextToRtf("Terms\n\nOne.\n\nTwo.\n\nThree and more.\n"));
    ExecuteAndInspect(viewer, nullptr, [&](HWND window) {
        const HWND memo = ::GetDlgItem(window, TFrmLicense::IdMemo);
        const auto held = static_cast<std::int32_t>(HeldText(memo).size());
        ASSERT_GT(held, 20);
        // Counted with CR LF, the text would be longer by one per paragraph
        // end: pages would start after its end.
        EXPECT_LT(held, ::GetWindowTextLengthW(memo));
        OnePerPage pages;
        const PrintResult result = PrintRichEdit(memo, pages);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.pages, held) << "no blank page after the text";
        ASSERT_FALSE(pages.starts.empty());
        EXPECT_LT(pages.starts.back(), held);
    });
}

// A real click (through the system's input queue, into this test's own
// window) at a point of the screen.
void ClickAt(POINT at, DWORD down, DWORD up) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = ::MulDiv(at.x, 65535, w - 1);
        input.mi.dy = ::MulDiv(at.y, 65535, h - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = down | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = up | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(3, inputs, sizeof(INPUT));
}

HWND WaitPopupMenu() {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (const HWND menu = ::FindWindowW(L"#32768", nullptr); menu != nullptr && ::IsWindowVisible(menu))
            return menu;
        std::this_thread::sleep_for(10ms);
    }
    return nullptr;
}

TEST(ShowLicense, RightClickOnTheTextOffersCopyText) {
    TShowLicense viewer;
    viewer.LicenseText = SplitLines(PlainTextToRtf("Right-click terms\n"));
    ExecuteAndInspect(viewer, nullptr, [&](HWND window) {
        const HWND memo = ::GetDlgItem(window, TFrmLicense::IdMemo);
        RECT box{};
        ::GetWindowRect(memo, &box);
        ClickAt({(box.left + box.right) / 2, (box.top + box.bottom) / 2}, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        const HWND menuWindow = WaitPopupMenu();
        ASSERT_NE(menuWindow, nullptr) << "no menu came up";
        const auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        ASSERT_NE(menu, nullptr);
        wchar_t caption[64] = {};
        ::GetMenuStringW(menu, 0, caption, 64, MF_BYPOSITION);
        EXPECT_STREQ(caption, L"&Copy Text");
        EXPECT_EQ(::GetMenuItemCount(menu), 1);
        // Chosen with the keys, the item puts the text on the clipboard.
        INPUT keys[4]{};
        const WORD vk[4] = {VK_DOWN, VK_DOWN, VK_RETURN, VK_RETURN};
        for (int i = 0; i < 4; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = vk[i];
            keys[i].ki.dwFlags = i % 2 == 1 ? KEYEVENTF_KEYUP : 0;
        }
        ::SendInput(4, keys, sizeof(INPUT));
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        std::wstring copied;
        while (copied.find(L"Right-click terms") == std::wstring::npos && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
            if (::OpenClipboard(nullptr)) {
                if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
                    copied = static_cast<const wchar_t*>(::GlobalLock(data));
                    ::GlobalUnlock(data);
                }
                ::CloseClipboard();
            }
        }
        EXPECT_NE(copied.find(L"Right-click terms"), std::wstring::npos) << copied;
    });
}

} // namespace
} // namespace hg::win32
