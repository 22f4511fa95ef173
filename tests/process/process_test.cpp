// The real game, started as a program: a copy of it and its wave files in a
// folder of their own, keys from a script, and its table and exit status
// checked afterwards.
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "game_process.h"

namespace {

// The table's lines without their CR LF, when every line has one.
std::optional<std::vector<std::string>> linesOf(const std::string& table) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = table.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(table.substr(at, end - at));
    }
    if (at != table.size()) {
        return std::nullopt;
    }
    return lines;
}

// A table of 16 players with no points yet: any score enters it.
std::string tableOfNobodies() {
    std::string table;
    for (int i = 1; i <= 16; ++i) {
        table += "\"P" + std::to_string(i) + "\"\r\n\"0\"\r\n";
    }
    return table;
}

// Starts a 1-player game and leaves it by the Exit command after a while.
const std::string kPlayAndExit = R"(await  Tumbrix
key Ctrl+N
sleep 2500
key Ctrl+X
)";

// Shows the high-score list, closes it and exits.
const std::string kShowTableAndExit = R"(await  Tumbrix
key Ctrl+H
await  Tumbrix High Scores
click Continue
await  Tumbrix
key Ctrl+X
)";

TEST_F(ProcessTest, AGamePlayedByKeysEndsByExitWithItsScoreSaved) {
    start(R"(await  Tumbrix
key Ctrl+N
sleep 300
key Left
sleep 300
key Right Up A Shift+Left
key Escape
sleep 500
key Return Ctrl+Y Ctrl+R Ctrl+M
sleep 2000
key Ctrl+X
)");
    expectCleanExit();
    const std::optional<std::vector<std::string>> lines = linesOf(contentOf(table()));
    ASSERT_TRUE(lines && lines->size() == 32) << contentOf(table());
    EXPECT_EQ((*lines)[0], "\"TESTER\"");
    const int score = std::atoi((*lines)[1].c_str() + 1);
    EXPECT_TRUE(score >= 1 && score <= 5) << (*lines)[1];
    EXPECT_EQ((*lines)[2], "\"\"");
}

TEST_F(ProcessTest, AGameOverShowsItsResultAndTableAndTheNextRunStartsFromThem) {
    // Without a key the ball lands, rides a bar up and is crushed.
    start(R"(await  Tumbrix
key Ctrl+N
await Game Over
key Return
await New High Score
key Return
await  Tumbrix High Scores
click Continue
await  Tumbrix
key Ctrl+X
)");
    expectCleanExit();
    const std::string saved = contentOf(table());
    ASSERT_EQ(saved.substr(0, 9), "\"TESTER\"\r") << saved;
    // A second run shows the same table and changes nothing when left.
    start(kShowTableAndExit);
    expectCleanExit();
    EXPECT_EQ(contentOf(table()), saved);
}

TEST_F(ProcessTest, KilledInTheMiddleOfASaveTheTableIsTheOldOrTheNewNeverAMix) {
    const std::string old = tableOfNobodies();
    for (const char* moment : {"mid-write", "before-rename", "after-rename"}) {
        SCOPED_TRACE(moment);
        std::ofstream(table(), std::ios::binary) << old;
        start(kPlayAndExit, moment);
        const std::optional<int> stopped = nextStatus();
        ASSERT_TRUE(stopped && WIFSTOPPED(*stopped)) << output();
        ::kill(pid_, SIGKILL);
        const std::optional<int> killed = nextStatus();
        ASSERT_TRUE(killed && WIFSIGNALED(*killed) && WTERMSIG(*killed) == SIGKILL);

        const std::string after = contentOf(table());
        if (std::string(moment) == "after-rename") {
            const std::optional<std::vector<std::string>> lines = linesOf(after);
            ASSERT_TRUE(lines && lines->size() == 32) << after;
            EXPECT_EQ(std::tuple((*lines)[0], (*lines)[1] != "\"0\"", (*lines)[2]),
                      std::tuple("\"TESTER\"", true, "\"P1\""));
        } else {
            EXPECT_EQ(after, old);
        }
    }
    // A half-written temporary file left beside the table is no table: the
    // next run reads the table and leaves it as it was.
    const std::string last = contentOf(table());
    start("await  Tumbrix\nkey Ctrl+X\n");
    expectCleanExit();
    EXPECT_EQ(contentOf(table()), last);
}

TEST_F(ProcessTest, TwoCopiesOfTheInstalledGameSavingIntoTheSharedTableAtOnceKeepBothScores) {
    // The installed game, built with a shared table folder of the test's
    // own, played by two users of a group (by one user twice without root).
    fs::copy_file(SHARED_SCORES_BINARY, folder_ / "tumbrix", fs::copy_options::overwrite_existing);
    std::ofstream(folder_ / "tumbrix.installed") << "installed\n";
    fs::permissions(folder_, fs::perms(0755));
    const bool root = ::geteuid() == 0;
    const gid_t players = root ? 4200 : ::getegid();
    const fs::path shared = SHARED_SCORES_FOLDER;
    const fs::path table = shared / "Tumbrix.txt";
    // Emptied however it was left, also by a player who may not write it.
    auto clear = [&] {
        std::error_code ignored;
        fs::permissions(shared, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(shared, ignored);
    };
    struct Cleanup {
        std::function<void()> clear;
        ~Cleanup() { clear(); }
    } cleanup{clear};
    bool waited = false;
    for (int round = 1; round <= 6; ++round) {
        SCOPED_TRACE(round);
        // Odd rounds: the group may write the folder, so saves replace the
        // table. Even rounds: only the table, which is rewritten in place.
        clear();
        fs::create_directories(shared);
        std::ofstream(table, std::ios::binary) << tableOfNobodies();
        if (root) {
            ASSERT_EQ(::chown(shared.c_str(), 0, players) | ::chown(table.c_str(), 0, players), 0);
        }
        ::chmod(shared.c_str(), round % 2 == 1 ? 02775 : 0555);
        ::chmod(table.c_str(), 0664);
        const fs::path meeting = folder_ / ("meeting-" + std::to_string(round));
        fs::create_directories(meeting);
        fs::permissions(meeting, fs::perms::all);
        const std::string script =
            "await  Tumbrix\nmeet " + meeting.string() + " 2\nkey Ctrl+N\nsleep 2500\nkey Ctrl+X\n";
        std::vector<std::pair<pid_t, Player>> games;
        for (const char* login : {"a", "b"}) {
            Player player;
            player.login = login + std::to_string(round);
            player.uid = root ? 4200 + static_cast<uid_t>(*login - 'a' + 1) : ::geteuid();
            player.groups = {players};
            player.env = {{"TUMBRIX_SLOW_FSYNC_MS", "700"}};
            player.output = "output-" + player.login + ".txt";
            games.emplace_back(launch(script, player), player);
        }
        for (auto& [pid, player] : games) {
            expectCleanExit(pid, player.output);
            waited = waited ||
                     contentOf(folder_ / player.output).find("lock was taken") != std::string::npos;
            // The shared table was used, not one of the player's own.
            EXPECT_FALSE(fs::exists(folder_ / ("home-" + player.login) / ".local/share/tumbrix"));
        }
        const std::optional<std::vector<std::string>> lines = linesOf(contentOf(table));
        ASSERT_TRUE(lines && lines->size() == 32) << contentOf(table);
        // Both on top, in either order.
        const std::string a = "\"A" + std::to_string(round) + '"';
        const std::string b = "\"B" + std::to_string(round) + '"';
        EXPECT_TRUE(std::minmax((*lines)[0], (*lines)[2]) == std::minmax(a, b)) << contentOf(table);
    }
    // The saves did meet: one copy found the table locked by the other.
    EXPECT_TRUE(waited);
}

TEST_F(ProcessTest, TenMegabytesOfGarbageInTheTableNeitherHangNorCrashTheGame) {
    std::string garbage(10 << 20, '\0');
    unsigned state = 7;
    for (char& byte : garbage) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 16);
        // No field ends: the first name runs for all the table may hold.
        if (byte == ',' || byte == '\r' || byte == '\n') {
            byte = 'x';
        }
    }
    std::ofstream(table(), std::ios::binary) << garbage;
    start(kShowTableAndExit);
    expectCleanExit();
}

}  // namespace
