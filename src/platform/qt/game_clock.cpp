#include "platform/qt/game_clock.h"

#include <algorithm>

namespace platform::qt {

GameClock::GameClock(std::function<void(int)> runTicks) : runTicks_(std::move(runTicks)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { wake(); });
    elapsed_.start();
}

void GameClock::start() {
    if (running_) {
        return;
    }
    running_ = true;
    pacer_.start(nowNs());
    armForNextDue();
}

void GameClock::stop() {
    running_ = false;
    timer_.stop();
}

void GameClock::wake() {
    if (!running_) {
        return;
    }
    // Claim and re-arm before running: a tick handler may open a modal box
    // whose nested event loop must keep the other timers ticking.
    const int due = pacer_.claimDueTicks(nowNs());
    armForNextDue();
    if (due > 0) {
        runTicks_(due);
    }
}

void GameClock::armForNextDue() {
    constexpr std::int64_t kNsPerMs = 1'000'000;
    const std::int64_t waitNs = std::max<std::int64_t>(0, pacer_.nextDueNs() - nowNs());
    // Round up: waking a little early would find nothing due.
    timer_.start(static_cast<int>((waitNs + kNsPerMs - 1) / kNsPerMs));
}

}  // namespace platform::qt
