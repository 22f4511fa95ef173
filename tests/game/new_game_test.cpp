#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "game/game_fixture.h"
#include "platform/key_codes.h"

namespace {

class NewGameTest : public GameFixture {
protected:
    void expectRunning(bool twoPlayers) {
        EXPECT_FALSE(frm->cmdNewGame1.visible || frm->cmdNewGame2.visible || frm->gamePaused ||
                     frm->restartingSounds || frm->lblPause.visible || frm->player1Crushed ||
                     frm->player2Crushed || frm->tieGame || frm->player1Out || frm->player2Out ||
                     frm->onePlayerOut);
        EXPECT_TRUE(frm->gameInProgress && frm->tmrTumbrix.enabled() &&
                    frm->tmrScoreLevel.enabled() && frm->shpDot1.visible && frm->player1Alive &&
                    frm->player2Alive);
        EXPECT_EQ(std::tuple(frm->twoPlayerGame, frm->shpDot2.visible,
                             frm->lblScore1.visible && frm->lblScore2.visible),
                  std::tuple(twoPlayers, twoPlayers, twoPlayers));
        EXPECT_EQ(std::tuple(frm->score1, frm->score2, frm->mousePointer, frm->picture),
                  std::tuple(0, 0, platform::MousePointer::Custom, "background"));
        EXPECT_EQ(std::tuple(frm->shpDot1.left, frm->shpDot1.top),
                  std::tuple(twoPlayers ? 5400 : 6015, 3000));
        EXPECT_EQ(frm->lblScore1.caption, twoPlayers ? "Player 1: 0" : "TESTER: 0");
        if (twoPlayers) {
            EXPECT_EQ(std::tuple(frm->shpDot2.left, frm->shpDot2.top, frm->lblScore2.caption),
                      std::tuple(6630, 3000, "Player 2: 0"));
        }
    }
};

TEST_F(NewGameTest, OnePlayerGameFromIdleRestartsTheSounds) {
    // The effects stop, the music rewinds and plays, with the restart guard
    // up while pending events run.
    const Strings restart = {"HighScore.wav StopWave",      "GameOver.wav StopWave",
                             "BonusCollected.wav StopWave", "MainMusic.wav SeekWave 0",
                             "MainMusic.wav PlayWave",      "doEvents"};
    int guardedEvents = 0;
    runtime.onDoEvents = [&] { guardedEvents += frm->restartingSounds && frm->gameInProgress; };
    runtime.log.clear();
    frm->cmdNewGame1.onClick();
    expectRunning(false);
    EXPECT_EQ(runtime.log, restart);
    // And again from the menu, during a game.
    runtime.log.clear();
    frm->mnuNewGame1.onClick();
    EXPECT_EQ(std::tuple(runtime.log, guardedEvents), std::tuple(restart, 2));

    // Music switched off is rewound but not played.
    frm->mnuMusicOnOff.checked = false;
    runtime.log.clear();
    frm->mnuNewGame1.onClick();
    EXPECT_EQ(runtime.logEntries("MainMusic.wav"), Strings{"MainMusic.wav SeekWave 0"});
}

TEST_F(NewGameTest, TwoPlayerGameFromIdleAndTheFlagSurvivesTheResetAfterIt) {
    frm->cmdNewGame2.onClick();
    expectRunning(true);
    frm->Form_Load();
    EXPECT_TRUE(frm->twoPlayerGame && !frm->gameInProgress);
    frm->mnuNewGame1.onClick();
    expectRunning(false);
}

TEST_F(NewGameTest, NewGameWhilePausedResumesFirstThenResets) {
    frm->mnuNewGame1.onClick();
    frm->tmrMoveLeft1.setEnabled(true);
    runTicks(100);
    frm->Pause();
    ASSERT_TRUE(frm->gamePaused && frm->picture == "pause_screen");
    frm->mnuNewGame2.onClick();
    expectRunning(true);
    // The steering that the pause remembered was undone by the reset.
    EXPECT_TRUE(!frm->tmrMoveLeft1.enabled() && frm->shpLine1.visible && frm->shpLine6.visible);
    EXPECT_EQ(frm->shpLine1.top, 2000);
}

TEST_F(NewGameTest, APauseWhilePendingEventsRunLeavesTheGameToUnpause) {
    namespace keys = platform::keys;
    // The last game left player 2 out: the new game's flags must be in
    // place before a resume chooses the balls to show.
    frm->mnuNewGame2.onClick();
    frm->player2Out = frm->onePlayerOut = true;
    frm->Form_Load();
    // ESC pressed while the new game processes pending events pauses it.
    runtime.onDoEvents = [&] {
        keyDown(keys::kEscape);
        keyUp(keys::kEscape);
    };
    frm->mnuNewGame2.onClick();
    runtime.onDoEvents = nullptr;
    auto waitsBehindThePauseScreen = [&] {
        EXPECT_TRUE(frm->gameInProgress && frm->gamePaused && frm->lblPause.visible);
        EXPECT_FALSE(frm->shpDot1.visible || frm->shpDot2.visible || frm->shpLine1.visible ||
                     frm->tmrTumbrix.enabled() || frm->tmrScoreLevel.enabled());
        EXPECT_EQ(std::tuple(frm->picture, frm->mousePointer),
                  std::tuple("pause_screen", platform::MousePointer::Default));
        // Nothing falls, counts or rises behind it.
        runSeconds(3);
        EXPECT_EQ(std::tuple(frm->elapsedSeconds, frm->shpDot1.top, frm->shpLine1.top),
                  std::tuple(0, 3000, 2000));
    };
    waitsBehindThePauseScreen();
    // ESC resumes a normal game with both balls.
    keyDown(keys::kEscape);
    expectRunning(true);

    // 1-player games after it, paused by each menu command that pauses
    // (Ctrl+H, Ctrl+I, Ctrl+A) and by switching to another program: ENTER
    // resumes each with ball 1 alone.
    const std::pair<const char*, std::function<void()>> pausers[] = {
        {"Ctrl+H", [&] { frm->mnuShowHighScoreList.onClick(); }},
        {"Ctrl+I", [&] { frm->mnuInstructions.onClick(); }},
        {"Ctrl+A", [&] { frm->mnuAbout.onClick(); }},
        {"another program", [&] { frm->playerSteppedAway(); }},
    };
    for (const auto& [way, pause] : pausers) {
        SCOPED_TRACE(way);
        runtime.onDoEvents = pause;
        frm->mnuNewGame1.onClick();
        runtime.onDoEvents = nullptr;
        waitsBehindThePauseScreen();
        keyDown(keys::kReturn);
        expectRunning(false);
    }
    EXPECT_EQ(std::tuple(logged("showModal"), logged("messageBox  About")), std::tuple(2u, 1u));
}

TEST_F(NewGameTest, ANewGameBegunWhilePendingEventsRunIsTheGameFromThenOn) {
    // A second click, or a held shortcut, reaches the other new-game command
    // while the first one processes pending events: the later game is set up
    // whole, and the earlier one adds nothing of its own kind to it.
    for (bool laterTwoPlayers : {false, true, false}) {
        SCOPED_TRACE(laterTwoPlayers ? "2 players inside 1" : "1 player inside 2");
        bool clicked = false;
        runtime.onDoEvents = [&] {
            if (!clicked) {
                clicked = true;
                (laterTwoPlayers ? frm->mnuNewGame2 : frm->mnuNewGame1).onClick();
            }
        };
        (laterTwoPlayers ? frm->mnuNewGame1 : frm->mnuNewGame2).onClick();
        runtime.onDoEvents = nullptr;
        expectRunning(laterTwoPlayers);
    }
}

TEST_F(NewGameTest, TwoPlayerGamesRankZeroFirstThenTheOnePlayerScoreSilently) {
    // As the first game, a 2-player game ranks a score of 0: only a negative
    // own entry, edited into the file after start-up, shows the call.
    std::ofstream(runtime.folder() / "Tumbrix.txt") << "\"TESTER\"\r\n\"-5\"\r\n";
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(frm->frmHighScores().lblName[1].caption, "TESTER");
    EXPECT_EQ(frm->frmHighScores().lblHighScore[1].caption, "0");
    // After a 1-player game it ranks that game's score, without a message.
    frm->mnuNewGame1.onClick();
    frm->score1 = 42;
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(
        std::tuple(runtime.messages.size(), frm->frmHighScores().lblName[1].caption,
                   frm->frmHighScores().lblHighScore[1].caption, frm->personalBest, frm->score1),
        std::tuple(0u, "TESTER", "42", 42, 0));
    // A second 2-player game in a row ranks nothing.
    frm->score1 = 99;
    frm->mnuNewGame2.onClick();
    EXPECT_EQ(frm->frmHighScores().lblHighScore[1].caption, "42");
}

TEST_F(NewGameTest, ExitRanksAnUnfinishedOnePlayerGameWithoutAMessage) {
    frm->mnuNewGame1.onClick();
    frm->score1 = 77;
    frm->mnuExit.onClick();
    EXPECT_EQ(std::tuple(frm->gameInProgress, runtime.messages.size(),
                         frm->frmHighScores().lblHighScore[1].caption, runtime.ended),
              std::tuple(false, 0u, "77", true));
}

TEST_F(NewGameTest, ExitDuringATwoPlayerGameRanksNothingClosesTheSoundsAndEnds) {
    frm->mnuNewGame2.onClick();
    frm->score1 = 77;
    runtime.log.clear();
    frm->mnuExit.onClick();
    EXPECT_EQ(runtime.log, (Strings{"MainMusic.wav CloseWave", "HighScore.wav CloseWave",
                                    "GameOver.wav CloseWave", "BonusCollected.wav CloseWave",
                                    "BallBounce.wav CloseWave", "endProgram"}));
    EXPECT_EQ(std::tuple(frm->gameInProgress, frm->frmHighScores().lblHighScore[1].caption),
              std::tuple(true, "0"));
}

TEST_F(NewGameTest, ClosingTheWindowEndsAtOnceWithoutSoundOrScores) {
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->closedByUser();
    EXPECT_EQ(std::tuple(runtime.log, frm->gameInProgress),
              std::tuple(Strings{"endProgram"}, true));
}

}  // namespace
