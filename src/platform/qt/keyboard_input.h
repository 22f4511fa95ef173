#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>

#include "platform/form.h"
#include "platform/qt/key_repeat_filter.h"

class QWindow;

namespace platform::qt {

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

    KeyboardInput(FormOf formOf, Deliver deliver);
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
    std::int64_t nowMs() const { return clock_.elapsed(); }

    FormOf formOf_;
    Deliver deliver_;
    std::map<Form*, KeyRepeatFilter> filters_;
    QElapsedTimer clock_;
    QTimer releaseTimer_;
    bool stopped_ = false;
};

}  // namespace platform::qt
