#include "app/WallpaperWatch.h"

namespace hg {

std::vector<std::wstring> WallpaperFolders(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return {};
    // "C:\wall.jpg" is watched in "C:\", not in the drive-relative "C:".
    const bool root = slash == 2 && path[1] == L':';
    return {path.substr(0, root || slash == 0 ? slash + 1 : slash)};
}

} // namespace hg
