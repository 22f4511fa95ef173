#include <gtest/gtest.h>

#include <tuple>

#include "game/game_fixture.h"
#include "game/player_name.h"

namespace {

// Notes what the window shows when the start-up reaches a service, so the
// order of its steps can be checked.
class ObservingRuntime : public platform::headless::HeadlessRuntime {
public:
    struct Player : platform::headless::RecordingWavePlayer {
        ObservingRuntime& runtime;
        explicit Player(ObservingRuntime& r) : RecordingWavePlayer(r.log), runtime(r) {}
        void OpenWave(const std::string& path) override {
            runtime.log.push_back("pause=" + runtime.frm->lblPause.caption);
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
    Strings expected = {"loadForm  Tumbrix",
                        "randomize " + std::to_string(runtime.secondsSinceMidnightValue)};
    expected.insert(
        expected.end(),
        {"picture=background", "environment NWUSERNAME", "picture=background", "environment LOGIN",
         "userName=ZED pause=Game Paused...", "loadForm  Tumbrix High Scores"});
    for (const char* file : {"MainMusic.wav", "HighScore.wav", "GameOver.wav", "BonusCollected.wav",
                             "BallBounce.wav"}) {
        expected.push_back("pause=Game Paused...\r\n\r\nPress ESC or ENTER to Resume.");
        expected.push_back(std::string(file) + " OpenWave " + folder + "/" + file);
    }
    EXPECT_EQ(runtime.log, expected);
    // Idle: the buttons wait, the bars stand at their reset places, nothing moves.
    EXPECT_TRUE(frm.cmdNewGame1.visible && frm.cmdNewGame2.visible);
    runtime.advanceTicks(200);
    EXPECT_EQ(std::tuple(frm.shpLine1.top, frm.shpLine3.top, frm.lblScore.caption),
              std::tuple(2000, 6000, "0"));
}

// A started program, as the player finds it.
class GameStartTest : public GameFixture {};

TEST_F(GameStartTest, ResetRestoresThePlayfieldAndKeepsWhatItMustKeep) {
    // Dirty every value the reset touches...
    for (platform::Label* label :
         {&frm->lblWrapAround, &frm->lblBonusTime, &frm->lblSnailTimeLeftTitle,
          &frm->lblSnailTimeLeft, &frm->lblGhostTimeLeftTitle, &frm->lblGhostTimeLeft,
          &frm->lblScore1, &frm->lblScore2}) {
        label->visible = true;
    }
    for (platform::Timer* timer : frm->timers) {
        timer->setEnabled(true);
    }
    frm->escReleased = frm->player1Alive = frm->player2Alive = false;
    frm->snailShown = frm->ghostShown = frm->fraSnail.visible = frm->fraGhost.visible = true;
    frm->shpDot1.visible = frm->shpDot2.visible = frm->gameInProgress = frm->gamePaused = true;
    frm->player1Crushed = frm->player2Crushed = frm->onePlayerOut = frm->gameOverPause = true;
    frm->player1Name = frm->player2Name = "someone";
    frm->snailEndTime = frm->ghostEndTime = frm->elapsedSeconds = 321;
    frm->shpLine1.top = -250;
    frm->shpLine4.left = 777;
    frm->baseSpeed = frm->barSpeed = frm->ball1LastHalf = frm->ball2LastHalf = 3;
    frm->leftStep1 = frm->rightStep1 = frm->leftStep2 = frm->rightStep2 = 180;
    frm->lblScore.caption = "321";
    // ...and those it must leave alone.
    frm->ball1Airborne = frm->twoPlayerGame = frm->player1Out = frm->tieGame = true;
    frm->mnuMusicOnOff.checked = frm->cmdNewGame1.visible = false;
    frm->cmdNewGame2.visible = true;
    frm->score1 = frm->score2 = 321;
    frm->savedSteer1 = frm->savedSteer2 = 2;
    place(frm->shpDot1, 1234, 4321);

    frm->Form_Load();

    for (platform::Label* label :
         {&frm->lblWrapAround, &frm->lblBonusTime, &frm->lblSnailTimeLeftTitle,
          &frm->lblSnailTimeLeft, &frm->lblGhostTimeLeftTitle, &frm->lblGhostTimeLeft,
          &frm->lblScore1, &frm->lblScore2}) {
        EXPECT_FALSE(label->visible) << label->name;
    }
    for (platform::Timer* timer : frm->timers) {
        // The colour timer belongs to the display options, not the game.
        EXPECT_EQ(timer->enabled(), timer == &frm->tmrTrippyMode) << timer->name();
    }
    EXPECT_TRUE(frm->escReleased && frm->player1Alive && frm->player2Alive);
    EXPECT_FALSE(frm->snailShown || frm->ghostShown || frm->fraSnail.visible ||
                 frm->fraGhost.visible || frm->shpDot1.visible || frm->shpDot2.visible);
    EXPECT_FALSE(frm->gameInProgress || frm->player1Crushed || frm->player2Crushed ||
                 frm->onePlayerOut || frm->gameOverPause || frm->gamePaused);
    EXPECT_EQ(std::tuple(frm->snailEndTime, frm->ghostEndTime, frm->elapsedSeconds,
                         frm->ball1LastHalf, frm->ball2LastHalf, frm->baseSpeed, frm->barSpeed),
              std::tuple(0, 0, 0, 0, 0, 10, 10));
    EXPECT_EQ(std::tuple(frm->shpLine1.top, frm->shpLine4.left), std::tuple(2000, 9795));
    EXPECT_EQ(frm->leftStep1 + frm->rightStep1 + frm->leftStep2 + frm->rightStep2, 240);
    EXPECT_EQ((Strings{frm->player1Name, frm->player2Name, frm->lblScore1.caption,
                       frm->lblScore2.caption, frm->lblScore.caption}),
              (Strings{"TESTER", "Player 2", "TESTER: 0", "Player 2: 0", "0"}));

    // Left as they were.
    EXPECT_TRUE(frm->ball1Airborne && frm->twoPlayerGame && frm->player1Out && frm->tieGame &&
                frm->cmdNewGame2.visible);
    EXPECT_FALSE(frm->mnuMusicOnOff.checked || frm->cmdNewGame1.visible);
    EXPECT_EQ(std::tuple(frm->score1, frm->score2, frm->savedSteer1, frm->savedSteer2,
                         frm->shpDot1.left, frm->shpDot1.top),
              std::tuple(321, 321, 2, 2, 1234, 4321));
    // The one-time steps do not run again.
    EXPECT_EQ(std::tuple(logged("randomize"), logged("MainMusic.wav OpenWave")),
              std::tuple(1u, 1u));
}

TEST_F(GameStartTest, BonusItemsAreNeverPlacedOffTheVisibleHalves) {
    // Sweep bar 1 over every gap position a recycle can give.
    int snailOnLeft = 0;
    for (int step = 0; step <= 2000; ++step) {
        double r = step / 2000.0 * 0.99999;
        frm->shpLine1.left = static_cast<float>(-(r * 10260) - 585);
        frm->shpLine2.left = frm->shpLine1.width + frm->shpLine1.left + 1500;
        for (int draw = 0; draw < 4; ++draw) {
            frm->PlaceBonuses();
            ASSERT_TRUE(frm->bonusSide == 1 || frm->bonusSide == 2);
            const bool snailLeft = frm->bonusSide == 1;
            snailOnLeft += snailLeft;
            const platform::Frame& leftItem = snailLeft ? frm->fraSnail : frm->fraGhost;
            const platform::Frame& rightItem = snailLeft ? frm->fraGhost : frm->fraSnail;
            double leftItemLeft = snailLeft ? frm->snailLeft : frm->ghostLeft;
            double rightItemLeft = snailLeft ? frm->ghostLeft : frm->snailLeft;
            double gapStart = frm->shpLine1.left + frm->shpLine1.width;
            ASSERT_GE(frm->snailLeft, 0);
            ASSERT_GE(frm->ghostLeft, 0);
            // Over the left half, unless the visible part is narrower than the item.
            if (gapStart >= leftItem.width) {
                ASSERT_LE(leftItemLeft + leftItem.width, gapStart);
            } else {
                ASSERT_EQ(leftItemLeft, 0);
            }
            // Over the visible part of the right half; over one narrower than
            // the item, between its Left and the window's width less the item's.
            const double room = 12660 - frm->shpLine2.left - rightItem.width;
            ASSERT_GE(rightItemLeft, frm->shpLine2.left + std::min(room, 0.0) - 1);
            ASSERT_LE(rightItemLeft, frm->shpLine2.left + std::max(room, 0.0) + 1);
        }
    }
    // Both sides come up, about equally often.
    EXPECT_NEAR(snailOnLeft, 4002, 300);
}

TEST_F(GameStartTest, OnlyANegativeLeftIsMovedAndAnItemMayReachPastTheRightEdge) {
    // Snail over the left half, Ghost (1095 wide) over the right half.
    struct Case {
        float gapStart;
        float leftDraw, rightDraw;
        std::int16_t snailLeft, ghostLeft;
    };
    const Case cases[] = {
        {10500, 0.5f, 0.0f, 4530, 12000},      // right half 660 wide: from its Left
        {10500, 0.5f, 0.99999f, 4530, 11565},  // ... to the width less the item's
        {10065, 0.5f, 0.7f, 4312, 11565},      // right half exactly as wide as the item
        {1000, 0.5f, 0.5f, 0, 7032},           // left half narrower than the Snail: 0, not -220
        {1440, 0.99999f, 0.5f, 0, 7252},       // left half exactly as wide
    };
    for (const Case& c : cases) {
        frm->shpLine1.left = c.gapStart - frm->shpLine1.width;
        frm->shpLine2.left = c.gapStart + 1500;
        runtime.scriptedDraws = {0.0f, c.leftDraw, c.rightDraw};
        frm->PlaceBonuses();
        EXPECT_EQ(std::tuple(frm->snailLeft, frm->ghostLeft), std::tuple(c.snailLeft, c.ghostLeft))
            << c.gapStart << " " << c.rightDraw;
    }
}

TEST_F(GameStartTest, AnItemOverTheRightHalfRoundsAFractionalLeftHalfToEven) {
    // Drawn at 0 over the right half, an item stands at the half's Left,
    // rounded to a whole twip with halves to the even neighbour.
    Strings lefts;
    for (float rightLeft : {2000.5f, 2001.5f}) {
        frm->shpLine2.left = rightLeft;
        runtime.scriptedDraws = {0.0f, 0.0f, 0.0f};  // Snail left, Ghost right
        frm->PlaceBonuses();
        lefts.push_back("ghost " + std::to_string(frm->ghostLeft));
        runtime.scriptedDraws = {0.5f, 0.0f, 0.0f};  // Ghost left, Snail right
        frm->PlaceBonuses();
        lefts.push_back("snail " + std::to_string(frm->snailLeft));
    }
    EXPECT_EQ(lefts, (Strings{"ghost 2000", "snail 2000", "ghost 2002", "snail 2002"}));
}

TEST(PlayerNameTest, UpperCasedTrimmedAndSafeForTheScoreFile) {
    // Quotes and control characters would break the score file.
    Strings names;
    // C1 ones (U+0080 to U+009F) too; U+00A0 is a letter's neighbour, kept.
    for (const char* raw : {"  alice  ", "Bob Smith", "   ", "", "o\"neil", "\tann\r\nlee\x01",
                            "\x7f", "ann\xc2\x80lee\xc2\x9f", "\xc2\x85x\xc2\xa0"}) {
        names.push_back(game::playerNameFrom(raw));
    }
    EXPECT_EQ(names, (Strings{"ALICE", "BOB SMITH", "", "", "O'NEIL", "ANN  LEE", "", "ANN LEE",
                              "X\xc2\xa0"}));
}

TEST(PlayerNameTest, EveryLetterOfAUtf8NameIsUpperCasedAndOtherBytesPassUnchanged) {
    const std::pair<const char*, const char*> cases[] = {
        {"jos\xc3\xa9", "JOS\xc3\x89"},                                      // josé
        {"\xcf\x89mega \xd0\xb6\xd0\xbe", "\xce\xa9MEGA \xd0\x96\xd0\x9e"},  // ωmega жо
        {"gro\xc3\x9f", "GRO\xc3\x9f"},  // ß has no single capital
        {"\xc4\xb1", "I"},               // dotless ı: one byte
        {"\xc9\x90", "\xe2\xb1\xaf"},    // ɐ: three bytes
        {"\xc3\xbf", "\xc5\xb8"},        // ÿ
        // Not UTF-8: a lone byte, a cut sequence, an overlong slash, a
        // surrogate, stray continuation bytes, past U+10FFFF.
        {"x\xffy", "X\xffY"},
        {"x\xc3", "X\xc3"},
        {"\xc0\xafx", "\xc0\xafX"},
        {"\xed\xa0\x80x", "\xed\xa0\x80X"},
        {"\x80\xa9z", "\x80\xa9Z"},
        {"\xf4\x90\x80\x80x", "\xf4\x90\x80\x80X"},
        {"\xe2\x82z\xc3\xa9", "\xe2\x82Z\xc3\x89"},
    };
    for (auto [raw, expected] : cases) {
        EXPECT_EQ(game::playerNameFrom(raw), expected) << raw;
    }
    // Where no UTF-8 locale exists, only ASCII letters change.
    EXPECT_EQ(game::playerNameFrom("jos\xc3\xa9 \xc4\xb1", nullptr), "JOS\xc3\xa9 \xc4\xb1");
}

TEST_F(GameStartTest, TheNameComesFromTheFirstNonEmptyVariableInOrder) {
    auto nameWith = [&](std::map<std::string, std::string> env) {
        runtime.env = std::move(env);
        startProgram();
        return frm->userName;
    };
    EXPECT_EQ(nameWith({{"NWUSERNAME", " alice "}, {"LOGIN", "bob"}, {"USERNAME", "carol"}}),
              "ALICE");
    EXPECT_EQ(nameWith({{"LOGIN", "bob"}, {"USERNAME", "carol"}}), "BOB");
    EXPECT_EQ(nameWith({{"NWUSERNAME", "   "}, {"LOGIN", ""}, {"USERNAME", "carol"}}), "CAROL");
    // No name at all gives an empty name and a bare score label.
    EXPECT_EQ(nameWith({}), "");
    EXPECT_EQ(std::tuple(frm->lblScore1.caption, frm->player1Name), std::tuple(": 0", ""));
}

}  // namespace
