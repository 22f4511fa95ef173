#include "platform/game_clock.h"

namespace platform {

GameClock::GameClock(WakeTimer& alarm, Now now, RunTicks runTicks, TicksUntilDue ticksUntilDue)
    : alarm_(alarm),
      now_(std::move(now)),
      runTicks_(std::move(runTicks)),
      ticksUntilDue_(std::move(ticksUntilDue)) {
    alarm_.onWake = [this] { wake(); };
}

void GameClock::start() {
    if (running_) {
        return;
    }
    running_ = true;
    asleep_ = true;
    timersChanged();
}

void GameClock::stop() {
    running_ = false;
    asleep_ = true;
    alarm_.disarm();
}

void GameClock::timersChanged() {
    if (!running_) {
        return;
    }
    if (asleep_) {
        // The grid starts afresh: the next tick is one tick length away.
        pacer_.start(now_());
    }
    armForNextDue();
}

void GameClock::wake() {
    if (!running_) {
        return;
    }
    const std::optional<std::int64_t> ahead = ticksUntilDue_();
    if (!ahead) {
        armForNextDue();
        return;
    }
    const int due = pacer_.claimDueTicks(now_(), *ahead - 1);
    if (due == 0) {
        armForNextDue();
        return;
    }
    // Armed for the very next tick before running: a tick handler may open a
    // modal box whose nested event loop must keep the other timers ticking.
    alarm_.armAt(pacer_.nextDueNs());
    runTicks_(due);
    if (running_) {
        armForNextDue();
    }
}

void GameClock::armForNextDue() {
    const std::optional<std::int64_t> ahead = ticksUntilDue_();
    asleep_ = !ahead;
    if (asleep_) {
        alarm_.disarm();
        return;
    }
    alarm_.armAt(pacer_.dueNsOf(*ahead));
}

}  // namespace platform
