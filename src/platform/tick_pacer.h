#pragma once

#include <cstdint>

namespace platform {

// Maps a monotonic clock onto platform ticks. Due times advance by exactly
// one tick length, so the game keeps its pace over minutes; after a stall at
// most kMaxCatchUp missed ticks are run and the rest dropped, so the game is
// never fast-forwarded.
class TickPacer {
public:
    static constexpr std::int64_t kTickNanoseconds = 15'625'000;
    static constexpr int kMaxCatchUp = 4;

    void start(std::int64_t nowNs) { nextDueNs_ = nowNs + kTickNanoseconds; }
    // Claims the ticks due at nowNs (0 if none); the caller runs them.
    // idleTicks, known to have nothing due, were slept through on purpose:
    // they are claimed on top of the catch-up allowance.
    int claimDueTicks(std::int64_t nowNs, std::int64_t idleTicks = 0);
    std::int64_t nextDueNs() const { return nextDueNs_; }
    // When the tick `ticksAhead` ticks from now is due (1 is the next).
    std::int64_t dueNsOf(std::int64_t ticksAhead) const {
        return nextDueNs_ + (ticksAhead - 1) * kTickNanoseconds;
    }
    std::int64_t droppedTicks() const { return dropped_; }

private:
    std::int64_t nextDueNs_ = 0;
    std::int64_t dropped_ = 0;
};

}  // namespace platform
