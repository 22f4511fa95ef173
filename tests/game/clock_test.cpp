#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class ClockTest : public GameFixture {};

TEST_F(ClockTest, BarSpeedFollowsTheElapsedTimeWithHalvesToEven) {
    frm->mnuNewGame1.onClick();
    // Halves round to the even neighbour in every piece: 10.5, 99.5, 100.5,
    // 101.5, 130.5, 131.5.
    const std::map<int, int> expected = {{1, 10},    {3, 12},    {5, 12},    {60, 40},   {120, 70},
                                         {179, 100}, {180, 100}, {181, 100}, {182, 100}, {186, 102},
                                         {299, 130}, {300, 130}, {303, 130}, {309, 132}, {360, 140},
                                         {361, 140}, {5000, 140}};
    for (auto [t, speed] : expected) {
        frm->elapsedSeconds = t - 1;
        frm->tmrScoreLevel_Timer();
        EXPECT_EQ(frm->baseSpeed, speed) << "t=" << t;
    }
}

TEST_F(ClockTest, ScoresCaptionsAndSteeringStepsCountEachSecondOfPlatformTicks) {
    frm->mnuNewGame2.onClick();
    // Only the clock runs here, so nothing can end the game.
    frm->tmrTumbrix.setEnabled(false);
    runTicks(63);
    EXPECT_EQ(frm->elapsedSeconds, 0);
    runTicks(1);
    EXPECT_EQ(std::tuple(frm->elapsedSeconds, frm->leftStep1, frm->rightStep2),
              std::tuple(1, 61, 61));
    runSeconds(9);
    EXPECT_EQ(std::tuple(frm->score1, frm->lblScore.caption, frm->lblScore2.caption),
              std::tuple(10, "10", "Player 2: 10"));
    // An out player's score stands still; the clock goes on.
    frm->player2Alive = false;
    runSeconds(5);
    EXPECT_EQ(std::tuple(frm->score1, frm->score2, frm->lblScore.caption),
              std::tuple(15, 10, "15"));
    // The steps reach 180 together after two minutes and stay there.
    frm->player2Alive = true;
    frm->elapsedSeconds = 0;
    frm->leftStep1 = frm->rightStep1 = frm->leftStep2 = frm->rightStep2 = 60;
    for (int second = 0; second < 130; ++second) {
        frm->tmrScoreLevel_Timer();
    }
    EXPECT_EQ(frm->leftStep1 + frm->rightStep1 + frm->leftStep2 + frm->rightStep2, 4 * 180);
}

TEST_F(ClockTest, TheWraparoundNoticeShowsFrom90To94AndTheScoreStopsAt32767) {
    frm->mnuNewGame1.onClick();
    frm->elapsedSeconds = 88;
    std::vector<bool> shown;
    for (int second = 89; second <= 96; ++second) {
        frm->tmrScoreLevel_Timer();
        shown.push_back(frm->lblWrapAround.visible);
    }
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true, true, true, true, false, false}));

    // A very long game keeps the highest score it can hold.
    frm->elapsedSeconds = 32766;
    frm->tmrScoreLevel_Timer();
    EXPECT_EQ(frm->score1, 32767);
    frm->tmrScoreLevel_Timer();
    EXPECT_EQ(std::tuple(frm->score1, frm->lblScore.caption), std::tuple(32767, "32768"));
}

}  // namespace
