#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// A one-shot alarm on the monotonic clock, as the host's event loop offers
// it. Times are nanoseconds on the clock that `now` of its owner reads.
class WakeTimer {
public:
    virtual ~WakeTimer() = default;
    // Replaces any earlier alarm; a time already past fires at once.
    virtual void armAt(std::int64_t dueNs) = 0;
    virtual void disarm() = 0;

    // Called from the event loop when the alarm goes off.
    std::function<void()> onWake;
};

}  // namespace platform
