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
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <future>
#include <random>
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

// Runs play in a child process as the given user and groups (another user
// only as root) and returns what it wrote on standard error.
std::string asUser(uid_t uid, const std::vector<gid_t>& groups, const std::function<void()>& play) {
    char errors[] = "/tmp/tumbrix-errors-XXXXXX";
    const int fd = ::mkstemp(errors);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(fd, STDERR_FILENO);
        const bool became = uid == ::geteuid() ||
                            (::setgroups(groups.size(), groups.data()) == 0 &&
                             ::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0);
        if (became) {
            play();
        }
        ::_exit(became ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(status, 0) << "as user " << uid;
    const std::string written = contentOf(errors);
    ::close(fd);
    ::unlink(errors);
    return written;
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
    // A save that cannot be made says why in one line; the window keeps the
    // new entry for the rest of the run.
    void rankFailing(std::int16_t score, const std::string& reason) {
        testing::internal::CaptureStderr();
        rank(score);
        const std::string error = testing::internal::GetCapturedStderr();
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_EQ(std::tuple(names()[0], frm->personalBest),
                  std::tuple("ABC=" + std::to_string(score), score));
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
    // A table made where none was: 0644, whatever the umask.
    fs::remove(file());
    const mode_t oldMask = ::umask(077);
    rank(6);
    ::umask(oldMask);
    EXPECT_EQ(std::tuple(names()[0], fs::status(file()).permissions()),
              std::tuple("ABC=6", fs::perms(0644)));
}

TEST_F(HighScoresTest, ASaveWaitsABoundedTimeForTheLockAndRanksIntoWhatTheHolderSaved) {
    namespace fs = std::filesystem;
    writeTable({{"X", "20"}});
    const std::string before = fileContent();
    // Another copy of the game holds the table's lock throughout.
    const int other = ::open(file().c_str(), O_RDONLY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    rankFailing(50, "another copy of the game kept it locked");
    EXPECT_EQ(fileContent(), before);

    // It saves while we wait, replacing the file, and lets go: our score
    // goes into the table it saved, not into the file it replaced.
    runtime.onLockWait = [&] {
        std::ofstream(runtime.folder() / "saved", std::ios::binary) << "\"Y\"\r\n\"300\"\r\n";
        fs::rename(runtime.folder() / "saved", file());
        ::close(other);
        runtime.onLockWait = nullptr;
    };
    rank(60);
    EXPECT_EQ(fileContent().substr(0, 34),
              "\"Y\"\r\n\"300\"\r\n\"ABC\"\r\n\"60\"\r\n\"\"\r\n\"0\"\r\n");
}

TEST_F(HighScoresTest, ATableSharedByAGroupKeepsItsGroupAndModeWhoeverSavesIt) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "playing as other users needs root";
    }
    constexpr gid_t players = 4100;
    constexpr uid_t alice = 4101, bob = 4102, eve = 4103;
    // Alice's table for the group, in a folder the group may write.
    ASSERT_EQ(::chown(runtime.folder().c_str(), 0, players), 0);
    writeTable({{"X", "200"}});
    ASSERT_EQ(::chown(file().c_str(), alice, players), 0);
    struct Save {
        const char* name;
        uid_t uid;
        std::vector<gid_t> groups;
        mode_t folder, mode;
        uid_t owner;
    };
    const Save saves[] = {
        {"BOB", bob, {players}, 0775, 0664, bob},        // a member: his file, the group's still
        {"ROOT", 0, {}, 0775, 0664, bob},                // root keeps the owner too
        {"ALICE", alice, {players}, 0775, 0664, alice},  // and Alice saves again
        {"EVE", eve, {}, 0777, 0666, alice},  // no member, cannot give the group: saved in place
    };
    std::int16_t score = 10;
    for (const Save& save : saves) {
        ::chmod(runtime.folder().c_str(), save.folder);
        ::chmod(file().c_str(), save.mode);
        const std::string errors = asUser(save.uid, save.groups, [&] {
            frm->userName = save.name;
            rank(score);
        });
        struct stat info {};
        ::stat(file().c_str(), &info);
        EXPECT_EQ(std::tuple(errors, info.st_uid, info.st_gid, info.st_mode & 07777),
                  std::tuple("", save.owner, players, save.mode))
            << save.name;
        score += 10;
    }
    // No save lost another's entry.
    EXPECT_EQ(fileContent().substr(0, 67),
              "\"X\"\r\n\"200\"\r\n\"EVE\"\r\n\"40\"\r\n\"ALICE\"\r\n\"30\"\r\n\"ROOT\"\r\n\"20\"\r"
              "\n\"BOB\"\r\n\"10\"\r\n");
}

TEST_F(HighScoresTest, ALinkedTableInAFolderThePlayerCannotWriteIsRewrittenInPlaceWholeOrNotAtAll) {
    namespace fs = std::filesystem;
    // The usual shared layout: a writable table in a folder that is not,
    // here reached through a link.
    const uid_t player = ::geteuid() == 0 ? 4101 : ::geteuid();
    const fs::path games = runtime.folder() / "games";
    const fs::path table = games / "Tumbrix.txt";
    fs::create_directories(games);
    fs::remove(file());
    fs::create_symlink(table, file());
    ::chmod(runtime.folder().c_str(), 0755);
    struct Try {
        Rows rows;
        std::string player;
        rlim_t fileSizeLimit;
    };
    // A full disk, as a file-size limit: the new table growing past it, and
    // a shorter one written over an old one already past it.
    const Try tries[] = {
        {numbered(2, 100), std::string(600, 'L'), 512},
        {numbered(16, 200, std::string(60, 'X')), "ABC", 512},
        {numbered(16, 200, std::string(60, 'X')), "ABC", RLIM_INFINITY},
    };
    for (const Try& attempt : tries) {
        ::chmod(games.c_str(), 0755);
        writeTable(attempt.rows);
        ASSERT_EQ(::chown(table.c_str(), player, player), 0);
        ::chmod(games.c_str(), 0555);
        const std::string before = contentOf(table);
        struct stat old {};
        ::stat(table.c_str(), &old);
        const std::string errors = asUser(player, {}, [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit limit { attempt.fileSizeLimit, attempt.fileSizeLimit };
            ::setrlimit(RLIMIT_FSIZE, &limit);
            frm->userName = attempt.player;
            rank(300);
        });
        struct stat now {};
        ::stat(table.c_str(), &now);
        EXPECT_TRUE(now.st_ino == old.st_ino && fs::is_symlink(file()) &&
                    std::distance(fs::directory_iterator(games), {}) == 1);
        if (attempt.fileSizeLimit != RLIM_INFINITY) {
            EXPECT_EQ(contentOf(table), before);
            EXPECT_NE(errors.find("File too large"), std::string::npos) << errors;
            EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        } else {
            EXPECT_EQ(std::tuple(errors, contentOf(table).substr(0, 14)),
                      std::tuple("", "\"ABC\"\r\n\"300\"\r\n"));
        }
    }
    ::chmod(games.c_str(), 0755);
}

TEST_F(HighScoresTest, AnInstalledCopyUsesTheSharedTableOnlyWhenThePlayerMayWriteIt) {
    namespace fs = std::filesystem;
    std::ofstream(runtime.folder() / FrmHighScores::kInstalledMarker) << "installed\n";
    runtime.env["XDG_DATA_HOME"] = (runtime.folder() / "data").string();
    runtime.sharedFolder = runtime.folder() / "shared";
    const fs::path shared = runtime.sharedFolder / "Tumbrix.txt";
    const fs::path own = runtime.folder() / "data/tumbrix/Tumbrix.txt";
    const std::string mine = "\"MINE\"\r\n\"5\"\r\n";
    // The administrator's table with this mode, or none.
    const std::pair<std::optional<fs::perms>, bool> cases[] = {
        {fs::perms(0664), true}, {fs::perms(0444), false}, {std::nullopt, false}};
    for (auto [mode, usesShared] : cases) {
        fs::remove_all(runtime.sharedFolder);
        fs::create_directories(runtime.sharedFolder);
        fs::create_directories(own.parent_path());
        std::ofstream(own, std::ios::binary) << mine;
        if (mode) {
            std::ofstream(shared) << "\"X\"\r\n\"9\"\r\n";
            fs::permissions(shared, *mode);
        }
        startProgram();
        frm->userName = "ABC";
        rank(10);
        EXPECT_EQ(contentOf(usesShared ? shared : own).substr(0, 13), "\"ABC\"\r\n\"10\"\r\n");
        // The player's own table is left as it was; the shared one is
        // never made by a player.
        EXPECT_EQ(contentOf(own) == mine, usesShared);
        EXPECT_EQ(fs::exists(shared), mode.has_value());
    }
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

TEST_F(HighScoresTest, NothingButARegularFileIsReadOrReplacedAndTheRunKeepsTheScore) {
    namespace fs = std::filesystem;
    const fs::path thing = runtime.folder() / "thing";
    // The device reads as endless zeros: a reader without its check would
    // take a mebibyte of them for a name. Making one needs root.
    const std::pair<fs::file_type, mode_t> kinds[] = {{fs::file_type::directory, S_IFDIR},
                                                      {fs::file_type::fifo, S_IFIFO},
                                                      {fs::file_type::socket, S_IFSOCK},
                                                      {fs::file_type::character, S_IFCHR}};
    for (auto [type, kind] : kinds) {
        for (bool linked : {false, true}) {
            SCOPED_TRACE(testing::Message() << int(type) << (linked ? " linked" : ""));
            fs::remove(file());
            fs::remove_all(thing);
            if ((kind == S_IFDIR ? ::mkdir(thing.c_str(), 0777)
                                 : ::mknod(thing.c_str(), kind | 0666, makedev(1, 5))) != 0) {
                GTEST_SKIP() << "making a device node needs root";
            }
            if (linked) {
                fs::create_symlink(thing, file());
            } else {
                fs::rename(thing, file());
            }
            startProgram();
            frm->userName = "ABC";
            EXPECT_EQ(names(), padded({}));
            rankFailing(5,
                        type == fs::file_type::directory ? "Is a directory" : "not a regular file");
            EXPECT_EQ(fs::status(file()).type(), type);
        }
    }
}

TEST_F(HighScoresTest, ALinkedTableIsSavedWhereItIsAndADanglingLinkIsLeftForNextTime) {
    namespace fs = std::filesystem;
    // A link to a table kept elsewhere: saved there, and the link stays.
    fs::remove(file());
    const fs::path elsewhere = runtime.folder() / "synced";
    fs::create_directories(elsewhere);
    std::ofstream(elsewhere / "table.txt") << "\"X\"\r\n\"9\"\r\n";
    fs::create_symlink(elsewhere / "table.txt", file());
    rank(10);
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(contentOf(elsewhere / "table.txt").substr(0, 21),
              "\"ABC\"\r\n\"10\"\r\n\"X\"\r\n\"9\"");

    // A dangling link into a folder that is not there (a drive not mounted):
    // nothing is read, the save fails and the link is left for next time.
    fs::remove(file());
    fs::create_symlink(runtime.folder() / "unmounted" / "table.txt", file());
    startProgram();
    frm->userName = "ABC";
    EXPECT_EQ(names(), padded({}));
    rankFailing(7, "No such file or directory");
    EXPECT_TRUE(fs::is_symlink(file()) && !fs::exists(file()));

    // A dangling link into a folder that is there: start-up creates the
    // table it names, as for a missing file, and saves go there.
    fs::remove(file());
    fs::create_symlink(elsewhere / "new.txt", file());
    startProgram();
    frm->userName = "ABC";
    rank(8);
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(contentOf(elsewhere / "new.txt").substr(0, 12), "\"ABC\"\r\n\"8\"\r\n");
}

TEST_F(HighScoresTest, TenMegabytesOfGarbageAreReadAsFarAsATableCanGoAndSavedAsATable) {
    std::mt19937 random(13);
    std::string garbage(10 << 20, '\0');
    std::generate(garbage.begin(), garbage.end(), [&] { return static_cast<char>(random()); });
    std::ofstream(file(), std::ios::binary) << garbage;
    window().UpdateHighScores();
    const Strings read = names();
    // The next save writes the 16 entries read, with the new score in its
    // place, as a clean 32-line table that reads back the same.
    rank(32767);
    const std::string saved = fileContent();
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 32);
    EXPECT_LE(saved.size(), kMaxFileBytes + 4 * 32);
    const Strings written = names();
    EXPECT_EQ(std::count(written.begin(), written.end(), "ABC=32767"), 1);
    window().UpdateHighScores();
    EXPECT_EQ(names(), written);
    // Every entry read is kept but the one the new score pushed out.
    int lost = 0;
    for (const std::string& entry : read) {
        lost += std::find(written.begin(), written.end(), entry) == written.end();
    }
    EXPECT_EQ(lost, 1);
}

TEST_F(HighScoresTest, ATableWhoseFolderGoesBetweenReadAndWriteLosesNoScore) {
    namespace fs = std::filesystem;
    // A copy run from a folder that is then deleted: the save fails with one
    // line and the window keeps the score for the run.
    const fs::path program = runtime.folder() / "program";
    fs::create_directories(program);
    runtime.programFolder = program;
    startProgram();
    frm->userName = "ABC";
    fs::remove_all(program);
    testing::internal::CaptureStderr();
    rank(5);
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    window().UpdateHighScores();
    EXPECT_EQ(std::tuple(names()[0], frm->personalBest), std::tuple("ABC=5", 5));

    // An installed game's data folder is the game's own: made again.
    fs::create_directories(program);
    std::ofstream(program / FrmHighScores::kInstalledMarker) << "installed\n";
    runtime.env["XDG_DATA_HOME"] = (runtime.folder() / "data").string();
    startProgram();
    frm->userName = "ABC";
    fs::remove_all(runtime.folder() / "data");
    rank(6);
    EXPECT_EQ(contentOf(runtime.folder() / "data/tumbrix/Tumbrix.txt").substr(0, 12),
              "\"ABC\"\r\n\"6\"\r\n");
}

TEST_F(HighScoresTest, NamesOfEveryKindAreStoredWholeOnceAndFoundAgain) {
    // Non-ASCII letters, 10,000 characters, control characters, quotes.
    const std::pair<std::string, std::string> logins[] = {
        {"jos\xc3\xa9 \xc3\xb1u\xc3\xb1"
         "ez",
         "JOS\xc3\x89 \xc3\x91U\xc3\x91"
         "EZ"},
        {std::string(10000, 'z'), std::string(10000, 'Z')},
        {"ann\tlee\r\n\x01", "ANN LEE"},
        {"o\"neil \"jr\"", "O'NEIL 'JR'"},
    };
    std::int16_t score = 10;
    for (const auto& [login, stored] : logins) {
        SCOPED_TRACE(stored.substr(0, 20));
        runtime.env["LOGIN"] = login;
        startProgram();
        ASSERT_EQ(frm->userName, stored);
        rank(++score);
        // The next run finds the entry again and replaces it, never adding
        // a second one.
        startProgram();
        EXPECT_EQ(frm->personalBest, score);
        rank(++score);
        const Strings table = names();
        EXPECT_EQ(std::count_if(table.begin(), table.end(),
                                [&](const std::string& row) {
                                    return row.substr(0, row.rfind('=')) == stored;
                                }),
                  1);
        EXPECT_EQ(std::count(table.begin(), table.end(), stored + "=" + std::to_string(score)), 1);
        const std::string saved = fileContent();
        EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 32);
    }
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
    auto table = platform::files::LockedFile::open(
        location.file, platform::files::LockKind::Exclusive, [] { return false; }, error);
    EXPECT_TRUE(table && table->save("\"SHIPPED\"\r\n\"9\"\r\n\"MINE\"\r\n\"3\"\r\n", error))
        << error;
    table.reset();
    // A second start keeps the user's own table.
    prepareScoreFile(location);
    EXPECT_EQ(contentOf(location.file), "\"SHIPPED\"\r\n\"9\"\r\n\"MINE\"\r\n\"3\"\r\n");
}

}  // namespace
}  // namespace scores
