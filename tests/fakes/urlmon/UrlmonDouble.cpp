// A test double of urlmon.dll. Placed beside a program whose DLL override
// makes Wine load it (urlmon = native,builtin in the program's AppDefaults),
// it stands in for the Internet download:
//
// - URLDownloadToFileW appends the address asked for, one line each, to the
//   file HUEGLASS_URLMON_LOG names (when set), then answers by
//   HUEGLASS_URLMON_ANSWER:
//     "error"  fails with INET_E_RESOURCE_NOT_FOUND, writing nothing;
//     "hang"   never returns (a server that accepts and never answers);
//     a path   copies that file to the target and answers S_OK (as the real
//              one does for any page a server sends, error pages included).
//   Unset, it fails like "error".
// - HueglassUrlmonDouble (by name) returns 1: proof that the double was loaded.
// Nothing else of urlmon is offered; the program loads this library only for
// the download.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr HRESULT kResourceNotFound = static_cast<HRESULT>(0x800C0005);

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length == 0 || length >= 1024 ? std::wstring() : std::wstring(value, length);
}

void Log(const wchar_t* address) {
    const std::wstring file = Environment(L"HUEGLASS_URLMON_LOG");
    if (file.empty())
        return;
    // Opened for each line with full sharing, so a reader sees it at once.
    const HANDLE log = ::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    char line[2048];
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, address, -1, line, sizeof(line) - 2, nullptr, nullptr);
    if (n > 0) {
        line[n - 1] = '\n';
        DWORD written = 0;
        ::WriteFile(log, line, static_cast<DWORD>(n), &written, nullptr);
    }
    ::CloseHandle(log);
}

} // namespace

extern "C" {

HRESULT WINAPI URLDownloadToFileW(void*, const wchar_t* address, const wchar_t* target, DWORD,
                                                        void*) {
    Log(address != nullptr ? address : L"");
    const std::wstring answer = Environment(L"HUEGLASS_URLMON_ANSWER");
    if (answer == L"hang") {
        for (;;)
            ::Sleep(INFINITE);
    }
    if (answer.empty() || answer == L"error" || target == nullptr)
        return kResourceNotFound;
    return ::CopyFileW(answer.c_str(), target, FALSE) ? S_OK : kResourceNotFound;
}

int WINAPI HueglassUrlmonDouble() { return 1; }

} // extern "C"
