// The real game started as a program: a copy of it and its wave files in a
// folder of their own, keys from a script, and its exit status afterwards.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

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
            for (const auto& [name, value] : environment_) {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
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
    // More environment for the game.
    std::map<std::string, std::string> environment_;
};
