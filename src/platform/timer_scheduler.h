#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/timer.h"

namespace platform {

// The virtual clock that drives every timer. Time is counted in platform
// ticks of 15.625 ms, 64 to the second; a timer of interval I fires every
// max(1, ceil(I / 15.625 ms)) ticks. Within one tick, due timers fire one at
// a time in the order they were attached. A handler may re-enter advance()
// (a modal box keeps the event loop turning); a timer whose handler is still
// running is passed over, and no timer fires twice for one tick.
class TimerScheduler {
public:
    static constexpr int kTicksPerSecond = 64;

    TimerScheduler() = default;
    ~TimerScheduler();
    TimerScheduler(const TimerScheduler&) = delete;
    TimerScheduler& operator=(const TimerScheduler&) = delete;

    static std::int64_t periodTicks(int intervalMs);

    // Appends the timer to the firing order.
    void attach(Timer& timer);
    void detach(Timer& timer);

    std::int64_t now() const { return now_; }
    // Runs one platform tick.
    void advance();
    void advance(std::int64_t ticks);

    // How many ticks from now the next enabled timer is due (at least 1),
    // or none while every timer is disabled: a clock need not wake before.
    std::optional<std::int64_t> ticksUntilNextDue() const;
    // Called whenever a timer starts a new period (it was enabled or
    // attached enabled), so that a sleeping clock can wake for it.
    void setOnTimerArmed(std::function<void()> onTimerArmed) {
        onTimerArmed_ = std::move(onTimerArmed);
    }

private:
    friend class Timer;
    void armFromNow(Timer& timer);

    std::vector<Timer*> timers_;
    std::int64_t now_ = 0;
    std::function<void()> onTimerArmed_;
};

}  // namespace platform
