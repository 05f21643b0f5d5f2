// The licence viewer on real windows: the document loaded from memory, the
// window read-only and placed on its owner, Esc, and Copy Text.
#include "about/License.h"
#include "about/win32/ShowLicense.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
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

// Pages laid out on a memory device the size of a letter page (in twips).
PrintResult PrintOnMemory(HWND memo, LONG heightTwips) {
    const HDC device = ::CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(device, 64, 64);
    const HGDIOBJ old = ::SelectObject(device, bitmap);
    const PrintResult result = PrintRichEdit(memo, device, RECT{0, 0, 12240, heightTwips}, false);
    ::SelectObject(device, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(device);
    return result;
}

TEST(ShowLicense, PrintingEndsWithTheLastPageOfText) {
    TShowLicense viewer;
    viewer.LicenseText = SplitLines(PlainTextToRtf("Terms\n\nOne.\n\nTwo.\n\nThree.\n"));
    ExecuteAndInspect(viewer, nullptr, [&](HWND window) {
        const HWND memo = ::GetDlgItem(window, TFrmLicense::IdMemo);
        // Paragraph ends count once in the rich edit's own positions, twice
        // in the window text's CR LF.
        EXPECT_LT(RichTextLength(memo), ::GetWindowTextLengthW(memo));
        const PrintResult page = PrintOnMemory(memo, 15840);
        EXPECT_TRUE(page.ok);
        EXPECT_EQ(page.pages, 1) << "a blank page after the text";
    });

    std::string many;
    for (int i = 0; i < 60; ++i)
        many += "Paragraph " + std::to_string(i) + ".\n\n";
    viewer.LicenseText = SplitLines(PlainTextToRtf(many));
    ExecuteAndInspect(viewer, nullptr, [&](HWND window) {
        const HWND memo = ::GetDlgItem(window, TFrmLicense::IdMemo);
        const PrintResult inch = PrintOnMemory(memo, 1440);
        EXPECT_TRUE(inch.ok);
        EXPECT_GT(inch.pages, 3);
        // A page too small for one line takes nothing: the loop stops.
        EXPECT_EQ(PrintOnMemory(memo, 1).pages, 1);
    });
}

// A real right click (through the system's input queue) on the text.
void RightClickAt(POINT at) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = ::MulDiv(at.x, 65535, w - 1);
        input.mi.dy = ::MulDiv(at.y, 65535, h - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_RIGHTUP | MOUSEEVENTF_ABSOLUTE;
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
        RightClickAt({(box.left + box.right) / 2, (box.top + box.bottom) / 2});
        const HWND menuWindow = WaitPopupMenu();
        ASSERT_NE(menuWindow, nullptr) << "no menu came up";
        const auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        ASSERT_NE(menu, nullptr);
        wchar_t caption[64] = {};
        ::GetMenuStringW(menu, 0, caption, 64, MF_BYPOSITION);
        EXPECT_STREQ(caption, L"&Copy Text");
        EXPECT_EQ(::GetMenuItemCount(menu), 1);
        // Chosen with the keyboard, the item puts the text on the clipboard.
        ::PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
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
