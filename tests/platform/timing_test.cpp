#include "platform/game_clock.h"
#include "platform/timer_scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

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
    const std::pair<int, std::int64_t> cases[] = {{0, 1}, {16, 2}, {125, 8}, {1000, 64}};
    for (const auto& [intervalMs, ticks] : cases) {
        EXPECT_EQ(TimerScheduler::periodTicks(intervalMs), ticks) << intervalMs;
    }
}

TEST_F(TimerSchedulerTest, TimersFireInAttachOrderEachPeriodFromTheTickTheyWereEnabledIn) {
    Timer first("first", 1, true);
    Timer second("second", 40, false);  // three ticks
    Timer third("third", 1, true);
    attach({&first, &second, &third});
    {
        Timer gone("gone", 1, true);  // destroyed, it leaves the clock
        attach({&gone});
    }
    // Within each tick, before the others' turn: second enabled again and
    // again, third disabled at tick 2 and enabled again at 3.
    first.onTimer = [&] {
        second.setEnabled(true);
        third.setEnabled(scheduler.now() != 2);
    };
    scheduler.advance(7);
    EXPECT_EQ(events, (Strings{"third@1", "second@4", "third@4", "third@5", "third@6", "second@7",
                               "third@7"}));
}

TEST_F(TimerSchedulerTest, AModalBoxInAHandlerKeepsOtherTimersRunningWithoutReentry) {
    Timer game("game", 1, true);
    Timer notice("notice", 10, true);
    attach({&game, &notice});
    int depth = 0;
    game.onTimer = [&] {
        EXPECT_EQ(++depth, 1);
        note(game);
        if (scheduler.now() == 2) {
            scheduler.advance(5);  // the box turns the event loop for five ticks
        }
        --depth;
    };
    scheduler.advance(3);
    // The outer tick 2 fires nothing twice; game, passed over while busy, fires next.
    EXPECT_EQ(events, (Strings{"game@1", "notice@1", "game@2", "notice@3", "notice@4", "notice@5",
                               "notice@6", "notice@7", "game@8", "notice@8"}));
}

// An alarm on a clock that moves only when the test says so.
class FakeAlarm : public WakeTimer {
public:
    void armAt(std::int64_t dueNs) override { due = dueNs; }
    void disarm() override { due.reset(); }
    // Lets the time run to `until`, going off on the way as armed; a wake
    // must arm it for a later time.
    void runTo(std::int64_t until) {
        while (due && *due <= until) {
            const std::int64_t woken = now = std::max(now, *std::exchange(due, std::nullopt));
            onWake();
            if (due && *due <= woken) {
                ADD_FAILURE() << "armed again for " << *due << " at " << woken;
                return;
            }
        }
        now = until;
    }
    // Wakes `late` after a tick, as a busy event loop does.
    void wakeLate(std::int64_t tick, std::int64_t late) {
        now = tick * kTick + late;
        runTo(now);
    }

    std::optional<std::int64_t> due;
    std::int64_t now = 0;
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
    int wakes = 0;
    GameClock clock{alarm, [this] { return alarm.now; },
                    [this](int ticks) {
                        ++wakes;
                        scheduler.advance(ticks);
                    },
                    [this] { return scheduler.ticksUntilNextDue(); }};
};

TEST_F(GameClockTest, SleepsWhileEveryTimerIsDisabledAndWakesOnlyWhenOneIsDue) {
    alarm.runTo(1000 * kTick + kTick / 3);
    EXPECT_TRUE(clock.asleep());
    // Enabled while asleep: the grid starts afresh from now.
    const std::int64_t enabledAt = alarm.now;
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
    // Each row: the tick that wakes the clock, how late, and whether the
    // timer is enabled by that tick's handler or after it.
    const std::tuple<std::int64_t, std::int64_t, bool> cases[] = {{16, 1, false},
                                                                  {32, kTick - 1, true}};
    for (const auto& [tick, late, byTheTick] : cases) {
        slow.onTimer = [&, byTheTick = byTheTick] { fast.setEnabled(byTheTick); };
        alarm.wakeLate(tick, late);
        fast.setEnabled(true);
        EXPECT_EQ(alarm.due, (tick + 1) * kTick) << tick;
        fast.setEnabled(false);
    }
}

TEST_F(GameClockTest, AStallCatchesUpFourTicksAndAModalLoopKeepsTicking) {
    fast.setEnabled(true);
    alarm.runTo(2 * kTick);
    alarm.wakeLate(12, kTick / 2);  // the event loop was stuck for ten ticks
    EXPECT_EQ(scheduler.now(), 6);
    EXPECT_EQ(clock.droppedTicks(), 6);
    EXPECT_EQ(alarm.due, 13 * kTick);
    // Armed for the next tick before a handler runs a nested event loop, the
    // clock keeps going inside.
    int nested = 0;
    fast.onTimer = [&] {
        if (scheduler.now() == 7) {
            alarm.runTo(16 * kTick);
            nested = int(scheduler.now());
        }
    };
    alarm.runTo(17 * kTick);
    EXPECT_EQ(std::pair(nested, scheduler.now()), std::pair(10, std::int64_t{11}));
}

}  // namespace
}  // namespace platform
