#include "colorize/Colorizer.h"
#include "fakes/colorize/FakeComposition.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace hg {
namespace {

using fakes::FakeComposition;
using fakes::FakeFadeTimer;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FadeTest : public ::testing::Test {
protected:
    FadeTest() { options.FadeColor = true; }

    // One TimerAnime tick, as the platform would deliver it: only while enabled.
    void Tick() {
        ASSERT_TRUE(timer.enabled) << "a tick arrived while TimerAnime was off";
        colorizer.TimerAnimeTimer();
    }
    // Ticks until the fade stops; fails if it does not within the limit.
    void RunFadeOut(int limit = 20) {
        for (int i = 0; i < limit && timer.enabled; ++i)
            Tick();
        ASSERT_FALSE(timer.enabled) << "the fade did not end";
    }

    FakeComposition engine;
    FakeFadeTimer timer;
    ColorizeOptions options;
    Colorizer colorizer{engine, timer, [this] { return options; }};
};

TEST_F(FadeTest, BlackToRedWritesStepsTwoToNineThenTheTargetAgain) {
    colorizer.LastAeroColor = 0x00000000;
    colorizer.SetColorFromWallBg(0x000000FF);
    EXPECT_THAT(engine.WrittenReds(), ElementsAre(57)) << "step 2 is written at once";
    EXPECT_TRUE(timer.enabled);

    RunFadeOut();
    EXPECT_THAT(engine.WrittenReds(), ElementsAre(57, 85, 113, 142, 170, 198, 227, 255, 255));
    for (const auto& p : engine.written)
        EXPECT_EQ(p.Color & 0x0000FFFF, 0u) << "green and blue stay 0";
    EXPECT_EQ(colorizer.LastAeroColor, 0x000000FFu);
    EXPECT_EQ(colorizer.OldAeroColor, 0x000000FFu);
    EXPECT_EQ(colorizer.CurrentStep, 10);
    EXPECT_EQ(timer.enables, 1);
}

TEST_F(FadeTest, RisingFadeNeverPassesItsTarget) {
    colorizer.LastAeroColor = 200;
    colorizer.SetColorFromWallBg(250);
    RunFadeOut();
    EXPECT_THAT(engine.WrittenReds(), ElementsAre(211, 217, 222, 228, 233, 239, 244, 250, 250));
}

TEST_F(FadeTest, EveryStepIsAStoringWriteWithTheCurrentIntensity) {
    options.Intensity = 33;
    options.ColorizeSysColors = true;
    colorizer.LastAeroColor = 0;
    colorizer.SetColorFromWallBg(0x000000FF);
    Tick();
    EXPECT_EQ(engine.written.back().ColorBalance, 33u);
    EXPECT_EQ(engine.sysColors[13], 0x00000055u) << "step 3 reached the system colours";
    EXPECT_EQ(colorizer.LastAeroColor, 0x00000055u) << "LastAeroColor follows every step";
}

TEST_F(FadeTest, NewTargetMidFadeRestartsFromTheColourOnScreenWithoutRestartingTheTimer) {
    colorizer.LastAeroColor = 0;
    colorizer.SetColorFromWallBg(0x000000FF); // step 2
    Tick();                                   // 3
    Tick();                                   // 4
    Tick();                                   // 5: red 142
    ASSERT_EQ(colorizer.LastAeroColor, 142u);

    colorizer.SetColorFromWallBg(0x00FF0000); // to pure blue
    EXPECT_EQ(colorizer.OldAeroColor, 142u);
    EXPECT_EQ(colorizer.CurrentStep, 2);
    // The new step 2 at once: 2/9 from (142, 0, 0) towards (0, 0, 255).
    EXPECT_EQ(engine.written.back().Color, 0x006E0039u);
    EXPECT_EQ(timer.enables, 1) << "the running timer keeps its rhythm";

    RunFadeOut();
    EXPECT_EQ(engine.written.size(), 4u + 8u + 1u); // old steps 2-5, new steps 2-9, the target again
    EXPECT_EQ(engine.written.back().Color, 0x000000FFu);
    EXPECT_EQ(colorizer.LastAeroColor, 0x00FF0000u);
}

TEST_F(FadeTest, FadeToTheColourShownWritesItNineTimes) {
    colorizer.LastAeroColor = 0x00336699;
    colorizer.SetColorFromWallBg(0x00336699);
    RunFadeOut();
    ASSERT_EQ(engine.written.size(), 9u);
    std::vector<std::uint32_t> colors;
    for (const auto& p : engine.written)
        colors.push_back(p.Color);
    EXPECT_THAT(colors, Each(0x00996633u));
}

TEST_F(FadeTest, WithFadeColorOffTheColourIsAppliedOnceAndTheFadeFieldsStay) {
    options.FadeColor = false;
    colorizer.OldAeroColor = 1;
    colorizer.NewAeroColor = 2;
    colorizer.CurrentStep = 7;
    colorizer.SetColorFromWallBg(0x000000FF);
    EXPECT_THAT(engine.WrittenReds(), ElementsAre(255));
    EXPECT_EQ(colorizer.OldAeroColor, 1u);
    EXPECT_EQ(colorizer.NewAeroColor, 2u);
    EXPECT_EQ(colorizer.CurrentStep, 7);
    EXPECT_FALSE(timer.enabled);
}

TEST_F(FadeTest, StopFadeLeavesTheColourWhereTheFadeGotTo) {
    colorizer.LastAeroColor = 0;
    colorizer.SetColorFromWallBg(0x000000FF);
    Tick();
    colorizer.StopFade();
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(colorizer.LastAeroColor, 85u);
    EXPECT_EQ(engine.written.size(), 2u);
}

TEST_F(FadeTest, StepsResolveASystemColourCodeTarget) {
    engine.sysColors[16] = 0x00000090;
    colorizer.LastAeroColor = 0;
    colorizer.SetColorFromWallBg(0xFF000010);
    Tick();
    EXPECT_THAT(engine.WrittenReds(), ElementsAre(32, 48)) << "2/9 and 3/9 of 0x90";
}

TEST_F(FadeTest, WhileCompositionIsOffTheFadeRunsOutWithoutWriting) {
    engine.compositionEnabled = false;
    colorizer.LastAeroColor = 0;
    colorizer.SetColorFromWallBg(0x000000FF);
    RunFadeOut();
    EXPECT_THAT(engine.written, IsEmpty());
    EXPECT_EQ(colorizer.LastAeroColor, 0u);
}

} // namespace
} // namespace hg
