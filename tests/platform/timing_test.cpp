#include "platform/game_clock.h"
#include "platform/tick_pacer.h"
#include "platform/timer_scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace platform {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int64_t kTick = TickPacer::kTickNanoseconds;

// Timers that note "name@tick" when they fire.
class TimerSchedulerTest : public ::testing::Test {
protected:
    void attach(std::initializer_list<Timer*> timers) {
        for (Timer* timer : timers) {
            timer->onTimer = [this, timer] { note(*timer); };
            scheduler.attach(*timer);
        }
    }
    void note(const Timer& timer) {
        events.push_back(timer.name() + "@" + std::to_string(scheduler.now()));
    }

    TimerScheduler scheduler;
    Strings events;
};

TEST(TimerSchedulerPeriodTest, PeriodIsTheIntervalRoundedUpToWholeTicks) {
    // A tick is 15.625 ms: 125 ms is exactly eight of them.
    const struct {
        int intervalMs;
        std::int64_t ticks;
    } cases[] = {{0, 1}, {16, 2}, {125, 8}, {1000, 64}};
    for (const auto& c : cases) {
        EXPECT_EQ(TimerScheduler::periodTicks(c.intervalMs), c.ticks) << c.intervalMs;
    }
}

TEST_F(TimerSchedulerTest, TimersFireOncePerPeriodInAttachOrderUntilDestroyed) {
    Timer second("second", 1000, true);
    Timer tick("tick", 1, true);
    attach({&second, &tick});
    {
        Timer gone("gone", 1, true);
        attach({&gone});
        scheduler.advance(1);
    }
    scheduler.advance(127);
    EXPECT_EQ(events.size(), 131u);  // 128 ticks, two seconds and one tick of the one gone
    EXPECT_EQ(Strings(events.end() - 3, events.end()),
              (Strings{"tick@127", "second@128", "tick@128"}));
}

TEST_F(TimerSchedulerTest, EnablingStartsAPeriodFromTheCurrentTickUnlessAlreadyEnabled) {
    Timer slow("slow", 250, false);
    attach({&slow});
    scheduler.advance(10);
    slow.setEnabled(true);
    scheduler.advance(40);
    EXPECT_EQ(events, (Strings{"slow@26", "slow@42"}));
    slow.setEnabled(true);
    scheduler.advance(16);
    EXPECT_EQ(events.back(), "slow@58");
    slow.setEnabled(false);
    scheduler.advance(5);
    slow.setEnabled(true);
    scheduler.advance(16);
    EXPECT_EQ(events.back(), "slow@87");
}

TEST_F(TimerSchedulerTest, ATimerEnabledOrDisabledByAHandlerActsFromTheNextTick) {
    Timer first("first", 1, true);
    Timer second("second", 1, false);
    Timer third("third", 1, true);
    attach({&first, &second, &third});
    first.onTimer = [&] {
        if (scheduler.now() == 2) {
            second.setEnabled(true);
            third.setEnabled(false);
        }
    };
    scheduler.advance(3);
    EXPECT_EQ(events, (Strings{"third@1", "second@3"}));
}

TEST_F(TimerSchedulerTest, AModalBoxInAHandlerKeepsOtherTimersRunningWithoutReentry) {
    Timer game("game", 1, true);
    Timer notice("notice", 10, true);
    attach({&game, &notice});
    int depth = 0;
    int maxDepth = 0;
    game.onTimer = [&] {
        maxDepth = std::max(maxDepth, ++depth);
        note(game);
        if (scheduler.now() == 2) {
            scheduler.advance(5);  // the box turns the event loop for five ticks
        }
        --depth;
    };
    scheduler.advance(3);
    EXPECT_EQ(maxDepth, 1);
    // The outer tick 2 fires nothing twice; game, passed over while busy, fires next.
    EXPECT_EQ(events, (Strings{"game@1", "notice@1", "game@2", "notice@3", "notice@4", "notice@5",
                               "notice@6", "notice@7", "game@8", "notice@8"}));
}

TEST(TickPacerTest, ClaimsTheTicksDueOnTheGridAndCatchesUpFourBesideTheIdleOnes) {
    const struct {
        const char* wake;
        std::int64_t atNs;
        std::int64_t idleTicks;
        int claimed;
        std::int64_t dropped;
    } cases[] = {
        {"exactly when the first tick is due", kTick, 0, 1, 0},
        {"2 ms late", kTick + 2'000'000, 0, 1, 0},
        {"after a stall of six ticks", 6 * kTick, 0, 4, 2},
        {"after sleeping through 15 idle ticks", 16 * kTick, 15, 16, 0},
        {"ten ticks late on top of those", 26 * kTick, 15, 19, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wake);
        TickPacer pacer;
        pacer.start(0);
        EXPECT_EQ(pacer.claimDueTicks(c.atNs, c.idleTicks), c.claimed);
        EXPECT_EQ(pacer.droppedTicks(), c.dropped);
        // The next tick is due on the grid, not a tick after the wake.
        EXPECT_EQ(pacer.nextDueNs(), (c.atNs / kTick + 1) * kTick);
    }
}

// An alarm on a clock that moves only when the test says so.
class FakeAlarm : public WakeTimer {
public:
    void armAt(std::int64_t dueNs) override { due = dueNs; }
    void disarm() override { due.reset(); }
    // Lets the time run to `until`, going off on the way as armed.
    void runTo(std::int64_t until) {
        while (due && *due <= until) {
            now = std::max(now, *due);
            due.reset();
            onWake();
        }
        now = until;
    }
    // Wakes `late` after the tick `tick` ticks from `from`, as a busy event loop does.
    void wakeLate(std::int64_t from, std::int64_t tick, std::int64_t late) {
        now = from + tick * kTick + late;
        runTo(now);
    }

    std::optional<std::int64_t> due;
    std::int64_t now = 1'000'000'000;
};

class GameClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        scheduler.attach(fast);
        scheduler.attach(slow);
        scheduler.setOnTimerArmed([this] { clock.timersChanged(); });
        clock.start();
    }

    TimerScheduler scheduler;
    Timer fast{"fast", 1, false};
    Timer slow{"slow", 250, false};
    FakeAlarm alarm;
    const std::int64_t start = alarm.now;
    int wakes = 0;
    GameClock clock{alarm, [this] { return alarm.now; },
                    [this](int ticks) {
                        ++wakes;
                        scheduler.advance(ticks);
                    },
                    [this] { return scheduler.ticksUntilNextDue(); }};
};

TEST_F(GameClockTest, SleepsWhileEveryTimerIsDisabledAndWakesOnlyWhenOneIsDue) {
    EXPECT_TRUE(clock.asleep());
    alarm.runTo(start + 1000 * kTick);
    EXPECT_EQ(wakes, 0);
    // Enabled while asleep: the grid starts afresh from now.
    const std::int64_t enabledAt = alarm.now + kTick / 3;
    alarm.runTo(enabledAt);
    slow.setEnabled(true);
    EXPECT_EQ(alarm.due, enabledAt + 16 * kTick);
    alarm.runTo(enabledAt + 48 * kTick);
    EXPECT_EQ(std::pair(wakes, scheduler.now()), std::pair(3, std::int64_t{48}));
    fast.setEnabled(true);
    alarm.runTo(enabledAt + 51 * kTick);
    EXPECT_EQ(wakes, 6);
    fast.setEnabled(false);
    slow.setEnabled(false);
    alarm.runTo(enabledAt + 60 * kTick);
    EXPECT_EQ(wakes, 6);
    EXPECT_TRUE(clock.asleep());
    EXPECT_FALSE(alarm.due);
}

// While the clock is awake its 15.625 ms grid holds: a timer enabled between
// two ticks is due on the next tick of the grid, not a tick after the enabling.
TEST_F(GameClockTest, ATimerEnabledBetweenTwoTicksIsDueOnTheGrid) {
    slow.setEnabled(true);
    const struct {
        const char* enabled;
        std::int64_t wokenForTick;
        std::int64_t late;
        bool byTheTick;
    } cases[] = {
        {"one nanosecond after a tick", 16, 1, false},
        {"by the handler of a tick woken almost a tick late", 32, kTick - 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.enabled);
        slow.onTimer = [&] {
            if (c.byTheTick) {
                fast.setEnabled(true);
            }
        };
        alarm.wakeLate(start, c.wokenForTick, c.late);
        fast.setEnabled(true);  // enabled already when done by the tick
        EXPECT_EQ(alarm.due, start + (c.wokenForTick + 1) * kTick);
        fast.setEnabled(false);
    }
}

TEST_F(GameClockTest, AStallCatchesUpFourTicksAndAModalLoopKeepsTicking) {
    fast.setEnabled(true);
    alarm.runTo(start + 2 * kTick);
    alarm.wakeLate(start, 12, kTick / 2);  // the event loop was stuck for ten ticks
    EXPECT_EQ(scheduler.now(), 6);
    EXPECT_EQ(clock.droppedTicks(), 6);
    EXPECT_EQ(alarm.due, start + 13 * kTick);

    // The clock was armed for the next tick before a handler ran a nested
    // event loop, so it keeps going inside.
    int nested = 0;
    fast.onTimer = [&] {
        if (scheduler.now() == 7) {
            alarm.runTo(start + 16 * kTick);
            nested = int(scheduler.now());
        }
    };
    alarm.runTo(start + 17 * kTick);
    EXPECT_EQ(nested, 10);
    EXPECT_EQ(scheduler.now(), 11);
}

}  // namespace
}  // namespace platform
