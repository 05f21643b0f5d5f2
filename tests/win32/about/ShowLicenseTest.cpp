// The licence viewer on real windows: the document loaded from memory, the
// window read-only and placed on its owner, Esc, and Copy Text.
#include "about/License.h"
#include "about/win32/ShowLicense.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
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

} // namespace
} // namespace hg::win32
