#include "platform/SystemInfo.h"

namespace hg {

namespace {
constexpr unsigned kPlatformNt = 2;

bool AtLeast(const OsVersion& v, unsigned minor6) {
    return v.platformId == kPlatformNt && ((v.major == 6 && v.minor >= minor6) || v.major > 6);
}
} // namespace

bool IsWindows7OrHigher(ISystemInfo& system) { return AtLeast(system.Version(), 1); }
bool IsWindows8OrHigher(ISystemInfo& system) { return AtLeast(system.Version(), 2); }
bool IsWindows10OrHigher(ISystemInfo& system) { return system.KernelVersionIs10OrHigher(); }

bool IsCompositionEnabled(ISystemInfo& system) {
    return system.Version().major >= 6 && system.CompositionEnabled();
}

std::wstring AddBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path;
}

} // namespace hg
