#pragma once
#include "platform/Registry.h"

namespace hg::win32 {

class Win32Registry final : public IRegistry {
public:
    std::optional<std::uint32_t> ReadDword(std::wstring_view key, std::wstring_view name) override;
    std::optional<std::wstring> ReadString(std::wstring_view key, std::wstring_view name) override;
    bool WriteDword(std::wstring_view key, std::wstring_view name, std::uint32_t value) override;
};

} // namespace hg::win32
