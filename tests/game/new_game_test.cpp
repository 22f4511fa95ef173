#include <gtest/gtest.h>

#include <fstream>

#include "game/game_fixture.h"

namespace {

class NewGameTest : public GameFixture {
protected:
    void expectRunning(bool two) {
        EXPECT_EQ(scene(),
                  two ? "running bars ball1 ball2 tick clock" : "running bars ball1 tick clock");
        EXPECT_FALSE(frm->restartingSounds || frm->player1Crushed || frm->player2Crushed ||
                     frm->tieGame || frm->player1Out || frm->player2Out || frm->onePlayerOut);
        EXPECT_EQ(std::tuple(frm->twoPlayerGame, frm->player1Alive && frm->player2Alive,
                             frm->lblScore1.visible && frm->lblScore2.visible,
                             frm->lblScore1.caption, frm->lblScore2.caption,
                             frm->score1 + frm->score2, frm->shpDot1.left, frm->shpDot1.top,
                             two ? frm->shpDot2.left : 6630, two ? frm->shpDot2.top : 3000),
                  std::tuple(two, true, two, two ? "Player 1: 0" : "TESTER: 0", "Player 2: 0", 0,
                             two ? 5400 : 6015, 3000, 6630, 3000));
    }
};

TEST_F(NewGameTest, ANewGameStartsWholeAndRestartsTheSoundsWithTheGuardUp) {
    // The effects stop, the music rewinds and plays, guarded against its end
    // notice while pending events run; from idle, then during a game.
    const Strings restart = {"HighScore.wav StopWave",      "GameOver.wav StopWave",
                             "BonusCollected.wav StopWave", "MainMusic.wav SeekWave 0",
                             "MainMusic.wav PlayWave",      "doEvents"};
    int guarded = 0;
    runtime.onDoEvents = [&] { guarded += frm->restartingSounds && frm->gameInProgress; };
    for (auto [start, two] : {std::pair{&frm->cmdNewGame1.onClick, false},
                              {&frm->mnuNewGame2.onClick, true},
                              {&frm->mnuNewGame1.onClick, false}}) {
        runtime.log.clear();
        (*start)();
        expectRunning(two);
        EXPECT_EQ(runtime.log, restart);
    }
    EXPECT_EQ(guarded, 3);
    // Music switched off is rewound but not played.
    frm->mnuMusicOnOff.checked = false;
    runtime.log.clear();
    frm->mnuNewGame1.onClick();
    EXPECT_EQ(runtime.logEntries("MainMusic.wav"), Strings{"MainMusic.wav SeekWave 0"});
}

TEST_F(NewGameTest, ANewGameWhilePausedResumesFirstThenResetsThePlayfield) {
    frm->mnuNewGame1.onClick();
    keyDown(keys::kLeft);
    runTicks(100);
    frm->Pause();
    frm->mnuNewGame2.onClick();
    expectRunning(true);  // without the remembered roll
    EXPECT_EQ(frm->shpLine1.top, 2000);
}

TEST_F(NewGameTest, TwoPlayerGamesRankZeroFirstThenTheOnePlayerScoreSilently) {
    // As the first game, it ranks 0: only a negative own entry shows it.
    std::ofstream(runtime.folder() / "Tumbrix.txt") << "\"TESTER\"\r\n\"-5\"\r\n";
    const scores::FrmHighScores& table = frm->frmHighScores();
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(std::tuple(table.lblName[1].caption, table.lblHighScore[1].caption),
              std::tuple("TESTER", "0"));
    // After a 1-player game it ranks that score silently; after a 2-player one, none.
    frm->mnuNewGame1.onClick();
    frm->score1 = 42;
    frm->mnuNewGame2.onClick();
    frm->score1 = 99;
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(std::tuple(runtime.messages.size(), table.lblHighScore[1].caption, frm->personalBest),
              std::tuple(0u, "42", 42));
}

TEST_F(NewGameTest, ExitClosesTheSoundsAndRanksOnlyAnUnfinishedOnePlayerGameSilently) {
    for (bool two : {true, false}) {
        (two ? frm->mnuNewGame2 : frm->mnuNewGame1).onClick();
        frm->score1 = 77;
        runtime.log.clear();
        frm->mnuExit.onClick();
        EXPECT_EQ(
            Strings(runtime.log.begin(), runtime.log.begin() + 5),
            (Strings{"MainMusic.wav CloseWave", "HighScore.wav CloseWave", "GameOver.wav CloseWave",
                     "BonusCollected.wav CloseWave", "BallBounce.wav CloseWave"}));
        EXPECT_EQ(std::tuple(runtime.log.back(), frm->gameInProgress, runtime.messages.size(),
                             frm->frmHighScores().lblHighScore[1].caption),
                  std::tuple("endProgram", two, 0u, two ? "0" : "77"));
    }
    // Closing the window ends at once, without sound or scores.
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->closedByUser();
    EXPECT_EQ(std::tuple(runtime.log, frm->gameInProgress),
              std::tuple(Strings{"endProgram"}, true));
}

}  // namespace
