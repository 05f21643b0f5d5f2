#pragma once
// Port: an INI ("profile") file, one value per call, no caching.
#include <optional>
#include <string>
#include <string_view>

namespace hg {

class IProfile {
public:
    virtual ~IProfile() = default;
    // The value's text (at most 2047 characters), or nullopt when the file,
    // section or key is missing.
    virtual std::optional<std::wstring> ReadString(const std::wstring& file, std::wstring_view section,
                                                   std::wstring_view key) = 0;
    // False when the value could not be written.
    virtual bool WriteString(const std::wstring& file, std::wstring_view section, std::wstring_view key,
                             std::wstring_view value) = 0;
};

} // namespace hg
