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

TEST_F(SteeringTest, OnlyUnmodifiedDirectionKeysStartARollThatOutlastsTheKey) {
    // Modified and unused keys do nothing.
    keyDown(keys::kLeft, keys::kShiftMask);
    keyDown(keys::kA, keys::kCtrlMask);
    keyDown(keys::kEscape, keys::kAltMask);
    for (std::int16_t key : {keys::kW, keys::kS, keys::kUp, keys::kDown, keys::kSpace}) {
        keyDown(key);
    }
    for (platform::Timer* timer :
         {&frm->tmrMoveLeft1, &frm->tmrMoveRight1, &frm->tmrMoveLeft2, &frm->tmrMoveRight2}) {
        EXPECT_FALSE(timer->enabled()) << timer->name();
    }
    EXPECT_TRUE(!frm->gamePaused && frm->escReleased);

    keyDown(keys::kLeft);
    keyUp(keys::kLeft);
    EXPECT_TRUE(frm->tmrMoveLeft1.enabled());
    frm->shpDot1.left = 200;
    for (float left : {140.0f, 80.0f, 20.0f, 0.0f}) {
        frm->tmrMoveLeft1_Timer();
        EXPECT_EQ(frm->shpDot1.left, left);
    }
    // The opposite key reverses; auto-repeat changes nothing.
    keyDown(keys::kRight);
    keyDown(keys::kRight);
    EXPECT_TRUE(!frm->tmrMoveLeft1.enabled() && frm->tmrMoveRight1.enabled());
    // Player 2 has A and D.
    keyDown(keys::kA);
    EXPECT_TRUE(frm->tmrMoveLeft2.enabled());
    keyDown(keys::kD);
    EXPECT_TRUE(!frm->tmrMoveLeft2.enabled() && frm->tmrMoveRight2.enabled());
}

TEST_F(SteeringTest, EscapePausesOncePerPressAndEnterOnlyResumes) {
    keyDown(keys::kReturn);
    EXPECT_FALSE(frm->gamePaused);
    keyDown(keys::kEscape);
    EXPECT_TRUE(frm->gamePaused);
    // Held: the auto-repeat does not resume, nor do direction keys act.
    keyDown(keys::kEscape);
    keyDown(keys::kLeft);
    EXPECT_TRUE(frm->gamePaused && !frm->tmrMoveLeft1.enabled());
    keyUp(keys::kEscape);
    keyDown(keys::kEscape);
    EXPECT_FALSE(frm->gamePaused);
    // ENTER resumes whatever the latch holds.
    keyUp(keys::kEscape);
    keyDown(keys::kEscape);
    ASSERT_TRUE(frm->gamePaused);
    keyDown(keys::kReturn);
    EXPECT_FALSE(frm->gamePaused || frm->escReleased);
    // A key-up of ESC with a modifier still releases the latch.
    keyUp(keys::kEscape, keys::kShiftMask);
    EXPECT_TRUE(frm->escReleased);

    // With no game, ESC only holds the latch and direction keys do nothing.
    frm->Form_Load();
    keyDown(keys::kEscape);
    keyDown(keys::kLeft);
    EXPECT_FALSE(frm->gamePaused || frm->escReleased || frm->tmrMoveLeft1.enabled());
}

TEST_F(SteeringTest, SidesHoldTheBallBefore90SecondsAndWrapItFrom90) {
    using Frm = game::FrmTumbrix;
    auto roll = [&](platform::Shape& ball, void (Frm::*handler)(), float from) {
        ball.left = from;
        (frm.get()->*handler)();
        return ball.left;
    };
    frm->elapsedSeconds = 89;
    EXPECT_EQ(roll(frm->shpDot1, &Frm::tmrMoveLeft1_Timer, 30), 0);
    EXPECT_EQ(roll(frm->shpDot1, &Frm::tmrMoveRight1_Timer, 12045), 12045);
    frm->elapsedSeconds = 90;
    EXPECT_EQ(roll(frm->shpDot1, &Frm::tmrMoveLeft1_Timer, 30), 12045);
    EXPECT_EQ(roll(frm->shpDot2, &Frm::tmrMoveRight2_Timer, 12000), 0);
    // A ball that reaches a limit exactly is never corrected, wrapped or not.
    EXPECT_EQ(roll(frm->shpDot2, &Frm::tmrMoveLeft2_Timer, 60), 0);
    EXPECT_EQ(roll(frm->shpDot1, &Frm::tmrMoveRight1_Timer, 12045 - 60), 12045);
}

TEST_F(SteeringTest, InnerEndsOfHalvesStopABallInAStrictZoneAtBarLevel) {
    platform::Shape& ball = frm->shpDot1;
    const platform::Shape& right = frm->shpLine4;
    const float leftEnd = frm->shpLine3.left + frm->shpLine3.width;
    // Rolling right at bar level into the right half: pushed back to its end.
    place(ball, right.left - 615 - 50, right.top + 100);
    frm->rightStep1 = 180;
    frm->tmrMoveRight1_Timer();
    EXPECT_EQ(ball.left, right.left - 615);
    // Rolling left into the left half's inner end.
    ball.left = leftEnd + 10;
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(ball.left, leftEnd);

    // The zone is 282.375 deep: a right side past it, or exactly on its
    // far edge, is not pushed back.
    frm->rightStep1 = 10;
    for (float past : {1.0f, 0.0f}) {
        place(ball, right.left + 282.375f - 615 - 10 + past, right.top);
        frm->tmrMoveRight1_Timer();
        EXPECT_EQ(ball.left, right.left + 282.375f - 615 + past) << past;
    }
    ball.left = right.left + 282.375f - 615 - 10 - 1;
    frm->tmrMoveRight1_Timer();
    EXPECT_EQ(ball.left, right.left - 615);
    // Top edge exactly one bar height above or below the bar's top: free.
    for (float offset : {-215.0f, 215.0f}) {
        place(ball, right.left - 615 - 5, right.top + offset);
        frm->tmrMoveRight1_Timer();
        EXPECT_EQ(ball.left, right.left - 615 + 5) << offset;
    }
    // A ball resting on top of the bar rolls over the inner end into the gap.
    place(ball, right.left + 10, right.top - 615);
    frm->leftStep1 = 60;
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(ball.left, right.left - 50);

    // The left half's zone starts 39/40 of its width from its Left: a left
    // side just inside it is pushed to the inner end; one exactly on the
    // zone's edge or past it is not.
    const float leftZone = leftEnd - 282.375f;
    frm->leftStep1 = 10;
    place(ball, leftZone + 1 + 10, right.top + 100);
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(ball.left, leftEnd);
    for (float past : {0.0f, 1.0f}) {
        ball.left = leftZone - past + 10;
        frm->tmrMoveLeft1_Timer();
        EXPECT_EQ(ball.left, leftZone - past) << past;
    }

    // The Ghost lets it roll into the half, either way.
    frm->ghostEndTime = 5;
    frm->rightStep1 = 180;
    place(ball, right.left - 615 - 50, right.top + 100);
    frm->tmrMoveRight1_Timer();
    EXPECT_EQ(ball.left, right.left - 615 + 130);
    ball.left = leftEnd + 5;
    frm->tmrMoveLeft1_Timer();
    EXPECT_EQ(ball.left, leftEnd - 5);
}

}  // namespace
