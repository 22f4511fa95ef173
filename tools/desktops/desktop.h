#pragma once

#include <sys/types.h>

#include <QImage>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace desktops {

// A program started for a test; killed with everything it started when the
// test is done with it.
class Process {
public:
    Process() = default;
    // asUser, where not -1, is the user id the program runs as (from root).
    Process(const std::vector<std::string>& command, const std::map<std::string, std::string>& env,
            const std::filesystem::path& output, int asUser = -1);
    Process(Process&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    Process& operator=(Process&& other) noexcept;
    ~Process();

    pid_t pid() const { return pid_; }
    // Waits for the end; the exit status, or none if it is still running
    // after the time given.
    std::optional<int> wait(int milliseconds);

private:
    pid_t pid_ = -1;
};

// Runs a command to its end and returns what it printed.
std::string outputOf(const std::vector<std::string>& command,
                     const std::map<std::string, std::string>& env);

// A desktop the real game is played on: a display server with what a player
// has around it, keys typed through the server as a keyboard would, and
// pictures of the whole screen. The screen is 1366 x 768; with two monitors
// a second of 1024 x 768 is on its right.
class Desktop {
public:
    enum class Kind { BareX, OpenboxX, OpenboxTwoMonitors, Weston, SwayFloating, SwayTiling };
    static constexpr int kWidth = 1366;
    static constexpr int kHeight = 768;

    // Null, with the reason in whyNot, where this machine lacks the programs.
    static std::unique_ptr<Desktop> start(Kind kind, const std::filesystem::path& scratch,
                                          std::string& whyNot);
    virtual ~Desktop() = default;

    // What programs need to show their windows here.
    const std::map<std::string, std::string>& environment() const { return env_; }
    Process launch(const std::vector<std::string>& command,
                   std::map<std::string, std::string> extra = {});
    // Another program's white window (see another_program.h), which takes
    // the keys when it opens.
    Process launchAnotherProgram();

    // Types keys, one after the other: "ctrl+f", "Return", "alt+s".
    virtual void type(const std::vector<std::string>& keys) = 0;
    // Holds a key down for the time given, without waiting for it.
    virtual Process hold(const std::string& key, int milliseconds) = 0;
    virtual QImage screenshot() = 0;
    // The title of the window with the keys, where the desktop can tell.
    virtual std::optional<std::string> focusedTitle() { return std::nullopt; }
    // How many windows of a program the window manager shows, where it can tell.
    virtual std::optional<int> windowsOf(pid_t program) {
        (void)program;
        return std::nullopt;
    }
    // Where a program's window is, frame excluded, where the desktop tells.
    virtual std::optional<QRect> placeOf(pid_t program) {
        (void)program;
        return std::nullopt;
    }
    // Gives a program's window the keys; false where the desktop cannot.
    virtual bool focus(pid_t program) {
        (void)program;
        return false;
    }
    // Moves a program's window to a place; false where the desktop cannot.
    virtual bool moveWindow(pid_t program, QPoint to) {
        (void)program;
        (void)to;
        return false;
    }
    // Has the window manager take a program's window out of full screen; false
    // where it has no way to.
    virtual bool leaveFullScreen(pid_t program) {
        (void)program;
        return false;
    }

protected:
    Desktop(std::filesystem::path scratch) : scratch_(std::move(scratch)) {}

    std::filesystem::path scratch_;
    std::map<std::string, std::string> env_;
    std::vector<Process> servers_;
};

}  // namespace desktops
