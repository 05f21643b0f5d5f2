#pragma once
#include "platform/Profile.h"

namespace hg::win32 {

// INI files through the platform's profile functions.
class Win32Profile final : public IProfile {
public:
    std::optional<std::wstring> ReadString(const std::wstring& file, std::wstring_view section,
                                           std::wstring_view key) override;
    bool WriteString(const std::wstring& file, std::wstring_view section, std::wstring_view key,
                     std::wstring_view value) override;
};

} // namespace hg::win32
