#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

class TimerScheduler;

// A window's timer: while enabled, its handler runs once per interval. The
// interval is fixed at design time; the game only enables and disables.
class Timer {
public:
    Timer(std::string name, int intervalMs, bool enabled)
        : name_(std::move(name)), intervalMs_(intervalMs), enabled_(enabled) {}
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& name() const { return name_; }
    int interval() const { return intervalMs_; }
    bool enabled() const { return enabled_; }
    // Enabling a disabled timer starts its period from the current platform
    // tick; enabling an enabled one changes nothing; disabling cancels.
    void setEnabled(bool enabled);

    std::function<void()> onTimer;

private:
    friend class TimerScheduler;
    std::string name_;
    int intervalMs_;
    bool enabled_;
    TimerScheduler* scheduler_ = nullptr;
    std::int64_t nextDue_ = 0;
    bool running_ = false;
};

}  // namespace platform
