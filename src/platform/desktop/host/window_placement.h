#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace platform::desktop {

// Where a titled window opens: its client area at the design size, or at one
// smaller scale so that the whole window, window frame and title bar, menu
// bar and client area, fits the available area; centred in it. Returns the
// window's geometry without its frame (menu bar and client area), as
// QWidget::setGeometry takes it.
QRect placeTitledWindow(QSize design, int menuBarHeight, QMargins frame, QRect available);

}  // namespace platform::desktop
