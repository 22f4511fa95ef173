#pragma once

#include <QMargins>
#include <QString>

namespace platform::desktop {

// What the window system lets the game know and do, where X11 and Wayland
// differ. Everything the host does differently on the two is decided here.
struct WindowSystem {
    // The game places its windows and can read where they are (X11). A
    // Wayland compositor places windows itself and never says where.
    bool clientPlacesWindows = true;
    // Room to leave for desktop panels that the screen's available area does
    // not leave out: Wayland tells clients nothing about panels, so the
    // available area is the whole screen there.
    int panelAllowance = 0;
    // The frame drawn around a window before the real one is known: a
    // window manager's title bar and borders on X11, the toolkit's own
    // decorations on Wayland.
    QMargins usualFrame{4, 30, 4, 4};
};

// The window system of a Qt platform plugin ("xcb", "wayland", "offscreen").
WindowSystem windowSystemNamed(const QString& platformName);
// The window system the game runs on.
const WindowSystem& currentWindowSystem();

}  // namespace platform::desktop
