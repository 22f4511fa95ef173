#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class GameOverTest : public GameFixture {
protected:
    // The game-over sounds: the high-score fanfare, then the game-over tune.
    Strings effects() {
        Strings played = runtime.logEntries("HighScore.wav");
        const Strings gameOver = runtime.logEntries("GameOver.wav");
        played.insert(played.end(), gameOver.begin(), gameOver.end());
        return played;
    }
    // Starts a 1-player game that ends at the next check with this score.
    void onePlayerGameEndingAt(std::int16_t score) {
        frm->mnuNewGame1.onClick();
        frm->score1 = score;
        frm->shpDot1.top = -1;
        runtime.log.clear();
    }
};

TEST_F(GameOverTest, OnePlayerGameOverShowsTheResultWithItsSoundRanksAndShowsTheTable) {
    onePlayerGameEndingAt(30);
    frm->personalBest = 12;
    frm->elapsedSeconds = 30;
    bool playfieldShownWithResult = false;
    runtime.onMessageBox = [&](const auto& message) {
        playfieldShownWithResult |= message.title == "Game Over" && frm->gamePaused &&
                                    frm->shpLine1.visible && frm->shpDot1.visible &&
                                    !frm->lblPause.visible && !frm->tmrTumbrix.enabled();
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
    EXPECT_EQ(effects(), (Strings{"HighScore.wav SeekWave 0", "HighScore.wav PlayWave"}));
    EXPECT_EQ(std::tuple(frm->personalBest, frm->frmHighScores().lblName[1].caption),
              std::tuple(30, "TESTER"));
    EXPECT_TRUE(buttonsHiddenWhileTableShown && frm->cmdNewGame1.visible &&
                frm->cmdNewGame2.visible);
    EXPECT_FALSE(frm->gameInProgress || frm->gamePaused || frm->gameOverPause);
    EXPECT_EQ(std::tuple(frm->elapsedSeconds, frm->score1, logged("showModal")),
              std::tuple(0, 30, 1u));
    // Nothing moves until the next game.
    float barTop = frm->shpLine1.top;
    runSeconds(2);
    EXPECT_EQ(frm->shpLine1.top, barTop);

    // A score not above the personal best plays the game-over sound.
    onePlayerGameEndingAt(30);
    frm->CheckGameOver();
    EXPECT_EQ(effects(), (Strings{"GameOver.wav SeekWave 0", "GameOver.wav PlayWave"}));
    // With the effects off: no sound at all.
    frm->mnuSound.checked = false;
    onePlayerGameEndingAt(50);
    frm->CheckGameOver();
    EXPECT_EQ(std::tuple(effects(), frm->personalBest), std::tuple(Strings{}, 50));
}

TEST_F(GameOverTest, FirstPlayerCrushedIsOutAndTheOtherPlaysOn) {
    frm->mnuNewGame2.onClick();
    frm->score1 = frm->score2 = 20;
    frm->elapsedSeconds = 20;
    frm->tmrMoveLeft1.setEnabled(true);
    // Ball 2 carried past the top, sunk 110 twips into bar 1.
    frm->shpLine1.top = frm->shpLine2.top = 500;
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
    EXPECT_FALSE(frm->player1Out || frm->player2Alive || frm->gamePaused || frm->gameOverPause ||
                 frm->shpDot2.visible);
    EXPECT_TRUE(frm->shpDot1.visible && frm->tmrTumbrix.enabled() && frm->tmrMoveLeft1.enabled());
    // Settled onto bar 1 as it was crushed; no sound.
    EXPECT_EQ(frm->shpDot2.top, frm->shpLine1.top - 600);
    EXPECT_EQ(effects(), Strings{});

    // The survivor's clock runs on; the loser's score stands.
    frm->tmrTumbrix.setEnabled(false);
    runSeconds(3);
    EXPECT_EQ(std::tuple(frm->score1, frm->score2, frm->lblScore2.caption),
              std::tuple(23, 20, "Player 2: 20"));

    // The check itself settles a crushed ball, even when no result follows
    // (here the out player's ball once more).
    frm->shpDot2.top = -5;
    frm->CheckGameOver();
    EXPECT_EQ(std::tuple(frm->shpDot2.top, runtime.messages.size(), frm->gamePaused),
              std::tuple(frm->shpLine1.top - 600, 1u, false));
}

TEST_F(GameOverTest, LastPlayerCrushedEndsTheGameWithTheFocusOnTwoPlayers) {
    frm->mnuNewGame2.onClick();
    runtime.log.clear();
    frm->shpDot1.top = -5;
    frm->shpDot2.top = 5000;
    frm->CheckGameOver();
    ASSERT_TRUE(frm->player1Out);
    EXPECT_EQ(runtime.messages[0].title, "Game Over for Player 1");
    EXPECT_EQ(runtime.messages[0].prompt,
              "Player 1, you lost.\r\n\r\nPlayer 1's Final Score:  0\r\n\r\n"
              "Player 2, your game will continue.");
    EXPECT_TRUE(frm->onePlayerOut && frm->player1Crushed && frm->shpDot2.visible);
    EXPECT_FALSE(frm->player2Out || frm->player1Alive || frm->shpDot1.visible || frm->gamePaused ||
                 frm->gameOverPause);

    frm->score2 = 44;
    frm->shpDot2.top = -3;
    frm->CheckGameOver();
    ASSERT_EQ(runtime.messages.size(), 2u);
    EXPECT_EQ(runtime.messages[1].title, "Game Over for Player 2");
    EXPECT_EQ(runtime.messages[1].prompt, "Player 2's Final Score:  44");
    EXPECT_TRUE(frm->cmdNewGame1.visible && frm->cmdNewGame2.visible && frm->twoPlayerGame);
    // No sound, and nothing entered the table.
    EXPECT_EQ(std::tuple(runtime.focusedButton, frm->gameInProgress, effects(),
                         frm->frmHighScores().lblHighScore[1].caption),
              std::tuple("cmdNewGame2", false, Strings{}, "0"));

    // Player 2 out first, then player 1 last.
    frm->mnuNewGame2.onClick();
    runtime.log.clear();
    runtime.messages.clear();
    runtime.focusedButton.clear();
    frm->shpDot2.top = -5;
    frm->CheckGameOver();
    ASSERT_TRUE(frm->player2Out);
    frm->score1 = 61;
    frm->shpDot1.top = -3;
    frm->shpDot2.top = 5000;
    bool outWhileShown = false;
    runtime.onMessageBox = [&](const auto&) {
        outWhileShown = !frm->player1Alive && frm->gamePaused && frm->shpDot1.visible;
    };
    frm->CheckGameOver();
    EXPECT_TRUE(outWhileShown);
    ASSERT_EQ(runtime.messages.size(), 2u);
    EXPECT_EQ(runtime.messages[1].title, "Game Over for Player 1");
    EXPECT_EQ(runtime.messages[1].prompt, "Player 1's Final Score:  61");
    EXPECT_FALSE(frm->gameInProgress || frm->tmrTumbrix.enabled());
    EXPECT_TRUE(frm->cmdNewGame1.visible && frm->cmdNewGame2.visible);
    EXPECT_EQ(std::tuple(runtime.focusedButton, effects(), frm->shpLine1.top),
              std::tuple("cmdNewGame2", Strings{}, 2000));
}

TEST_F(GameOverTest, BallsWithin90TwipsAreAlignedAndReachTheTopTogether) {
    frm->mnuNewGame2.onClick();
    frm->shpDot1.top = 60;
    frm->shpDot2.top = -10;
    frm->CheckGameOver();
    EXPECT_EQ(std::tuple(frm->shpDot2.top, runtime.messages.size()), std::tuple(60, 0u));

    frm->shpDot1.top = -10;
    frm->shpDot2.top = 60;
    frm->score1 = frm->score2 = 7;
    frm->CheckGameOver();
    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(runtime.messages[0].title, "Game Over for Both Players");
    EXPECT_EQ(runtime.messages[0].prompt,
              "Tie Game.\r\n\r\nPlayer 1's Final Score:  7\r\n\r\nPlayer 2's Final Score:  7");
    EXPECT_EQ(std::tuple(frm->tieGame, frm->gameInProgress, runtime.focusedButton),
              std::tuple(true, false, "cmdNewGame2"));

    // Exactly 90 apart, either way round: aligned; 91 apart: not.
    frm->mnuNewGame2.onClick();
    for (auto [top1, top2, aligned] :
         {std::tuple{500.0f, 590.0f, true}, {590.0f, 500.0f, true}, {500.0f, 591.0f, false}}) {
        frm->shpDot1.top = top1;
        frm->shpDot2.top = top2;
        frm->CheckGameOver();
        EXPECT_EQ(frm->shpDot2.top, aligned ? top1 : top2) << top1 << " " << top2;
    }
}

TEST_F(GameOverTest, ShowingTheTablePausesARunningGameOnce) {
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->mnuShowHighScoreList.onClick();
    EXPECT_EQ(std::tuple(frm->gamePaused, logged("showModal"), logged("MainMusic.wav StopWave")),
              std::tuple(true, 1u, 1u));
    frm->mnuShowHighScoreList.onClick();
    EXPECT_EQ(std::tuple(frm->gamePaused, logged("showModal"), logged("MainMusic.wav StopWave")),
              std::tuple(true, 2u, 1u));
    // Continue hides the table and ends its modal display.
    runtime.onShowModal = [](platform::Form& form) {
        static_cast<scores::FrmHighScores&>(form).cmdContinue.onClick();
    };
    frm->mnuShowHighScoreList.onClick();
    EXPECT_FALSE(frm->frmHighScores().visible);
}

}  // namespace
