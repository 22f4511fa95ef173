#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "platform/tick_pacer.h"

namespace platform::qt {

// Drives the platform ticks from the monotonic clock. A single-shot precise
// timer is re-armed for each next due time, so the pace stays exactly 64 ticks
// a second (a repeating 15 or 16 ms timer drifts by several percent).
class GameClock {
public:
    // runTicks receives how many ticks are due; it may open a modal loop, in
    // which the clock keeps running.
    explicit GameClock(std::function<void(int)> runTicks);
    GameClock(const GameClock&) = delete;
    GameClock& operator=(const GameClock&) = delete;

    void start();
    void stop();
    bool running() const { return running_; }

private:
    void wake();
    void armForNextDue();
    std::int64_t nowNs() const { return elapsed_.nsecsElapsed(); }

    std::function<void(int)> runTicks_;
    QElapsedTimer elapsed_;
    platform::TickPacer pacer_;
    QTimer timer_;
    bool running_ = false;
};

}  // namespace platform::qt
