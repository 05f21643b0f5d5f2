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
    explicit Win32WallpaperWatch(std::function<void(WallpaperNotice)> notify);

    void Watch(const std::vector<std::wstring>& folders) override;
    void Stop() override;

    // The handles to wait on; valid until the next call of this object.
    std::span<const HANDLE> Handles() const { return handles_; }
    // The handle at index was signalled: it is re-armed and the notice sent.
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
    };

    bool ArmKey();
    void CloseKey();
    void Rebuild();

    std::function<void(WallpaperNotice)> notify_;
    UniqueKey key_;
    UniqueKernelHandle keyChanged_; // auto-reset event signalled by the key's notification
    bool keyArmed_ = false;
    std::vector<std::wstring> folders_; // as last asked for
    std::vector<FolderWatch> watches_;  // those that could be armed
    std::vector<HANDLE> handles_;       // the key's event first (when armed), then the folders'
    bool broken_ = false;
};

} // namespace hg::win32
