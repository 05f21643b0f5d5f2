#pragma once
// The wallpaper's change notifications: the desktop settings key and the
// wallpaper's folders, as wait handles that the message loop watches beside
// the messages. Nothing runs on another thread; a signalled handle is
// re-armed and reported as a posted notice.
#include "app/WallpaperWatch.h"
#include "platform/win32/Handles.h"

#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace hg::win32 {

class Win32WallpaperWatch final : public IWallpaperWatch {
public:
    // After a notice its handle rests this long before the next one is
    // heard (what changes meanwhile is kept for then): a program writing
    // into the wallpaper's folder all the time costs a few checks a second,
    // not a busy loop.
    static constexpr ULONGLONG kRestMs = 250;

    explicit Win32WallpaperWatch(std::function<void(WallpaperNotice)> notify);

    void Watch(const std::vector<std::wstring>& folders) override;
    void Stop() override;

    // The handles to wait on; valid until the next call of this object.
    std::span<const HANDLE> Handles() const { return handles_; }
    // How long the wait may last: until a resting handle is heard again,
    // INFINITE when none rests (an idle program never wakes for this).
    DWORD WaitTimeout() const;
    // Handles whose rest is over are heard again (asked before each wait).
    void RestsOver();
    // The handle at index was signalled: it is re-armed, rests, and the
    // notice is sent.
    void Signalled(std::size_t index);
    // Waiting on the handles failed: every watch closes for good and the
    // poll alone follows the wallpaper, so the loop never spins on them.
    void WaitFailed();

private:
    static void CloseChangeNotification(HANDLE h) { ::FindCloseChangeNotification(h); }
    using UniqueChangeNotification = UniqueHandle<HANDLE, CloseChangeNotification, -1>;
    struct FolderWatch {
        std::wstring folder;
        UniqueChangeNotification handle;
        ULONGLONG restsUntil = 0;
    };
    static constexpr std::size_t kKey = static_cast<std::size_t>(-1);

    bool ArmKey();
    void CloseKey();
    void Rebuild();

    std::function<void(WallpaperNotice)> notify_;
    UniqueKey key_;
    UniqueKernelHandle keyChanged_; // auto-reset event signalled by the key's notification
    bool keyArmed_ = false;
    ULONGLONG keyRestsUntil_ = 0;
    std::vector<std::wstring> folders_; // as last asked for
    std::vector<FolderWatch> watches_;  // those that could be armed
    std::vector<HANDLE> handles_;       // the handles not resting...
    std::vector<std::size_t> owners_;   // ...and whose they are: kKey or an index into watches_
    bool broken_ = false;
};

} // namespace hg::win32
