#include "desktops/desktop.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "desktops/another_program.h"

namespace desktops {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The programs' environment: only what is given, plus the search path and
// the sanitizers' settings of the test itself.
std::vector<std::string> environmentOf(const std::map<std::string, std::string>& env) {
    std::map<std::string, std::string> all;
    for (const char* inherited : {"PATH", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(inherited)) {
            all[inherited] = value;
        }
    }
    for (const auto& [name, value] : env) {
        all[name] = value;
    }
    std::vector<std::string> entries;
    for (const auto& [name, value] : all) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

[[noreturn]] void execute(const std::vector<std::string>& command,
                          const std::map<std::string, std::string>& env) {
    std::vector<std::string> entries = environmentOf(env);
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    for (std::string& entry : entries) {
        envp.push_back(entry.data());
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    ::execvpe(argv[0], argv.data(), envp.data());
    std::_Exit(127);
}

bool installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

std::optional<fs::path> socketIn(const fs::path& folder, const std::string& prefix,
                                 const std::string& suffix) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && name.ends_with(suffix) && entry.is_socket()) {
            return entry.path();
        }
    }
    return std::nullopt;
}

// "ctrl+f" as its parts: modifiers, then the key.
std::vector<std::string> partsOf(const std::string& chord) {
    std::vector<std::string> parts;
    std::stringstream words(chord);
    for (std::string part; std::getline(words, part, '+');) {
        parts.push_back(part);
    }
    return parts;
}

// An X server of its own, with or without a window manager, or with two
// monitors side by side.
class XDesktop : public Desktop {
public:
    XDesktop(const fs::path& scratch, bool windowManager, int monitors) : Desktop(scratch) {
        const int width = kWidth + (monitors - 1) * 1024;
        // A display of its own: the server takes the number's lock file or
        // gives up at once, and then the next number is tried.
        const int first = 100 + ::getpid() % 800;
        for (int number = first; env_.empty() && number < first + 20; ++number) {
            const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            if (fs::exists(lock)) {
                continue;
            }
            Process server({"Xvfb", ":" + std::to_string(number), "-screen", "0",
                            std::to_string(width) + "x768x24", "-nolisten", "tcp", "-noreset"},
                           {}, scratch / "xvfb.log");
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            const auto ours = [&] {
                std::ifstream owner(lock);
                pid_t pid = 0;
                return owner >> pid && pid == server.pid() && fs::exists(socket);
            };
            if (waitUntil([&] { return ours() || server.wait(0); }, 10s) && ours()) {
                servers_.push_back(std::move(server));
                env_["DISPLAY"] = ":" + std::to_string(number);
            }
        }
        // The server keeps the monitors because it does not reset when its
        // last client leaves (-noreset).
        if (monitors == 2) {
            outputOf({"xrandr", "--setmonitor", "LEFT", "1366/361x768/203+0+0", "screen"}, env_);
            outputOf({"xrandr", "--setmonitor", "RIGHT", "1024/271x768/203+1366+0", "none"}, env_);
        }
        if (windowManager) {
            // Openbox names itself on the root window before it is ready: a
            // window mapped then is sometimes never managed nor shown. Its
            // start-up command runs once it is ready.
            const fs::path ready = scratch / "openbox-ready";
            servers_.push_back(launch({"openbox", "--startup", "touch '" + ready.string() + "'"}));
            waitUntil([&] { return fs::exists(ready); }, 10s);
        }
        windowManager_ = windowManager;
    }

    void type(const std::vector<std::string>& keys) override {
        std::vector<std::string> command = {"xdotool", "key", "--delay", "80"};
        command.insert(command.end(), keys.begin(), keys.end());
        outputOf(command, env_);
    }
    Process hold(const std::string& key, int milliseconds) override {
        return launch({"xdotool", "keydown", key, "sleep", std::to_string(milliseconds / 1000.0),
                       "keyup", key});
    }
    QImage screenshot() override {
        const std::string png = outputOf({"import", "-window", "root", "png:-"}, env_);
        return QImage::fromData(QByteArray::fromStdString(png), "PNG");
    }
    std::optional<std::string> focusedTitle() override {
        if (!windowManager_) {
            return std::nullopt;
        }
        std::string title = outputOf({"xdotool", "getactivewindow", "getwindowname"}, env_);
        if (!title.empty() && title.back() == '\n') {
            title.pop_back();
        }
        return title;
    }
    std::optional<int> windowsOf(pid_t program) override {
        const std::string ids = outputOf(
            {"xdotool", "search", "--onlyvisible", "--pid", std::to_string(program)}, env_);
        return static_cast<int>(std::count(ids.begin(), ids.end(), '\n'));
    }
    std::optional<QRect> placeOf(pid_t program) override {
        std::stringstream shell(
            outputOf({"xdotool", "getwindowgeometry", "--shell", windowOf(program)}, env_));
        std::map<std::string, int> values;
        for (std::string line; std::getline(shell, line);) {
            if (const auto equals = line.find('='); equals != std::string::npos) {
                values[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
            }
        }
        if (values.size() < 4) {
            return std::nullopt;
        }
        return QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
    }
    bool leaveFullScreen(pid_t program) override {
        if (!windowManager_) {
            return false;
        }
        outputOf({"wmctrl", "-i", "-r", windowOf(program), "-b", "remove,fullscreen"}, env_);
        return true;
    }
    bool focus(pid_t program) override {
        const std::string window = windowOf(program);
        if (windowManager_) {
            outputOf({"xdotool", "windowactivate", "--sync", window}, env_);
        } else {
            outputOf({"xdotool", "windowraise", window, "windowfocus", "--sync", window}, env_);
        }
        return true;
    }
    bool moveWindow(pid_t program, QPoint to) override {
        outputOf({"xdotool", "windowmove", "--sync", windowOf(program), std::to_string(to.x()),
                  std::to_string(to.y())},
                 env_);
        return true;
    }

protected:
    std::string windowOf(pid_t program) {
        const std::string ids = outputOf(
            {"xdotool", "search", "--onlyvisible", "--pid", std::to_string(program)}, env_);
        return ids.substr(0, ids.find('\n'));
    }

    bool windowManager_ = false;
};

// Weston's desktop with its panel, on a seat of its own: the compositor runs
// as a window of an X server of its own, whose keyboard is weston's keyboard.
// (A headless weston has no seat at all: nothing could type into the game or
// give it the focus.)
class WestonDesktop : public XDesktop {
public:
    explicit WestonDesktop(const fs::path& scratch) : XDesktop(scratch, false, 1) {
        const fs::path run = scratch / "run";
        fs::create_directories(run);
        fs::permissions(run, fs::perms::owner_all);
        std::map<std::string, std::string> westonEnv = env_;
        westonEnv["XDG_RUNTIME_DIR"] = run.string();
        westonEnv["HOME"] = scratch.string();
        servers_.emplace_back(
            std::vector<std::string>{"weston", "--backend=x11-backend.so", "--use-pixman",
                                     "--idle-time=0", "--width=1366", "--height=768",
                                     "--socket=tumbrix-test"},
            westonEnv, scratch / "weston.log");
        waitUntil([&] { return fs::exists(run / "tumbrix-test"); }, 10s);
        // weston's window has the X keyboard.
        outputOf({"xdotool", "search", "--sync", "--class", "weston", "windowfocus"}, env_);
        // The panel and the desktop's background drawn.
        std::this_thread::sleep_for(1s);
        xDisplay_ = env_["DISPLAY"];
        env_.erase("DISPLAY");
        env_["XDG_RUNTIME_DIR"] = run.string();
        env_["WAYLAND_DISPLAY"] = "tumbrix-test";
        env_["QT_QPA_PLATFORM"] = "wayland";
    }

    void type(const std::vector<std::string>& keys) override {
        std::vector<std::string> command = {"xdotool", "key", "--delay", "80"};
        command.insert(command.end(), keys.begin(), keys.end());
        outputOf(command, {{"DISPLAY", xDisplay_}});
    }
    Process hold(const std::string& key, int milliseconds) override {
        return Process({"xdotool", "keydown", key, "sleep", std::to_string(milliseconds / 1000.0),
                        "keyup", key},
                       {{"DISPLAY", xDisplay_}}, scratch_ / "keys.log");
    }
    QImage screenshot() override {
        const std::string png =
            outputOf({"import", "-window", "root", "png:-"}, {{"DISPLAY", xDisplay_}});
        return QImage::fromData(QByteArray::fromStdString(png), "PNG");
    }
    std::optional<std::string> focusedTitle() override { return std::nullopt; }
    std::optional<int> windowsOf(pid_t) override { return std::nullopt; }
    std::optional<QRect> placeOf(pid_t) override { return std::nullopt; }
    bool focus(pid_t) override { return false; }
    bool moveWindow(pid_t, QPoint) override { return false; }
    bool leaveFullScreen(pid_t) override { return false; }

private:
    std::string xDisplay_;
};

// sway, floating or tiling, without a screen or input devices of its own:
// keys come from a virtual keyboard, as wtype makes them. sway refuses to run
// as root, so under root it runs as nobody.
class SwayDesktop : public Desktop {
public:
    SwayDesktop(const fs::path& scratch, bool floating) : Desktop(scratch) {
        const fs::path run = scratch / "run";
        fs::create_directories(run);
        const int user = ::getuid() == 0 ? 65534 : -1;
        if (user != -1) {
            fs::permissions(scratch, fs::perms::owner_all | fs::perms::group_exec |
                                         fs::perms::others_exec | fs::perms::group_read |
                                         fs::perms::others_read);
            (void)::chown(run.c_str(), user, user);
        }
        fs::permissions(run, fs::perms::owner_all);
        std::ofstream(scratch / "sway.conf")
            << "output HEADLESS-1 resolution 1366x768\n"
               "default_border normal\n"
               "default_floating_border normal\n"
            << (floating ? "for_window [app_id=\".*\"] floating enable\n" : "");
        fs::permissions(scratch / "sway.conf", fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read);
        servers_.emplace_back(
            std::vector<std::string>{"sway", "-c", (scratch / "sway.conf").string()},
            std::map<std::string, std::string>{{"HOME", scratch.string()},
                                               {"XDG_RUNTIME_DIR", run.string()},
                                               {"WLR_BACKENDS", "headless"},
                                               {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                               {"WLR_RENDERER", "pixman"}},
            scratch / "sway.log", user);
        waitUntil(
            [&] { return socketIn(run, "wayland-", "") && socketIn(run, "sway-ipc", ".sock"); },
            10s);
        env_["XDG_RUNTIME_DIR"] = run.string();
        if (auto display = socketIn(run, "wayland-", "")) {
            env_["WAYLAND_DISPLAY"] = display->filename().string();
        }
        if (auto ipc = socketIn(run, "sway-ipc", ".sock")) {
            env_["SWAYSOCK"] = ipc->string();
        }
        env_["QT_QPA_PLATFORM"] = "wayland";
        // A keyboard that stays: a seat whose last keyboard goes away takes
        // the keys from every window, and a game without them pauses.
        servers_.push_back(launch({"wtype", "-s", "100000000"}));
        std::this_thread::sleep_for(300ms);
    }

    void type(const std::vector<std::string>& keys) override {
        std::vector<std::string> command = {"wtype"};
        for (const std::string& chord : keys) {
            const std::vector<std::string> parts = partsOf(chord);
            for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
                command.insert(command.end(), {"-M", parts[i]});
            }
            command.insert(command.end(), {"-k", parts.back()});
            for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
                command.insert(command.end(), {"-m", parts[i]});
            }
            command.insert(command.end(), {"-s", "80"});
        }
        outputOf(command, env_);
    }
    Process hold(const std::string& key, int milliseconds) override {
        return launch({"wtype", "-P", key, "-s", std::to_string(milliseconds), "-p", key});
    }
    QImage screenshot() override {
        const std::string png = outputOf({"grim", "-"}, env_);
        return QImage::fromData(QByteArray::fromStdString(png), "PNG");
    }
    std::optional<std::string> focusedTitle() override {
        std::optional<std::string> title;
        visit([&](const QJsonObject& node) {
            if (node["focused"].toBool()) {
                title = node["name"].toString().toStdString();
            }
        });
        return title;
    }
    std::optional<int> windowsOf(pid_t program) override {
        int windows = 0;
        visit([&](const QJsonObject& node) { windows += node["pid"].toInt() == program; });
        return windows;
    }
    bool focus(pid_t program) override {
        outputOf({"swaymsg", "[pid=" + std::to_string(program) + "]", "focus"}, env_);
        return true;
    }
    bool leaveFullScreen(pid_t program) override {
        outputOf({"swaymsg", "[pid=" + std::to_string(program) + "]", "fullscreen", "disable"},
                 env_);
        return true;
    }

private:
    void visit(const std::function<void(const QJsonObject&)>& see) {
        const std::string tree = outputOf({"swaymsg", "-r", "-t", "get_tree"}, env_);
        std::function<void(const QJsonObject&)> walk = [&](const QJsonObject& node) {
            see(node);
            for (const char* children : {"nodes", "floating_nodes"}) {
                for (const QJsonValue child : node[children].toArray()) {
                    walk(child.toObject());
                }
            }
        };
        walk(QJsonDocument::fromJson(QByteArray::fromStdString(tree)).object());
    }
};

}  // namespace

Process::Process(const std::vector<std::string>& command,
                 const std::map<std::string, std::string>& env, const fs::path& output,
                 int asUser) {
    pid_ = ::fork();
    if (pid_ != 0) {
        return;
    }
    ::setsid();
    const int log = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::dup2(log, STDOUT_FILENO);
    ::dup2(log, STDERR_FILENO);
    if (asUser != -1 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(asUser) != 0 || ::setuid(asUser) != 0)) {
        std::_Exit(126);
    }
    execute(command, env);
}

Process& Process::operator=(Process&& other) noexcept {
    std::swap(pid_, other.pid_);
    return *this;
}

Process::~Process() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(-pid_, SIGTERM);
    if (!wait(2000)) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::optional<int> Process::wait(int milliseconds) {
    std::optional<int> status;
    waitUntil(
        [&] {
            int raw = 0;
            if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
                status = raw;
                pid_ = -1;
            }
            return status.has_value();
        },
        std::chrono::milliseconds(milliseconds));
    return status;
}

std::string outputOf(const std::vector<std::string>& command,
                     const std::map<std::string, std::string>& env) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDERR_FILENO);
        ::close(pipeEnds[0]);
        execute(command, env);
    }
    ::close(pipeEnds[1]);
    std::string output;
    char buffer[65536];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
    return output;
}

Process Desktop::launch(const std::vector<std::string>& command,
                        std::map<std::string, std::string> extra) {
    std::map<std::string, std::string> env = env_;
    env.merge(extra);
    return Process(command, env,
                   scratch_ / (fs::path(command.front()).filename().string() + ".log"));
}

Process Desktop::launchAnotherProgram() {
    return launch({"/proc/self/exe", kAnotherProgram});
}

std::unique_ptr<Desktop> Desktop::start(Kind kind, const fs::path& scratch, std::string& whyNot) {
    std::vector<const char*> needed = {"xdotool", "import", "Xvfb"};
    if (kind == Kind::OpenboxX || kind == Kind::OpenboxTwoMonitors) {
        needed.insert(needed.end(), {"openbox", "wmctrl", "xprop", "xrandr"});
    } else if (kind == Kind::Weston) {
        needed.push_back("weston");
    } else if (kind == Kind::SwayFloating || kind == Kind::SwayTiling) {
        needed = {"sway", "swaymsg", "wtype", "grim"};
    }
    for (const char* program : needed) {
        if (!installed(program)) {
            whyNot = std::string(program) + " is not installed (scripts/install-deps.sh)";
            return nullptr;
        }
    }
    switch (kind) {
        case Kind::BareX:
            return std::make_unique<XDesktop>(scratch, false, 1);
        case Kind::OpenboxX:
            return std::make_unique<XDesktop>(scratch, true, 1);
        case Kind::OpenboxTwoMonitors:
            return std::make_unique<XDesktop>(scratch, true, 2);
        case Kind::Weston:
            return std::make_unique<WestonDesktop>(scratch);
        case Kind::SwayFloating:
        case Kind::SwayTiling:
            return std::make_unique<SwayDesktop>(scratch, kind == Kind::SwayFloating);
    }
    return nullptr;
}

}  // namespace desktops
