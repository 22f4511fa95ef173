#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "platform/headless/headless_runtime.h"
#include "scores/frm_high_scores.h"
#include "scores/score_file_location.h"

namespace scores {
namespace {

struct FakeMainWindow : MainWindowLink {
    std::int16_t score1 = 0;
    std::int16_t personalBest = -1;
    std::int16_t topScore = -1;
    std::string userName = "ABC";
    bool gameInProgress = false;
    std::int16_t getScore1() const override { return score1; }
    void setScore1(std::int16_t value) override { score1 = value; }
    std::int16_t getPersonalBest() const override { return personalBest; }
    void setPersonalBest(std::int16_t value) override { personalBest = value; }
    std::int16_t getTopScore() const override { return topScore; }
    void setTopScore(std::int16_t value) override { topScore = value; }
    std::string getUserName() const override { return userName; }
    void setUserName(const std::string& value) override { userName = value; }
    bool getGameInProgress() const override { return gameInProgress; }
    void setGameInProgress(bool value) override { gameInProgress = value; }
};

class HighScoresTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return runtime.folder() / "Tumbrix.txt"; }
    std::string fileContent() const {
        std::ifstream in(file(), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    // Writes a table of (name, score) rows as the game would.
    void writeTable(const std::vector<std::pair<std::string, std::string>>& rows) {
        std::ofstream out(file(), std::ios::binary);
        for (const auto& [name, score] : rows) {
            out << '"' << name << "\"\r\n\"" << score << "\"\r\n";
        }
    }
    FrmHighScores& window() {
        if (!frm) {
            frm = std::make_unique<FrmHighScores>(runtime, main);
            runtime.loadForm(*frm);
        }
        return *frm;
    }
    std::vector<std::string> names() {
        std::vector<std::string> result;
        for (std::size_t i = 1; i <= 16; ++i) {
            result.push_back(window().lblName[i].caption + "=" + window().lblHighScore[i].caption);
        }
        return result;
    }
    // Ranks a finished game's score and publishes, as the game over does.
    void rank(std::int16_t score, bool duringGame = true) {
        main.score1 = score;
        main.gameInProgress = duringGame;
        window().CalculateHighScores();
        window().UpdateHighScores();
    }

    platform::headless::HeadlessRuntime runtime;
    FakeMainWindow main;
    std::unique_ptr<FrmHighScores> frm;
};

TEST_F(HighScoresTest, AMissingFileIsCreatedEmptyAndTheTableStartsBlank) {
    window();
    EXPECT_TRUE(std::filesystem::exists(file()));
    EXPECT_EQ(fileContent(), "");
    EXPECT_EQ(names(), std::vector<std::string>(16, "=0"));
    window().UpdateHighScores();
    EXPECT_EQ(main.personalBest, 0);
    EXPECT_EQ(main.topScore, 0);
}

TEST_F(HighScoresTest, AFirstScoreTopsAnEmptyTableAndIsWrittenAsSixteenEntries) {
    rank(5);
    EXPECT_EQ(names()[0], "ABC=5");
    EXPECT_EQ(names()[1], "=0");
    std::string expected = "\"ABC\"\r\n\"5\"\r\n";
    for (int i = 2; i <= 16; ++i) {
        expected += "\"\"\r\n\"0\"\r\n";
    }
    EXPECT_EQ(fileContent(), expected);
    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(runtime.messages[0].prompt, "You have a new high score!!!");
    EXPECT_EQ(runtime.messages[0].title, "New High Score");
    EXPECT_EQ(main.personalBest, 5);
    EXPECT_EQ(main.topScore, 5);
}

TEST_F(HighScoresTest, ZeroNeverEntersAndAnEqualScoreChangesNothing) {
    rank(0);
    EXPECT_EQ(fileContent(), "");
    rank(40);
    std::string before = fileContent();
    runtime.messages.clear();
    rank(40);
    EXPECT_EQ(fileContent(), before);
    EXPECT_TRUE(runtime.messages.empty());
    // Outside a game a new best enters silently.
    rank(41, false);
    EXPECT_EQ(names()[0], "ABC=41");
    EXPECT_TRUE(runtime.messages.empty());
}

TEST_F(HighScoresTest, ABetterScoreReplacesThePlayersOwnEntry) {
    writeTable({{"X", "200"}, {"Y", "120"}, {"ABC", "100"}, {"Z", "90"}});
    rank(150);
    std::vector<std::string> expected = {"X=200", "ABC=150", "Y=120", "Z=90"};
    expected.resize(16, "=0");
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(main.personalBest, 150);
    EXPECT_EQ(main.topScore, 200);
}

TEST_F(HighScoresTest, EqualScoresStayAboveAndOnlyTheUpperDuplicateIsReplaced) {
    writeTable({{"X", "50"}, {"ABC", "40"}, {"Y", "30"}, {"ABC", "20"}});
    rank(50);
    std::vector<std::string> expected = {"X=50", "ABC=50", "Y=30", "ABC=20"};
    expected.resize(16, "=0");
    EXPECT_EQ(names(), expected);
}

TEST_F(HighScoresTest, WithoutAnEntryTheScoreMustBeatTheLastOne) {
    std::vector<std::pair<std::string, std::string>> full;
    for (int i = 1; i <= 16; ++i) {
        full.push_back({"P" + std::to_string(i), std::to_string(100 - i)});
    }
    writeTable(full);
    rank(84);  // equals entry 16
    EXPECT_EQ(names()[15], "P16=84");
    EXPECT_EQ(main.personalBest, 0);
    rank(85);
    EXPECT_EQ(names()[15], "ABC=85");
    EXPECT_EQ(names()[14], "P15=85");
}

TEST_F(HighScoresTest, TwentyEntriesAreReadAsSixteenAndWrittenBackAsSixteen) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 1; i <= 20; ++i) {
        rows.push_back({"P" + std::to_string(i), std::to_string(1000 - i)});
    }
    writeTable(rows);
    rank(995);
    std::string content = fileContent();
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 32);
    EXPECT_EQ(content.find("P16"), std::string::npos);
    EXPECT_EQ(names()[4], "P5=995");
    EXPECT_EQ(names()[5], "ABC=995");
}

TEST_F(HighScoresTest, EditedScoresArePublishedClampedNeverOverflowing) {
    for (auto [text, expected] : {std::pair<std::string, int>{"99999", 32767},
                                  {"-40000", -32768},
                                  {"12.5", 12},
                                  {"13.5", 14},
                                  {"abc", 0},
                                  {"1 2", 12},
                                  {"1e400", 32767}}) {
        writeTable({{"ABC", text}});
        window().UpdateHighScores();
        EXPECT_EQ(main.personalBest, expected) << text;
        EXPECT_EQ(main.topScore, expected) << text;
    }
}

TEST_F(HighScoresTest, AFailedWriteLeavesTheOldFileWhole) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 1; i <= 16; ++i) {
        rows.push_back({std::string(60, char('A' + i)), std::to_string(200 - i)});
    }
    writeTable(rows);
    window();
    const std::string before = fileContent();
    // A file-size limit makes the table's write fail part-way, even for
    // root, as a full disk would; the one-line error still fits.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    testing::internal::CaptureStderr();
    rank(300);
    std::string error = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(fileContent(), before);
    EXPECT_NE(error.find("cannot save the high-score table"), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(runtime.folder())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(HighScoresTest, AReadOnlyTableIsStillReadAndShownButNotReplaced) {
    writeTable({{"X", "200"}, {"ABC", "50"}});
    std::filesystem::permissions(file(), std::filesystem::perms::owner_read |
                                             std::filesystem::perms::group_read |
                                             std::filesystem::perms::others_read);
    testing::internal::CaptureStderr();
    rank(300);
    std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fileContent(), "\"X\"\r\n\"200\"\r\n\"ABC\"\r\n\"50\"\r\n");
    EXPECT_NE(error.find("cannot save"), std::string::npos);
    // The next read shows the file's table again.
    window().UpdateHighScores();
    EXPECT_EQ(names()[0], "X=200");
    EXPECT_EQ(main.personalBest, 50);
}

TEST(ScoreFileLocationTest, AnInstalledGameKeepsItsTableInTheUsersDataFolder) {
    EXPECT_EQ(locateScoreFile("/opt/tumbrix", true, "/x", "/home/u").file,
              "/opt/tumbrix/Tumbrix.txt");
    ScoreFileLocation installed = locateScoreFile("/opt/tumbrix", false, "", "/home/u");
    EXPECT_EQ(installed.file, "/home/u/.local/share/tumbrix/Tumbrix.txt");
    EXPECT_EQ(installed.seedFrom, std::filesystem::path("/opt/tumbrix/Tumbrix.txt"));
    EXPECT_EQ(locateScoreFile("/opt/tumbrix", false, "/data", "/home/u").file,
              "/data/tumbrix/Tumbrix.txt");
    EXPECT_EQ(locateScoreFile("/opt/tumbrix", false, "relative", "/home/u").file,
              "/home/u/.local/share/tumbrix/Tumbrix.txt");
}

TEST(ScoreFileLocationTest, TheUsersTableStartsFromTheInstalledOneOnce) {
    platform::headless::HeadlessRuntime runtime;
    const std::filesystem::path program = runtime.folder() / "program";
    std::filesystem::create_directories(program);
    std::ofstream(program / "Tumbrix.txt") << "\"SHIPPED\"\r\n\"9\"\r\n";
    std::filesystem::permissions(program / "Tumbrix.txt", std::filesystem::perms::owner_read);
    ScoreFileLocation location =
        locateScoreFile(program, false, (runtime.folder() / "data").string(), "");
    prepareScoreFile(location);
    ASSERT_TRUE(std::filesystem::exists(location.file));
    std::ofstream(location.file, std::ios::app) << "\"MINE\"\r\n\"3\"\r\n";
    // A second start keeps the user's own table.
    prepareScoreFile(location);
    std::ifstream in(location.file);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "\"SHIPPED\"\r\n\"9\"\r\n\"MINE\"\r\n\"3\"\r\n");
}

}  // namespace
}  // namespace scores
