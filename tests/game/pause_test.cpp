#include <gtest/gtest.h>

#include <functional>

#include "game/game_fixture.h"

namespace {

using PauseTest = TwoPlayerGame;

TEST_F(PauseTest, TheMusicStopsAndGoesOnWithoutARewindAndASecondPauseForgetsTheRolls) {
    keyDown(keys::kLeft);
    frm->Pause();
    EXPECT_EQ(runtime.log, Strings{"MainMusic.wav StopWave"});
    runtime.log.clear();
    frm->Unpause();
    EXPECT_EQ(std::tuple(rolls(), runtime.log),
              std::tuple("L1", Strings{"MainMusic.wav WaveMode", "MainMusic.wav PlayWave"}));
    frm->Pause();
    frm->Pause();
    frm->Unpause();
    EXPECT_EQ(rolls(), "");
    // Music switched off is neither stopped nor resumed.
    frm->mnuMusicOnOff.checked = false;
    runtime.log.clear();
    frm->Pause();
    frm->Unpause();
    EXPECT_EQ(logged("MainMusic.wav"), 0u);
}

TEST_F(PauseTest, EveryWayToPauseWorksAmongANewGamesPendingEventsAndNoneTwice) {
    // Each way pauses a new game while it processes pending events, after
    // the players began to roll: the game waits behind the pause screen,
    // nothing moving, and the windows and messages show over it. Used again
    // while paused, no command pauses again (that would forget the rolls).
    // ENTER resumes the game with its own flags, although the last game left
    // player 2 out. With no game, nothing pauses.
    bool overRunningGame = false, closedByButtons = true;
    runtime.onMessageBox = [&](const auto&) {
        overRunningGame |= frm->gameInProgress && !frm->gamePaused;
    };
    runtime.onShowModal = [&](platform::Form& form) {
        overRunningGame |= frm->gameInProgress && !frm->gamePaused;
        if (auto* table = dynamic_cast<scores::FrmHighScores*>(&form)) {
            table->cmdContinue.onClick();
        } else {
            static_cast<ui::FrmInstructions&>(form).Command1.onClick();
        }
        closedByButtons = closedByButtons && !form.visible;
    };
    const std::tuple<const char*, bool, std::function<void()>> pausers[] = {
        {"ESC", true,
         [&] {
             keyDown(keys::kEscape);
             keyUp(keys::kEscape);
         }},
        {"high scores", false, [&] { frm->mnuShowHighScoreList.onClick(); }},
        {"instructions", true, [&] { frm->mnuInstructions.onClick(); }},
        {"about", false, [&] { frm->mnuAbout.onClick(); }},
        {"another program", true, [&] { frm->playerSteppedAway(); }}};
    for (const auto& [way, two, pause] : pausers) {
        frm->player2Out = true;
        runtime.onDoEvents = [&] {
            keyDown(keys::kRight);
            keyDown(keys::kD);
            pause();
        };
        (two ? frm->mnuNewGame2 : frm->mnuNewGame1).onClick();
        runtime.onDoEvents = nullptr;
        runSeconds(3);
        const std::string paused = scene();
        if (std::string(way) != "ESC") {
            pause();
        }
        keyDown(keys::kReturn);
        EXPECT_EQ(std::tuple(paused, frm->elapsedSeconds, frm->shpDot1.top, frm->shpLine1.top,
                             scene(), frm->twoPlayerGame),
                  std::tuple("paused pause_screen pause pointer", 0, 3000, 2000,
                             two ? "running bars ball1 ball2 tick clock R1 R2"
                                 : "running bars ball1 tick clock R1 R2",
                             two))
            << way;
        frm->Form_Load();
        pause();
        EXPECT_FALSE(frm->gamePaused || frm->lblPause.visible) << way;
    }
    EXPECT_TRUE(closedByButtons && !overRunningGame);
}

TEST_F(PauseTest, ResumeShowsTheWraparoundNoticeFrom90To94AndTheItemsButNotTheBonusNotice) {
    for (auto [t, shown] : {std::pair{89, false}, {90, true}, {94, true}, {95, false}}) {
        frm->elapsedSeconds = t;
        frm->lblWrapAround.visible = true;
        frm->Pause();
        EXPECT_FALSE(frm->lblWrapAround.visible);
        frm->Unpause();
        EXPECT_EQ(frm->lblWrapAround.visible, shown) << t;
    }
    // The item that was out comes back, the notice does not.
    for (bool snail : {true, false}) {
        frm->fraSnail.visible = frm->snailShown = snail;
        frm->fraGhost.visible = frm->ghostShown = !snail;
        frm->lblBonusTime.visible = frm->lblSnailTimeLeft.visible = true;
        frm->Pause();
        EXPECT_FALSE(frm->fraSnail.visible || frm->fraGhost.visible || frm->lblBonusTime.visible);
        frm->Unpause();
        EXPECT_EQ(std::tuple(frm->fraSnail.visible, frm->fraGhost.visible,
                             frm->lblBonusTime.visible, frm->lblSnailTimeLeft.visible),
                  std::tuple(snail, !snail, false, true));
    }
}

TEST_F(PauseTest, PauseSettlesSunkBallsOntoTheirBarButBallTwoOnlyInATwoPlayerGame) {
    // Sunk more than 15 and less than 240 twips: settled to 15.
    for (auto [sunk, rest] :
         {std::pair{15.0f, 15.0f}, {15.5f, 15.0f}, {239.5f, 15.0f}, {240.0f, 240.0f}}) {
        frm->shpDot1.top = frm->shpLine3.top + sunk - 615;
        frm->shpDot2.top = frm->shpLine5.top + sunk - 615;
        frm->Pause();
        EXPECT_EQ(std::tuple(frm->shpDot1.top, frm->shpDot2.top),
                  std::tuple(frm->shpLine3.top + rest - 615, frm->shpLine5.top + rest - 615))
            << sunk;
        frm->Unpause();
    }
    frm->mnuNewGame1.onClick();
    frm->shpDot2.top = frm->shpLine3.top - 500;
    frm->Pause();
    EXPECT_EQ(frm->shpDot2.top, frm->shpLine3.top - 500);
}

}  // namespace
