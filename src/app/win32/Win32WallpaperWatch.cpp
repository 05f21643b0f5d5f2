#include "app/win32/Win32WallpaperWatch.h"

#include "color/Wallpaper.h"

#include <utility>

namespace hg::win32 {

namespace {
// Only values of the key (the wallpaper among them), not its subkeys.
constexpr DWORD kKeyFilter = REG_NOTIFY_CHANGE_LAST_SET;
// A file written (its time or size), created, removed or renamed.
constexpr DWORD kFolderFilter = FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE;
} // namespace

Win32WallpaperWatch::Win32WallpaperWatch(std::function<void(WallpaperNotice)> notify) : notify_(std::move(notify)) {}

bool Win32WallpaperWatch::ArmKey() {
    if (!key_) {
        const std::wstring subKey(DesktopKey);
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_NOTIFY, key_.put()) != ERROR_SUCCESS) {
            key_.release(); // absorbed: no key yet, the poll finds the wallpaper once there is one
            return false;
        }
    }
    if (!keyChanged_)
        keyChanged_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    // Absorbed on purpose: a key that cannot be watched leaves the poll.
    keyArmed_ = keyChanged_ &&
                ::RegNotifyChangeKeyValue(key_.get(), FALSE, kKeyFilter, keyChanged_.get(), TRUE) == ERROR_SUCCESS;
    if (!keyArmed_)
        CloseKey();
    return keyArmed_;
}

void Win32WallpaperWatch::CloseKey() {
    keyArmed_ = false;
    key_.reset(); // closing the key ends its notification
}

void Win32WallpaperWatch::Watch(const std::vector<std::wstring>& folders) {
    if (broken_)
        return;
    bool changed = false;
    if (!keyArmed_)
        changed = ArmKey();
    if (folders != folders_) {
        folders_ = folders;
        watches_.clear();
        for (const std::wstring& folder : folders_) {
            // A folder that cannot be watched (gone, no rights, a network
            // share without notifications) is not tried again until the
            // wallpaper moves: the poll covers it.
            UniqueChangeNotification handle(::FindFirstChangeNotificationW(folder.c_str(), FALSE, kFolderFilter));
            if (handle)
                watches_.push_back({folder, std::move(handle)});
        }
        changed = true;
    }
    if (changed)
        Rebuild();
}

void Win32WallpaperWatch::Stop() {
    CloseKey();
    folders_.clear();
    watches_.clear();
    Rebuild();
}

void Win32WallpaperWatch::WaitFailed() {
    Stop();
    broken_ = true;
}

void Win32WallpaperWatch::Rebuild() {
    handles_.clear();
    if (keyArmed_)
        handles_.push_back(keyChanged_.get());
    for (const FolderWatch& watch : watches_)
        handles_.push_back(watch.handle.get());
}

void Win32WallpaperWatch::Signalled(std::size_t index) {
    if (index >= handles_.size())
        return;
    if (keyArmed_ && index == 0) {
        // Re-armed before the notice is handled, so no change is missed.
        ArmKey();
        Rebuild();
        notify_(WallpaperNotice::Registry);
        return;
    }
    const std::size_t folder = index - (keyArmed_ ? 1 : 0);
    if (::FindNextChangeNotification(watches_[folder].handle.get()) == FALSE) {
        // The folder went away: its watch closes, the poll goes on.
        watches_.erase(watches_.begin() + static_cast<std::ptrdiff_t>(folder));
        Rebuild();
    }
    notify_(WallpaperNotice::Folder);
}

} // namespace hg::win32
