// The real game, started as a program: a copy of it and its wave files in a
// folder of their own, keys from a script, and its table and exit status
// checked afterwards.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

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

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tumbrix-process-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        const fs::path binary = TUMBRIX_BINARY;
        fs::copy_file(binary, folder_ / "tumbrix");
        for (const auto& entry : fs::directory_iterator(binary.parent_path())) {
            if (entry.path().extension() == ".wav") {
                fs::copy_file(entry.path(), folder_ / entry.path().filename());
            }
        }
    }
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(folder_);
    }

    fs::path table() const { return folder_ / "Tumbrix.txt"; }
    std::string output() const { return contentOf(folder_ / "output.txt"); }

    // Starts the game, which plays the script; stopAt names a moment of a
    // save at which it stops itself.
    void start(const std::string& script, const char* stopAt = nullptr) {
        std::ofstream(folder_ / "script.txt") << script;
        pid_ = ::fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            const std::string asan =
                std::string(std::getenv("ASAN_OPTIONS") ?: "") + ":verify_asan_link_order=0";
            ::setenv("ASAN_OPTIONS", asan.c_str(), 1);
            ::setenv("LD_PRELOAD", KEY_SCRIPT_LIBRARY, 1);
            ::setenv("TUMBRIX_KEY_SCRIPT", (folder_ / "script.txt").c_str(), 1);
            if (stopAt != nullptr) {
                ::setenv("TUMBRIX_STOP_AT", stopAt, 1);
            }
            ::setenv("LOGIN", "tester", 1);
            ::unsetenv("NWUSERNAME");
            ::setenv("HOME", folder_.c_str(), 1);
            const std::string out = (folder_ / "output.txt").string();
            std::freopen(out.c_str(), "w", stdout);
            std::freopen(out.c_str(), "a", stderr);
            const std::string game = (folder_ / "tumbrix").string();
            ::execl(game.c_str(), game.c_str(), nullptr);
            std::_Exit(127);
        }
    }

    // The next change of the game's state: its wait status, or none if it
    // has not changed within the time given.
    std::optional<int> nextStatus(std::chrono::seconds limit = 60s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            const pid_t changed = ::waitpid(pid_, &status, WNOHANG | WUNTRACED);
            if (changed == pid_) {
                if (!WIFSTOPPED(status)) {
                    pid_ = -1;
                }
                return status;
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }

    void expectCleanExit() {
        const std::optional<int> status = nextStatus();
        ASSERT_TRUE(status) << "the game did not end\n" << output();
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status << "\n"
                                                                     << output();
    }

    fs::path folder_;
    pid_t pid_ = -1;
};

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
