// The colour of the active application: its icon or its window's contents,
// over a fake of the windows.
#include "color/ActiveWindow.h"

#include "fakes/color/FakeActiveWindows.h"
#include "unit/color/PictureFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace hg {
namespace {

using fakes::FakeActiveWindows;
using Kind = IActiveWindows::IconKind;
using Handle = IActiveWindows::Handle;

constexpr Handle kWindow = 0x500;
constexpr TColor kBlue = 0x00C06020; // red 0x20, green 0x60, blue 0xC0

// A 16 x 16 icon drawn over white: its left half blue, the rest white.
Bitmap24 HalfBlueIcon(int side = 16) {
    return test::MakeBitmap(side, side, [](int x, int) { return x < 8 ? kBlue : clWhite; });
}

class SystemColors final : public ISystemColors {
public:
    TColor SystemColor(int index) const override { return index == 16 ? 0x00A0A0A0 : 0x00123456; }
};

struct Applied {
    std::vector<TColor> colors;
    SetColorFn Setter() {
        return [this](TColor c) { colors.push_back(c); };
    }
};

TEST(GetWindowIconHandle, FirstIconFoundInOrderAndAHungWindowIsNotAskedAgain) {
    const std::optional<Handle> hung;
    struct Case {
        const char* what;
        Handle classIcon;
        std::array<std::optional<Handle>, 3> answers;
        Handle expected;
        std::vector<Kind> asked;
    } cases[] = {
        {"class icon wins over the window's own", 0x11, {Handle{0x12}, Handle{0x13}, Handle{0x14}}, 0x11, {}},
        {"small icon", 0, {Handle{0x12}, Handle{0x13}, Handle{0x14}}, 0x12, {Kind::Small}},
        {"only the big icon", 0, {Handle{0}, Handle{0x13}, Handle{0}}, 0x13, {Kind::Small, Kind::Big}},
        {"only the generated small icon",
         0,
         {Handle{0}, Handle{0}, Handle{0x14}},
         0x14,
         {Kind::Small, Kind::Big, Kind::Small2}},
        {"no icon at all", 0, {Handle{0}, Handle{0}, Handle{0}}, 0, {Kind::Small, Kind::Big, Kind::Small2}},
        {"no answer: no icon, no further waits", 0, {hung, Handle{0x13}, Handle{0x14}}, 0, {Kind::Small}},
        {"no answer after the small icon query", 0, {Handle{0}, hung, Handle{0x14}}, 0, {Kind::Small, Kind::Big}},
    };
    for (const Case& c : cases) {
        FakeActiveWindows windows;
        windows.windows[kWindow] = {c.classIcon, c.answers, std::nullopt, false};
        EXPECT_EQ(GetWindowIconHandle(windows, kWindow), c.expected) << c.what;
        std::vector<Kind> asked;
        for (const auto& [window, kind] : windows.queries)
            asked.push_back(kind);
        EXPECT_EQ(asked, c.asked) << c.what;
    }
}

TEST(ApplyActiveIconColor, NoIconOrAnUnusableIconLeavesTheColour) {
    FakeActiveWindows windows;
    windows.windows[kWindow] = {};
    Applied applied;
    ApplyActiveIconColor(windows, kWindow, {}, applied.Setter());
    ApplyActiveIconColor(windows, 0, {}, applied.Setter()); // no foreground window
    EXPECT_TRUE(windows.drawnIcons.empty());

    // A bogus answer that does not draw as an icon must not give white.
    windows.windows[kWindow].answers[1] = Handle{0xBAD};
    ApplyActiveIconColor(windows, kWindow, {}, applied.Setter());
    EXPECT_EQ(windows.drawnIcons, std::vector<Handle>{0xBAD});
    EXPECT_TRUE(applied.colors.empty());
}

TEST(ApplyActiveIconColor, SixteenPixelIconOverWhiteInEachColourMode) {
    struct Case {
        const char* what;
        int side;
        ImageColorChoice choice;
        TColor expected;
    } cases[] = {
        // Every pixel sampled; white lies above the lightness range and does not vote.
        {"predominant", 16, {1, true}, kBlue},
        {"predominant, narrower than 16 pixels", 15, {1, true}, clWhite},
        // White (all channels 255) is filtered out: the mean is the blue.
        {"average without dark and light", 16, {0, true}, kBlue},
        // White counts: mean (143.5, 175.5, 223.5) rounds to (144, 176, 224);
        // its total 544 exceeds 384, so 20 comes off every channel.
        {"average of every pixel", 16, {0, false}, 0x00CC9C7C},
    };
    for (const Case& c : cases) {
        FakeActiveWindows windows;
        windows.windows[kWindow].answers[1] = Handle{0x77};
        windows.icons[0x77] = HalfBlueIcon(c.side);
        Applied applied;
        ApplyActiveIconColor(windows, kWindow, c.choice, applied.Setter());
        EXPECT_EQ(applied.colors, std::vector<TColor>{c.expected}) << c.what;
    }
}

TEST(ApplyActiveContentsColor, GoneWindowGivesButtonShadowAndAFailedCaptureNothing) {
    FakeActiveWindows windows;
    const SystemColors system;
    Applied applied;
    ApplyActiveContentsColor(windows, system, 0, {}, applied.Setter());
    ApplyActiveContentsColor(windows, system, 0x999, {}, applied.Setter()); // gone
    EXPECT_EQ(applied.colors, (std::vector<TColor>{0x00A0A0A0, 0x00A0A0A0}));
    EXPECT_TRUE(windows.captures.empty());

    windows.windows[kWindow] = {}; // exists, but its pixels cannot be had
    ApplyActiveContentsColor(windows, system, kWindow, {}, applied.Setter());
    EXPECT_EQ(windows.captures, std::vector<Handle>{kWindow});
    EXPECT_EQ(applied.colors.size(), 2u) << "a failed capture changed the colour";
}

TEST(ApplyActiveContentsColor, TheCaptureGivesTheColourInTheChosenMode) {
    FakeActiveWindows windows;
    windows.windows[kWindow].contents =
        test::MakeBitmap(64, 40, [](int x, int) { return x < 40 ? TColor{0x0060A040} : TColor{0x00F0F0F0}; });
    const SystemColors system;
    Applied applied;
    ApplyActiveContentsColor(windows, system, kWindow, {1, true}, applied.Setter());
    ApplyActiveContentsColor(windows, system, kWindow, {0, true}, applied.Setter());
    EXPECT_EQ(applied.colors, (std::vector<TColor>{0x0060A040, 0x0060A040}));
}

} // namespace
} // namespace hg
