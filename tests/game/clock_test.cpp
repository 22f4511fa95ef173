#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class ClockTest : public GameFixture {};

TEST_F(ClockTest, BarSpeedFollowsTheElapsedTimeWithHalvesToEven) {
    frm->mnuNewGame1.onClick();
    const std::map<int, int> expected = {{1, 10},    {3, 12},    {5, 12},    {60, 40},   {120, 70},
                                         {179, 100}, {180, 100}, {181, 100}, {299, 130}, {300, 130},
                                         {360, 140}, {361, 140}, {5000, 140}};
    for (auto [t, speed] : expected) {
        frm->elapsedSeconds = t - 1;
        frm->tmrScoreLevel_Timer();
        EXPECT_EQ(frm->baseSpeed, speed) << "t=" << t;
    }
}

TEST_F(ClockTest, ScoresCaptionsAndSteeringStepsCountEachSecond) {
    frm->mnuNewGame2.onClick();
    // Only the clock runs here, so nothing can end the game.
    frm->tmrTumbrix.setEnabled(false);
    runSeconds(1);
    EXPECT_EQ(frm->leftStep1, 61);
    EXPECT_EQ(frm->rightStep2, 61);
    runSeconds(9);
    EXPECT_EQ(frm->lblScore.caption, "10");
    EXPECT_EQ(frm->score1, 10);
    EXPECT_EQ(frm->lblScore2.caption, "Player 2: 10");
    // An out player's score stands still; the clock goes on.
    frm->player2Alive = false;
    runSeconds(5);
    EXPECT_EQ(frm->score2, 10);
    EXPECT_EQ(frm->score1, 15);
    EXPECT_EQ(frm->lblScore.caption, "15");
    // The steps reach 180 together after two minutes and stay there.
    frm->player2Alive = true;
    frm->elapsedSeconds = 0;
    frm->leftStep1 = frm->rightStep1 = frm->leftStep2 = frm->rightStep2 = 60;
    for (int second = 0; second < 130; ++second) {
        frm->tmrScoreLevel_Timer();
    }
    EXPECT_EQ(frm->leftStep1 + frm->rightStep1 + frm->leftStep2 + frm->rightStep2, 4 * 180);
}

TEST_F(ClockTest, TheWraparoundNoticeShowsFrom90To94) {
    frm->mnuNewGame1.onClick();
    frm->elapsedSeconds = 88;
    std::vector<bool> shown;
    for (int second = 89; second <= 96; ++second) {
        frm->tmrScoreLevel_Timer();
        shown.push_back(frm->lblWrapAround.visible);
    }
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true, true, true, true, false, false}));
}

TEST_F(ClockTest, AVeryLongGameKeepsTheHighestScoreItCanHold) {
    frm->mnuNewGame1.onClick();
    frm->elapsedSeconds = 32766;
    frm->tmrScoreLevel_Timer();
    EXPECT_EQ(frm->score1, 32767);
    frm->tmrScoreLevel_Timer();
    EXPECT_EQ(frm->score1, 32767);
    EXPECT_EQ(frm->lblScore.caption, "32768");
}

TEST_F(ClockTest, TheClockTicksOnceASecondOfPlatformTicks) {
    frm->mnuNewGame1.onClick();
    runTicks(63);
    EXPECT_EQ(frm->elapsedSeconds, 0);
    runTicks(1);
    EXPECT_EQ(frm->elapsedSeconds, 1);
}

}  // namespace
