#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

using SteeringTest = TwoPlayerGame;

TEST_F(SteeringTest, EachDirectionKeyStartsItsRollAndStopsOnlyTheOppositeOne) {
    // Each key pressed (twice: auto-repeat) with no roll and with all four.
    for (auto [key, fromNone, fromAll] : {std::tuple{keys::kLeft, "L1", "L1 L2 R2"},
                                          {keys::kRight, "R1", "R1 L2 R2"},
                                          {keys::kA, "L2", "L1 R1 L2"},
                                          {keys::kD, "R2", "L1 R1 R2"}}) {
        for (bool all : {false, true}) {
            for (platform::Timer* timer : {&frm->tmrMoveLeft1, &frm->tmrMoveRight1,
                                           &frm->tmrMoveLeft2, &frm->tmrMoveRight2}) {
                timer->setEnabled(all);
            }
            keyDown(key);
            keyDown(key);
            EXPECT_EQ(rolls(), all ? fromAll : fromNone) << key;
        }
    }
}

TEST_F(SteeringTest, EscapeTogglesOncePerPressAndEnterOnlyResumes) {
    // Modified and unused keys do nothing.
    keyDown(keys::kLeft, keys::kShiftMask);
    keyDown(keys::kA, keys::kCtrlMask);
    keyDown(keys::kEscape, keys::kAltMask);
    for (std::int16_t key : {keys::kW, keys::kS, keys::kUp, keys::kDown, keys::kSpace}) {
        keyDown(key);
    }
    EXPECT_EQ(std::tuple(rolls(), frm->gamePaused), std::tuple("", false));
    // Paused rolling right: ESC's auto-repeat and direction keys do nothing.
    keyDown(keys::kRight);
    keyDown(keys::kEscape);
    keyDown(keys::kEscape);
    keyDown(keys::kLeft);
    EXPECT_EQ(std::tuple(frm->gamePaused, rolls()), std::tuple(true, ""));
    // ENTER resumes, whatever ESC's latch holds, with the remembered roll.
    keyDown(keys::kReturn);
    EXPECT_EQ(std::tuple(frm->gamePaused, rolls(), frm->escReleased),
              std::tuple(false, "R1", false));
    // Running, ENTER brings back nothing, not even the remembered roll.
    keyDown(keys::kLeft);
    runtime.log.clear();
    keyDown(keys::kReturn);
    EXPECT_EQ(std::tuple(rolls(), runtime.log), std::tuple("L1", Strings{}));
    // Any key-up of ESC releases the latch: the next press pauses.
    keyUp(keys::kEscape, keys::kShiftMask);
    keyDown(keys::kEscape);
    EXPECT_TRUE(frm->gamePaused);
    keyDown(keys::kReturn);
    // No game: ENTER and D start nothing, ESC only holds its latch.
    frm->Form_Load();
    keyDown(keys::kReturn);
    keyDown(keys::kD);
    keyDown(keys::kEscape);
    EXPECT_EQ(std::tuple(scene(), frm->escReleased), std::tuple("idle bars", false));
}

TEST_F(SteeringTest, SidesHoldTheBallBefore90SecondsAndWrapItFrom90) {
    using Frm = game::FrmTumbrix;
    // A ball that reaches a limit exactly is never corrected, wrapped or not.
    const std::tuple<int, platform::Shape*, void (Frm::*)(), float, float> cases[] = {
        {89, &frm->shpDot1, &Frm::tmrMoveLeft1_Timer, 30, 0},
        {89, &frm->shpDot2, &Frm::tmrMoveRight2_Timer, 12045, 12045},
        {90, &frm->shpDot1, &Frm::tmrMoveLeft1_Timer, 30, 12045},
        {90, &frm->shpDot2, &Frm::tmrMoveRight2_Timer, 12000, 0},
        {90, &frm->shpDot1, &Frm::tmrMoveRight1_Timer, 12045 - 60, 12045},
        {90, &frm->shpDot2, &Frm::tmrMoveLeft2_Timer, 60, 0},
    };
    for (auto [seconds, ball, roll, from, to] : cases) {
        frm->elapsedSeconds = seconds;
        ball->left = from;
        (frm.get()->*roll)();
        EXPECT_EQ(ball->left, to) << seconds << " " << from;
    }
}

TEST_F(SteeringTest, InnerEndsOfHalvesStopABallInAStrictZoneAtBarLevel) {
    // Bar 2: a zone 282.375 deep at each inner end, within a bar height of its
    // top, pushes the ball back; exactly on an edge is outside; not with the Ghost.
    const float right = frm->shpLine4.left - 615;  // ball against the right half
    const float leftEnd = frm->shpLine3.left + frm->shpLine3.width;
    const float zone = 282.375f, top = frm->shpLine4.top;
    // From, top, step (negative: rolling left), Ghost, to:
    const std::tuple<float, float, int, bool, float> cases[] = {
        {right + zone - 11, top, 10, false, right},
        {right + zone - 10, top, 10, false, right + zone},
        {right - 5, top - 215, 10, false, right + 5},
        {right - 5, top + 215, 10, false, right + 5},
        {right - 50, top + 100, 180, true, right + 130},
        {leftEnd - zone + 11, top, -10, false, leftEnd},
        {leftEnd - zone + 10, top, -10, false, leftEnd - zone},
        {leftEnd + 5, top, -10, true, leftEnd - 5},
    };
    for (auto [from, level, step, ghost, to] : cases) {
        frm->ghostEndTime = ghost ? 5 : 0;
        place(frm->shpDot1, from, level);
        frm->rightStep1 = static_cast<std::int16_t>(step);
        frm->leftStep1 = static_cast<std::int16_t>(-step);
        step > 0 ? frm->tmrMoveRight1_Timer() : frm->tmrMoveLeft1_Timer();
        EXPECT_EQ(frm->shpDot1.left, to) << from << " " << level << " " << step;
    }
}

}  // namespace
