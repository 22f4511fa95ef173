#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class BallsTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        frm->mnuNewGame2.onClick();
        frm->baseSpeed = 0;
        // Both balls lie at the bottom, clear of every bar, until a test
        // places them.
        frm->shpDot1.top = frm->shpDot2.top = 11145;
        frm->shpDot1.left = frm->shpDot2.left = 0;
        // Lying at the bottom touches no bar: both are airborne.
        frm->tmrTumbrix_Timer();
        runtime.log.clear();
    }
    // Puts the ball just above bar 2's left half so that the next fall
    // lands on it.
    void aboveBar2(platform::Shape& ball) {
        ball.left = 1000;
        ball.top = frm->shpLine3.top - 615 - 100;
    }
    std::size_t bounceSounds() { return runtime.logEntries("BallBounce.wav PlayWave").size(); }
};

TEST_F(BallsTest, FallStopsAtTheBottomOfThePlayfield) {
    frm->shpDot1.top = 11100;
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->shpDot1.top, 11145);
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->shpDot1.top, 11145);
    EXPECT_TRUE(frm->ball1Airborne);
}

TEST_F(BallsTest, ALandingBallRestsOnTheHalfAndRidesUpWithIt) {
    aboveBar2(frm->shpDot1);
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top - 615);
    frm->baseSpeed = 20;
    float before = frm->shpDot1.top;
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->shpDot1.top, before - 20);
    EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top - 615);
}

TEST_F(BallsTest, ABallIsHeldOnlyByARealOverlapWithAHalf) {
    // Left side exactly on the left half's right end: not held, falls.
    aboveBar2(frm->shpDot1);
    frm->shpDot1.left = frm->shpLine3.left + frm->shpLine3.width;
    float before = frm->shpDot1.top;
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->shpDot1.top, before + 135);
    // Right side exactly on the right half's Left: not held either.
    aboveBar2(frm->shpDot1);
    frm->shpDot1.left = frm->shpLine4.left - 615;
    before = frm->shpDot1.top;
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->shpDot1.top, before + 135);
    // One twip further right: held by the right half.
    aboveBar2(frm->shpDot1);
    frm->shpDot1.left = frm->shpLine4.left - 614;
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->shpDot1.top, frm->shpLine4.top - 615);
}

TEST_F(BallsTest, HiddenBallsAndGhostBallsPassThroughBars) {
    frm->ball1Airborne = false;
    frm->ball1LastHalf = 5;
    frm->ghostEndTime = 30;
    aboveBar2(frm->shpDot1);
    for (int tick = 0; tick < 200; ++tick) {
        frm->tmrTumbrix_Timer();
    }
    EXPECT_EQ(frm->shpDot1.top, 11145);
    EXPECT_FALSE(frm->ball1Airborne);
    EXPECT_EQ(frm->ball1LastHalf, 5);
    EXPECT_EQ(bounceSounds(), 0u);

    frm->ghostEndTime = 0;
    frm->shpDot2.visible = false;
    aboveBar2(frm->shpDot2);
    frm->tmrTumbrix_Timer();
    frm->tmrTumbrix_Timer();
    EXPECT_GT(frm->shpDot2.top, frm->shpLine3.top - 615);
}

TEST_F(BallsTest, BounceSoundsOnANewBarButNotBackOnTheSameOne) {
    aboveBar2(frm->shpDot1);
    frm->tmrTumbrix_Timer();
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(bounceSounds(), 1u);
    EXPECT_EQ(frm->ball1LastHalf, 3);
    EXPECT_FALSE(frm->ball1Airborne);
    EXPECT_EQ(runtime.logEntries("BallBounce.wav"),
              (std::vector<std::string>{"BallBounce.wav SeekWave 0", "BallBounce.wav WaveMode",
                                        "BallBounce.wav PlayWave"}));

    // Off the half, into the gap, and back onto the other half of the same bar.
    frm->shpDot1.top -= 400;
    frm->tmrTumbrix_Timer();
    EXPECT_TRUE(frm->ball1Airborne);
    frm->shpDot1.left = frm->shpLine4.left + 100;
    frm->tmrTumbrix_Timer();
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(bounceSounds(), 1u);
    EXPECT_EQ(frm->shpDot1.top, frm->shpLine4.top - 615);

    // A bounce while the sound still plays rewinds it without a second play.
    wave("BallBounce.wav").forceMode(526);
    frm->shpDot1.top = frm->shpLine5.top - 700;
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->ball1LastHalf, 6);
    EXPECT_EQ(runtime.logEntries("BallBounce.wav SeekWave").size(), 2u);
    EXPECT_EQ(bounceSounds(), 1u);
}

TEST_F(BallsTest, WithEffectsOffTheLastHalfStillMovesButTheBallStaysAirborne) {
    frm->mnuSound.checked = false;
    aboveBar2(frm->shpDot1);
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->ball1LastHalf, 3);
    EXPECT_TRUE(frm->ball1Airborne);
    EXPECT_EQ(runtime.logEntries("BallBounce.wav").size(), 0u);
    // Ball 2 clears its own flag whatever the switch says.
    aboveBar2(frm->shpDot2);
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->ball2LastHalf, 3);
    EXPECT_FALSE(frm->ball2Airborne);
}

TEST_F(BallsTest, ABounceOfBallTwoSilencesBallOnesNextLanding) {
    frm->shpDot1.top = frm->shpLine3.top - 615 - 300;
    frm->shpDot1.left = 1000;
    frm->tmrTumbrix_Timer();
    ASSERT_TRUE(frm->ball1Airborne);
    frm->ball1LastHalf = 1;
    frm->shpDot2.top = frm->shpLine5.top - 700;
    frm->shpDot2.left = 1000;
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(bounceSounds(), 1u);
    EXPECT_EQ(frm->ball2LastHalf, 5);
    // Ball 1 lands on bar 2 in the next tick: no sound, last half unchanged.
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top - 615);
    EXPECT_EQ(bounceSounds(), 1u);
    EXPECT_EQ(frm->ball1LastHalf, 1);
}

TEST_F(BallsTest, InAOnePlayerGameBallTwoIsLeftAlone) {
    frm->mnuNewGame1.onClick();
    frm->ball2Airborne = false;
    frm->ball2LastHalf = 4;
    frm->shpDot2.top = 500;
    frm->shpDot2.left = 1000;
    for (int tick = 0; tick < 20; ++tick) {
        frm->tmrTumbrix_Timer();
    }
    EXPECT_EQ(frm->shpDot2.top, 500);
    EXPECT_FALSE(frm->ball2Airborne);
    EXPECT_EQ(frm->ball2LastHalf, 4);
}

}  // namespace
