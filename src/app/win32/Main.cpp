// Process entry: one running copy; a second start signals the first and ends.
#include "tray/Commands.h"
#include "app/win32/MainWindow.h"
#include "app/win32/MutexUtils.h"
#include "platform/win32/EntryPoints.h"
#include "platform/win32/UiThread.h"

#include <windows.h>

#include <span>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The colorization entry points are looked up before anything else and
    // stay loaded until the process ends.
    hg::win32::GetEntryPoints();

    hg::win32::UniqueKernelHandle mutex(hg::win32::CreateUniqueMutex(hg::kSingleInstanceMutex));
    if (!mutex) {
        if (const HWND running = ::FindWindowW(hg::kMainWindowClass, nullptr))
            ::PostMessageW(running, static_cast<UINT>(hg::AppMessage::SecondInstance), 0, 0);
        return 0;
    }

    // COM in the user-interface thread's model, for the shell objects and
    // the windows' own COM use; the controls the windows are made of.
    const hg::win32::ComApartment com;
    hg::win32::InitCommonControlsForWindows();

    hg::win32::MainWindow window(std::move(mutex));
    if (!window.Create())
        return 1;

    // The message loop also waits on the wallpaper's change notifications;
    // it sleeps until either comes, as GetMessage would.
    hg::win32::Win32WallpaperWatch& watch = window.WallpaperWatch();
    for (;;) {
        watch.RestsOver();
        const std::span<const HANDLE> handles = watch.Handles();
        const auto count = static_cast<DWORD>(handles.size());
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(count, handles.data(), watch.WaitTimeout(), QS_ALLINPUT,
                                                          MWMO_INPUTAVAILABLE);
        if (woken < WAIT_OBJECT_0 + count) {
            watch.Signalled(woken - WAIT_OBJECT_0);
            continue;
        }
        if (woken == WAIT_TIMEOUT)
            continue; // a resting handle is heard again
        if (woken == WAIT_FAILED)
            watch.WaitFailed();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // A loop ended by a posted quit (refused start) leaves the window
            // to be destroyed here; the close handler does not run then.
            if (msg.message == WM_QUIT)
                return 0;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}
