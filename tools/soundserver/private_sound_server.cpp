#include "soundserver/private_sound_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <sstream>

extern char** environ;

namespace soundserver {

namespace {

constexpr int kFrameBytes = 4;

// Starts a program with extra environment; its standard output on *out.
pid_t spawn(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
            int* out) {
    std::vector<std::string> pairs;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string pair = *entry;
        if (env.count(pair.substr(0, pair.find('='))) == 0) {
            pairs.push_back(pair);
        }
    }
    for (const auto& [name, value] : env) {
        pairs.push_back(name + "=" + value);
    }
    std::vector<char*> argv, envp;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    for (const std::string& pair : pairs) {
        envp.push_back(const_cast<char*>(pair.c_str()));
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out != nullptr && pipe(fds) == 0) {
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (out != nullptr) {
        close(fds[1]);
        *out = fds[0];
    }
    return pid;
}

}  // namespace

std::int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

PrivateSoundServer::PrivateSoundServer() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tumbrix-pulse-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        folder_ = pattern;
    }
}

PrivateSoundServer::~PrivateSoundServer() {
    kill();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::map<std::string, std::string> PrivateSoundServer::environment() const {
    return {{"PULSE_SERVER", "unix:" + (folder_ / "pulse" / "native").string()},
            {"SDL_AUDIODRIVER", "pulseaudio"}};
}

bool PrivateSoundServer::start(std::string& failure) {
    if (folder_.empty()) {
        failure = "no folder for the server";
        return false;
    }
    // Root is refused without -n's own module list and a home of its own.
    std::map<std::string, std::string> env = {{"XDG_RUNTIME_DIR", folder_.string()},
                                              {"HOME", folder_.string()},
                                              {"PULSE_RUNTIME_PATH", (folder_ / "pulse").string()}};
    pid_ = spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                  "-L", "module-native-protocol-unix", "-L",
                  "module-null-sink sink_name=out rate=44100 format=s16le channels=2", "-L",
                  "module-suspend-on-idle timeout=3"},
                 env, nullptr);
    if (pid_ < 0) {
        failure = "pulseaudio cannot be run (is it installed?)";
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (pactl("info").find("Server Name") != std::string::npos) {
            return true;
        }
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            failure = "pulseaudio ended at once";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill();
    failure = "pulseaudio did not answer within 5 s";
    return false;
}

void PrivateSoundServer::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

std::string PrivateSoundServer::pactl(const std::string& arguments) const {
    std::vector<std::string> args = {"pactl"};
    std::istringstream words(arguments);
    for (std::string word; words >> word;) {
        args.push_back(word);
    }
    int out = -1;
    const pid_t pid = spawn(args, environment(), &out);
    std::string text;
    std::array<char, 4096> buffer{};
    ssize_t got = 0;
    while (pid > 0 && (got = read(out, buffer.data(), buffer.size())) > 0) {
        text.append(buffer.data(), std::size_t(got));
    }
    if (out >= 0) {
        close(out);
    }
    if (pid > 0) {
        waitpid(pid, nullptr, 0);
    }
    return text;
}

std::string PrivateSoundServer::sinkState() const {
    std::istringstream lines(pactl("list short sinks"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string index, name, field, last;
        fields >> index >> name;
        while (fields >> field) {
            last = field;
        }
        if (name == "out") {
            return last;
        }
    }
    return "";
}

namespace {

int lineCount(const std::string& text) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        count += line.empty() ? 0 : 1;
    }
    return count;
}

}  // namespace

int PrivateSoundServer::streams() const {
    return lineCount(pactl("list short sink-inputs"));
}

int PrivateSoundServer::recordings() const {
    return lineCount(pactl("list short source-outputs"));
}

long PrivateSoundServer::sinkLatencyUs() const {
    const std::string sinks = pactl("list sinks");
    const std::size_t at = sinks.find("\tLatency: ");
    return at == std::string::npos ? -1 : std::stol(sinks.substr(at + 10));
}

Recording::Recording(const PrivateSoundServer& server) {
    int out = -1;
    // Small reads, so that each arrives soon after the sink played it.
    pid_ = spawn({"parec", "--device=out.monitor", "--raw", "--format=s16le", "--rate=44100",
                  "--channels=2", "--latency-msec=5"},
                 server.environment(), &out);
    if (pid_ > 0) {
        reader_ = std::thread([this, out] { readAll(out); });
    } else if (out >= 0) {
        close(out);
    }
    // Twice in a row, once the recording is connected.
    for (int wait = 0, inStep = 0; wait < 100 && inStep < 2; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const long latency = server.sinkLatencyUs();
        const bool ready = server.recordings() > 0 && latency >= 0 && latency < 50'000 &&
                           server.sinkState() != "SUSPENDED";
        inStep = ready ? inStep + 1 : 0;
    }
}

Recording::~Recording() {
    stop();
}

void Recording::readAll(int fd) {
    std::array<char, 4096> buffer{};
    std::string pending;
    ssize_t got = 0;
    while ((got = read(fd, buffer.data(), buffer.size())) > 0) {
        const std::int64_t arrived = monotonicNs();
        pending.append(buffer.data(), std::size_t(got));
        const std::size_t whole = pending.size() / kFrameBytes * kFrameBytes;
        const std::lock_guard lock(mutex_);
        const auto* samples = reinterpret_cast<const std::int16_t*>(pending.data());
        samples_.insert(samples_.end(), samples, samples + whole / 2);
        reads_.push_back({samples_.size() / 2, arrived});
        pending.erase(0, whole);
    }
    close(fd);
}

std::vector<std::int16_t> Recording::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (reader_.joinable()) {
        reader_.join();
    }
    const std::lock_guard lock(mutex_);
    return samples_;
}

std::int64_t Recording::frameTimeNs(std::size_t frame) const {
    const std::lock_guard lock(mutex_);
    for (const Read& read : reads_) {
        if (frame < read.endFrame) {
            return read.arrivedNs - std::int64_t(read.endFrame - 1 - frame) * 1'000'000'000 / 44100;
        }
    }
    return 0;
}

std::size_t Recording::frameAt(std::int64_t timeNs) const {
    const std::lock_guard lock(mutex_);
    std::size_t startFrame = 0;
    for (const Read& read : reads_) {
        if (read.arrivedNs >= timeNs) {
            const std::int64_t early = (read.arrivedNs - timeNs) * 44100 / 1'000'000'000;
            const std::size_t frames = read.endFrame - startFrame;
            return read.endFrame - std::min<std::size_t>(frames, std::size_t(early));
        }
        startFrame = read.endFrame;
    }
    return startFrame;
}

}  // namespace soundserver
