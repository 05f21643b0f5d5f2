// The version.dll test double, loaded in place of the system's: kernel32's
// version reads as the test asks, and every other file as it really is.
#include "platform/win32/Win32SystemInfo.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace hg::win32 {
namespace {

class KernelVersion {
public:
    explicit KernelVersion(const wchar_t* version) { ::SetEnvironmentVariableW(L"HUEGLASS_KERNEL_VERSION", version); }
    ~KernelVersion() { ::SetEnvironmentVariableW(L"HUEGLASS_KERNEL_VERSION", nullptr); }
    KernelVersion(const KernelVersion&) = delete;
    KernelVersion& operator=(const KernelVersion&) = delete;
};

// The fixed part's product version of a file, as "a.b.c.d"; empty without one.
template <typename Char>
std::string ProductVersion(const Char* file) {
    std::vector<std::byte> data;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    DWORD ignored = 0;
    if constexpr (sizeof(Char) == sizeof(wchar_t)) {
        data.resize(::GetFileVersionInfoSizeW(file, &ignored));
        if (data.empty() || !::GetFileVersionInfoW(file, 0, static_cast<DWORD>(data.size()), data.data()) ||
            !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))
            return {};
    } else {
        data.resize(::GetFileVersionInfoSizeA(file, &ignored));
        if (data.empty() || !::GetFileVersionInfoA(file, 0, static_cast<DWORD>(data.size()), data.data()) ||
            !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
            return {};
    }
    return std::to_string(HIWORD(fixed->dwProductVersionMS)) + "." + std::to_string(LOWORD(fixed->dwProductVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwProductVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwProductVersionLS));
}

TEST(VersionDouble, IsLoadedInPlaceOfTheSystemLibrary) {
    const HMODULE version = ::GetModuleHandleW(L"version.dll");
    ASSERT_NE(version, nullptr);
    EXPECT_NE(::GetProcAddress(version, "HueglassVersionDouble"), nullptr)
        << "the system's version.dll was loaded, not the double beside the test";
}

TEST(VersionDouble, Kernel32ReadsAsTheVersionAskedFor) {
    Win32SystemInfo system;
    {
        KernelVersion windows7(L"6.1.7601");
        EXPECT_EQ(ProductVersion(L"kernel32.dll"), "6.1.7601.0");
        EXPECT_EQ(ProductVersion("KERNEL32.DLL"), "6.1.7601.0");
        EXPECT_FALSE(system.KernelVersionIs10OrHigher());
    }
    {
        KernelVersion windows81(L"6.3");
        wchar_t path[MAX_PATH];
        ::GetSystemDirectoryW(path, MAX_PATH);
        EXPECT_EQ(ProductVersion((std::wstring(path) + L"\\kernel32.dll").c_str()), "6.3.0.0");
    }
    // Unset or malformed: the real resource, which reads 10 under Wine.
    EXPECT_TRUE(system.KernelVersionIs10OrHigher());
    for (const wchar_t* malformed : {L"", L"6", L"six.one", L"6.1.", L"70000.1", L"6.1.2.3.4"}) {
        KernelVersion asked(malformed);
        EXPECT_TRUE(system.KernelVersionIs10OrHigher()) << "asked for \"" << testing::PrintToString(std::wstring(malformed));
    }
}

TEST(VersionDouble, OtherFilesReadAsTheyAre) {
    const std::string before = ProductVersion(L"user32.dll");
    ASSERT_FALSE(before.empty());
    KernelVersion windows7(L"6.1.7601");
    EXPECT_EQ(ProductVersion(L"user32.dll"), before);
    // A file without a version resource still has none.
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(ProductVersion(self), "");
}

} // namespace
} // namespace hg::win32
