#pragma once
// Placement of secondary windows beside the taskbar and sizes scaled to the
// monitor, on the real desktop. The decisions are platform/Placement.h's.
#include "platform/Placement.h"

#include <windows.h>

namespace hg::win32 {

// The desktop as Windows reports it: the "Shell_TrayWnd" window's rectangle,
// the primary monitor's work area and the screen size.
class Win32DesktopGeometry final : public IDesktopGeometry {
public:
    std::optional<Rect> TaskbarRect() override;
    Rect WorkArea() override;
    Size ScreenSize() override;
};

// Pixels per inch of a monitor (effective resolution where the system knows
// one per monitor, the system resolution otherwise); 96 when unknown.
UINT DpiOfMonitor(HMONITOR monitor);

// Pixels per inch of the monitor that shows the program's main window (class
// "TFrmHueglassMain" of this process); of the primary monitor while there is
// none.
int GetMainMonitorPPI();

// n pixels at 96 pixels per inch, scaled to GetMainMonitorPPI.
int ScaleByPPI(int n);

TaskbarEdge GetTaskbarEdge();

// Moves the window (keeping its size, Z order and activation) into the corner
// of the work area next to the taskbar.
void PlaceNearTray(HWND window);

} // namespace hg::win32
