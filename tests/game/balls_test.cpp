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
        // places them; lying there touches no bar, so both are airborne.
        frm->shpDot1.top = frm->shpDot2.top = 11145;
        frm->shpDot1.left = frm->shpDot2.left = 0;
        gameTicks();
        runtime.log.clear();
    }
    // Puts the ball just above bar 2's left half: its next fall lands on it.
    void aboveBar2(platform::Shape& ball) { place(ball, 1000, frm->shpLine3.top - 615 - 100); }
    std::size_t bounceSounds() { return logged("BallBounce.wav PlayWave"); }
};

TEST_F(BallsTest, FallStopsAtTheBottomAndALandingBallRidesUpWithItsHalf) {
    frm->shpDot1.top = 11100;
    gameTicks(2);
    EXPECT_EQ(std::tuple(frm->shpDot1.top, frm->ball1Airborne), std::tuple(11145, true));

    aboveBar2(frm->shpDot1);
    gameTicks();
    EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top - 615);
    frm->baseSpeed = 20;
    float before = frm->shpDot1.top;
    gameTicks();
    EXPECT_EQ(std::tuple(frm->shpDot1.top, frm->shpLine3.top - 615),
              std::tuple(before - 20, before - 20));
}

TEST_F(BallsTest, ABallIsHeldOnlyByARealOverlapWithAHalf) {
    // Left side exactly on the left half's right end, or right side exactly
    // on the right half's left: not held, it falls. One twip further: held.
    for (auto [left, held] : {std::pair{frm->shpLine3.left + frm->shpLine3.width, false},
                              {frm->shpLine4.left - 615, false},
                              {frm->shpLine4.left - 614, true}}) {
        aboveBar2(frm->shpDot1);
        frm->shpDot1.left = left;
        float before = frm->shpDot1.top;
        gameTicks();
        EXPECT_EQ(frm->shpDot1.top, held ? frm->shpLine4.top - 615 : before + 135) << left;
    }
    // Vertically the half's top edge must lie strictly inside the ball: a
    // fall that ends with the ball's Top on the half's Top is not held, one
    // that ends a twip higher is.
    for (auto [above, held] : {std::pair{136.0f, true}, {135.0f, false}}) {
        place(frm->shpDot1, 1000, frm->shpLine3.top - above);
        gameTicks();
        EXPECT_EQ(frm->shpDot1.top, held ? frm->shpLine3.top - 615 : frm->shpLine3.top) << above;
    }
}

TEST_F(BallsTest, HiddenBallsAndGhostBallsPassThroughBars) {
    frm->ball1Airborne = false;
    frm->ball1LastHalf = 5;
    frm->ghostEndTime = 30;
    aboveBar2(frm->shpDot1);
    gameTicks(200);
    EXPECT_EQ(std::tuple(frm->shpDot1.top, frm->ball1Airborne, frm->ball1LastHalf, bounceSounds()),
              std::tuple(11145, false, 5, 0u));

    frm->ghostEndTime = 0;
    frm->shpDot2.visible = false;
    aboveBar2(frm->shpDot2);
    gameTicks(2);
    EXPECT_GT(frm->shpDot2.top, frm->shpLine3.top - 615);
}

TEST_F(BallsTest, BounceSoundsOnANewBarButNotBackOnTheSameOne) {
    aboveBar2(frm->shpDot1);
    gameTicks(2);
    EXPECT_EQ(std::tuple(frm->ball1LastHalf, frm->ball1Airborne), std::tuple(3, false));
    EXPECT_EQ(runtime.logEntries("BallBounce.wav"),
              (Strings{"BallBounce.wav SeekWave 0", "BallBounce.wav WaveMode",
                       "BallBounce.wav PlayWave"}));

    // Off the half, into the gap, and back onto the other half of the same bar.
    frm->shpDot1.top -= 400;
    gameTicks();
    EXPECT_TRUE(frm->ball1Airborne);
    frm->shpDot1.left = frm->shpLine4.left + 100;
    gameTicks(2);
    EXPECT_EQ(std::tuple(frm->shpDot1.top, bounceSounds()),
              std::tuple(frm->shpLine4.top - 615, 1u));

    // A bounce while the sound still plays rewinds it without a second play.
    runtime.wavePlayer("BallBounce.wav").forceMode(526);
    frm->shpDot1.top = frm->shpLine5.top - 700;
    gameTicks();
    EXPECT_EQ(std::tuple(frm->ball1LastHalf, logged("BallBounce.wav SeekWave"), bounceSounds()),
              std::tuple(6, 2u, 1u));
}

TEST_F(BallsTest, WithEffectsOffTheLastHalfStillMovesButTheBallStaysAirborne) {
    frm->mnuSound.checked = false;
    aboveBar2(frm->shpDot1);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->ball1LastHalf, frm->ball1Airborne, logged("BallBounce.wav")),
              std::tuple(3, true, 0u));
    // Ball 2 clears its own flag whatever the switch says.
    aboveBar2(frm->shpDot2);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->ball2LastHalf, frm->ball2Airborne), std::tuple(3, false));
}

TEST_F(BallsTest, ABounceOfBallTwoSilencesBallOnesNextLanding) {
    aboveBar2(frm->shpDot1);
    frm->shpDot1.top -= 200;
    gameTicks();
    ASSERT_TRUE(frm->ball1Airborne);
    frm->ball1LastHalf = 1;
    place(frm->shpDot2, 1000, frm->shpLine5.top - 700);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->ball2LastHalf, bounceSounds()), std::tuple(5, 1u));
    // Ball 1 lands on bar 2 in the next tick: no sound, last half unchanged.
    gameTicks();
    EXPECT_EQ(std::tuple(frm->shpDot1.top, bounceSounds(), frm->ball1LastHalf),
              std::tuple(frm->shpLine3.top - 615, 1u, 1));
}

TEST_F(BallsTest, InAOnePlayerGameBallTwoIsLeftAlone) {
    frm->mnuNewGame1.onClick();
    frm->ball2Airborne = false;
    frm->ball2LastHalf = 4;
    frm->shpDot2.top = frm->shpDot2.left = 500;
    gameTicks(20);
    EXPECT_EQ(std::tuple(frm->shpDot2.top, frm->ball2Airborne, frm->ball2LastHalf),
              std::tuple(500, false, 4));
}

}  // namespace
