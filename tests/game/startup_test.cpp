#include <gtest/gtest.h>

#include <algorithm>

#include "game/game_fixture.h"

namespace {

// Notes what the window shows when the start-up reaches a service, so the
// order of its steps can be checked.
class ObservingRuntime : public platform::headless::HeadlessRuntime {
public:
    struct Player : platform::headless::RecordingWavePlayer {
        ObservingRuntime& runtime;
        explicit Player(ObservingRuntime& r) : RecordingWavePlayer(r.log), runtime(r) {}
        void OpenWave(const std::string& path) override {
            runtime.log.push_back("pause=" + runtime.frm->lblPause.caption.substr(0, 14) +
                                  (runtime.frm->lblPause.caption.size() > 14 ? "+" : ""));
            RecordingWavePlayer::OpenWave(path);
        }
    };
    std::unique_ptr<platform::WavePlayer> createWavePlayer() override {
        return std::make_unique<Player>(*this);
    }
    std::string environment(const std::string& name) override {
        log.push_back("picture=" + frm->picture);
        return HeadlessRuntime::environment(name);
    }
    void loadForm(platform::Form& form) override {
        if (&form != frm) {
            log.push_back("userName=" + frm->userName + " pause=" + frm->lblPause.caption);
        }
        HeadlessRuntime::loadForm(form);
    }
    game::FrmTumbrix* frm = nullptr;
};

TEST(StartUpTest, OneTimeStepsRunInOrderThenTheWaveFilesOpen) {
    ObservingRuntime runtime;
    runtime.env["LOGIN"] = "zed";
    game::FrmTumbrix frm(runtime);
    runtime.frm = &frm;
    runtime.loadForm(frm);

    const std::string folder = runtime.folder().string();
    std::vector<std::string> expected = {
        "loadForm  Tumbrix",
        "randomize " + std::to_string(runtime.secondsSinceMidnightValue),
        "picture=background",
        "environment NWUSERNAME",
        "picture=background",
        "environment LOGIN",
        "userName=ZED pause=Game Paused...",
        "loadForm  Tumbrix High Scores"};
    for (const char* file : {"MainMusic.wav", "HighScore.wav", "GameOver.wav", "BonusCollected.wav",
                             "BallBounce.wav"}) {
        expected.push_back("pause=Game Paused...+");
        expected.push_back(std::string(file) + " OpenWave " + folder + "/" + file);
    }
    EXPECT_EQ(runtime.log, expected);
    EXPECT_EQ(frm.lblPause.caption, "Game Paused...\r\n\r\nPress ESC or ENTER to Resume.");
    // Idle: the buttons wait, the bars stand at their reset places, nothing moves.
    EXPECT_TRUE(frm.cmdNewGame1.visible && frm.cmdNewGame2.visible);
    runtime.advanceTicks(200);
    EXPECT_EQ(frm.shpLine1.top, 2000);
    EXPECT_EQ(frm.shpLine3.top, 6000);
    EXPECT_EQ(frm.lblScore.caption, "0");
}

class ResetTest : public GameFixture {};

TEST_F(ResetTest, ResetRestoresThePlayfieldAndKeepsWhatItMustKeep) {
    // Dirty every value the reset touches, and those it must leave alone.
    frm->escReleased = false;
    for (platform::Label* label :
         {&frm->lblWrapAround, &frm->lblBonusTime, &frm->lblSnailTimeLeftTitle,
          &frm->lblSnailTimeLeft, &frm->lblGhostTimeLeftTitle, &frm->lblGhostTimeLeft,
          &frm->lblScore1, &frm->lblScore2}) {
        label->visible = true;
    }
    frm->snailEndTime = 7;
    frm->ghostEndTime = 8;
    frm->snailShown = true;
    frm->ghostShown = true;
    frm->fraSnail.visible = true;
    frm->fraGhost.visible = true;
    frm->player1Name = "Player 1";
    frm->player2Name = "someone";
    frm->shpDot1.visible = true;
    frm->shpDot2.visible = true;
    for (platform::Timer* timer : frm->timers) {
        timer->setEnabled(true);
    }
    frm->gameInProgress = true;
    frm->player1Crushed = true;
    frm->player2Crushed = true;
    frm->onePlayerOut = true;
    frm->gameOverPause = true;
    frm->gamePaused = true;
    frm->player1Alive = false;
    frm->player2Alive = false;
    frm->shpLine1.top = -250;
    frm->shpLine4.left = 777;
    frm->baseSpeed = 99;
    frm->barSpeed = 50;
    frm->leftStep1 = frm->rightStep1 = frm->leftStep2 = frm->rightStep2 = 180;
    frm->lblScore.caption = "321";
    frm->elapsedSeconds = 321;
    frm->ball1LastHalf = 3;
    frm->ball2LastHalf = 4;
    frm->ball1Airborne = true;
    frm->score1 = 321;
    frm->score2 = 123;
    frm->twoPlayerGame = true;
    frm->player1Out = true;
    frm->tieGame = true;
    frm->savedSteer1 = 2;
    frm->savedSteer2 = 1;
    frm->shpDot1.left = 1234;
    frm->shpDot1.top = 4321;
    frm->mnuMusicOnOff.checked = false;
    frm->cmdNewGame1.visible = false;
    frm->cmdNewGame2.visible = true;

    frm->Form_Load();

    EXPECT_TRUE(frm->escReleased);
    for (platform::Label* label :
         {&frm->lblWrapAround, &frm->lblBonusTime, &frm->lblSnailTimeLeftTitle,
          &frm->lblSnailTimeLeft, &frm->lblGhostTimeLeftTitle, &frm->lblGhostTimeLeft,
          &frm->lblScore1, &frm->lblScore2}) {
        EXPECT_FALSE(label->visible) << label->name;
    }
    EXPECT_EQ(frm->snailEndTime, 0);
    EXPECT_EQ(frm->ghostEndTime, 0);
    EXPECT_FALSE(frm->snailShown || frm->ghostShown);
    EXPECT_FALSE(frm->fraSnail.visible || frm->fraGhost.visible);
    EXPECT_EQ(frm->player1Name, "TESTER");
    EXPECT_EQ(frm->player2Name, "Player 2");
    EXPECT_FALSE(frm->shpDot1.visible || frm->shpDot2.visible);
    for (platform::Timer* timer : frm->timers) {
        // The colour timer belongs to the display options, not the game.
        EXPECT_EQ(timer->enabled(), timer == &frm->tmrTrippyMode) << timer->name();
    }
    EXPECT_FALSE(frm->gameInProgress || frm->player1Crushed || frm->player2Crushed ||
                 frm->onePlayerOut || frm->gameOverPause || frm->gamePaused);
    EXPECT_TRUE(frm->player1Alive && frm->player2Alive);
    EXPECT_EQ(frm->shpLine1.top, 2000);
    EXPECT_EQ(frm->shpLine4.left, 9795);
    EXPECT_EQ(frm->baseSpeed, 10);
    EXPECT_EQ(frm->barSpeed, 10);
    EXPECT_EQ(frm->leftStep1 + frm->rightStep1 + frm->leftStep2 + frm->rightStep2, 240);
    EXPECT_EQ(frm->lblScore1.caption, "TESTER: 0");
    EXPECT_EQ(frm->lblScore2.caption, "Player 2: 0");
    EXPECT_EQ(frm->lblScore.caption, "0");
    EXPECT_EQ(frm->elapsedSeconds, 0);
    EXPECT_EQ(frm->ball1LastHalf, 0);
    EXPECT_EQ(frm->ball2LastHalf, 0);

    // Left as they were.
    EXPECT_TRUE(frm->ball1Airborne);
    EXPECT_EQ(frm->score1, 321);
    EXPECT_EQ(frm->score2, 123);
    EXPECT_TRUE(frm->twoPlayerGame);
    EXPECT_TRUE(frm->player1Out);
    EXPECT_TRUE(frm->tieGame);
    EXPECT_EQ(frm->savedSteer1, 2);
    EXPECT_EQ(frm->savedSteer2, 1);
    EXPECT_EQ(frm->shpDot1.left, 1234);
    EXPECT_EQ(frm->shpDot1.top, 4321);
    EXPECT_FALSE(frm->mnuMusicOnOff.checked);
    EXPECT_FALSE(frm->cmdNewGame1.visible);
    EXPECT_TRUE(frm->cmdNewGame2.visible);
    // The one-time steps do not run again.
    EXPECT_EQ(runtime.logEntries("randomize").size(), 1u);
    EXPECT_EQ(runtime.logEntries("MainMusic.wav OpenWave").size(), 1u);
}

TEST_F(ResetTest, BonusItemsAreNeverPlacedOffTheVisibleHalves) {
    // Sweep bar 1 over every gap position a recycle can give.
    int snailOnLeft = 0;
    for (int step = 0; step <= 2000; ++step) {
        double r = step / 2000.0 * 0.99999;
        frm->shpLine1.left = static_cast<float>(-(r * 10260) - 585);
        frm->shpLine2.left = frm->shpLine1.width + frm->shpLine1.left + 1500;
        for (int draw = 0; draw < 4; ++draw) {
            frm->PlaceBonuses();
            ASSERT_TRUE(frm->bonusSide == 1 || frm->bonusSide == 2);
            snailOnLeft += frm->bonusSide == 1;
            const platform::Frame& leftItem = frm->bonusSide == 1 ? frm->fraSnail : frm->fraGhost;
            const platform::Frame& rightItem = frm->bonusSide == 1 ? frm->fraGhost : frm->fraSnail;
            double leftItemLeft = frm->bonusSide == 1 ? frm->snailLeft : frm->ghostLeft;
            double rightItemLeft = frm->bonusSide == 1 ? frm->ghostLeft : frm->snailLeft;
            double gapStart = frm->shpLine1.left + frm->shpLine1.width;
            ASSERT_GE(frm->snailLeft, 0);
            ASSERT_GE(frm->ghostLeft, 0);
            // Over the left half, unless the visible part is narrower than the item.
            if (gapStart >= leftItem.width) {
                ASSERT_LE(leftItemLeft + leftItem.width, gapStart);
            } else {
                ASSERT_EQ(leftItemLeft, 0);
            }
            // On screen at the right, over the right half when it is wide enough.
            ASSERT_LE(rightItemLeft + rightItem.width, 12660);
            if (12660 - frm->shpLine2.left >= rightItem.width) {
                ASSERT_GE(rightItemLeft, std::floor(frm->shpLine2.left));
            }
        }
    }
    // Both sides come up, about equally often.
    EXPECT_NEAR(snailOnLeft, 4002, 300);
}

}  // namespace
