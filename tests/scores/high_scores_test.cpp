#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "game/game_fixture.h"
#include "platform/files.h"
#include "scores/frm_high_scores.h"
#include "scores/score_file_location.h"

namespace scores {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Rows P1, P2, ... scoring top - 1, top - 2, ...
Rows numbered(int count, int top, const std::string& suffix = "") {
    Rows rows;
    for (int i = 1; i <= count; ++i) {
        rows.push_back({"P" + std::to_string(i) + suffix, std::to_string(top - i)});
    }
    return rows;
}

// The high-score window as the game's main window uses it, for player ABC.
class HighScoresTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        frm->userName = "ABC";
    }
    std::filesystem::path file() const { return runtime.folder() / "Tumbrix.txt"; }
    std::string fileContent() const { return contentOf(file()); }
    // Writes a table as the game would.
    void writeTable(const Rows& rows) {
        std::ofstream out(file(), std::ios::binary);
        for (const auto& [name, score] : rows) {
            out << '"' << name << "\"\r\n\"" << score << "\"\r\n";
        }
    }
    FrmHighScores& window() { return frm->frmHighScores(); }
    // The shown table as "name=score" rows, padded with blank rows to 16.
    Strings names() {
        Strings result;
        for (std::size_t i = 1; i <= 16; ++i) {
            result.push_back(window().lblName[i].caption + "=" + window().lblHighScore[i].caption);
        }
        return result;
    }
    static Strings padded(Strings rows) {
        rows.resize(16, "=0");
        return rows;
    }
    // Ranks a finished game's score and publishes, as the game over does.
    void rank(std::int16_t score, bool duringGame = true) {
        frm->score1 = score;
        frm->gameInProgress = duringGame;
        window().CalculateHighScores();
        window().UpdateHighScores();
    }
};

TEST_F(HighScoresTest, AMissingFileIsCreatedEmptyAndAFirstScoreTopsItAsSixteenEntriesOnce) {
    EXPECT_TRUE(std::filesystem::exists(file()));
    EXPECT_EQ(names(), padded({}));
    frm->personalBest = frm->topScore = -1;
    window().UpdateHighScores();
    EXPECT_EQ(std::tuple(frm->personalBest, frm->topScore), std::tuple(0, 0));
    rank(0);  // 0 never enters
    EXPECT_EQ(fileContent(), "");

    rank(5);
    EXPECT_EQ(names(), padded({"ABC=5"}));
    std::string expected = "\"ABC\"\r\n\"5\"\r\n";
    for (int i = 2; i <= 16; ++i) {
        expected += "\"\"\r\n\"0\"\r\n";
    }
    EXPECT_EQ(fileContent(), expected);
    ASSERT_EQ(runtime.messages.size(), 1u);
    EXPECT_EQ(runtime.messages[0].prompt, "You have a new high score!!!");
    EXPECT_EQ(runtime.messages[0].title, "New High Score");
    EXPECT_EQ(std::tuple(frm->personalBest, frm->topScore), std::tuple(5, 5));

    // An equal score changes nothing; outside a game a new best enters silently.
    runtime.messages.clear();
    rank(5);
    EXPECT_EQ(std::tuple(fileContent(), runtime.messages.size()), std::tuple(expected, 0u));
    rank(6, false);
    EXPECT_EQ(std::tuple(names()[0], runtime.messages.size()), std::tuple("ABC=6", 0u));
}

TEST_F(HighScoresTest, ABetterScoreReplacesTheUpperOwnEntryAndEqualScoresStayAbove) {
    writeTable({{"X", "200"}, {"Y", "120"}, {"ABC", "100"}, {"Z", "90"}});
    rank(150);
    EXPECT_EQ(names(), padded({"X=200", "ABC=150", "Y=120", "Z=90"}));
    EXPECT_EQ(std::tuple(frm->personalBest, frm->topScore), std::tuple(150, 200));

    writeTable({{"X", "50"}, {"ABC", "40"}, {"Y", "30"}, {"ABC", "20"}});
    rank(50);
    EXPECT_EQ(names(), padded({"X=50", "ABC=50", "Y=30", "ABC=20"}));
}

TEST_F(HighScoresTest, AFullTableOfSixteenOrMoreMustBeBeatenAtItsLastEntry) {
    writeTable(numbered(16, 100));
    rank(84);  // equals entry 16
    EXPECT_EQ(std::tuple(names()[15], frm->personalBest), std::tuple("P16=84", 0));
    rank(85);
    EXPECT_EQ(std::tuple(names()[14], names()[15]), std::tuple("P15=85", "ABC=85"));

    // Twenty entries are read as sixteen and written back as sixteen.
    writeTable(numbered(20, 1000));
    rank(995);
    std::string content = fileContent();
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 32);
    EXPECT_EQ(content.find("P16"), std::string::npos);
    EXPECT_EQ(std::tuple(names()[4], names()[5]), std::tuple("P5=995", "ABC=995"));
}

TEST_F(HighScoresTest, ABlankLineOrAByteOrderMarkInTheFileNeitherShiftsNorLosesEntries) {
    // A full table opened in an editor that added a blank first line: the
    // next save keeps every pair, the better score enters once.
    writeTable(numbered(16, 100));
    std::string edited = "\r\n" + fileContent();
    std::ofstream(file(), std::ios::binary) << edited;
    rank(100);
    Strings expected = {"ABC=100"};
    for (int i = 1; i <= 15; ++i) {
        expected.push_back("P" + std::to_string(i) + "=" + std::to_string(100 - i));
    }
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(fileContent().substr(0, 24), "\"ABC\"\r\n\"100\"\r\n\"P1\"\r\n\"99\"");

    // Saved with a byte-order mark: the first name is kept, and written back
    // without the mark.
    edited = "\xEF\xBB\xBF" + fileContent();
    std::ofstream(file(), std::ios::binary) << edited;
    rank(101);
    EXPECT_EQ(std::tuple(names()[0], names()[1]), std::tuple("ABC=101", "P1=99"));
    EXPECT_EQ(fileContent().substr(0, 5), "\"ABC\"");
}

TEST_F(HighScoresTest, AFifoNeverBlocksAndOnlyTheFirstMebibyteOfAHugeFileIsRead) {
    // A FIFO in the table's place that nobody writes to: the game starts
    // with an empty table instead of waiting forever.
    std::filesystem::remove(file());
    ASSERT_EQ(mkfifo(file().c_str(), 0644), 0);
    auto started = std::async(std::launch::async, [this] { startProgram(); });
    bool blocked = false;
    while (started.wait_for(std::chrono::seconds(blocked ? 0 : 10)) != std::future_status::ready) {
        // Open and close the writing end, so that the blocked read ends.
        blocked = true;
        int writer = ::open(file().c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    started.get();
    EXPECT_FALSE(blocked) << "start-up waited for the FIFO";
    EXPECT_EQ(names(), padded({}));

    // A file far larger than any table: only its first MiB is read, so the
    // name that runs past it ends there and its score is never reached.
    std::filesystem::remove(file());
    std::ofstream(file(), std::ios::binary)
        << "\"A\"\r\n\"1\"\r\n\"" << std::string(1 << 20, 'x') << "\"\r\n\"2\"\r\n";
    window().UpdateHighScores();
    EXPECT_EQ(std::tuple(names()[0], window().lblName[2].caption.size(),
                         window().lblHighScore[2].caption),
              std::tuple("A=1", (1u << 20) - 11, "0"));
}

TEST_F(HighScoresTest, EditedScoresArePublishedClampedNeverOverflowing) {
    const std::pair<const char*, int> cases[] = {{"99999", 32767}, {"-40000", -32768}, {"12.5", 12},
                                                 {"13.5", 14},     {"abc", 0},         {"1 2", 12},
                                                 {"1e400", 32767}};
    for (auto [text, expected] : cases) {
        writeTable({{"ABC", text}});
        window().UpdateHighScores();
        EXPECT_EQ(std::tuple(frm->personalBest, frm->topScore), std::tuple(expected, expected))
            << text;
    }
}

TEST_F(HighScoresTest, AFailedWriteLeavesTheOldFileWhole) {
    writeTable(numbered(16, 200, std::string(60, 'X')));
    const std::string before = fileContent();
    // A file-size limit makes the table's write fail part-way, even for
    // root, as a full disk would; the one-line error still fits.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const struct rlimit tiny { 512, old.rlim_max };
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(runtime.folder()), {}), 1);
}

TEST_F(HighScoresTest, ASavedTableKeepsItsModeAndANewOneIsReadableByAll) {
    namespace fs = std::filesystem;
    // A table shared by a group: the save replaces the file, not its mode.
    fs::permissions(file(), fs::perms(0664));
    rank(5);
    EXPECT_EQ(std::tuple(names()[0], fs::status(file()).permissions()),
              std::tuple("ABC=5", fs::perms(0664)));
    // A table saved where none was: 0644, whatever the umask.
    fs::remove(file());
    const mode_t oldMask = ::umask(077);
    std::string error;
    const bool saved = platform::files::replaceAtomically(file(), "\"X\"\r\n\"1\"\r\n", error);
    ::umask(oldMask);
    EXPECT_TRUE(saved) << error;
    EXPECT_EQ(fs::status(file()).permissions(), fs::perms(0644));
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
    EXPECT_EQ(std::tuple(names()[0], frm->personalBest), std::tuple("X=200", 50));
}

TEST_F(HighScoresTest, WithoutAnAbsoluteHomeTheTableIsNeverRelativeAndAtWorstKeptForThisRun) {
    // An installed game: its folder is not writable (here: not there).
    runtime.programFolder = runtime.folder() / "installed";
    runtime.env["XDG_DATA_HOME"] = "";
    // Relative paths would land here.
    const std::filesystem::path work = runtime.folder() / "work";
    std::filesystem::create_directories(work);
    struct WorkingFolder {
        std::filesystem::path old = std::filesystem::current_path();
        ~WorkingFolder() { std::filesystem::current_path(old); }
    } restore;
    std::filesystem::current_path(work);
    auto startWithHome = [&](const char* home, const std::string& databaseHome) {
        runtime.env["HOME"] = home;
        runtime.passwordDatabaseHome = databaseHome;
        testing::internal::CaptureStderr();
        startProgram();
        frm->userName = "ABC";
        return testing::internal::GetCapturedStderr();
    };

    // HOME empty or relative: the password database's home folder.
    const std::filesystem::path home = runtime.folder() / "home";
    for (const char* badHome : {"", "relative/home"}) {
        EXPECT_EQ(startWithHome(badHome, home.string()), "") << badHome;
        rank(5);
        EXPECT_EQ(contentOf(home / ".local/share/tumbrix/Tumbrix.txt").substr(0, 5), "\"ABC\"");
        std::filesystem::remove_all(home);
    }

    // No absolute home anywhere: the table lives for this run only, said
    // once, and works as ever within the run.
    for (const std::string& badDatabaseHome : {std::string(), std::string("relative")}) {
        const std::string error = startWithHome("", badDatabaseHome);
        EXPECT_NE(error.find("kept for this run only"), std::string::npos) << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        testing::internal::CaptureStderr();
        rank(5);
        rank(7);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(names(), padded({"ABC=7"}));
        EXPECT_EQ(std::tuple(frm->personalBest, frm->topScore), std::tuple(7, 7));
    }
    // Nothing was written relative to the working folder.
    EXPECT_TRUE(std::filesystem::is_empty(work));
}

TEST_F(HighScoresTest, AMarkedInstalledCopyKeepsItsTableInTheDataFolderEvenWhereItCouldWrite) {
    writeTable({{"SHIPPED", "50"}});
    std::ofstream(runtime.folder() / FrmHighScores::kInstalledMarker) << "installed\n";
    runtime.env["XDG_DATA_HOME"] = (runtime.folder() / "data").string();
    startProgram();
    frm->userName = "ABC";
    rank(70);
    // Started from the shipped table, which stays as it came.
    EXPECT_EQ(contentOf(runtime.folder() / "data/tumbrix/Tumbrix.txt").substr(0, 24),
              "\"ABC\"\r\n\"70\"\r\n\"SHIPPED\"\r\n");
    EXPECT_EQ(fileContent(), "\"SHIPPED\"\r\n\"50\"\r\n");
}

TEST(ScoreFileLocationTest, AnInstalledGameKeepsItsTableInTheUsersDataFolder) {
    auto fileFor = [](bool portable, const char* dataHome, const char* home = "/home/u") {
        auto location = locateScoreFile("/opt/tumbrix", portable, dataHome, home);
        return location ? location->file : "(this run only)";
    };
    EXPECT_EQ(fileFor(true, "/x"), "/opt/tumbrix/Tumbrix.txt");
    EXPECT_EQ(fileFor(false, ""), "/home/u/.local/share/tumbrix/Tumbrix.txt");
    EXPECT_EQ(fileFor(false, "/data"), "/data/tumbrix/Tumbrix.txt");
    EXPECT_EQ(fileFor(false, "relative"), "/home/u/.local/share/tumbrix/Tumbrix.txt");
    EXPECT_EQ(locateScoreFile("/opt/tumbrix", false, "", "/home/u")->seedFrom,
              std::filesystem::path("/opt/tumbrix/Tumbrix.txt"));
    // Never a relative place: no absolute data folder nor home, no file.
    EXPECT_EQ(fileFor(false, "/data", ""), "/data/tumbrix/Tumbrix.txt");
    EXPECT_EQ(fileFor(false, "", ""), "(this run only)");
    EXPECT_EQ(fileFor(false, "relative", "home/u"), "(this run only)");

    // HOME when absolute; else the password database, asked only then.
    int asked = 0;
    auto database = [&](std::string home) {
        return [&asked, home] {
            ++asked;
            return home;
        };
    };
    EXPECT_EQ(userHome("/home/env", database("/home/db")), "/home/env");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(userHome("", database("/home/db")), "/home/db");
    EXPECT_EQ(userHome("home/env", database("/home/db")), "/home/db");
    EXPECT_EQ(userHome("", database("")), "");
    EXPECT_EQ(userHome("", database("home/db")), "");
    EXPECT_EQ(asked, 4);
}

TEST(ScoreFileLocationTest, TheUsersTableStartsFromTheInstalledOneOnce) {
    platform::headless::HeadlessRuntime runtime;
    const std::filesystem::path program = runtime.folder() / "program";
    std::filesystem::create_directories(program);
    std::ofstream(program / "Tumbrix.txt") << "\"SHIPPED\"\r\n\"9\"\r\n";
    std::filesystem::permissions(program / "Tumbrix.txt", std::filesystem::perms::owner_read);
    ScoreFileLocation location =
        *locateScoreFile(program, false, (runtime.folder() / "data").string(), "");
    prepareScoreFile(location);
    ASSERT_TRUE(std::filesystem::exists(location.file));
    // The copy of the read-only installed table is the user's to save.
    EXPECT_EQ(std::filesystem::status(location.file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::string error;
    EXPECT_TRUE(platform::files::replaceAtomically(
        location.file, "\"SHIPPED\"\r\n\"9\"\r\n\"MINE\"\r\n\"3\"\r\n", error))
        << error;
    // A second start keeps the user's own table.
    prepareScoreFile(location);
    EXPECT_EQ(contentOf(location.file), "\"SHIPPED\"\r\n\"9\"\r\n\"MINE\"\r\n\"3\"\r\n");
}

}  // namespace
}  // namespace scores
