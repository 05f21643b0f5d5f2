#include "platform/Placement.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <ostream>

namespace hg {
namespace {

class FakeDesktop final : public IDesktopGeometry {
public:
    std::optional<Rect> taskbar;
    Rect workArea{0, 0, 1280, 800};
    Size screen{1280, 800};
    std::optional<Rect> TaskbarRect() override { return taskbar; }
    Rect WorkArea() override { return workArea; }
    Size ScreenSize() override { return screen; }
};

struct PlacementCase {
    const char* name;
    std::optional<Rect> taskbar;
    Rect workArea;
    Size window;
    TaskbarEdge edge;
    Point expected;
};

void PrintTo(const PlacementCase& c, std::ostream* out) { *out << c.name; }

class NearTray : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(NearTray, PutsTheWindowInTheCornerBesideTheTaskbar) {
    const PlacementCase& c = GetParam();
    FakeDesktop desktop;
    desktop.taskbar = c.taskbar;
    desktop.workArea = c.workArea;
    EXPECT_EQ(GetTaskbarEdge(desktop), c.edge);
    const Point at = PlaceNearTray(desktop, c.window);
    EXPECT_EQ(at, c.expected) << "got " << at.x << "," << at.y;
}

// A 1280 x 800 screen and a 300 x 200 window unless the case says otherwise.
INSTANTIATE_TEST_SUITE_P(
    Placement, NearTray,
    ::testing::Values(
        PlacementCase{"Bottom", Rect{0, 760, 1280, 800}, {0, 0, 1280, 760}, {300, 200}, TaskbarEdge::Bottom, {960, 540}},
        PlacementCase{"Top", Rect{0, 0, 1280, 40}, {0, 40, 1280, 800}, {300, 200}, TaskbarEdge::Top, {960, 50}},
        PlacementCase{"Left", Rect{0, 0, 60, 800}, {60, 0, 1280, 800}, {300, 200}, TaskbarEdge::Left, {80, 580}},
        PlacementCase{"Right", Rect{1220, 0, 1280, 800}, {0, 0, 1220, 800}, {300, 200}, TaskbarEdge::Right, {900, 580}},
        // A taskbar a little off screen, as an auto-hidden one is.
        PlacementCase{"LeftAutoHidden", Rect{-58, -2, 2, 802}, {0, 0, 1280, 800}, {300, 200}, TaskbarEdge::Left, {20, 580}},
        // A short bottom taskbar (not reaching the right edge) is still at the bottom.
        PlacementCase{"ShortBottom", Rect{0, 760, 900, 800}, {0, 0, 1280, 760}, {300, 200}, TaskbarEdge::Bottom, {960, 540}},
        // One in the right half of the bottom is at the bottom, not the right.
        PlacementCase{"BottomRightHalf", Rect{700, 760, 1280, 800}, {0, 0, 1280, 760}, {300, 200}, TaskbarEdge::Bottom,
                      {960, 540}},
        PlacementCase{"NoTaskbar", std::nullopt, {0, 0, 1280, 800}, {300, 200}, TaskbarEdge::Bottom, {960, 580}},
        // A shell whose taskbar window has no size shows no taskbar at all.
        PlacementCase{"EmptyTaskbar", Rect{0, 0, 0, 0}, {0, 0, 1280, 800}, {300, 200}, TaskbarEdge::Bottom, {960, 580}},
        // Larger than the work area: the top-left corner stays inside it.
        PlacementCase{"TooLarge", Rect{0, 760, 1280, 800}, {0, 0, 1280, 760}, {1500, 900}, TaskbarEdge::Bottom, {0, 0}},
        PlacementCase{"TooTallTop", Rect{0, 0, 1280, 40}, {0, 40, 1280, 800}, {300, 2000}, TaskbarEdge::Top, {960, 50}},
        PlacementCase{"TooWideLeft", Rect{0, 0, 60, 800}, {60, 0, 1280, 800}, {3000, 200}, TaskbarEdge::Left, {80, 580}},
        PlacementCase{"WorkAreaNotAtOrigin", Rect{0, 760, 1280, 800}, {-1280, 0, 0, 760}, {300, 200}, TaskbarEdge::Bottom,
                      {-320, 540}}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

TEST(ScaleByPPI, RoundsTheExactQuotientToNearestWithTiesToEven) {
    struct Case {
        int n, ppi, expected;
    };
    const int max = std::numeric_limits<int>::max(), min = std::numeric_limits<int>::min();
    for (const Case& c : {Case{100, 96, 100}, Case{100, 144, 150}, Case{300, 120, 375}, Case{350, 144, 525},
                          Case{1, 144, 2},     // 1.5
                          Case{3, 144, 4},     // 4.5
                          Case{5, 144, 8},     // 7.5
                          Case{-3, 144, -4},   // -4.5
                          Case{-1, 144, -2},   // -1.5
                          Case{7, 120, 9},     // 8.75
                          Case{0, 192, 0}, Case{12, 0, 0},
                          Case{max, 192, max}, Case{min, 192, min}})
        EXPECT_EQ(ScaleByPPI(c.n, c.ppi), c.expected) << c.n << " at " << c.ppi;
}

} // namespace
} // namespace hg
