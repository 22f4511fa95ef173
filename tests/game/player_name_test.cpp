#include "game/player_name.h"

#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

TEST(PlayerNameTest, UpperCasesAndTrimsBlanks) {
    EXPECT_EQ(game::playerNameFrom("  alice  "), "ALICE");
    EXPECT_EQ(game::playerNameFrom("Bob Smith"), "BOB SMITH");
    EXPECT_EQ(game::playerNameFrom("   "), "");
    EXPECT_EQ(game::playerNameFrom(""), "");
}

TEST(PlayerNameTest, QuotesAndControlCharactersCannotBreakTheScoreFile) {
    EXPECT_EQ(game::playerNameFrom("o\"neil"), "O'NEIL");
    EXPECT_EQ(game::playerNameFrom("\tann\r\nlee\x01"), "ANN  LEE");
    EXPECT_EQ(game::playerNameFrom("\x7f"), "");
    // Bytes of other scripts pass through untouched.
    EXPECT_EQ(game::playerNameFrom("jos\xc3\xa9"), "JOS\xc3\xa9");
}

class UserNameTest : public GameFixture {
protected:
    void SetUp() override {}
    std::string nameWith(std::map<std::string, std::string> env) {
        runtime.env = std::move(env);
        startProgram();
        return frm->userName;
    }
};

TEST_F(UserNameTest, EnvironmentVariablesAreTriedInOrderUntilOneIsNonEmpty) {
    EXPECT_EQ(nameWith({{"NWUSERNAME", " alice "}, {"LOGIN", "bob"}, {"USERNAME", "carol"}}),
              "ALICE");
    EXPECT_EQ(nameWith({{"LOGIN", "bob"}, {"USERNAME", "carol"}}), "BOB");
    EXPECT_EQ(nameWith({{"NWUSERNAME", "   "}, {"LOGIN", ""}, {"USERNAME", "carol"}}), "CAROL");
}

TEST_F(UserNameTest, NoNameAtAllGivesAnEmptyNameAndABareScoreLabel) {
    EXPECT_EQ(nameWith({}), "");
    EXPECT_EQ(frm->lblScore1.caption, ": 0");
    EXPECT_EQ(frm->player1Name, "");
}

}  // namespace
