#include <gtest/gtest.h>

#include <fstream>

#include "game/game_fixture.h"

namespace {

using platform::MousePointer;

class NewGameTest : public GameFixture {
protected:
    void expectRunning(bool twoPlayers) {
        EXPECT_FALSE(frm->cmdNewGame1.visible || frm->cmdNewGame2.visible || frm->gamePaused ||
                     frm->restartingSounds || frm->lblPause.visible);
        EXPECT_TRUE(frm->gameInProgress && frm->tmrTumbrix.enabled() &&
                    frm->tmrScoreLevel.enabled() && frm->shpDot1.visible);
        EXPECT_EQ(frm->twoPlayerGame, twoPlayers);
        EXPECT_EQ(frm->shpDot2.visible, twoPlayers);
        EXPECT_EQ(frm->lblScore1.visible && frm->lblScore2.visible, twoPlayers);
        EXPECT_EQ(frm->score1 + frm->score2, 0);
        EXPECT_TRUE(frm->player1Alive && frm->player2Alive);
        EXPECT_FALSE(frm->player1Crushed || frm->player2Crushed || frm->tieGame ||
                     frm->player1Out || frm->player2Out || frm->onePlayerOut);
        EXPECT_EQ(frm->mousePointer, MousePointer::Custom);
        EXPECT_EQ(frm->picture, "background");
        EXPECT_EQ(frm->shpDot1.top, 3000);
        EXPECT_EQ(frm->shpDot1.left, twoPlayers ? 5400 : 6015);
        if (twoPlayers) {
            EXPECT_EQ(frm->shpDot2.left, 6630);
            EXPECT_EQ(frm->shpDot2.top, 3000);
            EXPECT_EQ(frm->lblScore1.caption, "Player 1: 0");
            EXPECT_EQ(frm->lblScore2.caption, "Player 2: 0");
        } else {
            EXPECT_EQ(frm->lblScore1.caption, "TESTER: 0");
        }
    }
};

TEST_F(NewGameTest, OnePlayerGameFromIdle) {
    runtime.log.clear();
    frm->cmdNewGame1.onClick();
    expectRunning(false);
    // The effects stop, the music rewinds and plays, with the restart guard
    // up while pending events run.
    bool guardedDuringEvents = false;
    runtime.onDoEvents = [&] {
        guardedDuringEvents = frm->restartingSounds && frm->gameInProgress;
    };
    frm->mnuNewGame1.onClick();
    EXPECT_TRUE(guardedDuringEvents);
    std::vector<std::string> sounds;
    for (const std::string& entry : runtime.log) {
        if (entry.find("Wave") != std::string::npos || entry == "doEvents") {
            sounds.push_back(entry);
        }
    }
    std::vector<std::string> once = {"HighScore.wav StopWave",      "GameOver.wav StopWave",
                                     "BonusCollected.wav StopWave", "MainMusic.wav SeekWave 0",
                                     "MainMusic.wav PlayWave",      "doEvents"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(sounds, twice);
}

TEST_F(NewGameTest, MusicSwitchedOffIsRewoundButNotPlayed) {
    frm->mnuMusicOnOff.checked = false;
    runtime.log.clear();
    frm->mnuNewGame1.onClick();
    EXPECT_EQ(runtime.logEntries("MainMusic.wav").size(), 1u);
    EXPECT_EQ(runtime.logEntries("MainMusic.wav")[0], "MainMusic.wav SeekWave 0");
}

TEST_F(NewGameTest, TwoPlayerGameFromIdle) {
    frm->cmdNewGame2.onClick();
    expectRunning(true);
}

TEST_F(NewGameTest, NewGameWhilePausedResumesFirstThenResets) {
    frm->mnuNewGame1.onClick();
    frm->tmrMoveLeft1.setEnabled(true);
    runTicks(100);
    frm->Pause();
    ASSERT_TRUE(frm->gamePaused);
    ASSERT_EQ(frm->picture, "pause_screen");
    frm->mnuNewGame2.onClick();
    expectRunning(true);
    // The steering that the pause remembered was undone by the reset.
    EXPECT_FALSE(frm->tmrMoveLeft1.enabled());
    for (platform::Shape* bar : {&frm->shpLine1, &frm->shpLine6}) {
        EXPECT_TRUE(bar->visible);
    }
    EXPECT_EQ(frm->shpLine1.top, 2000);
}

TEST_F(NewGameTest, TwoPlayerFlagSurvivesTheResetAfterAFinishedTwoPlayerGame) {
    frm->mnuNewGame2.onClick();
    frm->Form_Load();
    EXPECT_TRUE(frm->twoPlayerGame);
    EXPECT_FALSE(frm->gameInProgress);
    frm->mnuNewGame1.onClick();
    expectRunning(false);
}

TEST_F(NewGameTest, TwoPlayerGameAfterAOnePlayerGameRanksItsScoreSilently) {
    frm->mnuNewGame1.onClick();
    frm->score1 = 42;
    frm->mnuNewGame2.onClick();
    EXPECT_TRUE(runtime.messages.empty());
    EXPECT_EQ(frm->frmHighScores().lblName[1].caption, "TESTER");
    EXPECT_EQ(frm->frmHighScores().lblHighScore[1].caption, "42");
    EXPECT_EQ(frm->personalBest, 42);
    EXPECT_EQ(frm->score1, 0);
    // A second 2-player game in a row ranks nothing.
    frm->score1 = 99;
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(frm->frmHighScores().lblHighScore[1].caption, "42");
}

TEST_F(NewGameTest, TwoPlayerGameAsTheFirstGameRanksAScoreOfZero) {
    // Only a negative own entry, edited into the file after start-up, shows
    // the call: 0 beats it.
    std::ofstream(runtime.folder() / "Tumbrix.txt") << "\"TESTER\"\r\n\"-5\"\r\n";
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(frm->frmHighScores().lblName[1].caption, "TESTER");
    EXPECT_EQ(frm->frmHighScores().lblHighScore[1].caption, "0");
    EXPECT_TRUE(runtime.messages.empty());
}

TEST_F(NewGameTest, ExitRanksAnUnfinishedOnePlayerGameWithoutAMessage) {
    frm->mnuNewGame1.onClick();
    frm->score1 = 77;
    frm->mnuExit.onClick();
    EXPECT_FALSE(frm->gameInProgress);
    EXPECT_TRUE(runtime.messages.empty());
    EXPECT_EQ(frm->frmHighScores().lblHighScore[1].caption, "77");
    EXPECT_TRUE(runtime.ended);
}

TEST_F(NewGameTest, ExitDuringATwoPlayerGameRanksNothing) {
    frm->mnuNewGame2.onClick();
    frm->score1 = 77;
    frm->mnuExit.onClick();
    EXPECT_TRUE(frm->gameInProgress);
    EXPECT_EQ(frm->frmHighScores().lblHighScore[1].caption, "0");
    EXPECT_TRUE(runtime.ended);
}

TEST_F(NewGameTest, ExitClosesTheSoundsAndEndsTheProgram) {
    runtime.log.clear();
    frm->mnuExit.onClick();
    std::vector<std::string> expected = {"MainMusic.wav CloseWave",  "HighScore.wav CloseWave",
                                         "GameOver.wav CloseWave",   "BonusCollected.wav CloseWave",
                                         "BallBounce.wav CloseWave", "endProgram"};
    EXPECT_EQ(runtime.log, expected);
    EXPECT_TRUE(runtime.ended);
}

TEST_F(NewGameTest, ClosingTheWindowEndsAtOnceWithoutSoundOrScores) {
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->closedByUser();
    EXPECT_EQ(runtime.log, std::vector<std::string>{"endProgram"});
    EXPECT_TRUE(frm->gameInProgress);
}

}  // namespace
