#include "colorize/Colorizer.h"
#include "fakes/colorize/FakeComposition.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hg {
namespace {

using fakes::FakeComposition;
using fakes::FakeFadeTimer;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// The calls FixOtherSysColors makes, in order.
const std::vector<std::string> OtherSysColorCalls = {
    "sys 15=0x00F0F0F0", "sys 4=0x00F0F0F0",  "sys 30=0x00F0F0F0", "sys 0=0x00F0F0F0",
    "sys 16=0x00A0A0A0", "sys 21=0x00696969", "sys 22=0x00E3E3E3", "sys 12=0x00ABABAB",
    "sys 5=0x00FFFFFF",  "sys 20=0x00FFFFFF", "sys 14=0x00FFFFFF", "sys 24=0x00E1FFFF",
    "sys 10=0x00B4B4B4", "sys 11=0x00FCF7F4", "sys 3=0x00DBCDBF",  "sys 28=0x00F2E4D7",
};

class CompositionColorTest : public ::testing::Test {
protected:
    FakeComposition engine;
    FakeFadeTimer timer;
    ColorizeOptions options;
    Colorizer colorizer{engine, timer, [this] { return options; }};
};

struct RecordCase {
    const char* what;
    TColor color;
    std::int32_t intensity, transparent, transValue;
    TDwmColorizationParams expected; // engine starts at {0xC4123456, 0xC4123456, 40, 10, 20, 50, 1}
};

TEST_F(CompositionColorTest, WritesTheRecordWithSwappedBytesIntensityAndAskedTransparency) {
    const RecordCase cases[] = {
        {"byte order", 0x00123456, 70, -1, -1, {0x00563412, 70, 70, 10, 20, 50, 1}},
        {"top byte dropped", 0xFF000010, 70, -1, -1, {0x00100000, 70, 70, 10, 20, 50, 1}},
        {"transparency kept as read", 0x000000FF, 5, -1, 80, {0x00FF0000, 5, 5, 10, 20, 50, 1}},
        {"opaque with blur 50", 0x000000FF, 70, 0, 50, {0x00FF0000, 70, 70, 10, 50, 50, 0xFFFFFFFF}},
        {"transparent, blur as read", 0x000000FF, 70, 1, -1, {0x00FF0000, 70, 70, 10, 20, 50, 0}},
        {"any positive is transparent", 0x000000FF, 70, 7, 0, {0x00FF0000, 70, 70, 10, 0, 50, 0}},
        {"negative intensity passes as its bits",
         0x00000000,
         -1,
         -1,
         -1,
         {0x00000000, 0xFFFFFFFF, 0xFFFFFFFF, 10, 20, 50, 1}},
    };
    for (const auto& c : cases) {
        FakeComposition fresh;
        Colorizer subject{fresh, timer, [this] { return options; }};
        subject.SetCompositionColor(c.color, c.intensity, true, c.transparent, c.transValue);
        ASSERT_EQ(fresh.written.size(), 1u) << c.what;
        EXPECT_EQ(fresh.written[0], c.expected) << c.what;
    }
}

TEST_F(CompositionColorTest, StoringCallCopiesTheColourToSystemColoursInOrderThenBroadcastsThenWrites) {
    options.ColorizeSysColors = true;
    colorizer.SetCompositionColor(0xFF123456, 70, true, -1, -1);

    std::vector<std::string> expected = {"sys 13=0xFF123456", "sys 2=0xFF123456", "sys 27=0xFF123456",
                                         "sys 29=0xFF123456"};
    expected.insert(expected.end(), OtherSysColorCalls.begin(), OtherSysColorCalls.end());
    expected.push_back("broadcast");
    expected.push_back("params");
    expected.push_back("accent 0xFF123456,0xFF123456");
    EXPECT_THAT(engine.calls, ElementsAreArray(expected));
    EXPECT_EQ(colorizer.LastAeroColor, 0xFF123456u);
}

TEST_F(CompositionColorTest, WithoutColorizeSysColorsOnlyTheEngineAndAccentChange) {
    colorizer.SetCompositionColor(0x00123456, 70, true, -1, -1);
    EXPECT_THAT(engine.calls, ElementsAre("params", "accent 0x00123456,0x00123456"));
    EXPECT_EQ(colorizer.LastAeroColor, 0x00123456u);
}

TEST_F(CompositionColorTest, TrialColourTouchesNoSystemColourAndKeepsTheAccentAtTheColourShown) {
    options.ColorizeSysColors = true;
    colorizer.LastAeroColor = 0x00ABCDEF;
    colorizer.SetCompositionColor(0x00123456, 30, false, 1, 40);

    EXPECT_THAT(engine.calls, ElementsAre("params", "accent 0x00ABCDEF,0x00ABCDEF"));
    EXPECT_EQ(engine.written[0].Color, 0x00563412u);
    EXPECT_EQ(colorizer.LastAeroColor, 0x00ABCDEFu);
}

TEST_F(CompositionColorTest, DoesNothingWhileCompositionIsOffOrAnEntryPointIsMissing) {
    options.ColorizeSysColors = true;
    for (int missing = 0; missing < 3; ++missing) {
        FakeComposition off;
        off.compositionEnabled = missing != 0;
        off.hasGet = missing != 1;
        off.hasSet = missing != 2;
        Colorizer subject{off, timer, [this] { return options; }};
        subject.LastAeroColor = 0x00ABCDEF;
        subject.SetCompositionColor(0x00123456, 70, true, -1, -1);
        EXPECT_THAT(off.calls, IsEmpty()) << missing;
        EXPECT_EQ(subject.LastAeroColor, 0x00ABCDEFu) << missing;
        EXPECT_EQ(subject.ReadCompositionColor(), DefaultAccentColor) << missing;
    }
}

TEST_F(CompositionColorTest, CompositionSwitchedOffMidRunStopsColoursAndLastAeroColor) {
    colorizer.SetCompositionColor(0x00000011, 70, true, -1, -1);
    engine.compositionEnabled = false;
    colorizer.SetCompositionColor(0x00000022, 70, true, -1, -1);
    EXPECT_EQ(engine.written.size(), 1u);
    EXPECT_EQ(colorizer.LastAeroColor, 0x00000011u);
}

TEST_F(CompositionColorTest, UnreadableRecordChangesNothingNotEvenTheColourBelievedOnScreen) {
    // Writing back a zeroed record would wipe the user's transparency and
    // balance settings; the engine is left alone instead, and so the colour
    // on screen is still the one applied before.
    options.ColorizeSysColors = true;
    colorizer.SetCompositionColor(0x00000011, 70, true, -1, -1);
    engine.calls.clear();
    engine.getFails = true;
    colorizer.SetCompositionColor(0x00123456, 70, true, -1, -1);
    EXPECT_THAT(engine.calls, IsEmpty());
    EXPECT_EQ(colorizer.LastAeroColor, 0x00000011u);
    EXPECT_EQ(colorizer.ReadCompositionColor(), DefaultAccentColor);
}

TEST_F(CompositionColorTest, ReadsTheEngineColourWithoutAlphaAndSeedsTheFadeFields) {
    engine.engine.Color = 0xC4123456; // alpha C4, red 12, green 34, blue 56
    EXPECT_EQ(colorizer.ReadCompositionColor(), 0x00563412u);

    colorizer.SeedFromComposition();
    EXPECT_EQ(colorizer.OldAeroColor, 0x00563412u);
    EXPECT_EQ(colorizer.LastAeroColor, 0x00563412u);
    EXPECT_THAT(engine.calls, IsEmpty());
}

TEST_F(CompositionColorTest, ResetSysColorsRestoresTheAccentElementsThenTheOthersWithoutBroadcast) {
    colorizer.ResetSysColors();
    std::vector<std::string> expected = {"sys 1=0x00000000",  "sys 13=0x00FF9933", "sys 2=0x00D1B499",
                                         "sys 27=0x00EAD1B9", "sys 26=0x00CC6600", "sys 29=0x00FF9933"};
    expected.insert(expected.end(), OtherSysColorCalls.begin(), OtherSysColorCalls.end());
    EXPECT_THAT(engine.calls, ElementsAreArray(expected));
}

} // namespace
} // namespace hg
