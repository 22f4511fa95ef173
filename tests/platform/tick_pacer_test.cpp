#include "platform/tick_pacer.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

constexpr std::int64_t kTick = TickPacer::kTickNanoseconds;

TEST(TickPacerTest, DueTimesAdvanceByExactlyOneTickWhateverTheWakeLateness) {
    TickPacer pacer;
    pacer.start(1'000'000);
    EXPECT_EQ(pacer.claimDueTicks(1'000'000 + kTick - 1), 0);
    // Woken 2 ms late: one tick, and the next is due on the grid, not 2 ms on.
    EXPECT_EQ(pacer.claimDueTicks(1'000'000 + kTick + 2'000'000), 1);
    EXPECT_EQ(pacer.nextDueNs(), 1'000'000 + 2 * kTick);
    // 64 ticks per second over a long run, no drift.
    std::int64_t total = 1;
    for (int wake = 2; wake <= 6400; ++wake) {
        total += pacer.claimDueTicks(1'000'000 + wake * kTick + 1'500'000);
    }
    EXPECT_EQ(total, 6400);
}

TEST(TickPacerTest, AStallRunsAtMostFourTicksAndDropsTheRest) {
    TickPacer pacer;
    pacer.start(0);
    EXPECT_EQ(pacer.claimDueTicks(3 * kTick), 3);
    // 100 ms stall: six ticks were due, four are run.
    EXPECT_EQ(pacer.claimDueTicks(3 * kTick + 100'000'000), 4);
    EXPECT_EQ(pacer.droppedTicks(), 2);
    // The schedule continues from now, not from before the stall.
    EXPECT_GT(pacer.nextDueNs(), 3 * kTick + 100'000'000);
    EXPECT_LE(pacer.nextDueNs(), 3 * kTick + 100'000'000 + kTick);
}

}  // namespace
}  // namespace platform
