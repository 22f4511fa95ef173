#include "platform/desktop/host/window_system.h"

#include <QGuiApplication>

namespace platform::desktop {

WindowSystem windowSystemNamed(const QString& platformName) {
    WindowSystem system;
    if (platformName.startsWith(QStringLiteral("wayland"))) {
        system.clientPlacesWindows = false;
        // GNOME's and weston's top bars are 32 pixels high, KDE Plasma's
        // panel 44.
        system.panelAllowance = 48;
        // Qt's own title bar and its thin borders.
        system.usualFrame = QMargins(5, 35, 5, 5);
    }
    return system;
}

const WindowSystem& currentWindowSystem() {
    static const WindowSystem system = windowSystemNamed(QGuiApplication::platformName());
    return system;
}

}  // namespace platform::desktop
