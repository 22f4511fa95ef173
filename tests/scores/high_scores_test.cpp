#include <dlfcn.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

#include "game/game_fixture.h"
#include "scores/frm_high_scores.h"
#include "scores/score_file_location.h"
#include "scores/score_ranking.h"

namespace fs = std::filesystem;

// While set, each fsync (the file, its length) and rename is told on stderr.
static bool tellingSyncs = false;

static std::string nameOf(const fs::path& path) {
    const std::string name = path.filename().string();
    return name.starts_with("Tumbrix.txt.") ? "Tumbrix.txt.XXXXXX" : name;
}

// The game's calls come here: the program's own definitions come first.
extern "C" int fsync(int fd) {
    if (tellingSyncs) {
        const fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(fd));
        std::cerr << "fsync " << nameOf(path) << ' ' << fs::file_size(path) << '\n';
    }
    return reinterpret_cast<decltype(&fsync)>(dlsym(RTLD_NEXT, "fsync"))(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    if (tellingSyncs) {
        std::cerr << "rename " << nameOf(from) << ' ' << nameOf(to) << '\n';
    }
    return reinterpret_cast<decltype(&rename)>(dlsym(RTLD_NEXT, "rename"))(from, to);
}

namespace scores {
namespace {

// Table rows, written "NAME=score NAME=score".
struct Rows : std::vector<std::pair<std::string, std::string>> {
    Rows(const char* rows = "") {
        std::istringstream words(rows);
        for (std::string word; words >> word;) {
            push_back({word.substr(0, word.find('=')), word.substr(word.find('=') + 1)});
        }
    }
};

// Rows P1, P2, ... scoring top - 1, top - 2, ..., between the given rows.
Rows numbered(int count, int top, std::string suffix = "", Rows rows = "", const Rows& end = "") {
    for (int i = 1; i <= count; ++i) {
        rows.push_back({"P" + std::to_string(i) + suffix, std::to_string(top - i)});
    }
    rows.insert(rows.end(), end.begin(), end.end());
    return rows;
}

const std::string kLongName(60, 'X');

// The file as the game writes these rows; saved, as all sixteen entries.
std::string tableText(const Rows& rows) {
    std::string text;
    for (const auto& [name, score] : rows) {
        text += '"' + name + "\"\r\n\"" + score + "\"\r\n";
    }
    return text;
}
std::string savedText(Rows rows) {
    rows.resize(kTableSize, {"", "0"});
    return tableText(rows);
}

void put(const fs::path& path, const Rows& rows) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << tableText(rows);
}

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void expectOneLine(const std::string& errors, const std::string& saying) {
    EXPECT_TRUE(errors.find(saying) != std::string::npos &&
                std::count(errors.begin(), errors.end(), '\n') == 1)
        << errors;
}

// Plays in a child process as another user (as root) and gives its stderr.
std::string asUser(uid_t uid, const std::vector<gid_t>& groups, const std::function<void()>& play) {
    testing::internal::CaptureStderr();
    if (::fork() == 0) {
        const bool became = uid == ::geteuid() ||
                            (::setgroups(groups.size(), groups.data()) == 0 &&
                             ::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0);
        if (became) {
            play();
        }
        ::_exit(became ? 0 : 1);
    }
    int status = -1;
    ::wait(&status);
    EXPECT_EQ(status, 0) << "as user " << uid;
    return testing::internal::GetCapturedStderr();
}

TEST(RankingTest, AScoreMustBeatTheOwnOrLastEntryAndGoesBelowEqualOnes) {
    // Before, ABC's score, after, whether it entered: the own entry moves up;
    // of two the upper one goes; a full table's last entry is the one to beat.
    const std::tuple<Rows, std::int16_t, Rows, bool> cases[] = {
        {"", 0, "", false},
        {"X=9 ABC=100", 100, "X=9 ABC=100", false},
        {"X=200 Y=120 ABC=100 Z=90", 150, "X=200 ABC=150 Y=120 Z=90", true},
        {"X=50 ABC=40 Y=30 ABC=20", 50, "X=50 ABC=50 Y=30 ABC=20", true},
        {numbered(16, 100), 84, numbered(16, 100), false},
        {numbered(16, 100), 85, numbered(15, 100, "", "", "ABC=85"), true},
    };
    for (const auto& [before, score, after, enters] : cases) {
        Table table;
        readEntries(tableText(before), table);
        const bool entered = rankScore(table, "ABC", score);
        EXPECT_EQ(std::tuple(entered, formatEntries(table)), std::tuple(enters, savedText(after)));
    }
}

TEST(RankingTest, EditedScoresArePublishedClampedNeverOverflowing) {
    const std::tuple<const char*, int, int> cases[] = {
        {"ABC=32768", 32767, 32767}, {"ABC=-32769", -32768, -32768},
        {"ABC=1e400", 32767, 32767}, {"ABC=12.5", 12, 12},
        {"ABC=abc", 0, 0},           {"X=9", 9, 0}};
    for (auto [best, top, own] : cases) {
        Table table;
        readEntries(tableText(best), table);
        const auto [topScore, personalBest] = publishedScores(table, "ABC");
        EXPECT_EQ(std::tuple(topScore, personalBest), std::tuple(top, own)) << best;
    }
}

// The high-score window as the game's main window uses it, for TESTER.
class HighScoresTest : public GameFixture {
protected:
    fs::path file() const { return runtime.folder() / "Tumbrix.txt"; }
    std::string shown(std::size_t row = 1) {
        return frm->frmHighScores().lblName[row].caption + "=" +
               frm->frmHighScores().lblHighScore[row].caption;
    }
    // Ranks a finished game's score and publishes, as the game over does.
    void rank(std::int16_t score, bool duringGame = true) {
        frm->score1 = score;
        frm->gameInProgress = duringGame;
        frm->frmHighScores().CalculateHighScores();
        frm->frmHighScores().UpdateHighScores();
    }
    void rankFailing(std::int16_t score, const std::string& reason) {
        testing::internal::CaptureStderr();
        rank(score);
        expectOneLine(testing::internal::GetCapturedStderr(), reason);
    }
    // Plays as a player (not root) owning the table (0664, linked) and its folder.
    const fs::path games = runtime.folder() / "games";
    std::string playInFolder(mode_t mode, const Rows& rows, const std::function<void()>& play) {
        const uid_t player = ::geteuid() == 0 ? 4101 : ::geteuid();
        put(games / "Tumbrix.txt", rows);
        fs::remove(file());
        fs::create_symlink(games / "Tumbrix.txt", file());
        EXPECT_EQ(::chmod(runtime.folder().c_str(), 0755) | ::chmod(file().c_str(), 0664) |
                      ::chown(file().c_str(), player, player) |
                      ::chown(games.c_str(), player, player) | ::chmod(games.c_str(), mode),
                  0);
        const std::string errors = asUser(player, {}, play);
        ::chmod(games.c_str(), 0755);
        return errors;
    }
};

TEST_F(HighScoresTest, AFirstScoreMakesTheTableAndIsAnnouncedInAGameOnly) {
    // A missing table is made empty, readable by all whatever the umask.
    fs::remove(file());
    const mode_t oldMask = ::umask(077);
    startProgram();
    ::umask(oldMask);
    EXPECT_EQ(std::tuple(contentOf(file()), fs::status(file()).permissions()),
              std::tuple("", fs::perms(0644)));
    rank(5);
    const auto& [prompt, title] = runtime.messages.at(0);
    EXPECT_EQ(
        std::tuple(prompt, title, contentOf(file()), frm->personalBest, frm->topScore),
        std::tuple("You have a new high score!!!", "New High Score", savedText("TESTER=5"), 5, 5));
    rank(6, false);
    EXPECT_EQ(std::tuple(shown(), runtime.messages.size()), std::tuple("TESTER=6", 1u));
}

TEST_F(HighScoresTest, OnlyTheFirstMebibyteOfAHugeFileIsRead) {
    // The name that runs past it ends there, and its score is never reached.
    std::ofstream(file(), std::ios::binary)
        << "\"A\"\r\n\"1\"\r\n\"" << std::string(kMaxFileBytes, 'x') << "\"\r\n\"2\"\r\n";
    frm->frmHighScores().UpdateHighScores();
    EXPECT_EQ(std::tuple(shown(), shown(2).size(), shown(2).substr(kMaxFileBytes - 11)),
              std::tuple("A=1", kMaxFileBytes - 9, "=0"));
}

TEST_F(HighScoresTest, TheNewTableIsOnDiskBeforeItTakesTheTablesPlace) {
    // Beside the table a new file synced whole, then renamed over it; in a folder
    // the player cannot write, the table itself rewritten (shorter) and synced.
    const std::pair<mode_t, std::string> saves[] = {
        {0755, "fsync Tumbrix.txt.XXXXXX #\nrename Tumbrix.txt.XXXXXX Tumbrix.txt\n"},
        {0555, "fsync Tumbrix.txt #\n"}};
    for (auto [mode, calls] : saves) {
        const std::string told = playInFolder(mode, numbered(16, 200, kLongName), [&] {
            tellingSyncs = true;
            rank(300);
        });
        const std::string saved = contentOf(file());
        EXPECT_EQ(std::tuple(saved, fs::is_symlink(file()), fs::status(file()).permissions()),
                  std::tuple(savedText(numbered(15, 200, kLongName, "TESTER=300")), true,
                             fs::perms(0664)));
        EXPECT_EQ(told, calls.replace(calls.find('#'), 1, std::to_string(saved.size())));
    }
}

TEST_F(HighScoresTest, ASaveThatRunsOutOfRoomLeavesTheOldTableWhole) {
    // A full disk, as a file-size limit (root too): beside the table; in place,
    // a table growing past it and a shorter one over one already past it.
    const std::tuple<mode_t, Rows, std::string> cases[] = {
        {0755, numbered(16, 200, kLongName), "TESTER"},
        {0555, numbered(2, 100), std::string(600, 'L')},
        {0555, numbered(16, 200, kLongName), "TESTER"},
    };
    for (const auto& [mode, rows, player] : cases) {
        const auto play = [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit limit { 512, 512 };
            ::setrlimit(RLIMIT_FSIZE, &limit);
            frm->userName = player;
            rank(300);
        };
        expectOneLine(playInFolder(mode, rows, play), "File too large");
        // Whole, still linked, and no temporary file left beside it.
        EXPECT_EQ(std::tuple(contentOf(file()), fs::is_symlink(file()),
                             std::distance(fs::directory_iterator(games), {})),
                  std::tuple(tableText(rows), true, 1));
    }
}

TEST_F(HighScoresTest, ASaveWaitsABoundedTimeForTheLockAndRanksIntoWhatTheHolderSaved) {
    put(file(), "X=20");
    // Another copy holds the lock throughout: the save fails, the run keeps it.
    const int other = ::open(file().c_str(), O_RDONLY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    rankFailing(50, "another copy of the game kept it locked");
    EXPECT_EQ(std::tuple(contentOf(file()), shown()), std::tuple(tableText("X=20"), "TESTER=50"));
    // It reads, then saves while we wait: we rank into its table, not what we read.
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    runtime.onLockWait = [&] {
        put(runtime.folder() / "saved", "Y=300");
        fs::rename(runtime.folder() / "saved", file());
        ::close(other);
        runtime.onLockWait = nullptr;
    };
    rank(60);
    EXPECT_EQ(contentOf(file()), savedText("Y=300 TESTER=60"));
}

TEST_F(HighScoresTest, TheTableIsLetGoBeforeTheNewHighScoreMessage) {
    // Saved in place, the lock is on the table itself.
    runtime.onMessageBox = [&](const auto&) {
        const int other = ::open(file().c_str(), O_RDONLY);
        std::cerr << (::flock(other, LOCK_EX | LOCK_NB) == 0 ? "let go\n" : "held\n");
        ::close(other);
    };
    EXPECT_EQ(playInFolder(0555, "", [&] { rank(5); }), "let go\n");
}

TEST_F(HighScoresTest, ATableSharedByAGroupKeepsItsGroupAndModeWhoeverSavesIt) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "playing as other users needs root";
    }
    // Alice's table for the group, in a folder the group may write.
    constexpr gid_t players = 4100;
    put(file(), "X=200");
    ASSERT_EQ(
        ::chown(runtime.folder().c_str(), 0, players) | ::chown(file().c_str(), 4101, players), 0);
    // Who saves, in the group or not, folder and table modes, the owner after:
    // a member's file, the group's; root keeps the owner; a stranger, in place.
    const std::tuple<const char*, uid_t, bool, mode_t, mode_t, uid_t> saves[] = {
        {"BOB", 4102, true, 0775, 0664, 4102},
        {"ROOT", 0, false, 0775, 0664, 4102},
        {"ALICE", 4101, true, 0775, 0664, 4101},
        {"EVE", 4103, false, 0777, 0666, 4101}};
    Rows expected = "X=200";
    for (const auto& [name, uid, member, folderMode, mode, owner] : saves) {
        ::chmod(runtime.folder().c_str(), folderMode);
        ::chmod(file().c_str(), mode);
        const auto score = static_cast<std::int16_t>(100 - 10 * expected.size());
        const std::string errors = asUser(uid, std::vector<gid_t>(member, players), [&] {
            frm->userName = name;
            rank(score);
        });
        struct stat info {};
        ::stat(file().c_str(), &info);
        // No save lost another's entry.
        expected.push_back({name, std::to_string(score)});
        EXPECT_EQ(
            std::tuple(errors, info.st_uid, info.st_gid, info.st_mode & 07777, contentOf(file())),
            std::tuple("", owner, players, mode, savedText(expected)))
            << name;
    }
}

TEST_F(HighScoresTest, OnlyARegularFileIsReadAsTheTableOrReplaced) {
    const fs::path thing = runtime.folder() / "thing";
    // In the table's place, direct or linked: kind, read?, why a save
    // fails (none: saved). A device (/dev/zero unless root) reads as a name of
    // zeros without the check. Nothing: a link into a folder there or not.
    const std::tuple<mode_t, bool, const char*> kinds[] = {
        {S_IFREG, true, "Permission denied"},    {S_IFDIR, false, "Is a directory"},
        {S_IFIFO, false, "not a regular file"},  {S_IFSOCK, false, "not a regular file"},
        {S_IFCHR, false, "not a regular file"},  {0, false, nullptr},
        {0, false, "No such file or directory"},
    };
    for (const auto& [kind, read, error] : kinds) {
        for (bool linked : {false, true}) {
            SCOPED_TRACE(testing::Message() << kind << (error ? error : "") << linked);
            fs::remove(file());
            fs::remove_all(thing);
            const bool device = kind == S_IFCHR && ::geteuid() != 0;
            const fs::path made = kind == 0 ? thing / "table" : device ? "/dev/zero" : thing;
            if (made != thing && !linked) {
                continue;  // nothing, or the system's device, only linked
            }
            if (kind == S_IFREG) {
                put(thing, "X=200");
                fs::permissions(thing, fs::perms(0444));
            } else if (kind == S_IFDIR || (kind == 0 && error == nullptr)) {
                fs::create_directory(thing);
            } else if (made == thing) {
                ASSERT_EQ(::mknod(thing.c_str(), kind | 0666, makedev(1, 5)), 0);
            }
            linked ? fs::create_symlink(made, file()) : fs::rename(made, file());
            const fs::path standing = linked ? made : file();
            const fs::file_type type = fs::symlink_status(standing).type();
            startProgram();
            EXPECT_EQ(shown(), read ? "X=200" : "=0");
            if (error != nullptr) {
                rankFailing(300, error);
                EXPECT_EQ(fs::symlink_status(standing).type(), type);
            } else {
                rank(300);
                EXPECT_EQ(contentOf(standing), savedText("TESTER=300"));
            }
            // A read-only table is still the master copy; else the run keeps it.
            EXPECT_EQ(std::tuple(shown(), fs::is_symlink(file())),
                      std::tuple(read ? "X=200" : "TESTER=300", linked));
        }
    }
}

TEST_F(HighScoresTest, AnInstalledCopySharesTheMachinesTableWhenItMayWriteItElseKeepsItsOwn) {
    // The table that came with the program, read-only, stays as it came.
    put(file(), "SHIPPED=50");
    fs::permissions(file(), fs::perms(0444));
    std::ofstream(runtime.folder() / FrmHighScores::kInstalledMarker) << "installed\n";
    runtime.env["XDG_DATA_HOME"] = (runtime.folder() / "data").string();
    runtime.sharedFolder = runtime.folder() / "shared";
    const fs::path shared = runtime.sharedFolder / "Tumbrix.txt";
    const fs::path own = runtime.folder() / "data/tumbrix/Tumbrix.txt";
    // The shared table's mode (0: none), the player's own (none: a copy of the
    // shipped one), whether the data folder goes after start-up (the game's
    // own: made again), the table saved into and what it holds.
    const std::tuple<mode_t, Rows, bool, fs::path, Rows> cases[] = {
        {0664, "MINE=5", false, shared, "TESTER=10 X=9"},
        {0444, "MINE=5", true, own, "TESTER=10 MINE=5"},
        {0, "", false, own, "SHIPPED=50 TESTER=10"},
    };
    for (const auto& [sharedMode, ownBefore, dataGoes, saved, rows] : cases) {
        fs::remove_all(runtime.sharedFolder);
        fs::remove_all(runtime.folder() / "data");
        fs::create_directories(runtime.sharedFolder);
        if (sharedMode != 0) {
            put(shared, "X=9");
            fs::permissions(shared, fs::perms(sharedMode));
        }
        if (!ownBefore.empty()) {
            put(own, ownBefore);
        }
        const fs::path other = saved == shared ? own : shared;
        const std::string otherBefore = contentOf(other);
        startProgram();
        if (dataGoes) {
            fs::remove_all(runtime.folder() / "data");
        }
        rank(10);
        // Every other table as it was; a player never makes the shared one.
        EXPECT_EQ(
            std::tuple(contentOf(saved), contentOf(other), contentOf(file()), fs::exists(shared)),
            std::tuple(savedText(rows), otherBefore, tableText("SHIPPED=50"), sharedMode != 0));
    }
}

TEST_F(HighScoresTest, NamesOfEveryKindAreStoredWholeOnceAndFoundAgain) {
    // Non-ASCII, 10,000 letters, a quote, C0, DEL and C1 (U+0080-U+009F) controls.
    const std::pair<std::string, std::string> logins[] = {
        {"jos\xc3\xa9 \xc3\xb1u\xc3\xb1o", "JOS\xc3\x89 \xc3\x91U\xc3\x91O"},
        {std::string(10000, 'z'), std::string(10000, 'Z')},
        {"o\"neil\r\n\x7f\x01\xc2\x80jr\xc2\x9f", "O'NEIL     JR"},
    };
    std::int16_t score = 10;
    for (const auto& [login, stored] : logins) {
        runtime.env["LOGIN"] = login;
        startProgram();
        rank(++score);
        // The next run finds the entry and replaces it, never adds another.
        startProgram();
        EXPECT_EQ(frm->personalBest, score);
        rank(++score);
        EXPECT_EQ(std::tuple(shown(), shown(2).starts_with(stored + "=")),
                  std::tuple(stored + "=" + std::to_string(score), false));
    }
}

TEST_F(HighScoresTest, WithoutAnAbsoluteHomeTheTableIsKeptForThisRunOnly) {
    EXPECT_EQ(userHome("/home", [] { return std::string("/db"); }), "/home");
    const fs::path work = runtime.folder() / "work";
    fs::create_directories(work);
    const fs::path old = fs::current_path();
    fs::current_path(work);
    // An installed game (its folder is not there) with relative homes: the
    // password database's home, then none.
    runtime.programFolder = runtime.folder() / "installed";
    runtime.env["XDG_DATA_HOME"] = runtime.env["HOME"] = "relative";
    runtime.passwordDatabaseHome = (runtime.folder() / "db").string();
    startProgram();
    rank(5);
    EXPECT_EQ(contentOf(runtime.folder() / "db/.local/share/tumbrix/Tumbrix.txt"),
              savedText("TESTER=5"));
    runtime.passwordDatabaseHome = "relative";
    testing::internal::CaptureStderr();
    startProgram();
    rank(5);
    rank(7);
    // Said once; the table works within the run; nothing is written here.
    expectOneLine(testing::internal::GetCapturedStderr(), "kept for this run only");
    fs::current_path(old);
    EXPECT_EQ(std::tuple(shown(), shown(2), frm->personalBest, fs::is_empty(work)),
              std::tuple("TESTER=7", "=0", 7, true));
}

}  // namespace
}  // namespace scores
