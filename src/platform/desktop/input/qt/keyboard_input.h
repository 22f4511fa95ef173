#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/desktop/input/key_repeat_filter.h"
#include "platform/form.h"

class QWindow;

namespace platform::desktop {

// The time by which held-back key releases wait: milliseconds of a monotonic
// clock, and one wake-up at a chosen time. The host's clock runs on
// QElapsedTimer and a precise single-shot QTimer; tests pass a fake one that
// they move by hand.
class KeyClock {
public:
    virtual ~KeyClock() = default;
    virtual std::int64_t nowMs() const = 0;
    // Calls wake once the clock reaches deadlineMs (at once if it has),
    // replacing any wake-up asked for before.
    virtual void wakeAt(std::int64_t deadlineMs, std::function<void()> wake) = 0;
    virtual void cancelWake() = 0;
};

// Feeds the key events of the game's windows to their forms, whichever child
// widget has the focus. It watches the native windows: every key press and
// release reaches a window exactly once before Qt hands it to the focused
// widget and its parents, and it passes on untouched, so a focused button
// still clicks on Enter or Space.
class KeyboardInput : public QObject {
public:
    // formOf finds the form of one of the game's windows (null for others);
    // deliver runs a key action on a form.
    using FormOf = std::function<Form*(QWindow*)>;
    using Deliver = std::function<void(Form&, const KeyAction&)>;

    // Without a clock, the monotonic clock of the system.
    KeyboardInput(FormOf formOf, Deliver deliver, std::unique_ptr<KeyClock> clock = nullptr);
    ~KeyboardInput() override;

    // Stops delivering, held-back releases included.
    void stop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void deliverAll(Form& form, const std::vector<KeyAction>& actions);
    // Delivers held-back releases whose time has come and re-arms the timer.
    void deliverDueReleases();
    void armReleaseTimer();
    std::int64_t nowMs() const { return clock_->nowMs(); }

    FormOf formOf_;
    Deliver deliver_;
    std::map<Form*, KeyRepeatFilter> filters_;
    std::unique_ptr<KeyClock> clock_;
    bool stopped_ = false;
};

}  // namespace platform::desktop
