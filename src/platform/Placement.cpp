#include "platform/Placement.h"

#include <algorithm>
#include <limits>

namespace hg {

TaskbarEdge TaskbarEdgeOf(const std::optional<Rect>& taskbar, Size screen) {
    if (!taskbar || taskbar->Empty())
        return TaskbarEdge::Bottom;
    const Rect& r = *taskbar;
    const int halfWidth = screen.width / 2, halfHeight = screen.height / 2;
    if (r.top > halfHeight && r.right >= screen.width)
        return TaskbarEdge::Bottom;
    if (r.top < halfHeight && r.bottom <= halfHeight)
        return TaskbarEdge::Top;
    if (r.left < halfWidth)
        return r.top <= 0 ? TaskbarEdge::Left : TaskbarEdge::Bottom;
    return TaskbarEdge::Right;
}

TaskbarEdge GetTaskbarEdge(IDesktopGeometry& desktop) {
    return TaskbarEdgeOf(desktop.TaskbarRect(), desktop.ScreenSize());
}

Point PlacementNearTray(TaskbarEdge edge, const Rect& workArea, Size window) {
    // 64-bit so that no size, however odd, overflows on the way.
    const auto right = static_cast<std::int64_t>(workArea.right) - window.width - 20;
    const auto bottom = static_cast<std::int64_t>(workArea.bottom) - window.height - 20;
    std::int64_t left = right, top = bottom;
    switch (edge) {
    case TaskbarEdge::Top:
        top = static_cast<std::int64_t>(workArea.top) + 10;
        break;
    case TaskbarEdge::Left:
        left = static_cast<std::int64_t>(workArea.left) + 20;
        break;
    case TaskbarEdge::Bottom:
    case TaskbarEdge::Right:
        break;
    }
    left = std::max<std::int64_t>(left, workArea.left);
    top = std::max<std::int64_t>(top, workArea.top);
    return {static_cast<int>(std::min<std::int64_t>(left, std::numeric_limits<int>::max())),
            static_cast<int>(std::min<std::int64_t>(top, std::numeric_limits<int>::max()))};
}

Point PlaceNearTray(IDesktopGeometry& desktop, Size window) {
    return PlacementNearTray(GetTaskbarEdge(desktop), desktop.WorkArea(), window);
}

int ScaleByPPI(int n, int ppi) {
    // Exact integer arithmetic: the product cannot overflow 64 bits, and the
    // rounding (to nearest, ties to even) needs no floating point.
    const std::int64_t product = static_cast<std::int64_t>(n) * ppi;
    std::int64_t quotient = product / 96;
    std::int64_t remainder = product % 96;
    if (remainder < 0) { // floor division
        remainder += 96;
        --quotient;
    }
    if (remainder > 48 || (remainder == 48 && (quotient & 1) != 0))
        ++quotient;
    return static_cast<int>(std::clamp<std::int64_t>(quotient, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace hg
