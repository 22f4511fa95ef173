#include "platform/desktop/host/window_placement.h"

#include <algorithm>
#include <cmath>

namespace platform::desktop {

QRect placeTitledWindow(QSize design, int menuBarHeight, QMargins frame, QRect available) {
    if (design.isEmpty()) {
        return {};
    }
    const int roomWidth = available.width() - frame.left() - frame.right();
    const int roomHeight = available.height() - frame.top() - frame.bottom() - menuBarHeight;
    const double scale = std::clamp(
        std::min(double(roomWidth) / design.width(), double(roomHeight) / design.height()), 0.1,
        1.0);
    const QSize client(int(std::floor(design.width() * scale)),
                       int(std::floor(design.height() * scale)));
    const QSize window(client.width(), client.height() + menuBarHeight);
    const QSize outer = window.grownBy(frame);
    const QPoint outerCorner(available.left() + (available.width() - outer.width()) / 2,
                             available.top() + (available.height() - outer.height()) / 2);
    return {outerCorner + QPoint(frame.left(), frame.top()), window};
}

}  // namespace platform::desktop
