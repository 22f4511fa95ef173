#include "platform/desktop/clock/wake_timers.h"

#include <time.h>

#include <algorithm>
#include <cstdio>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace platform::desktop {

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kNsPerMs = 1'000'000;

}  // namespace

std::int64_t monotonicNowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * kNsPerSecond + now.tv_nsec;
}

std::unique_ptr<WakeTimer> makeWakeTimer() {
#ifdef __linux__
    auto precise = std::make_unique<TimerFdWakeTimer>();
    if (precise->valid()) {
        return precise;
    }
    std::fprintf(stderr, "tumbrix: no timerfd; game ticks are timed to the millisecond\n");
#endif
    return std::make_unique<QTimerWakeTimer>();
}

#ifdef __linux__

TimerFdWakeTimer::TimerFdWakeTimer() {
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { expired(); });
}

TimerFdWakeTimer::~TimerFdWakeTimer() {
    notifier_.reset();
    if (fd_ >= 0) {
        close(fd_);
    }
}

void TimerFdWakeTimer::armAt(std::int64_t dueNs) {
    // Zero would disarm: a due time at the clock's origin is long past.
    const std::int64_t due = std::max<std::int64_t>(1, dueNs);
    itimerspec alarm{};
    alarm.it_value.tv_sec = time_t(due / kNsPerSecond);
    alarm.it_value.tv_nsec = long(due % kNsPerSecond);
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &alarm, nullptr);
}

void TimerFdWakeTimer::disarm() {
    const itimerspec off{};
    timerfd_settime(fd_, 0, &off, nullptr);
}

void TimerFdWakeTimer::expired() {
    std::uint64_t expirations = 0;
    // Nothing to read means the alarm was re-armed since it went off.
    if (read(fd_, &expirations, sizeof expirations) != sizeof expirations) {
        return;
    }
    if (onWake) {
        onWake();
    }
}

#else

TimerFdWakeTimer::TimerFdWakeTimer() = default;
TimerFdWakeTimer::~TimerFdWakeTimer() = default;
void TimerFdWakeTimer::armAt(std::int64_t) {}
void TimerFdWakeTimer::disarm() {}
void TimerFdWakeTimer::expired() {}

#endif

QTimerWakeTimer::QTimerWakeTimer() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onWake) {
            onWake();
        }
    });
}

void QTimerWakeTimer::armAt(std::int64_t dueNs) {
    const std::int64_t waitNs = std::max<std::int64_t>(0, dueNs - monotonicNowNs());
    timer_.start(static_cast<int>((waitNs + kNsPerMs - 1) / kNsPerMs));
}

}  // namespace platform::desktop
