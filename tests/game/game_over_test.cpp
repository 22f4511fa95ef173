#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class GameOverTest : public GameFixture {
protected:
    // The game-over sounds: the high-score fanfare and the game-over tune.
    Strings effects() {
        Strings played = runtime.logEntries("HighScore.wav");
        const Strings gameOver = runtime.logEntries("GameOver.wav");
        played.insert(played.end(), gameOver.begin(), gameOver.end());
        return played;
    }
    // Starts afresh the log, the messages and the note of what the window
    // shows while each message is on show.
    void watchMessages() {
        runtime.log.clear();
        runtime.messages.clear();
        shownWithMessage.clear();
        runtime.onMessageBox = [this](const auto&) { shownWithMessage.push_back(scene()); };
    }
    Strings shownWithMessage;
};

TEST_F(GameOverTest, OnePlayerGameOverShowsTheResultWithItsSoundRanksAndShowsTheTable) {
    // Score, best, effects, sound, messages, best and top score after:
    const std::tuple<int, int, bool, const char*, std::size_t, int, const char*> cases[] = {
        {30, 12, true, "HighScore.wav", 2, 30, "30"},
        {20, 30, true, "GameOver.wav", 1, 30, "30"},
        {50, 30, false, "", 2, 50, "50"}};
    for (auto [score, best, effectsOn, sound, messages, bestAfter, first] : cases) {
        frm->mnuSound.checked = effectsOn;
        frm->mnuNewGame1.onClick();
        frm->personalBest = static_cast<std::int16_t>(best);
        frm->score1 = static_cast<std::int16_t>(score);
        frm->shpDot1.top = -1;
        watchMessages();
        std::string shownWithTable;
        runtime.onShowModal = [&](platform::Form& form) {
            shownWithTable = &form == &frm->frmHighScores() ? scene() : "";
        };
        frm->CheckGameOver();
        EXPECT_EQ(std::tuple(runtime.messages.size(), runtime.messages[0].prompt, frm->personalBest,
                             frm->frmHighScores().lblHighScore[1].caption),
                  std::tuple(messages, "TESTER's Final Score:  " + std::to_string(score), bestAfter,
                             first));
        const std::string s(sound);
        EXPECT_EQ(effects(), *sound ? (Strings{s + " SeekWave 0", s + " PlayWave"}) : Strings{});
        // The result over the frozen playfield, the table over the reset one.
        EXPECT_EQ(std::tuple(shownWithMessage[0], shownWithTable, scene()),
                  std::tuple("paused bars ball1 pointer", "idle bars pointer",
                             "idle bars pointer buttons"));
    }
}

TEST_F(GameOverTest, TheFirstPlayerCrushedIsOutAndTheLastEndsTheGameSilently) {
    for (int first : {1, 2}) {
        SCOPED_TRACE(first);
        const int last = 3 - first;
        platform::Shape& firstBall = first == 1 ? frm->shpDot1 : frm->shpDot2;
        platform::Shape& lastBall = first == 1 ? frm->shpDot2 : frm->shpDot1;
        const std::string firstName = "Player " + std::to_string(first);
        const std::string lastName = "Player " + std::to_string(last);
        frm->mnuNewGame2.onClick();
        watchMessages();
        frm->score1 = 21;
        frm->score2 = 22;
        keyDown(last == 1 ? keys::kLeft : keys::kA);
        // Carried past the top, sunk 110 twips into bar 1: settled onto it.
        frm->shpLine1.top = frm->shpLine2.top = 500;
        firstBall.top = -5;
        lastBall.top = 5000;
        frm->CheckGameOver();
        ASSERT_EQ(runtime.messages.size(), 1u);
        EXPECT_EQ(std::tuple(runtime.messages[0].title, runtime.messages[0].prompt),
                  std::tuple("Game Over for " + firstName,
                             firstName + ", you lost.\r\n\r\n" + firstName +
                                 "'s Final Score:  " + std::to_string(20 + first) + "\r\n\r\n" +
                                 lastName + ", your game will continue."));
        // The other plays on alone, still rolling.
        EXPECT_EQ(std::tuple(scene(), firstBall.top, frm->player1Out, frm->player2Out,
                             frm->player1Alive, frm->player2Alive, frm->onePlayerOut),
                  std::tuple(std::string("running bars ball") + std::to_string(last) +
                                 " tick clock L" + std::to_string(last),
                             -100, first == 1, first == 2, first == 2, first == 1, true));

        frm->score1 = frm->score2 = 3;
        lastBall.top = -3;
        frm->CheckGameOver();
        ASSERT_EQ(runtime.messages.size(), 2u);
        EXPECT_EQ(std::tuple(runtime.messages[1].title, runtime.messages[1].prompt),
                  std::tuple("Game Over for " + lastName, lastName + "'s Final Score:  3"));
        // No sound, nothing entered the table, the focus on 2 players.
        EXPECT_EQ(
            std::tuple(shownWithMessage[1], scene(), runtime.focusedButton, frm->twoPlayerGame,
                       effects(), frm->frmHighScores().lblHighScore[1].caption),
            std::tuple("paused bars ball" + std::to_string(last) + " pointer",
                       "idle bars pointer buttons", "cmdNewGame2", true, Strings{}, "0"));
    }
}

TEST_F(GameOverTest, BallsWithin90TwipsAreAlignedAndReachTheTopTogether) {
    frm->mnuNewGame2.onClick();
    // Exactly 90 apart, either way round: aligned; 91 apart: not.
    for (auto [top1, top2, aligned] :
         {std::tuple{500.0f, 590.0f, true}, {590.0f, 500.0f, true}, {500.0f, 591.0f, false}}) {
        frm->shpDot1.top = top1;
        frm->shpDot2.top = top2;
        frm->CheckGameOver();
        EXPECT_EQ(frm->shpDot2.top, aligned ? top1 : top2) << top1 << " " << top2;
    }
    // Ball 1 above the top, ball 2 close below: a tie.
    frm->shpDot1.top = -10;
    frm->shpDot2.top = 60;
    frm->score1 = frm->score2 = 7;
    frm->CheckGameOver();
    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(std::tuple(runtime.messages[0].title, runtime.messages[0].prompt, frm->tieGame,
                         frm->gameInProgress, runtime.focusedButton),
              std::tuple("Game Over for Both Players",
                         "Tie Game.\r\n\r\nPlayer 1's Final Score:  7\r\n\r\nPlayer 2's Final "
                         "Score:  7",
                         true, false, "cmdNewGame2"));
}

}  // namespace
