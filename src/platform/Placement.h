#pragma once
// Where a secondary window goes: into the corner of the work area next to the
// taskbar, and how sizes scale with the monitor's resolution. The decisions
// are made here from plain rectangles; the Windows side only gathers them
// (IDesktopGeometry) and moves the window.
#include <cstdint>
#include <optional>

namespace hg {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0, height = 0;
};

// The values are those the rest of the program stores and compares.
enum class TaskbarEdge : int { Top = 0, Bottom = 1, Left = 2, Right = 3 };

// Port: the desktop facts placement needs.
class IDesktopGeometry {
public:
    virtual ~IDesktopGeometry() = default;
    // The taskbar window's outer rectangle; nullopt when there is none.
    virtual std::optional<Rect> TaskbarRect() = 0;
    // The work area of the primary monitor (the screen less the taskbar).
    virtual Rect WorkArea() = 0;
    // The primary screen's size in pixels.
    virtual Size ScreenSize() = 0;
};

// Which edge of the screen the taskbar sits on. No taskbar, or one with an
// empty rectangle (a shell that shows none), counts as the bottom.
TaskbarEdge TaskbarEdgeOf(const std::optional<Rect>& taskbar, Size screen);
TaskbarEdge GetTaskbarEdge(IDesktopGeometry& desktop);

// The outer top-left corner for a window of this outer size: 20 pixels in
// from the work area's side edge, and 10 below its top (taskbar at the top)
// or 20 above its bottom. A window larger than the work area keeps its
// top-left corner inside it, so its title bar can always be reached.
Point PlacementNearTray(TaskbarEdge edge, const Rect& workArea, Size window);
Point PlaceNearTray(IDesktopGeometry& desktop, Size window);

// n pixels at 96 pixels per inch scaled to ppi: n * ppi / 96 rounded to the
// nearest integer, ties to even; saturated to the range of int.
int ScaleByPPI(int n, int ppi);

} // namespace hg
