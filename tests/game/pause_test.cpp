#include <gtest/gtest.h>

#include "game/game_fixture.h"

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
        for (platform::Shape* shape : {&frm->shpLine1, &frm->shpLine2, &frm->shpLine3,
                                       &frm->shpLine4, &frm->shpLine5, &frm->shpLine6}) {
            if (!shape->visible) {
                return false;
            }
        }
        return true;
    }
};

TEST_F(PauseTest, PauseFreezesEverythingAndShowsThePauseScreen) {
    frm->tmrMoveLeft1.setEnabled(true);
    frm->Pause();
    for (platform::Timer* timer : {&frm->tmrMoveLeft1, &frm->tmrMoveRight1, &frm->tmrMoveLeft2,
                                   &frm->tmrMoveRight2, &frm->tmrTumbrix, &frm->tmrScoreLevel}) {
        EXPECT_FALSE(timer->enabled()) << timer->name();
    }
    EXPECT_TRUE(frm->gamePaused);
    EXPECT_EQ(frm->picture, "pause_screen");
    EXPECT_TRUE(frm->lblPause.visible);
    EXPECT_FALSE(playfieldVisible());
    EXPECT_FALSE(frm->shpDot1.visible || frm->shpDot2.visible);
    EXPECT_EQ(frm->mousePointer, MousePointer::Default);
    EXPECT_EQ(runtime.log, std::vector<std::string>{"MainMusic.wav StopWave"});

    // Paused time does not count.
    float barTop = frm->shpLine1.top;
    runSeconds(5);
    EXPECT_EQ(frm->elapsedSeconds, 0);
    EXPECT_EQ(frm->shpLine1.top, barTop);

    runtime.log.clear();
    frm->Unpause();
    EXPECT_FALSE(frm->gamePaused);
    EXPECT_TRUE(frm->tmrMoveLeft1.enabled());
    EXPECT_FALSE(frm->tmrMoveRight2.enabled() || frm->tmrMoveLeft2.enabled());
    EXPECT_TRUE(frm->tmrTumbrix.enabled() && frm->tmrScoreLevel.enabled());
    EXPECT_TRUE(playfieldVisible());
    EXPECT_TRUE(frm->shpDot1.visible && frm->shpDot2.visible);
    EXPECT_EQ(frm->picture, "background");
    EXPECT_FALSE(frm->lblPause.visible);
    EXPECT_EQ(frm->mousePointer, MousePointer::Custom);
    // The music resumes from where it stopped: no rewind.
    EXPECT_EQ(runtime.log,
              (std::vector<std::string>{"MainMusic.wav WaveMode", "MainMusic.wav PlayWave"}));
}

TEST_F(PauseTest, ASecondPauseForgetsTheRolls) {
    frm->tmrMoveRight2.setEnabled(true);
    frm->Pause();
    EXPECT_EQ(frm->savedSteer2, 2);
    frm->Pause();
    EXPECT_EQ(frm->savedSteer1, 0);
    EXPECT_EQ(frm->savedSteer2, 0);
    frm->Unpause();
    EXPECT_FALSE(frm->tmrMoveRight2.enabled());
}

TEST_F(PauseTest, MusicSwitchedOffIsNeitherStoppedNorResumed) {
    frm->mnuMusicOnOff.checked = false;
    frm->Pause();
    frm->Unpause();
    EXPECT_TRUE(runtime.logEntries("MainMusic.wav").empty());
    // Music already playing is not restarted by a resume.
    frm->mnuMusicOnOff.checked = true;
    frm->Pause();
    wave("MainMusic.wav").forceMode(526);
    runtime.log.clear();
    frm->Unpause();
    EXPECT_EQ(runtime.logEntries("MainMusic.wav"),
              std::vector<std::string>{"MainMusic.wav WaveMode"});
}

TEST_F(PauseTest, TheWraparoundNoticeReturnsOnlyWithinItsFiveSeconds) {
    frm->elapsedSeconds = 92;
    frm->lblWrapAround.visible = true;
    frm->Pause();
    EXPECT_FALSE(frm->lblWrapAround.visible);
    frm->Unpause();
    EXPECT_TRUE(frm->lblWrapAround.visible);
    frm->elapsedSeconds = 95;
    frm->Pause();
    frm->Unpause();
    EXPECT_FALSE(frm->lblWrapAround.visible);
}

TEST_F(PauseTest, ItemsComeBackButTheNoticeDoesNot) {
    frm->fraGhost.visible = true;
    frm->ghostShown = true;
    frm->lblBonusTime.visible = true;
    frm->lblSnailTimeLeft.visible = true;
    frm->Pause();
    EXPECT_FALSE(frm->fraGhost.visible || frm->lblBonusTime.visible);
    EXPECT_TRUE(frm->lblSnailTimeLeft.visible);
    frm->Unpause();
    EXPECT_TRUE(frm->fraGhost.visible);
    EXPECT_FALSE(frm->fraSnail.visible || frm->lblBonusTime.visible);
}

TEST_F(PauseTest, AnOutPlayerStaysOutOverAPause) {
    frm->player2Out = true;
    frm->shpDot2.visible = false;
    frm->Pause();
    frm->Unpause();
    EXPECT_TRUE(frm->shpDot1.visible);
    EXPECT_FALSE(frm->shpDot2.visible);
    EXPECT_FALSE(frm->player2Alive);
    EXPECT_TRUE(frm->player2Crushed);
    EXPECT_TRUE(frm->player1Alive);
}

TEST_F(PauseTest, OnePlayerPauseLeavesBallTwoAloneAndNoGameNoPause) {
    frm->mnuNewGame1.onClick();
    frm->shpDot2.top = frm->shpLine3.top - 500;
    frm->Pause();
    frm->Unpause();
    EXPECT_EQ(frm->shpDot2.top, frm->shpLine3.top - 500);
    EXPECT_FALSE(frm->shpDot2.visible);

    frm->Form_Load();
    runtime.log.clear();
    frm->Pause();
    EXPECT_FALSE(frm->gamePaused);
    EXPECT_TRUE(runtime.log.empty());
}

TEST_F(PauseTest, GameOverPauseKeepsThePlayfieldOnShow) {
    frm->gameOverPause = true;
    frm->Pause();
    EXPECT_TRUE(playfieldVisible());
    EXPECT_TRUE(frm->shpDot1.visible);
    EXPECT_FALSE(frm->lblPause.visible);
    EXPECT_EQ(frm->picture, "background");
    EXPECT_FALSE(frm->tmrTumbrix.enabled());
}

TEST_F(PauseTest, SunkBallsAreSettledOntoTheirBar) {
    // Bottom edge 100 twips below bar 2's top: settled 15 below it.
    frm->shpDot1.top = frm->shpLine3.top + 100 - 615;
    frm->shpDot2.top = frm->shpLine3.top + 100 - 615;
    frm->PutBall1OnLine();
    frm->PutBall2OnLine();
    EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top - 600);
    EXPECT_EQ(frm->shpDot2.top, frm->shpLine3.top - 600);
    // Exactly 15 or exactly 240 below: left alone.
    for (float sunk : {15.0f, 240.0f}) {
        frm->shpDot1.top = frm->shpLine3.top + sunk - 615;
        frm->PutBall1OnLine();
        EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top + sunk - 615) << sunk;
    }
    // Just inside both limits: settled.
    for (float sunk : {15.5f, 239.5f}) {
        frm->shpDot1.top = frm->shpLine3.top + sunk - 615;
        frm->PutBall1OnLine();
        EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top - 600) << sunk;
    }
    // Ball 2 only in a 2-player game.
    frm->twoPlayerGame = false;
    frm->shpDot2.top = frm->shpLine1.top + 100 - 615;
    frm->PutBall2OnLine();
    EXPECT_EQ(frm->shpDot2.top, frm->shpLine1.top + 100 - 615);
}

}  // namespace
