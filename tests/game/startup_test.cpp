#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "game/game_fixture.h"
#include "game/player_name.h"

namespace {

class StartUpTest : public GameFixture {};

TEST_F(StartUpTest, OneTimeStepsRunInOrderAndTheNameIsKnownBeforeTheTableIsRead) {
    std::ofstream(runtime.folder() / "Tumbrix.txt") << "\"TESTER\"\r\n\"50\"\r\n";
    runtime.log.clear();
    startProgram();
    const std::string folder = runtime.folder().string() + "/";
    Strings expected = {"loadForm  Tumbrix", "randomize 43210.250000", "environment NWUSERNAME",
                        "environment LOGIN", "loadForm  Tumbrix High Scores"};
    for (const char* file : {"MainMusic.wav", "HighScore.wav", "GameOver.wav", "BonusCollected.wav",
                             "BallBounce.wav"}) {
        expected.push_back(std::string(file) + " OpenWave " + folder + file);
    }
    EXPECT_EQ(std::tuple(runtime.log, frm->personalBest), std::tuple(expected, 50));
}

TEST_F(StartUpTest, ResetRestoresThePlayfieldAndKeepsTheKindOfGameAndItsScores) {
    // Dirty every value the reset touches.
    frm->mnuNewGame2.onClick();
    const std::initializer_list<platform::Label*> labels = {
        &frm->lblWrapAround,    &frm->lblBonusTime,     &frm->lblSnailTimeLeftTitle,
        &frm->lblSnailTimeLeft, &frm->lblGhostTimeLeft, &frm->lblGhostTimeLeftTitle,
        &frm->lblScore1,        &frm->lblScore2};
    for (platform::Label* label : labels) {
        label->visible = true;
    }
    for (platform::Timer* timer : frm->timers) {
        timer->setEnabled(true);
    }
    frm->escReleased = frm->player1Alive = frm->player2Alive = false;
    frm->snailShown = frm->ghostShown = frm->fraSnail.visible = frm->fraGhost.visible = true;
    frm->gamePaused = frm->player1Crushed = frm->player2Crushed = frm->onePlayerOut = true;
    frm->gameOverPause = true;
    frm->snailEndTime = frm->ghostEndTime = frm->elapsedSeconds = frm->score2 = 2;
    frm->baseSpeed = frm->barSpeed = frm->ball1LastHalf = frm->ball2LastHalf = 3;
    frm->leftStep1 = frm->rightStep1 = frm->leftStep2 = frm->rightStep2 = 180;
    frm->shpLine1.top = -250;
    frm->shpLine4.left = 777;
    frm->lblScore.caption = "321";

    frm->Form_Load();
    for (platform::Label* label : labels) {
        EXPECT_FALSE(label->visible) << label->name;
    }
    // The colour timer belongs to the display options, not the game.
    EXPECT_EQ(std::tuple(scene(), frm->tmrBonusTime.enabled(), frm->tmrTrippyMode.enabled()),
              std::tuple("idle bars", false, true));
    EXPECT_FALSE(frm->snailShown || frm->ghostShown || frm->fraSnail.visible ||
                 frm->fraGhost.visible || frm->gamePaused || frm->player1Crushed ||
                 frm->player2Crushed || frm->onePlayerOut || frm->gameOverPause);
    EXPECT_TRUE(frm->escReleased && frm->player1Alive && frm->player2Alive);
    EXPECT_EQ(std::tuple(frm->snailEndTime, frm->ghostEndTime, frm->elapsedSeconds,
                         frm->ball1LastHalf, frm->ball2LastHalf, frm->baseSpeed, frm->barSpeed,
                         frm->leftStep1 + frm->rightStep1 + frm->leftStep2 + frm->rightStep2,
                         frm->shpLine1.top, frm->shpLine4.left),
              std::tuple(0, 0, 0, 0, 0, 10, 10, 4 * 60, 2000, 9795));
    EXPECT_EQ((Strings{frm->player1Name, frm->player2Name, frm->lblScore1.caption,
                       frm->lblScore2.caption, frm->lblScore.caption}),
              (Strings{"TESTER", "Player 2", "TESTER: 0", "Player 2: 0", "0"}));
    // Kept for the ranking that may follow; the one-time steps do not rerun.
    EXPECT_EQ(std::tuple(frm->twoPlayerGame, frm->score2, logged("randomize")),
              std::tuple(true, 2, 1u));
}

TEST_F(StartUpTest, OnlyANegativeLeftIsMovedAndARightHalfLeftIsRoundedToEven) {
    // Gap start, draws (side, left, right), Lefts of the Snail (1440 wide)
    // and the Ghost (1095):
    const std::tuple<float, float, float, float, int, int> cases[] = {
        {10500, 0, 0.5f, 0.0f, 4530, 12000},      // right half 660 wide: from its Left
        {10500, 0, 0.5f, 0.99999f, 4530, 11565},  // ... to the width less the item's
        {10065, 0, 0.5f, 0.7f, 4312, 11565},      // right half exactly as wide as the item
        {1000, 0, 0.5f, 0.5f, 0, 7032},           // left half narrower than the Snail: 0
        {1440, 0, 0.99999f, 0.5f, 0, 7252},       // left half exactly as wide
        {500.5f, 0, 0, 0, 0, 2000},               // right half's Left 2000.5
        {501.5f, 0.5f, 0, 0, 2002, 0},            // 2001.5, the Snail there
    };
    for (auto [gapStart, side, leftDraw, rightDraw, snail, ghost] : cases) {
        frm->shpLine1.left = gapStart - frm->shpLine1.width;
        frm->shpLine2.left = gapStart + 1500;
        runtime.scriptedDraws = {side, leftDraw, rightDraw};
        frm->PlaceBonuses();
        EXPECT_EQ(std::tuple(frm->snailLeft, frm->ghostLeft), std::tuple(snail, ghost))
            << gapStart << " " << rightDraw;
    }
}

TEST_F(StartUpTest, TheNameComesFromTheFirstNonEmptyVariableInOrder) {
    auto nameWith = [&](std::map<std::string, std::string> env) {
        runtime.env = std::move(env);
        startProgram();
        return std::tuple(frm->userName, frm->lblScore1.caption);
    };
    EXPECT_EQ(nameWith({{"NWUSERNAME", " alice "}, {"LOGIN", "bob"}}),
              std::tuple("ALICE", "ALICE: 0"));
    EXPECT_EQ(nameWith({{"NWUSERNAME", "   "}, {"LOGIN", ""}, {"USERNAME", "carol"}}),
              std::tuple("CAROL", "CAROL: 0"));
    EXPECT_EQ(nameWith({}), std::tuple("", ": 0"));
}

TEST(PlayerNameTest, UpperCasedTrimmedAndSafeForTheScoreFile) {
    // Quotes become apostrophes, control characters (C0, DEL, C1) blanks;
    // every UTF-8 letter is upper-cased and other bytes pass unchanged.
    const std::pair<const char*, const char*> cases[] = {
        {"  o\"neil Smith  ", "O'NEIL SMITH"},
        {"   ", ""},
        {"\tann\r\nlee\x01\x7f", "ANN  LEE"},
        {"\xc2\x85x\xc2\x80y\xc2\x9f\xc2\xa0", "X Y \xc2\xa0"},  // C1 ones, but not U+00A0
        {"jos\xc3\xa9 \xcf\x89 \xd0\xb6", "JOS\xc3\x89 \xce\xa9 \xd0\x96"},  // é ω ж
        {"gro\xc3\x9f \xc3\xbf", "GRO\xc3\x9f \xc5\xb8"},                    // ß stays, ÿ
        {"\xc4\xb1\xc9\x90", "I\xe2\xb1\xaf"},  // dotless ı to one byte, ɐ to three
        // Not UTF-8: lone, overlong, surrogate, stray, too high, cut.
        {"x\xffy\xc0\xafz", "X\xffY\xc0\xafZ"},
        {"\xed\xa0\x80x\x80\xa9z", "\xed\xa0\x80X\x80\xa9Z"},
        {"\xf4\x90\x80\x80x\xe2\x82z\xc3\xa9 \xc3", "\xf4\x90\x80\x80X\xe2\x82Z\xc3\x89 \xc3"}};
    for (auto [raw, expected] : cases) {
        EXPECT_EQ(game::playerNameFrom(raw), expected) << raw;
    }
    // Where no UTF-8 locale exists, only ASCII letters change.
    EXPECT_EQ(game::playerNameFrom("jos\xc3\xa9 \xc4\xb1", nullptr), "JOS\xc3\xa9 \xc4\xb1");
}

}  // namespace
