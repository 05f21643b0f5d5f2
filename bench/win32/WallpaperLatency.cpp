// Measures, on the real Hueglass.exe under Wine, the time from replacing the
// wallpaper file to the colorization record written: 20 changes, median and
// worst. A measurement, not a test: it prints figures and asserts only that
// every change was seen.
#include "e2e/E2e.h"
#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

std::size_t LineCount(const fs::path& file) {
    std::ifstream in(file);
    return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

void WriteWallpaper(const fs::path& file, TColor colour, int change) {
    const auto bytes = test::EncodeJpeg(test::MakeBitmap(640, 400, [&](int, int) { return colour; }));
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // A last-write time of its own for each change (ages have two-second steps).
    HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart += static_cast<ULONGLONG>(change + 1) * 120ull * 10000000ull;
    const FILETIME when{t.LowPart, t.HighPart};
    ::SetFileTime(h, nullptr, nullptr, &when);
    ::CloseHandle(h);
}

TEST(Benchmark, WallpaperChangeToRecordLatency) {
    WineVersion version(L"win10");
    TestFolder folder;
    const fs::path wallpaper = folder.path() / L"wallpaper.jpg";
    const fs::path log = folder.path() / L"dwm.log";
    WriteWallpaper(wallpaper, 0x00203040, -1);
    RegistryValue value(L"Control Panel\\Desktop", L"Wallpaper");
    value.SetString(wallpaper.wstring());

    App app(folder.exe(), {L"WINEDLLOVERRIDES=dwmapi=n,b", L"HUEGLASS_DWM_LOG=" + log.wstring()});
    ASSERT_TRUE(WaitFor([&] { return LineCount(log) >= 1; })) << "no first record";

    std::vector<double> latencies;
    for (int change = 0; change < 20; ++change) {
        const std::size_t before = LineCount(log);
        const TColor colour = change % 2 == 0 ? 0x00C04010 : 0x001040C0;
        LARGE_INTEGER frequency, start, end;
        ::QueryPerformanceFrequency(&frequency);
        WriteWallpaper(wallpaper, colour, change);
        ::QueryPerformanceCounter(&start);
        ASSERT_TRUE(WaitFor([&] { return LineCount(log) > before; }, 10s)) << "change " << change << " not seen";
        ::QueryPerformanceCounter(&end);
        latencies.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                            static_cast<double>(frequency.QuadPart));
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("wallpaper change -> record written, 20 changes: median %.0f ms, worst %.0f ms, best %.0f ms\n",
                (latencies[9] + latencies[10]) / 2, latencies.back(), latencies.front());
}

} // namespace
} // namespace hg::e2e
