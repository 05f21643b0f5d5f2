#include "platform/win32/Win32Profile.h"

#include <windows.h>

namespace hg::win32 {

std::optional<std::wstring> Win32Profile::ReadString(const std::wstring& file, std::wstring_view section,
                                                     std::wstring_view key) {
    // A default no real value can hold tells "missing" from "empty".
    static constexpr wchar_t kMissing[] = L"\x01\x02missing\x02\x01";
    wchar_t buffer[2048];
    const std::wstring s(section), k(key);
    ::GetPrivateProfileStringW(s.c_str(), k.c_str(), kMissing, buffer, 2048, file.c_str());
    if (std::wstring_view(buffer) == kMissing)
        return std::nullopt;
    return std::wstring(buffer);
}

bool Win32Profile::WriteString(const std::wstring& file, std::wstring_view section, std::wstring_view key,
                               std::wstring_view value) {
    const std::wstring s(section), k(key), v(value);
    return ::WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), file.c_str()) != FALSE;
}

} // namespace hg::win32
