// Measures, on the real Hueglass.exe under Wine, the time from a wallpaper
// change to the first colorization record written: 20 changes of each kind
// (the file replaced in place, the registry switched to another file), on the
// Windows 10 setting (the program waits 300 ms for the writer) and on the
// Windows 7 setting (no wait; the first record of the fade). A measurement,
// not a test: it prints best, median and worst, and asserts only that every
// change was seen.
#include "e2e/E2e.h"
#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace hg::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kChanges = 20;

std::size_t LineCount(const fs::path& file) {
    std::ifstream in(file);
    return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

// The picture of one colour, written over the file in place with a
// last-write time of its own (ages have two-second steps).
void WriteWallpaper(const fs::path& file, TColor colour, int change) {
    const auto bytes = test::EncodeJpeg(test::MakeBitmap(640, 400, [&](int, int) { return colour; }));
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart += static_cast<ULONGLONG>(change + 2) * 120ull * 10000000ull;
    const FILETIME when{t.LowPart, t.HighPart};
    ::SetFileTime(h, nullptr, nullptr, &when);
    ::CloseHandle(h);
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

enum class Kind { FileInPlace, RegistrySwitch };

// Runs the program and makes the changes; the latencies, sorted.
std::vector<double> Measure(Kind kind, bool windows7) {
    std::optional<OlderWindows> older;
    std::optional<WineVersion> version;
    TestFolder folder;
    if (windows7) {
        older.emplace(L"win7", L"6.1.7601");
        folder.AddVersionDouble();
    } else {
        version.emplace(L"win10");
    }
    const fs::path walls = folder.path() / L"walls";
    fs::create_directories(walls);
    const fs::path a = walls / L"a.jpg", b = walls / L"b.jpg";
    const fs::path log = folder.path() / L"dwm.log";
    WriteWallpaper(a, 0x00203040, -2);
    WriteWallpaper(b, 0x001040C0, -1);
    RegistryValue value(L"Control Panel\\Desktop", L"Wallpaper");
    value.SetString(a.wstring());

    std::vector<std::wstring> environment =
        older ? older->Environment() : std::vector<std::wstring>{L"WINEDLLOVERRIDES=dwmapi=n,b"};
    environment.push_back(L"HUEGLASS_DWM_LOG=" + log.wstring());
    App app(folder.exe(), environment);
    // Before Windows 10 a change fades in: its records end when the log
    // stays still; then the next change starts from rest.
    const auto settled = [&] {
        std::size_t lines = LineCount(log);
        while (true) {
            ::Sleep(200);
            const std::size_t now = LineCount(log);
            if (now == lines)
                return lines;
            lines = now;
        }
    };
    EXPECT_TRUE(WaitFor([&] { return LineCount(log) >= 1; })) << "no first record";
    settled();

    std::vector<double> latencies;
    for (int change = 0; change < kChanges; ++change) {
        const std::size_t before = settled();
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        if (kind == Kind::FileInPlace)
            WriteWallpaper(a, change % 2 == 0 ? 0x00C04010 : 0x001040C0, change);
        else
            value.SetString((change % 2 == 0 ? b : a).wstring());
        if (!WaitFor([&] { return LineCount(log) > before; }, 10s)) {
            ADD_FAILURE() << "change " << change << " not seen";
            break;
        }
        ::QueryPerformanceCounter(&end);
        latencies.push_back(Milliseconds(start, end));
    }
    std::sort(latencies.begin(), latencies.end());
    return latencies;
}

void Report(const char* what, const std::vector<double>& latencies) {
    ASSERT_EQ(latencies.size(), static_cast<std::size_t>(kChanges));
    const std::size_t n = latencies.size();
    std::printf("%s, %zu changes -> first record: best %.0f ms, median %.0f ms, worst %.0f ms\n", what, n,
                latencies.front(), (latencies[n / 2 - 1] + latencies[n / 2]) / 2, latencies.back());
}

TEST(Benchmark, WallpaperChangeToRecordLatency) {
    Report("Windows 10 setting, file replaced in place", Measure(Kind::FileInPlace, false));
    Report("Windows 10 setting, registry switched", Measure(Kind::RegistrySwitch, false));
    Report("Windows 7 setting, file replaced in place", Measure(Kind::FileInPlace, true));
    Report("Windows 7 setting, registry switched", Measure(Kind::RegistrySwitch, true));
}

} // namespace
} // namespace hg::e2e
