#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class ClockTest : public GameFixture {};

TEST_F(ClockTest, BarSpeedFollowsTheElapsedTimeWithHalvesToEven) {
    frm->mnuNewGame1.onClick();
    // Halves to even in each piece: 10.5, 11.5, 100.5, 101.5, 130.5, 131.5.
    for (auto [t, speed] : {std::pair{1, 10},
                            {3, 12},
                            {60, 40},
                            {182, 100},
                            {186, 102},
                            {303, 130},
                            {309, 132},
                            {5000, 140}}) {
        frm->elapsedSeconds = t - 1;
        frm->tmrScoreLevel_Timer();
        EXPECT_EQ(frm->baseSpeed, speed) << "t=" << t;
    }
}

TEST_F(ClockTest, EachSecondOfTicksCountsTheScoresOfThePlayersInAndSpeedsTheSteering) {
    frm->mnuNewGame2.onClick();
    frm->tmrTumbrix.setEnabled(false);  // nothing can end the game
    runTicks(63);
    EXPECT_EQ(frm->elapsedSeconds, 0);
    runTicks(1 + 9 * 64);
    frm->player2Alive = false;  // player 2 is out: the score stands
    runSeconds(5);
    EXPECT_EQ(std::tuple(frm->score1, frm->score2, frm->lblScore.caption, frm->lblScore1.caption,
                         frm->lblScore2.caption, frm->leftStep1, frm->rightStep2),
              std::tuple(15, 10, "15", "Player 1: 15", "Player 2: 10", 75, 75));
    // The steps reach 180 together and stay there.
    for (int second = 0; second < 106; ++second) {
        frm->tmrScoreLevel_Timer();
    }
    EXPECT_EQ(std::tuple(frm->leftStep1, frm->rightStep1, frm->leftStep2, frm->rightStep2),
              std::tuple(180, 180, 180, 180));
}

TEST_F(ClockTest, TheWraparoundNoticeShowsFrom90To94AndTheScoreStopsAt32767) {
    frm->mnuNewGame1.onClick();
    frm->elapsedSeconds = 88;
    std::vector<bool> shown;
    for (int second = 89; second <= 95; ++second) {
        frm->tmrScoreLevel_Timer();
        shown.push_back(frm->lblWrapAround.visible);
    }
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true, true, true, true, false}));
    // A game longer than 32767 seconds keeps the highest score it can hold.
    frm->elapsedSeconds = 32767;
    frm->tmrScoreLevel_Timer();
    EXPECT_EQ(std::tuple(frm->score1, frm->lblScore.caption), std::tuple(32767, "32768"));
}

}  // namespace
