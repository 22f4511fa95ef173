#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class GameOverTest : public GameFixture {
protected:
    std::vector<std::string> effects() {
        std::vector<std::string> played;
        for (const std::string& entry : runtime.log) {
            if (entry.rfind("HighScore.wav", 0) == 0 || entry.rfind("GameOver.wav", 0) == 0) {
                played.push_back(entry);
            }
        }
        return played;
    }
};

TEST_F(GameOverTest, OnePlayerGameOverShowsTheResultRanksAndShowsTheTable) {
    frm->mnuNewGame1.onClick();
    frm->score1 = 30;
    frm->personalBest = 12;
    frm->elapsedSeconds = 30;
    frm->shpDot1.top = -1;
    runtime.log.clear();
    bool playfieldShownWithResult = false;
    runtime.onMessageBox = [&](const auto& message) {
        if (message.title == "Game Over") {
            playfieldShownWithResult = frm->gamePaused && frm->shpLine1.visible &&
                                       frm->shpDot1.visible && !frm->lblPause.visible &&
                                       !frm->tmrTumbrix.enabled();
        }
    };
    bool buttonsHiddenWhileTableShown = false;
    runtime.onShowModal = [&](platform::Form& form) {
        buttonsHiddenWhileTableShown = !frm->cmdNewGame1.visible && !frm->gameInProgress;
        EXPECT_EQ(&form, &frm->frmHighScores());
    };
    frm->CheckGameOver();

    EXPECT_TRUE(playfieldShownWithResult);
    ASSERT_EQ(runtime.messages.size(), 2u);
    EXPECT_EQ(runtime.messages[0].prompt, "TESTER's Final Score:  30");
    EXPECT_EQ(runtime.messages[1].title, "New High Score");
    EXPECT_EQ(effects(),
              (std::vector<std::string>{"HighScore.wav SeekWave 0", "HighScore.wav PlayWave"}));
    EXPECT_EQ(frm->personalBest, 30);
    EXPECT_EQ(frm->frmHighScores().lblName[1].caption, "TESTER");
    EXPECT_TRUE(buttonsHiddenWhileTableShown);
    EXPECT_TRUE(frm->cmdNewGame1.visible && frm->cmdNewGame2.visible);
    EXPECT_FALSE(frm->gameInProgress || frm->gamePaused || frm->gameOverPause);
    EXPECT_EQ(frm->elapsedSeconds, 0);
    EXPECT_EQ(frm->score1, 30);
    EXPECT_EQ(runtime.logEntries("showModal").size(), 1u);
    // Nothing moves until the next game.
    float barTop = frm->shpLine1.top;
    runSeconds(2);
    EXPECT_EQ(frm->shpLine1.top, barTop);
}

TEST_F(GameOverTest, ScoreNotAbovePersonalBestPlaysTheGameOverSound) {
    frm->mnuNewGame1.onClick();
    frm->score1 = 12;
    frm->personalBest = 12;
    frm->shpDot1.top = -1;
    runtime.log.clear();
    frm->CheckGameOver();
    EXPECT_EQ(effects(),
              (std::vector<std::string>{"GameOver.wav SeekWave 0", "GameOver.wav PlayWave"}));
    EXPECT_EQ(frm->personalBest, 12);
    ASSERT_EQ(runtime.messages.size(), 2u);  // 12 enters an empty table
    // With the effects off: no sound at all.
    frm->mnuSound.checked = false;
    frm->mnuNewGame1.onClick();
    frm->score1 = 50;
    frm->shpDot1.top = -1;
    runtime.log.clear();
    frm->CheckGameOver();
    EXPECT_TRUE(effects().empty());
    EXPECT_EQ(frm->personalBest, 50);
}

TEST_F(GameOverTest, FirstPlayerCrushedIsOutAndTheOtherPlaysOn) {
    frm->mnuNewGame2.onClick();
    frm->score1 = 20;
    frm->score2 = 20;
    frm->elapsedSeconds = 20;
    frm->tmrMoveLeft1.setEnabled(true);
    frm->shpDot2.top = -5;
    frm->shpDot1.top = 5000;
    runtime.log.clear();
    frm->CheckGameOver();

    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(runtime.messages[0].title, "Game Over for Player 2");
    EXPECT_EQ(runtime.messages[0].prompt,
              "Player 2, you lost.\r\n\r\nPlayer 2's Final Score:  20\r\n\r\n"
              "Player 1, your game will continue.");
    EXPECT_TRUE(frm->player2Out && frm->onePlayerOut && frm->player2Crushed);
    EXPECT_FALSE(frm->player1Out || frm->player2Alive || frm->gamePaused || frm->gameOverPause);
    EXPECT_FALSE(frm->shpDot2.visible);
    EXPECT_TRUE(frm->shpDot1.visible && frm->tmrTumbrix.enabled());
    EXPECT_TRUE(frm->tmrMoveLeft1.enabled());
    // Settled onto bar 1 as it was crushed.
    EXPECT_GE(frm->shpDot2.top, -5);
    EXPECT_TRUE(effects().empty());

    // The survivor's clock runs on; the loser's score stands.
    frm->tmrTumbrix.setEnabled(false);
    runSeconds(3);
    EXPECT_EQ(frm->score1, 23);
    EXPECT_EQ(frm->score2, 20);
    EXPECT_EQ(frm->lblScore2.caption, "Player 2: 20");
}

TEST_F(GameOverTest, LastPlayerCrushedEndsTheGameWithTheFocusOnTwoPlayers) {
    frm->mnuNewGame2.onClick();
    runtime.log.clear();
    frm->shpDot1.top = -5;
    frm->shpDot2.top = 5000;
    frm->CheckGameOver();
    ASSERT_TRUE(frm->player1Out);
    EXPECT_EQ(runtime.messages[0].title, "Game Over for Player 1");
    EXPECT_NE(runtime.messages[0].prompt.find("Player 2, your game will continue."),
              std::string::npos);

    frm->score2 = 44;
    frm->shpDot2.top = -3;
    frm->CheckGameOver();
    ASSERT_EQ(runtime.messages.size(), 2u);
    EXPECT_EQ(runtime.messages[1].title, "Game Over for Player 2");
    EXPECT_EQ(runtime.messages[1].prompt, "Player 2's Final Score:  44");
    EXPECT_TRUE(frm->cmdNewGame1.visible && frm->cmdNewGame2.visible);
    EXPECT_EQ(runtime.focusedButton, "cmdNewGame2");
    EXPECT_FALSE(frm->gameInProgress);
    EXPECT_TRUE(frm->twoPlayerGame);
    EXPECT_TRUE(effects().empty());
    // Nothing entered the table.
    EXPECT_EQ(frm->frmHighScores().lblHighScore[1].caption, "0");
}

TEST_F(GameOverTest, BallsWithin90TwipsAreAlignedAndReachTheTopTogether) {
    frm->mnuNewGame2.onClick();
    frm->shpDot1.top = 60;
    frm->shpDot2.top = -10;
    frm->CheckGameOver();
    EXPECT_EQ(frm->shpDot2.top, 60);
    EXPECT_TRUE(runtime.messages.empty());

    frm->shpDot1.top = -10;
    frm->shpDot2.top = 60;
    frm->score1 = 7;
    frm->score2 = 7;
    frm->CheckGameOver();
    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(runtime.messages[0].title, "Game Over for Both Players");
    EXPECT_EQ(runtime.messages[0].prompt,
              "Tie Game.\r\n\r\nPlayer 1's Final Score:  7\r\n\r\nPlayer 2's Final Score:  7");
    EXPECT_TRUE(frm->tieGame);
    EXPECT_EQ(runtime.focusedButton, "cmdNewGame2");
    EXPECT_FALSE(frm->gameInProgress);

    // 91 apart: no alignment.
    frm->mnuNewGame2.onClick();
    frm->shpDot1.top = 500;
    frm->shpDot2.top = 591;
    frm->CheckGameOver();
    EXPECT_EQ(frm->shpDot2.top, 591);
}

TEST_F(GameOverTest, ShowingTheTablePausesARunningGameOnce) {
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->mnuShowHighScoreList.onClick();
    EXPECT_TRUE(frm->gamePaused);
    EXPECT_EQ(runtime.logEntries("showModal").size(), 1u);
    EXPECT_EQ(runtime.logEntries("MainMusic.wav StopWave").size(), 1u);
    frm->mnuShowHighScoreList.onClick();
    EXPECT_EQ(runtime.logEntries("MainMusic.wav StopWave").size(), 1u);
    EXPECT_TRUE(frm->gamePaused);
    // Continue hides the table and ends its modal display.
    runtime.onShowModal = [](platform::Form& form) {
        static_cast<scores::FrmHighScores&>(form).cmdContinue.onClick();
    };
    frm->mnuShowHighScoreList.onClick();
    EXPECT_FALSE(frm->frmHighScores().visible);
}

}  // namespace
