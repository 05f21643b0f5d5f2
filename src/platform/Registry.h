#pragma once
// Port: values of the current user's registry hive.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hg {

class IRegistry {
public:
    virtual ~IRegistry() = default;

    // Key paths are relative to HKEY_CURRENT_USER ("Control Panel\\Desktop\\").
    // A missing key or value, a value of another type or any read error gives
    // nullopt: callers treat all of them as "not set".
    virtual std::optional<std::uint32_t> ReadDword(std::wstring_view key, std::wstring_view name) = 0;
    virtual std::optional<std::wstring> ReadString(std::wstring_view key, std::wstring_view name) = 0;

    // Creates the key when missing. False when the value could not be written.
    virtual bool WriteDword(std::wstring_view key, std::wstring_view name, std::uint32_t value) = 0;
};

} // namespace hg
