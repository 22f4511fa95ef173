#include "platform/desktop/host/application_focus_watch.h"

#include <QGuiApplication>

namespace platform::desktop {

ApplicationFocusWatch::ApplicationFocusWatch(std::function<bool()> isActive,
                                             std::function<void()> onDeactivated)
    : isActive_(std::move(isActive)), onDeactivated_(std::move(onDeactivated)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { check(); });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { stateChanged(state); });
}

void ApplicationFocusWatch::stateChanged(Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive) {
        settle_.stop();
    } else if (!settle_.isActive()) {
        settle_.start();
    }
}

void ApplicationFocusWatch::check() {
    settle_.stop();
    if (!isActive_()) {
        onDeactivated_();
    }
}

}  // namespace platform::desktop
