#include "platform/win32/Win32Registry.h"

#include "platform/win32/Handles.h"

#include <vector>

namespace hg::win32 {

namespace {

// Key paths may carry a leading or trailing backslash; the registry wants neither.
std::wstring NormaliseKey(std::wstring_view key) {
    while (!key.empty() && key.front() == L'\\')
        key.remove_prefix(1);
    while (!key.empty() && key.back() == L'\\')
        key.remove_suffix(1);
    return std::wstring(key);
}

UniqueKey OpenKey(std::wstring_view key, REGSAM access, bool create) {
    UniqueKey handle;
    const std::wstring path = NormaliseKey(key);
    LSTATUS status;
    if (create)
        status = ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, access, nullptr, handle.put(),
                                   nullptr);
    else
        status = ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, handle.put());
    if (status != ERROR_SUCCESS)
        handle.release();
    return handle;
}

} // namespace

std::optional<std::uint32_t> Win32Registry::ReadDword(std::wstring_view key, std::wstring_view name) {
    const UniqueKey handle = OpenKey(key, KEY_READ, false);
    if (!handle)
        return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const std::wstring valueName(name);
    if (::RegQueryValueExW(handle.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

std::optional<std::wstring> Win32Registry::ReadString(std::wstring_view key, std::wstring_view name) {
    const UniqueKey handle = OpenKey(key, KEY_READ, false);
    if (!handle)
        return std::nullopt;
    const std::wstring valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(handle.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > 64 * 1024)
        return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(handle.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}

bool Win32Registry::WriteDword(std::wstring_view key, std::wstring_view name, std::uint32_t value) {
    const UniqueKey handle = OpenKey(key, KEY_SET_VALUE, true);
    if (!handle)
        return false;
    const std::wstring valueName(name);
    const DWORD data = value;
    return ::RegSetValueExW(handle.get(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof(data)) == ERROR_SUCCESS;
}

} // namespace hg::win32
