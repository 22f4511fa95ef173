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

class TimerSchedulerTest : public ::testing::Test {
protected:
    // Records the tick at which a timer fired.
    void note(const Timer& timer) {
        events.push_back(timer.name() + "@" + std::to_string(scheduler.now()));
    }
    // Attaches timers that note their firing; a test may give one its own handler.
    void attach(std::initializer_list<Timer*> timers) {
        for (Timer* timer : timers) {
            timer->onTimer = [this, timer] { note(*timer); };
            scheduler.attach(*timer);
        }
    }

    TimerScheduler scheduler;
    Strings events;
};

TEST(TimerSchedulerPeriodTest, PeriodIsTheIntervalRoundedUpToWholeTicks) {
    std::vector<std::int64_t> periods;
    for (int interval : {0, 1, 10, 15, 16, 250, 1000, 2500}) {
        periods.push_back(TimerScheduler::periodTicks(interval));
    }
    EXPECT_EQ(periods, (std::vector<std::int64_t>{1, 1, 1, 1, 2, 16, 64, 160}));
}

TEST_F(TimerSchedulerTest, TimersFireOncePerPeriodInAttachOrder) {
    Timer second("second", 1000, true);
    Timer tick("tick", 1, true);
    attach({&second, &tick});
    scheduler.advance(128);
    // 128 ticks and two seconds; within a tick the timer attached first fires first.
    EXPECT_EQ(events.size(), 130u);
    EXPECT_EQ(Strings(events.begin() + 62, events.begin() + 65),
              (Strings{"tick@63", "second@64", "tick@64"}));
    EXPECT_EQ(Strings(events.end() - 3, events.end()),
              (Strings{"tick@127", "second@128", "tick@128"}));
}

TEST_F(TimerSchedulerTest, EnablingStartsThePeriodFromTheCurrentTick) {
    Timer slow("slow", 250, false);
    attach({&slow});

    scheduler.advance(10);
    slow.setEnabled(true);
    scheduler.advance(40);
    EXPECT_EQ(events, (Strings{"slow@26", "slow@42"}));

    // Enabling an enabled timer changes nothing.
    slow.setEnabled(true);
    scheduler.advance(16);
    EXPECT_EQ(events.back(), "slow@58");

    // Disabling cancels; re-enabling starts afresh.
    slow.setEnabled(false);
    scheduler.advance(5);
    slow.setEnabled(true);
    scheduler.advance(16);
    EXPECT_EQ(events.back(), "slow@87");
}

TEST_F(TimerSchedulerTest, HandlersEnablingOrDisablingOthersWithinATick) {
    Timer first("first", 1, true);
    Timer second("second", 1, false);
    Timer third("third", 1, true);
    attach({&first, &second, &third});
    first.onTimer = [&] {
        if (scheduler.now() == 2) {
            // Enabled during tick 2: first fires at tick 3, not later in tick 2.
            second.setEnabled(true);
            third.setEnabled(false);
        }
    };
    scheduler.advance(3);
    EXPECT_EQ(events, (Strings{"third@1", "second@3"}));
}

TEST_F(TimerSchedulerTest, AHandlerCanDisableAndReenableItself) {
    Timer self("self", 1000, true);
    attach({&self});
    self.onTimer = [&] {
        note(self);
        self.setEnabled(false);
        self.setEnabled(true);
    };
    scheduler.advance(128);
    EXPECT_EQ(events, (Strings{"self@64", "self@128"}));
}

TEST_F(TimerSchedulerTest, AModalBoxInAHandlerKeepsOtherTimersRunningWithoutReentry) {
    Timer game("game", 1, true);
    Timer notice("notice", 10, true);
    attach({&game, &notice});
    int gameDepth = 0;
    int maxGameDepth = 0;
    game.onTimer = [&] {
        maxGameDepth = std::max(maxGameDepth, ++gameDepth);
        note(game);
        if (scheduler.now() == 2) {
            // The "message box" turns the event loop for five ticks.
            scheduler.advance(5);
        }
        --gameDepth;
    };

    scheduler.advance(3);
    EXPECT_EQ(maxGameDepth, 1);
    EXPECT_EQ(events, (Strings{"game@1", "notice@1", "game@2", "notice@3", "notice@4", "notice@5",
                               "notice@6", "notice@7",
                               // The outer tick 2 does not fire notice again;
                               // game, passed over while busy, fires next.
                               "game@8", "notice@8"}));
}

TEST_F(TimerSchedulerTest, NoTimerFiresTwiceForOneTick) {
    Timer a("a", 1, true);
    Timer b("b", 1, true);
    attach({&a, &b});
    std::vector<std::int64_t> bTicks;
    a.onTimer = [&] {
        // Re-enter from inside tick k: b fires for k+1 in the nested loop,
        // and must not fire again for the outer k after it.
        if (scheduler.now() % 3 == 0) {
            scheduler.advance();
        }
    };
    b.onTimer = [&] { bTicks.push_back(scheduler.now()); };
    scheduler.advance(20);
    EXPECT_TRUE(std::adjacent_find(bTicks.begin(), bTicks.end(), std::greater_equal<>()) ==
                bTicks.end())
        << testing::PrintToString(bTicks);
}

TEST_F(TimerSchedulerTest, DestroyedTimersLeaveTheClock) {
    {
        Timer temporary("temporary", 1, true);
        attach({&temporary});
        scheduler.advance(2);
    }
    scheduler.advance(2);
    EXPECT_EQ(events, (Strings{"temporary@1", "temporary@2"}));
}

constexpr std::int64_t kTick = TickPacer::kTickNanoseconds;

TEST(TickPacerTest, DueTimesAdvanceByExactlyOneTickWhateverTheWakeLateness) {
    TickPacer pacer;
    pacer.start(1'000'000);
    EXPECT_EQ(pacer.claimDueTicks(1'000'000 + kTick - 1), 0);
    // A wake exactly on the due time runs that tick.
    TickPacer onTime;
    onTime.start(1'000'000);
    EXPECT_EQ(onTime.claimDueTicks(1'000'000 + kTick), 1);
    EXPECT_EQ(onTime.nextDueNs(), 1'000'000 + 2 * kTick);
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

TEST(TickPacerTest, TicksSleptThroughOnPurposeAreClaimedBesideTheCatchUp) {
    TickPacer pacer;
    pacer.start(0);
    // Nothing was due for 15 ticks: woken at the 16th, all 16 are run.
    EXPECT_EQ(pacer.claimDueTicks(16 * kTick, 15), 16);
    EXPECT_EQ(pacer.dueNsOf(16), 32 * kTick);
    // Woken 10 ticks late on top: four of those are caught up.
    EXPECT_EQ(pacer.claimDueTicks(42 * kTick, 15), 19);
    EXPECT_EQ(pacer.droppedTicks(), 7);
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

    std::optional<std::int64_t> due;
    std::int64_t now = 1'000'000'000;
};

class GameClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        fast.onTimer = [this] { fired.push_back("fast@" + std::to_string(scheduler.now())); };
        slow.onTimer = [this] { fired.push_back("slow@" + std::to_string(scheduler.now())); };
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
    Strings fired;
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

    // Enabled between ticks: due one period on, on the grid that starts now.
    const std::int64_t enabledAt = alarm.now;
    slow.setEnabled(true);
    EXPECT_EQ(alarm.due, enabledAt + 16 * kTick);
    alarm.runTo(enabledAt + 48 * kTick);
    EXPECT_EQ(fired, (Strings{"slow@16", "slow@32", "slow@48"}));
    EXPECT_EQ(wakes, 3);

    // A faster timer enabled meanwhile brings the next wake forward.
    fast.setEnabled(true);
    EXPECT_EQ(alarm.due, enabledAt + 49 * kTick);
    alarm.runTo(enabledAt + 51 * kTick);
    EXPECT_EQ(wakes, 6);
    fast.setEnabled(false);
    slow.setEnabled(false);
    alarm.runTo(enabledAt + 60 * kTick);
    EXPECT_EQ(wakes, 6);
    EXPECT_TRUE(clock.asleep());
    EXPECT_FALSE(alarm.due);
}

TEST_F(GameClockTest, AStallCatchesUpFourTicksAndAModalLoopKeepsTicking) {
    fast.setEnabled(true);
    alarm.runTo(start + 2 * kTick);
    // The event loop was stuck for ten ticks.
    alarm.now = start + 12 * kTick + kTick / 2;
    alarm.runTo(alarm.now);
    EXPECT_EQ(scheduler.now(), 6);
    EXPECT_EQ(clock.droppedTicks(), 6);
    EXPECT_EQ(alarm.due, start + 13 * kTick);

    // A handler that runs a nested event loop: the clock was armed for the
    // next tick before the handler ran, so it keeps going inside.
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
