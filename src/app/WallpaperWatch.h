#pragma once
// Port: change notifications about the wallpaper. They only make the loop
// look at once, with the same check as its once-a-second poll; the poll
// stays, for whatever no notification reports.
#include <string>
#include <vector>

namespace hg {

// What told the loop that the wallpaper may have changed.
enum class WallpaperNotice {
    Registry,      // a value of the desktop settings key was written
    Folder,        // a file in a watched folder was written, created, renamed or removed
    SettingChange, // the system said that the desktop wallpaper was set
};

class IWallpaperWatch {
public:
    virtual ~IWallpaperWatch() = default;
    // Watches the desktop settings key and these folders (none, one or more;
    // the same folders as last time keep their watches). A folder that cannot
    // be watched is left to the poll. Notices reach MainForm::WallpaperNotified
    // on the user-interface thread.
    virtual void Watch(const std::vector<std::wstring>& folders) = 0;
    // Closes every watch.
    virtual void Stop() = 0;
};

class NullWallpaperWatch final : public IWallpaperWatch {
public:
    void Watch(const std::vector<std::wstring>&) override {}
    void Stop() override {}
};

// The folders whose writes may change the picture at path: its own folder,
// which also holds the converted wallpaper's per-monitor copies. None for an
// empty path.
std::vector<std::wstring> WallpaperFolders(const std::wstring& path);

} // namespace hg
