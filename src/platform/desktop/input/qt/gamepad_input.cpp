#include "platform/desktop/input/qt/gamepad_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWindow>

#include "platform/key_codes.h"

namespace platform::desktop {

GamepadInput::GamepadInput(FormOf formOf, Deliver deliver, std::function<void()> steppedAway)
    : formOf_(std::move(formOf)),
      deliver_(std::move(deliver)),
      steppedAway_(std::move(steppedAway)) {
    idlePoll_.setSingleShot(true);
    connect(&idlePoll_, &QTimer::timeout, this, [this] { poll(); });
    idlePoll_.start(padsAttached() > 0 ? kIdlePollMs : kPlugInPollMs);
}

void GamepadInput::beforeTicks() {
    if (padsAttached() > 0) {
        poll();
    }
}

void GamepadInput::poll() {
    if (stopped_) {
        return;
    }
    for (const SdlGamepads::Event& event : pads_.poll()) {
        queue_.push_back(event);
    }
    // Restarted on every read: while the clock ticks, the timer never fires.
    idlePoll_.start(padsAttached() > 0 ? kIdlePollMs : kPlugInPollMs);
    while (!queue_.empty() && !stopped_) {
        const SdlGamepads::Event event = queue_.front();
        queue_.pop_front();
        handle(event);
    }
}

void GamepadInput::stop() {
    stopped_ = true;
    idlePoll_.stop();
    queue_.clear();
    pressedOn_.clear();
}

void GamepadInput::handle(const SdlGamepads::Event& event) {
    if (event.kind == SdlGamepads::Event::Kind::PulledOut) {
        steppedAway_();
        return;
    }
    const KeyAction& key = event.key;
    const auto held = std::pair(event.player, key.keyCode);
    Form* form = nullptr;
    if (key.kind == KeyAction::Kind::Down) {
        QWindow* window = windowWithKeys();
        form = window != nullptr ? formOf_(window) : nullptr;
        pressedOn_[held] = form;
    } else if (auto found = pressedOn_.find(held); found != pressedOn_.end()) {
        form = found->second;
        pressedOn_.erase(found);
    }
    if (form != nullptr) {
        deliver_(*form, key);
    }
    if (event.player == 0 && key.kind == KeyAction::Kind::Down && key.keyCode == keys::kReturn &&
        !stopped_) {
        pressFocusedButton();
    }
}

QWindow* GamepadInput::windowWithKeys() {
    QWindow* focus = QGuiApplication::focusWindow();
    const QWidget* modal = QApplication::activeModalWidget();
    if (QApplication::activePopupWidget() != nullptr ||
        (modal != nullptr && modal->windowHandle() != focus)) {
        return nullptr;
    }
    return focus;
}

void GamepadInput::pressFocusedButton() {
    auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
    QWindow* window = windowWithKeys();
    if (button != nullptr && window != nullptr && button->window()->windowHandle() == window &&
        button->isVisible()) {
        // The button reacts as to ENTER typed at it.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &enter);
    }
}

}  // namespace platform::desktop
