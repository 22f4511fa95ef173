#include <gtest/gtest.h>

#include "game/game_fixture.h"
#include "platform/key_codes.h"

namespace {

namespace keys = platform::keys;

class SteeringTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        frm->mnuNewGame2.onClick();
    }
};

TEST_F(SteeringTest, DirectionKeysStartARollThatOutlastsTheKey) {
    keyDown(keys::kLeft);
    keyUp(keys::kLeft);
    EXPECT_TRUE(frm->tmrMoveLeft1.enabled());
    frm->shpDot1.left = 200;
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(frm->shpDot1.left, 140);
    frm->tmrMoveLeft1_Timer();
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(frm->shpDot1.left, 20);
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(frm->shpDot1.left, 0);
    // The opposite key reverses; auto-repeat changes nothing.
    keyDown(keys::kRight);
    keyDown(keys::kRight);
    EXPECT_FALSE(frm->tmrMoveLeft1.enabled());
    EXPECT_TRUE(frm->tmrMoveRight1.enabled());
    // Player 2 has A and D.
    keyDown(keys::kA);
    EXPECT_TRUE(frm->tmrMoveLeft2.enabled());
    keyDown(keys::kD);
    EXPECT_FALSE(frm->tmrMoveLeft2.enabled());
    EXPECT_TRUE(frm->tmrMoveRight2.enabled());
}

TEST_F(SteeringTest, ModifiedAndUnusedKeysDoNothing) {
    keyDown(keys::kLeft, keys::kShiftMask);
    keyDown(keys::kA, keys::kCtrlMask);
    keyDown(keys::kEscape, keys::kAltMask);
    for (std::int16_t key : {keys::kW, keys::kS, keys::kUp, keys::kDown, keys::kSpace}) {
        keyDown(key);
    }
    for (platform::Timer* timer :
         {&frm->tmrMoveLeft1, &frm->tmrMoveRight1, &frm->tmrMoveLeft2, &frm->tmrMoveRight2}) {
        EXPECT_FALSE(timer->enabled());
    }
    EXPECT_FALSE(frm->gamePaused);
    EXPECT_TRUE(frm->escReleased);
}

TEST_F(SteeringTest, EscapePausesOncePerPressAndEnterOnlyResumes) {
    keyDown(keys::kReturn);
    EXPECT_FALSE(frm->gamePaused);
    keyDown(keys::kEscape);
    EXPECT_TRUE(frm->gamePaused);
    // Held: the auto-repeat does not resume, nor do direction keys act.
    keyDown(keys::kEscape);
    keyDown(keys::kLeft);
    EXPECT_TRUE(frm->gamePaused);
    EXPECT_FALSE(frm->tmrMoveLeft1.enabled());
    keyUp(keys::kEscape);
    keyDown(keys::kEscape);
    EXPECT_FALSE(frm->gamePaused);
    // ENTER resumes whatever the latch holds.
    keyUp(keys::kEscape);
    keyDown(keys::kEscape);
    ASSERT_TRUE(frm->gamePaused);
    keyDown(keys::kReturn);
    EXPECT_FALSE(frm->gamePaused);
    EXPECT_FALSE(frm->escReleased);
    // A key-up of ESC with a modifier still releases the latch.
    keyUp(keys::kEscape, keys::kShiftMask);
    EXPECT_TRUE(frm->escReleased);
}

TEST_F(SteeringTest, EscapeWithNoGameOnlyHoldsTheLatch) {
    frm->Form_Load();
    keyDown(keys::kEscape);
    EXPECT_FALSE(frm->gamePaused);
    EXPECT_FALSE(frm->escReleased);
    keyDown(keys::kLeft);
    EXPECT_FALSE(frm->tmrMoveLeft1.enabled());
}

TEST_F(SteeringTest, SidesHoldTheBallBefore90SecondsAndWrapItFrom90) {
    frm->elapsedSeconds = 89;
    frm->shpDot1.left = 30;
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(frm->shpDot1.left, 0);
    frm->shpDot1.left = 12045;
    frm->tmrMoveRight1_Timer();
    EXPECT_EQ(frm->shpDot1.left, 12045);

    frm->elapsedSeconds = 90;
    frm->shpDot1.left = 30;
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(frm->shpDot1.left, 12045);
    frm->shpDot2.left = 12000;
    frm->tmrMoveRight2_Timer();
    EXPECT_EQ(frm->shpDot2.left, 0);
    // A ball exactly on a limit is never corrected.
    frm->shpDot2.left = 60;
    frm->tmrMoveLeft2_Timer();
    EXPECT_EQ(frm->shpDot2.left, 0);
}

TEST_F(SteeringTest, InnerEndsOfHalvesStopABallAtBarLevel) {
    // Ball 1 rolling right, top edge 100 below bar 2's top, right side
    // entering the first 282.375 twips of the right half.
    platform::Shape& ball = frm->shpDot1;
    ball.top = frm->shpLine4.top + 100;
    ball.left = frm->shpLine4.left - 615 - 50;
    frm->rightStep1 = 180;
    frm->tmrMoveRight1_Timer();
    EXPECT_EQ(ball.left, frm->shpLine4.left - 615);

    // Rolling left into a left half's inner end.
    ball.left = frm->shpLine3.left + frm->shpLine3.width + 10;
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(ball.left, frm->shpLine3.left + frm->shpLine3.width);

    // The Ghost lets it roll into the half.
    frm->ghostEndTime = 5;
    ball.left = frm->shpLine4.left - 615 - 50;
    frm->tmrMoveRight1_Timer();
    EXPECT_EQ(ball.left, frm->shpLine4.left - 615 + 130);
}

TEST_F(SteeringTest, TheStopZoneAndLevelBandAreStrict) {
    platform::Shape& ball = frm->shpDot1;
    const platform::Shape& half = frm->shpLine4;
    frm->rightStep1 = 10;
    // The zone is 282.375 deep: a right side past it is not pushed back.
    ball.top = half.top;
    ball.left = half.left + 282.375f - 615 - 10 + 1;
    frm->tmrMoveRight1_Timer();
    EXPECT_EQ(ball.left, half.left + 282.375f - 615 + 1);
    ball.left = half.left + 282.375f - 615 - 10 - 1;
    frm->tmrMoveRight1_Timer();
    EXPECT_EQ(ball.left, half.left - 615);
    // Top edge exactly one bar height above or below the bar's top: free.
    for (float offset : {-215.0f, 215.0f}) {
        ball.top = half.top + offset;
        ball.left = half.left - 615 - 5;
        frm->tmrMoveRight1_Timer();
        EXPECT_EQ(ball.left, half.left - 615 + 5) << offset;
    }
    // A ball resting on top of the bar rolls over the inner end into the gap.
    ball.top = half.top - 615;
    ball.left = half.left + 10;
    frm->leftStep1 = 60;
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(ball.left, half.left - 50);
}

}  // namespace
