#include "update/win32/SystemText.h"

#include "platform/win32/ErrorText.h"
#include "platform/win32/Handles.h"
#include "platform/SystemInfo.h"
#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <vector>

namespace hg::win32 {

std::wstring FileVersionString(const std::wstring& fileName) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0) {
        const DWORD code = ::GetLastError();
        return FileVersionErrorText(code, ErrorText(code));
    }
    std::vector<std::byte> data(size);
    if (!::GetFileVersionInfoW(fileName.c_str(), 0, size, data.data())) {
        const DWORD code = ::GetLastError();
        return FileVersionErrorText(code, ErrorText(code));
    }
    // The fixed information is used only when the block is whole and is one:
    // a damaged resource gives no version rather than bytes from beyond it.
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD)
        return {};
    const auto* begin = reinterpret_cast<const std::byte*>(fixed);
    if (begin < data.data() || begin + sizeof(VS_FIXEDFILEINFO) > data.data() + data.size())
        return {};
    return FormatFileVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

std::wstring GetTempDirectory() {
    std::wstring path(260, L'\0');
    // The folder may grow between two calls; a few rounds settle it.
    for (int round = 0; round < 4; ++round) {
        const DWORD length = ::GetTempPathW(static_cast<DWORD>(path.size()), path.data());
        if (length == 0)
            break;
        if (length >= path.size()) {
            path.resize(static_cast<std::size_t>(length) + 1);
            continue;
        }
        path.resize(length);
        std::wstring full(MAX_PATH, L'\0');
        for (int fullRound = 0; fullRound < 4; ++fullRound) {
            const DWORD fullLength = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
            if (fullLength == 0)
                return AddBackslash(path);
            if (fullLength < full.size()) {
                full.resize(fullLength);
                return AddBackslash(full);
            }
            full.resize(static_cast<std::size_t>(fullLength) + 1);
        }
        return AddBackslash(path);
    }
    wchar_t current[MAX_PATH + 1] = {};
    const DWORD length = ::GetFullPathNameW(L".", MAX_PATH + 1, current, nullptr);
    return AddBackslash(length > 0 && length <= MAX_PATH ? std::wstring(current, length) : std::wstring(L"."));
}

double LocalDayClock::DayFraction() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const double ms = ((now.wHour * 60.0 + now.wMinute) * 60.0 + now.wSecond) * 1000.0 + now.wMilliseconds;
    return ms / 86400000.0;
}

std::wstring CreateTempFile(std::wstring_view extension) {
    LocalDayClock clock;
    Win32FileSystem files;
    const std::wstring folder = GetTempDirectory();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::wstring name = MakeTempFileName(folder, extension, clock, files);
        if (name.empty())
            return {};
        const UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (file)
            return name;
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return {};
        // Someone took the name between the test and the creation: another.
    }
    return {};
}

} // namespace hg::win32
