// The real game started as a program: a copy of it and its wave files in a
// folder of their own, keys from a script, and its exit status afterwards.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
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

    // Who plays, and how: a login name, a user and the groups (another user
    // only as root), with its own home, output and further environment.
    struct Player {
        std::string login = "tester";
        uid_t uid = ::geteuid();
        std::vector<gid_t> groups;
        std::vector<std::pair<const char*, std::string>> env;
        std::string output = "output.txt";
    };

    // Starts the game, which plays the script; stopAt names a moment of a
    // save at which it stops itself.
    void start(const std::string& script, const char* stopAt = nullptr) {
        Player player;
        if (stopAt != nullptr) {
            player.env = {{"TUMBRIX_STOP_AT", stopAt}};
        }
        pid_ = launch(script, player);
    }

    pid_t launch(const std::string& script, const Player& player) {
        const fs::path scriptFile = folder_ / ("script-" + player.login + ".txt");
        std::ofstream(scriptFile) << script;
        // Another user's home and runtime folder are their own.
        const bool other = player.uid != ::geteuid();
        const fs::path home = other ? folder_ / ("home-" + player.login) : folder_;
        const fs::path runtime = home / "run";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        if (other) {
            EXPECT_EQ(::chown(home.c_str(), player.uid, player.uid), 0);
            EXPECT_EQ(::chown(runtime.c_str(), player.uid, player.uid), 0);
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            const std::string asan =
                std::string(std::getenv("ASAN_OPTIONS") ?: "") + ":verify_asan_link_order=0";
            ::setenv("ASAN_OPTIONS", asan.c_str(), 1);
            ::setenv("LD_PRELOAD", KEY_SCRIPT_LIBRARY, 1);
            ::setenv("TUMBRIX_KEY_SCRIPT", scriptFile.c_str(), 1);
            ::setenv("LOGIN", player.login.c_str(), 1);
            ::unsetenv("NWUSERNAME");
            ::unsetenv("XDG_DATA_HOME");
            ::setenv("HOME", home.c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            for (const auto& [name, value] : environment_) {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
            for (const auto& [name, value] : player.env) {
                ::setenv(name, value.c_str(), 1);
            }
            const std::string out = (folder_ / player.output).string();
            std::freopen(out.c_str(), "w", stdout);
            std::freopen(out.c_str(), "a", stderr);
            if (other && (::setgroups(player.groups.size(), player.groups.data()) != 0 ||
                          ::setresgid(player.uid, player.uid, player.uid) != 0 ||
                          ::setresuid(player.uid, player.uid, player.uid) != 0)) {
                std::_Exit(126);
            }
            const std::string game = (folder_ / "tumbrix").string();
            ::execl(game.c_str(), game.c_str(), nullptr);
            std::_Exit(127);
        }
        EXPECT_GT(pid, 0);
        return pid;
    }

    // The next change of a game's state: its wait status, or none if it has
    // not changed within the time given.
    static std::optional<int> statusOf(pid_t& pid, std::chrono::seconds limit = 60s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            const pid_t changed = ::waitpid(pid, &status, WNOHANG | WUNTRACED);
            if (changed == pid) {
                if (!WIFSTOPPED(status)) {
                    pid = -1;
                }
                return status;
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }
    std::optional<int> nextStatus() { return statusOf(pid_); }

    void expectCleanExit(pid_t& pid, const std::string& outputFile = "output.txt") {
        const std::optional<int> status = statusOf(pid);
        const std::string printed = contentOf(folder_ / outputFile);
        ASSERT_TRUE(status) << "the game did not end\n" << printed;
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status << "\n"
                                                                     << printed;
    }
    void expectCleanExit() { expectCleanExit(pid_); }

    fs::path folder_;
    pid_t pid_ = -1;
    // More environment for every game started.
    std::map<std::string, std::string> environment_;
};
