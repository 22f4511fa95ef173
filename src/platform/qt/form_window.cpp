#include "platform/qt/form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/qt/window_placement.h"

namespace platform::qt {

FormWindow::FormWindow(Form& form, PictureCache& pictures, Dispatch dispatch,
                       std::function<void()> onCloseRequested)
    : form_(form),
      pictures_(pictures),
      canvas_(new FormCanvas(form, pictures, dispatch, this)),
      onCloseRequested_(std::move(onCloseRequested)) {
    setCentralWidget(canvas_);
    if (!form_.menuBar.empty()) {
        menus_ = std::make_unique<FormMenuBar>(*menuBar(), form_.menuBar, dispatch);
    }
    if (form_.style == WindowStyle::FullScreenOverlay) {
        // A borderless cover that lies below the game's windows and never
        // takes the focus from them (see ScreenOverlay).
        setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                       Qt::WindowStaysOnBottomHint);
        // Black wherever the form does not reach, also while the window is
        // first mapped.
        QPalette black = palette();
        black.setColor(QPalette::Window, Qt::black);
        setPalette(black);
    }
    syncFromForm();
}

void FormWindow::syncFromForm() {
    if (appliedCaption_ != form_.caption) {
        appliedCaption_ = form_.caption;
        setWindowTitle(QString::fromStdString(form_.caption));
    }
    if (appliedIcon_ != form_.icon) {
        appliedIcon_ = form_.icon;
        setWindowIcon(pictures_.icon(form_.icon));
    }
    if (menus_) {
        menus_->syncFromForm();
    }
    canvas_->syncFromForm();
}

void FormWindow::appear() {
    if (form_.style == WindowStyle::FullScreenOverlay) {
        coverScreen();
    } else if (!placed_) {
        placed_ = true;
        placeForFirstShow();
    }
    show();
}

void FormWindow::coverScreen() {
    // The screen may have changed since the last time. The geometry is set
    // explicitly: without a window manager a maximised or full-screen window
    // keeps its default size.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->geometry());
    }
}

void FormWindow::placeForFirstShow() {
    placeOnScreen(kUsualFrame);
    // The window manager's frame is known once the window is on screen: a
    // window that does not fit with it after all is placed again.
    QTimer::singleShot(kFrameKnownMs, this, [this] {
        const QMargins frame(geometry().left() - frameGeometry().left(),
                             geometry().top() - frameGeometry().top(),
                             frameGeometry().right() - geometry().right(),
                             frameGeometry().bottom() - geometry().bottom());
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr && isVisible() &&
            !screen->availableGeometry().contains(frameGeometry())) {
            placeOnScreen(frame);
        }
    });
}

void FormWindow::placeOnScreen(QMargins frame) {
    const QSize design = canvas_->sizeHint();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        resize(design.width(), design.height() + menuBarHeight(design.width()));
        return;
    }
    QRect placed = placeTitledWindow(design, menuBarHeight(design.width()), frame,
                                     screen->availableGeometry());
    // A narrower menu bar may need more lines.
    const int menuHeight = menuBarHeight(placed.width());
    if (menuHeight != menuBarHeight(design.width())) {
        placed = placeTitledWindow(design, menuHeight, frame, screen->availableGeometry());
    }
    setGeometry(placed);
}

int FormWindow::menuBarHeight(int width) const {
    if (!menus_) {
        return 0;
    }
    return std::max(menuBar()->heightForWidth(width), menuBar()->sizeHint().height());
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // The form decides whether the window goes away; the host hides it when
    // the form's visible flag says so.
    event->ignore();
    if (onCloseRequested_) {
        onCloseRequested_();
    }
}

}  // namespace platform::qt
