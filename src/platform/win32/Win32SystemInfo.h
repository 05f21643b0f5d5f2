#pragma once
#include "platform/SystemInfo.h"

namespace hg::win32 {

// Full path of the running program's executable; empty if unknown.
std::wstring ExecutablePath();

class Win32SystemInfo final : public ISystemInfo {
public:
    OsVersion Version() override;
    bool KernelVersionIs10OrHigher() override;
    bool CompositionEnabled() override;
    std::wstring ExecutableFolder() override;
    std::wstring AppDataFolder() override;
    std::wstring WindowsFolder() override;
};

} // namespace hg::win32
