#include "platform/timer_scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace platform {
namespace {

// Records, per timer, the ticks at which it fired.
struct Trace {
    TimerScheduler& scheduler;
    std::vector<std::string> events;
    void hook(Timer& timer) {
        timer.onTimer = [this, &timer] {
            events.push_back(timer.name() + "@" + std::to_string(scheduler.now()));
        };
    }
};

TEST(TimerSchedulerTest, PeriodIsTheIntervalRoundedUpToWholeTicks) {
    EXPECT_EQ(TimerScheduler::periodTicks(0), 1);
    EXPECT_EQ(TimerScheduler::periodTicks(1), 1);
    EXPECT_EQ(TimerScheduler::periodTicks(10), 1);
    EXPECT_EQ(TimerScheduler::periodTicks(15), 1);
    EXPECT_EQ(TimerScheduler::periodTicks(16), 2);
    EXPECT_EQ(TimerScheduler::periodTicks(250), 16);
    EXPECT_EQ(TimerScheduler::periodTicks(1000), 64);
    EXPECT_EQ(TimerScheduler::periodTicks(2500), 160);
}

TEST(TimerSchedulerTest, TimersFireOncePerPeriodInAttachOrder) {
    TimerScheduler scheduler;
    Timer second("second", 1000, true);
    Timer tick("tick", 1, true);
    Trace trace{scheduler, {}};
    trace.hook(second);
    trace.hook(tick);
    scheduler.attach(second);
    scheduler.attach(tick);

    scheduler.advance(128);
    int ticks = 0;
    std::vector<std::string> seconds;
    for (const auto& event : trace.events) {
        if (event.rfind("tick", 0) == 0) {
            ++ticks;
        } else {
            seconds.push_back(event);
        }
    }
    EXPECT_EQ(ticks, 128);
    EXPECT_EQ(seconds, (std::vector<std::string>{"second@64", "second@128"}));
    // Within tick 64 the timer attached first fires first.
    auto at64 = std::find(trace.events.begin(), trace.events.end(), "second@64");
    ASSERT_NE(at64, trace.events.end());
    EXPECT_EQ(*(at64 + 1), "tick@64");
}

TEST(TimerSchedulerTest, EnablingStartsThePeriodFromTheCurrentTick) {
    TimerScheduler scheduler;
    Timer slow("slow", 250, false);
    Trace trace{scheduler, {}};
    trace.hook(slow);
    scheduler.attach(slow);

    scheduler.advance(10);
    slow.setEnabled(true);
    scheduler.advance(40);
    EXPECT_EQ(trace.events, (std::vector<std::string>{"slow@26", "slow@42"}));

    // Enabling an enabled timer changes nothing.
    slow.setEnabled(true);
    scheduler.advance(16);
    EXPECT_EQ(trace.events.back(), "slow@58");

    // Disabling cancels; re-enabling starts afresh.
    slow.setEnabled(false);
    scheduler.advance(5);
    slow.setEnabled(true);
    scheduler.advance(16);
    EXPECT_EQ(trace.events.back(), "slow@87");
}

TEST(TimerSchedulerTest, HandlersEnablingOrDisablingOthersWithinATick) {
    TimerScheduler scheduler;
    Timer first("first", 1, true);
    Timer second("second", 1, false);
    Timer third("third", 1, true);
    Trace trace{scheduler, {}};
    trace.hook(second);
    trace.hook(third);
    first.onTimer = [&] {
        if (scheduler.now() == 2) {
            // Enabled during tick 2: first fires at tick 3, not later in tick 2.
            second.setEnabled(true);
            third.setEnabled(false);
        }
    };
    for (Timer* timer : {&first, &second, &third}) {
        scheduler.attach(*timer);
    }
    scheduler.advance(3);
    EXPECT_EQ(trace.events, (std::vector<std::string>{"third@1", "second@3"}));
}

TEST(TimerSchedulerTest, AHandlerCanDisableAndReenableItself) {
    TimerScheduler scheduler;
    Timer self("self", 1000, true);
    Trace trace{scheduler, {}};
    self.onTimer = [&] {
        trace.events.push_back("self@" + std::to_string(scheduler.now()));
        self.setEnabled(false);
        self.setEnabled(true);
    };
    scheduler.attach(self);
    scheduler.advance(128);
    EXPECT_EQ(trace.events, (std::vector<std::string>{"self@64", "self@128"}));
}

TEST(TimerSchedulerTest, AModalBoxInAHandlerKeepsOtherTimersRunningWithoutReentry) {
    TimerScheduler scheduler;
    Timer game("game", 1, true);
    Timer notice("notice", 10, true);
    std::vector<std::string> events;
    int gameDepth = 0;
    int maxGameDepth = 0;
    game.onTimer = [&] {
        ++gameDepth;
        maxGameDepth = std::max(maxGameDepth, gameDepth);
        events.push_back("game@" + std::to_string(scheduler.now()));
        if (scheduler.now() == 2) {
            // The "message box" turns the event loop for five ticks.
            scheduler.advance(5);
        }
        --gameDepth;
    };
    notice.onTimer = [&] { events.push_back("notice@" + std::to_string(scheduler.now())); };
    scheduler.attach(game);
    scheduler.attach(notice);

    scheduler.advance(3);
    EXPECT_EQ(maxGameDepth, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"game@1", "notice@1", "game@2", "notice@3",
                                                "notice@4", "notice@5", "notice@6", "notice@7",
                                                // The outer tick 2 does not fire notice again;
                                                // game, passed over while busy, fires next.
                                                "game@8", "notice@8"}));
}

TEST(TimerSchedulerTest, NoTimerFiresTwiceForOneTick) {
    TimerScheduler scheduler;
    Timer a("a", 1, true);
    Timer b("b", 1, true);
    std::vector<std::int64_t> bTicks;
    a.onTimer = [&] {
        // Re-enter from inside tick k: b fires for k+1 in the nested loop,
        // and must not fire again for the outer k after it.
        if (scheduler.now() % 3 == 0) {
            scheduler.advance();
        }
    };
    b.onTimer = [&] { bTicks.push_back(scheduler.now()); };
    scheduler.attach(a);
    scheduler.attach(b);
    scheduler.advance(20);
    for (std::size_t i = 1; i < bTicks.size(); ++i) {
        EXPECT_GT(bTicks[i], bTicks[i - 1]);
    }
}

TEST(TimerSchedulerTest, DestroyedTimersLeaveTheClock) {
    TimerScheduler scheduler;
    int fired = 0;
    {
        Timer temporary("temporary", 1, true);
        temporary.onTimer = [&] { ++fired; };
        scheduler.attach(temporary);
        scheduler.advance(2);
    }
    scheduler.advance(2);
    EXPECT_EQ(fired, 2);
}

}  // namespace
}  // namespace platform
