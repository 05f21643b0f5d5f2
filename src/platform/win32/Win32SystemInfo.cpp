#include "platform/win32/Win32SystemInfo.h"

#include "platform/win32/EntryPoints.h"
#include "platform/win32/Handles.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

namespace hg::win32 {

OsVersion Win32SystemInfo::Version() {
    // RtlGetVersion reports the real version even to a program whose manifest
    // does not declare the newest Windows.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(ntdll ? ::GetProcAddress(ntdll, "RtlGetVersion") : nullptr));
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0)
        return {};
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

bool Win32SystemInfo::KernelVersionIs10OrHigher() {
    const EntryPoints& entry = GetEntryPoints();
    if (!entry.GetFileVersionInfoSizeW || !entry.GetFileVersionInfoW || !entry.VerQueryValueW)
        return false;
    // By full path: the version of the system's kernel32, not of a file of
    // that name wherever the search would look first.
    const std::wstring kernel32 = SystemFilePath(L"kernel32.dll");
    DWORD ignored = 0;
    const DWORD size = kernel32.empty() ? 0 : entry.GetFileVersionInfoSizeW(kernel32.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<std::byte> data(size);
    if (!entry.GetFileVersionInfoW(kernel32.c_str(), 0, size, data.data()))
        return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!entry.VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    return HIWORD(fixed->dwProductVersionMS) >= 10;
}

bool Win32SystemInfo::CompositionEnabled() {
    // Asked on each call: composition can be switched while the program
    // runs. The library may be missing.
    const auto isEnabled = GetEntryPoints().DwmIsCompositionEnabled;
    BOOL enabled = FALSE;
    return isEnabled != nullptr && isEnabled(&enabled) == S_OK && enabled != FALSE;
}

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2); // a long path: try a larger buffer
    }
}

std::wstring Win32SystemInfo::ExecutableFolder() {
    const std::wstring path = ExecutablePath();
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring Win32SystemInfo::AppDataFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, TRUE))
        return {};
    return AddBackslash(buffer);
}

std::wstring Win32SystemInfo::WindowsFolder() {
    wchar_t buffer[256] = {};
    const UINT length = ::GetWindowsDirectoryW(buffer, 256);
    if (length == 0 || length >= 256)
        return {};
    return AddBackslash(buffer);
}

} // namespace hg::win32
