#include "platform/desktop/input/qt/keyboard_input.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "platform/desktop/input/qt/key_mapping.h"

namespace platform::desktop {

namespace {

// The system's monotonic clock, with a precise single-shot timer for wakes.
class SteadyKeyClock : public KeyClock {
public:
    SteadyKeyClock() {
        elapsed_.start();
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            if (wake_) {
                wake_();
            }
        });
    }
    std::int64_t nowMs() const override { return elapsed_.elapsed(); }
    void wakeAt(std::int64_t deadlineMs, std::function<void()> wake) override {
        wake_ = std::move(wake);
        timer_.start(static_cast<int>(std::max<std::int64_t>(0, deadlineMs - nowMs())));
    }
    void cancelWake() override { timer_.stop(); }

private:
    QElapsedTimer elapsed_;
    QTimer timer_;
    std::function<void()> wake_;
};

}  // namespace

KeyboardInput::KeyboardInput(FormOf formOf, Deliver deliver, std::unique_ptr<KeyClock> clock)
    : formOf_(std::move(formOf)), deliver_(std::move(deliver)), clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = std::make_unique<SteadyKeyClock>();
    }
    QCoreApplication::instance()->installEventFilter(this);
}

KeyboardInput::~KeyboardInput() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void KeyboardInput::stop() {
    stopped_ = true;
    clock_->cancelWake();
    filters_.clear();
}

bool KeyboardInput::eventFilter(QObject* watched, QEvent* event) {
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (stopped_ || !isKey || !watched->isWindowType()) {
        return false;
    }
    Form* form = formOf_(static_cast<QWindow*>(watched));
    if (form == nullptr) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    const auto code = platformKeyCode(key->key());
    const std::int16_t shift = platformShiftMask(key->modifiers());
    KeyRepeatFilter& filter = filters_[form];
    if (!code) {
        deliverAll(*form, filter.otherKey(nowMs()));
    } else if (event->type() == QEvent::KeyPress) {
        deliverAll(*form, filter.press(*code, shift, nowMs()));
    } else {
        deliverAll(*form, filter.release(*code, shift, key->isAutoRepeat(), nowMs()));
    }
    armReleaseTimer();
    return false;
}

void KeyboardInput::deliverAll(Form& form, const std::vector<KeyAction>& actions) {
    for (const KeyAction& action : actions) {
        if (stopped_) {
            return;
        }
        deliver_(form, action);
    }
}

void KeyboardInput::deliverDueReleases() {
    const std::int64_t now = nowMs();
    // Collect first: delivering runs game code, which may open windows.
    std::vector<std::pair<Form*, std::vector<KeyAction>>> due;
    for (auto& [form, filter] : filters_) {
        std::vector<KeyAction> actions = filter.poll(now);
        if (!actions.empty()) {
            due.emplace_back(form, std::move(actions));
        }
    }
    for (auto& [form, actions] : due) {
        deliverAll(*form, actions);
    }
    armReleaseTimer();
}

void KeyboardInput::armReleaseTimer() {
    if (stopped_) {
        return;
    }
    std::optional<std::int64_t> next;
    for (const auto& [form, filter] : filters_) {
        const auto deadline = filter.nextDeadlineMs();
        if (deadline && (!next || *deadline < *next)) {
            next = deadline;
        }
    }
    if (!next) {
        clock_->cancelWake();
        return;
    }
    clock_->wakeAt(*next, [this] { deliverDueReleases(); });
}

}  // namespace platform::desktop
