#include "update/win32/Win32UpdateTransport.h"

#include "update/win32/SystemText.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

namespace hg::win32 {

namespace {

// Undoes CoInitializeEx when it succeeded.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (ok_)
            ::CoUninitialize();
    }

private:
    bool ok_;
};

} // namespace

std::wstring Win32UpdateTransport::CreateTempFile() { return ::hg::win32::CreateTempFile(L""); }

bool Win32UpdateTransport::Download(const std::wstring& address, const std::wstring& file) {
    const ComScope com;
    // The libraries are loaded on the worker, where they are used: a
    // missing or broken one is a failed check, never a failed start.
    if (const UniqueModule wininet(::LoadLibraryW(L"wininet.dll")); wininet) {
        using DeleteUrlCacheEntryFn = BOOL(WINAPI*)(const wchar_t*);
        if (const auto deleteEntry = reinterpret_cast<DeleteUrlCacheEntryFn>(
                reinterpret_cast<void*>(::GetProcAddress(wininet.get(), "DeleteUrlCacheEntryW"))))
            deleteEntry(address.c_str()); // nothing cached is no failure
    }
    const UniqueModule urlmon(::LoadLibraryW(L"urlmon.dll"));
    if (!urlmon)
        return false;
    using URLDownloadToFileFn = HRESULT(WINAPI*)(void*, const wchar_t*, const wchar_t*, DWORD, void*);
    const auto download = reinterpret_cast<URLDownloadToFileFn>(
        reinterpret_cast<void*>(::GetProcAddress(urlmon.get(), "URLDownloadToFileW")));
    return download != nullptr && download(nullptr, address.c_str(), file.c_str(), 0, nullptr) == S_OK;
}

std::optional<std::vector<std::uint8_t>> Win32UpdateTransport::ReadBytes(const std::wstring& file,
                                                                        std::size_t maxBytes) {
    return Win32FileSystem().ReadAll(file, maxBytes);
}

void Win32UpdateTransport::RemoveFile(const std::wstring& file) {
    if (!file.empty())
        ::DeleteFileW(file.c_str()); // a file already gone is no failure
}

void Win32UpdateTransport::OpenAddress(const std::wstring& address) {
    ::ShellExecuteW(nullptr, L"open", address.c_str(), L"", L"", SW_SHOWNORMAL);
}

} // namespace hg::win32
