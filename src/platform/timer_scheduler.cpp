#include "platform/timer_scheduler.h"

#include <algorithm>

namespace platform {

Timer::~Timer() {
    if (scheduler_ != nullptr) {
        scheduler_->detach(*this);
    }
}

void Timer::setEnabled(bool enabled) {
    const bool starting = enabled && !enabled_;
    enabled_ = enabled;
    if (starting && scheduler_ != nullptr) {
        scheduler_->armFromNow(*this);
    }
}

TimerScheduler::~TimerScheduler() {
    for (Timer* timer : timers_) {
        timer->scheduler_ = nullptr;
    }
}

std::int64_t TimerScheduler::periodTicks(int intervalMs) {
    // ceil(I / 15.625) == ceil(I * 64 / 1000), done in integers.
    std::int64_t ticks = (static_cast<std::int64_t>(intervalMs) * kTicksPerSecond + 999) / 1000;
    return std::max<std::int64_t>(1, ticks);
}

void TimerScheduler::attach(Timer& timer) {
    if (timer.scheduler_ == this) {
        return;
    }
    if (timer.scheduler_ != nullptr) {
        timer.scheduler_->detach(timer);
    }
    timer.scheduler_ = this;
    timers_.push_back(&timer);
    armFromNow(timer);
}

void TimerScheduler::detach(Timer& timer) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), &timer), timers_.end());
    timer.scheduler_ = nullptr;
}

void TimerScheduler::armFromNow(Timer& timer) {
    timer.nextDue_ = now_ + periodTicks(timer.intervalMs_);
    if (timer.enabled_ && onTimerArmed_) {
        onTimerArmed_();
    }
}

std::optional<std::int64_t> TimerScheduler::ticksUntilNextDue() const {
    std::optional<std::int64_t> soonest;
    for (const Timer* timer : timers_) {
        if (timer->enabled_) {
            const std::int64_t ahead = std::max<std::int64_t>(1, timer->nextDue_ - now_);
            soonest = std::min(soonest.value_or(ahead), ahead);
        }
    }
    return soonest;
}

void TimerScheduler::advance() {
    const std::int64_t tick = ++now_;
    // Index loop: a handler may attach or detach timers while we walk.
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        Timer* timer = timers_[i];
        if (!timer->enabled_ || timer->running_ || timer->nextDue_ > tick) {
            continue;
        }
        timer->nextDue_ = tick + periodTicks(timer->intervalMs_);
        if (!timer->onTimer) {
            continue;
        }
        timer->running_ = true;
        struct Done {
            Timer*& t;
            TimerScheduler* s;
            ~Done() {
                // The timer may have been detached (and destroyed with its
                // window) while its handler ran.
                if (std::find(s->timers_.begin(), s->timers_.end(), t) != s->timers_.end()) {
                    t->running_ = false;
                }
            }
        } done{timer, this};
        timer->onTimer();
    }
}

void TimerScheduler::advance(std::int64_t ticks) {
    for (std::int64_t i = 0; i < ticks; ++i) {
        advance();
    }
}

}  // namespace platform
