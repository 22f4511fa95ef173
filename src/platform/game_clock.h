#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/tick_pacer.h"
#include "platform/wake_timer.h"

namespace platform {

// Drives the platform ticks from a monotonic clock. It wakes only for a tick
// at which a timer is due: the ticks between are run on that wake (nothing
// fires in them), and while every timer is disabled it does not wake at all.
// Due times stay on the exact 15.625 ms grid; after a stall at most four
// missed ticks are caught up.
class GameClock {
public:
    using Now = std::function<std::int64_t()>;
    // Runs that many ticks; it may open a modal loop, in which the clock
    // keeps running.
    using RunTicks = std::function<void(int)>;
    // Ticks until the next enabled timer is due, or none.
    using TicksUntilDue = std::function<std::optional<std::int64_t>()>;

    GameClock(WakeTimer& alarm, Now now, RunTicks runTicks, TicksUntilDue ticksUntilDue);
    GameClock(const GameClock&) = delete;
    GameClock& operator=(const GameClock&) = delete;

    void start();
    void stop();
    bool running() const { return running_; }
    // No timer is enabled: no alarm is set.
    bool asleep() const { return asleep_; }
    // A timer was enabled: wake for it, earlier than planned if need be.
    void timersChanged();

    std::int64_t droppedTicks() const { return pacer_.droppedTicks(); }

private:
    void wake();
    void armForNextDue();

    WakeTimer& alarm_;
    Now now_;
    RunTicks runTicks_;
    TicksUntilDue ticksUntilDue_;
    TickPacer pacer_;
    bool running_ = false;
    bool asleep_ = true;
};

}  // namespace platform
