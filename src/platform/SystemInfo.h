#pragma once
// Port: facts about the running system that the start-up checks and the
// settings store need. Every call tests afresh; nothing is cached.
#include <string>

namespace hg {

struct OsVersion {
    unsigned platformId = 0; // 2 for Windows NT
    unsigned major = 0;
    unsigned minor = 0;
};

class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;
    // The real version of the operating system (not the compatibility value
    // an unmanifested program would be told).
    virtual OsVersion Version() = 0;
    // Product version of kernel32.dll's version resource is 10 or more; false
    // when the resource cannot be read.
    virtual bool KernelVersionIs10OrHigher() = 0;
    // The desktop composition engine reports itself on.
    virtual bool CompositionEnabled() = 0;
    // Folders, each with a trailing backslash; empty when unknown.
    virtual std::wstring ExecutableFolder() = 0;
    virtual std::wstring AppDataFolder() = 0; // roaming, created if missing
    virtual std::wstring WindowsFolder() = 0;
};

bool IsWindows7OrHigher(ISystemInfo& system);
bool IsWindows8OrHigher(ISystemInfo& system);
bool IsWindows10OrHigher(ISystemInfo& system);
bool IsCompositionEnabled(ISystemInfo& system);

// Path with "\" appended unless it already ends in one; empty stays empty.
std::wstring AddBackslash(std::wstring path);

} // namespace hg
