#include <gtest/gtest.h>

#include "game/game_fixture.h"
#include "platform/key_codes.h"

namespace {

using platform::MousePointer;

class PauseTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        frm->mnuNewGame2.onClick();
        runtime.log.clear();
    }
    bool playfieldVisible() {
        return frm->shpLine1.visible && frm->shpLine2.visible && frm->shpLine3.visible &&
               frm->shpLine4.visible && frm->shpLine5.visible && frm->shpLine6.visible;
    }
    void pauseAndResume() {
        frm->Pause();
        frm->Unpause();
    }
};

TEST_F(PauseTest, PauseFreezesEverythingAndShowsThePauseScreen) {
    frm->tmrMoveLeft1.setEnabled(true);
    frm->Pause();
    for (platform::Timer* timer : {&frm->tmrMoveLeft1, &frm->tmrMoveRight1, &frm->tmrMoveLeft2,
                                   &frm->tmrMoveRight2, &frm->tmrTumbrix, &frm->tmrScoreLevel}) {
        EXPECT_FALSE(timer->enabled()) << timer->name();
    }
    EXPECT_TRUE(frm->gamePaused && frm->lblPause.visible);
    EXPECT_FALSE(playfieldVisible() || frm->shpDot1.visible || frm->shpDot2.visible);
    EXPECT_EQ(std::tuple(frm->picture, frm->mousePointer),
              std::tuple("pause_screen", MousePointer::Default));
    EXPECT_EQ(runtime.log, Strings{"MainMusic.wav StopWave"});

    // Paused time does not count.
    float barTop = frm->shpLine1.top;
    runSeconds(5);
    EXPECT_EQ(std::tuple(frm->elapsedSeconds, frm->shpLine1.top), std::tuple(0, barTop));

    runtime.log.clear();
    frm->Unpause();
    EXPECT_TRUE(frm->tmrMoveLeft1.enabled() && frm->tmrTumbrix.enabled() &&
                frm->tmrScoreLevel.enabled());
    EXPECT_FALSE(frm->tmrMoveRight2.enabled() || frm->tmrMoveLeft2.enabled() || frm->gamePaused ||
                 frm->lblPause.visible);
    EXPECT_TRUE(playfieldVisible() && frm->shpDot1.visible && frm->shpDot2.visible);
    EXPECT_EQ(std::tuple(frm->picture, frm->mousePointer),
              std::tuple("background", MousePointer::Custom));
    // The music resumes from where it stopped: no rewind.
    EXPECT_EQ(runtime.log, (Strings{"MainMusic.wav WaveMode", "MainMusic.wav PlayWave"}));

    // A second pause forgets the rolls.
    frm->tmrMoveLeft1.setEnabled(false);
    frm->tmrMoveRight2.setEnabled(true);
    frm->Pause();
    const std::int16_t remembered = frm->savedSteer2;
    frm->Pause();
    EXPECT_EQ(std::tuple(remembered, frm->savedSteer1, frm->savedSteer2), std::tuple(2, 0, 0));
    frm->Unpause();
    EXPECT_FALSE(frm->tmrMoveRight2.enabled() || frm->tmrMoveLeft1.enabled());

    // Music switched off is neither stopped nor resumed.
    frm->mnuMusicOnOff.checked = false;
    runtime.log.clear();
    pauseAndResume();
    EXPECT_EQ(logged("MainMusic.wav"), 0u);
    // Music already playing is not restarted by a resume.
    frm->mnuMusicOnOff.checked = true;
    frm->Pause();
    runtime.wavePlayer("MainMusic.wav").forceMode(526);
    runtime.log.clear();
    frm->Unpause();
    EXPECT_EQ(runtime.logEntries("MainMusic.wav"), Strings{"MainMusic.wav WaveMode"});
}

TEST_F(PauseTest, TheWraparoundNoticeAndItemsComeBackButTheBonusNoticeDoesNot) {
    frm->elapsedSeconds = 92;
    frm->lblWrapAround.visible = true;
    frm->Pause();
    EXPECT_FALSE(frm->lblWrapAround.visible);
    frm->Unpause();
    EXPECT_TRUE(frm->lblWrapAround.visible);
    // Back from exactly 90 to 94 seconds only.
    for (auto [t, shown] : {std::pair{89, false}, {90, true}, {94, true}, {95, false}}) {
        frm->elapsedSeconds = t;
        pauseAndResume();
        EXPECT_EQ(frm->lblWrapAround.visible, shown) << t;
    }

    // Items come back, the bonus notice does not.
    frm->fraGhost.visible = frm->ghostShown = true;
    frm->lblBonusTime.visible = frm->lblSnailTimeLeft.visible = true;
    frm->Pause();
    EXPECT_TRUE(!frm->fraGhost.visible && !frm->lblBonusTime.visible &&
                frm->lblSnailTimeLeft.visible);
    frm->Unpause();
    EXPECT_TRUE(frm->fraGhost.visible && !frm->fraSnail.visible && !frm->lblBonusTime.visible);
    frm->fraGhost.visible = frm->ghostShown = false;
    frm->fraSnail.visible = frm->snailShown = true;
    frm->Pause();
    EXPECT_FALSE(frm->fraSnail.visible);
    frm->Unpause();
    EXPECT_TRUE(frm->fraSnail.visible && !frm->fraGhost.visible);
}

TEST_F(PauseTest, AnOutPlayerStaysOutAndAGameOverPauseKeepsThePlayfield) {
    frm->player2Out = true;
    frm->shpDot2.visible = false;
    pauseAndResume();
    EXPECT_TRUE(frm->shpDot1.visible && frm->player1Alive && frm->player2Crushed);
    EXPECT_FALSE(frm->shpDot2.visible || frm->player2Alive);
    // And the same for player 1.
    frm->player2Out = false;
    frm->player2Alive = true;
    frm->player2Crushed = false;
    frm->player1Out = true;
    frm->shpDot1.visible = false;
    pauseAndResume();
    EXPECT_TRUE(frm->shpDot2.visible && frm->player2Alive && frm->player1Crushed);
    EXPECT_FALSE(frm->shpDot1.visible || frm->player1Alive || frm->player2Crushed);
    frm->player1Out = false;
    frm->shpDot1.visible = true;

    // The pause while a game-over message shows keeps the playfield on show.
    frm->gameOverPause = true;
    frm->Pause();
    EXPECT_TRUE(playfieldVisible() && frm->shpDot1.visible);
    EXPECT_FALSE(frm->lblPause.visible || frm->tmrTumbrix.enabled());
    EXPECT_EQ(frm->picture, "background");
}

TEST_F(PauseTest, OnePlayerPauseLeavesBallTwoAloneAndNoGameNoPause) {
    frm->mnuNewGame1.onClick();
    frm->shpDot2.top = frm->shpLine3.top - 500;
    pauseAndResume();
    EXPECT_EQ(std::tuple(frm->shpDot2.top, frm->shpDot2.visible),
              std::tuple(frm->shpLine3.top - 500, false));

    frm->Form_Load();
    runtime.log.clear();
    frm->Pause();
    EXPECT_TRUE(!frm->gamePaused && runtime.log.empty());
}

TEST_F(PauseTest, SteppingAwayPausesOnlyARunningGame) {
    frm->tmrMoveRight1.setEnabled(true);
    frm->playerSteppedAway();
    EXPECT_TRUE(frm->gamePaused && frm->lblPause.visible && frm->savedSteer1 == 2);
    // Already paused: no second pause, so the remembered roll survives.
    runtime.log.clear();
    frm->playerSteppedAway();
    EXPECT_EQ(std::tuple(frm->savedSteer1, runtime.log.size()), std::tuple(2, 0u));
    keyDown(platform::keys::kReturn);
    EXPECT_TRUE(!frm->gamePaused && frm->tmrMoveRight1.enabled());

    frm->Form_Load();
    frm->playerSteppedAway();
    EXPECT_FALSE(frm->gamePaused);
}

TEST_F(PauseTest, SunkBallsAreSettledOntoTheirBar) {
    // Sunk by 100, or just inside either limit: settled 15 below the bar's
    // top. Exactly 15 or exactly 240 below: left alone.
    const std::pair<float, bool> cases[] = {
        {100, true}, {15, false}, {240, false}, {15.5f, true}, {239.5f, true}};
    for (auto [sunk, settled] : cases) {
        const float top = frm->shpLine3.top + sunk - 615;
        frm->shpDot1.top = frm->shpDot2.top = top;
        frm->PutBall1OnLine();
        frm->PutBall2OnLine();
        const float expected = settled ? frm->shpLine3.top - 600 : top;
        EXPECT_EQ(std::tuple(frm->shpDot1.top, frm->shpDot2.top), std::tuple(expected, expected))
            << sunk;
    }
    // Pause settles both balls: ball 1 sunk into bar 2, ball 2 into bar 3.
    frm->shpDot1.top = frm->shpLine3.top + 100 - 615;
    frm->shpDot2.top = frm->shpLine5.top + 100 - 615;
    frm->Pause();
    EXPECT_EQ(std::tuple(frm->shpDot1.top, frm->shpDot2.top),
              std::tuple(frm->shpLine3.top - 600, frm->shpLine5.top - 600));
    frm->Unpause();

    // Ball 2 only in a 2-player game.
    frm->twoPlayerGame = false;
    frm->shpDot2.top = frm->shpLine1.top + 100 - 615;
    frm->PutBall2OnLine();
    EXPECT_EQ(frm->shpDot2.top, frm->shpLine1.top + 100 - 615);
}

}  // namespace
