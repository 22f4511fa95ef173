#include "platform/qt/screen_overlay.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>
#include <algorithm>

namespace platform::qt {

ScreenOverlay::ScreenOverlay(FormWindow& overlay, WindowOf windowOf)
    : overlay_(overlay), windowOf_(std::move(windowOf)) {
    overlay_.installEventFilter(this);
    overlay_.canvas().installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow* focused) { focusChanged(focused); });
    // The overlay is created from a game window that has the focus now.
    focusChanged(QGuiApplication::focusWindow());
}

void ScreenOverlay::focusChanged(QWindow* focused) {
    FormWindow* window = focused != nullptr ? windowOf_(focused) : nullptr;
    if (window == nullptr || window == &overlay_ ||
        window->form().style == WindowStyle::FullScreenOverlay) {
        return;
    }
    std::erase_if(focusOrder_, [window](const QPointer<FormWindow>& seen) {
        return seen.isNull() || seen == window;
    });
    focusOrder_.emplace_back(window);
    shareShortcutsOf(window);
}

FormWindow* ScreenOverlay::windowInFront() const {
    for (auto seen = focusOrder_.rbegin(); seen != focusOrder_.rend(); ++seen) {
        if (!seen->isNull() && (*seen)->isVisible()) {
            return seen->data();
        }
    }
    return nullptr;
}

void ScreenOverlay::shareShortcutsOf(FormWindow* window) {
    if (sharingShortcuts_ == window) {
        return;
    }
    for (QAction* action : overlay_.actions()) {
        overlay_.removeAction(action);
    }
    sharingShortcuts_ = window;
    if (window != nullptr && window->formMenuBar() != nullptr) {
        overlay_.addActions(window->formMenuBar()->actions());
    }
}

void ScreenOverlay::bringBackWindowInFront() {
    FormWindow* front = windowInFront();
    if (front == nullptr) {
        return;
    }
    shareShortcutsOf(front);
    front->raise();
    front->activateWindow();
}

bool ScreenOverlay::eventFilter(QObject* watched, QEvent* event) {
    const bool clicked = watched == &overlay_.canvas() && event->type() == QEvent::MouseButtonPress;
    const bool activated = watched == &overlay_ && event->type() == QEvent::WindowActivate;
    if (clicked || activated) {
        bringBackWindowInFront();
    }
    return false;
}

}  // namespace platform::qt
