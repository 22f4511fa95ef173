#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "platform/wake_timer.h"

namespace platform::desktop {

// Nanoseconds on CLOCK_MONOTONIC, the clock both alarms below keep.
std::int64_t monotonicNowNs();

// The best alarm this system offers: a timerfd where there is one.
std::unique_ptr<WakeTimer> makeWakeTimer();

// Wakes at the due time itself: a Linux timerfd armed with the absolute
// monotonic time, watched by the event loop.
class TimerFdWakeTimer final : public WakeTimer {
public:
    // Check valid() before use: the kernel may refuse a timerfd.
    TimerFdWakeTimer();
    ~TimerFdWakeTimer() override;
    TimerFdWakeTimer(const TimerFdWakeTimer&) = delete;
    TimerFdWakeTimer& operator=(const TimerFdWakeTimer&) = delete;

    bool valid() const { return fd_ >= 0; }
    void armAt(std::int64_t dueNs) override;
    void disarm() override;

private:
    void expired();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Elsewhere: a single-shot precise QTimer, rounded up to the next millisecond
// so that it never wakes before the due time.
class QTimerWakeTimer final : public WakeTimer {
public:
    QTimerWakeTimer();
    void armAt(std::int64_t dueNs) override;
    void disarm() override { timer_.stop(); }

private:
    QTimer timer_;
};

}  // namespace platform::desktop
