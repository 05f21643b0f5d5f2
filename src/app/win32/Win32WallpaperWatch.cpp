#include "app/win32/Win32WallpaperWatch.h"

#include "color/Wallpaper.h"

#include <algorithm>
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
    const ULONGLONG now = ::GetTickCount64();
    handles_.clear();
    owners_.clear();
    if (keyArmed_ && keyRestsUntil_ <= now) {
        handles_.push_back(keyChanged_.get());
        owners_.push_back(kKey);
    }
    for (std::size_t i = 0; i < watches_.size(); ++i) {
        if (watches_[i].restsUntil <= now) {
            handles_.push_back(watches_[i].handle.get());
            owners_.push_back(i);
        }
    }
}

DWORD Win32WallpaperWatch::WaitTimeout() const {
    ULONGLONG until = 0;
    const auto consider = [&](ULONGLONG restsUntil) {
        if (restsUntil != 0 && (until == 0 || restsUntil < until))
            until = restsUntil;
    };
    if (keyArmed_)
        consider(keyRestsUntil_);
    for (const FolderWatch& watch : watches_)
        consider(watch.restsUntil);
    if (until == 0)
        return INFINITE;
    const ULONGLONG now = ::GetTickCount64();
    return until <= now ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(until - now, kRestMs));
}

void Win32WallpaperWatch::RestsOver() {
    if (WaitTimeout() != 0)
        return; // none rests, or none is due yet
    const ULONGLONG now = ::GetTickCount64();
    if (keyRestsUntil_ <= now)
        keyRestsUntil_ = 0;
    for (FolderWatch& watch : watches_)
        if (watch.restsUntil <= now)
            watch.restsUntil = 0;
    Rebuild();
}

void Win32WallpaperWatch::Signalled(std::size_t index) {
    if (index >= handles_.size())
        return;
    const ULONGLONG restsUntil = ::GetTickCount64() + kRestMs;
    const std::size_t owner = owners_[index];
    if (owner == kKey) {
        // Re-armed at once, so no change is missed; heard after its rest.
        if (ArmKey())
            keyRestsUntil_ = restsUntil;
        Rebuild();
        notify_(WallpaperNotice::Registry);
        return;
    }
    if (::FindNextChangeNotification(watches_[owner].handle.get()) == FALSE) {
        // The folder went away: its watch closes, the poll goes on.
        watches_.erase(watches_.begin() + static_cast<std::ptrdiff_t>(owner));
    } else {
        watches_[owner].restsUntil = restsUntil;
    }
    Rebuild();
    notify_(WallpaperNotice::Folder);
}

} // namespace hg::win32
