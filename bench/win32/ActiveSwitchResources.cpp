// Measures, on the real Hueglass.exe under Wine following the active
// application's contents, the GDI and USER objects the program holds before
// and after 1,000 changes of the foreground window (the test double of
// dwmapi.dll reports them with each record). A measurement, not a test: it
// prints figures and asserts only that every change was seen.
#include "e2e/E2e.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

struct Resources {
    unsigned long gdi = 0, user = 0, handles = 0;
};

std::vector<Resources> ReadResources(const fs::path& log) {
    std::vector<Resources> all;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        const auto at = line.find(" Gdi=");
        Resources r;
        if (at != std::string::npos &&
            std::sscanf(line.c_str() + at, " Gdi=%lu User=%lu GdiHandles=%lu", &r.gdi, &r.user, &r.handles) == 3)
            all.push_back(r);
    }
    return all;
}

HWND SolidWindow(const wchar_t* name, COLORREF colour) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = ::CreateSolidBrush(colour);
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, name, name, WS_POPUP | WS_VISIBLE, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                                    ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, wc.hInstance, nullptr);
    ::UpdateWindow(window);
    return window;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
}

TEST(Benchmark, ObjectsHeldOverAThousandForegroundChanges) {
    // HUEGLASS_BENCH_CHANGES chooses another number of changes.
    wchar_t text[16] = {};
    const int Changes = ::GetEnvironmentVariableW(L"HUEGLASS_BENCH_CHANGES", text, 16) != 0 ? _wtoi(text) : 1000;
    ASSERT_GT(Changes, 0);
    WineVersion version(L"win10");
    TestFolder folder;
    const fs::path log = folder.path() / L"dwm.log";
    fs::create_directories(DataFolder());
    ::WritePrivateProfileStringW(L"General", L"Mode", L"2", SettingsFile().c_str());
    const HWND windows[2] = {SolidWindow(L"HgBenchA", RGB(200, 40, 50)), SolidWindow(L"HgBenchB", RGB(40, 90, 200))};
    ::SetForegroundWindow(windows[0]);
    Pump();

    App app(folder.exe(),
            {L"WINEDLLOVERRIDES=dwmapi=n,b", L"HUEGLASS_DWM_LOG=" + log.wstring(), L"HUEGLASS_DWM_RESOURCES=1"});
    ASSERT_TRUE(WaitFor([&] { return ReadResources(log).size() >= 1; })) << "no first record";

    for (int change = 1; change <= Changes; ++change) {
        ::SetForegroundWindow(windows[change % 2]);
        ASSERT_TRUE(WaitFor([&] {
            Pump();
            return ReadResources(log).size() >= static_cast<std::size_t>(change) + 1;
        })) << "change "
            << change << " was not followed";
    }
    const auto all = ReadResources(log);
    for (const std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{10}, std::size_t{100}, all.size() - 1})
        if (at < all.size())
            std::printf("after %4zu changes: GetGuiResources GDI=%lu USER=%lu; live GDI handles=%lu\n", at, all[at].gdi,
                        all[at].user, all[at].handles);
    for (HWND w : windows)
        ::DestroyWindow(w);
    std::error_code ec;
    fs::remove_all(DataFolder(), ec);
}

} // namespace
} // namespace hg::e2e
