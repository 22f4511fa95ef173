#include "platform/qt/form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <algorithm>

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
    QScreen* screen = QGuiApplication::primaryScreen();
    QSize size = canvas_->sizeHint();
    if (menus_) {
        // The menu bar sits above the client area.
        size.rheight() +=
            std::max(menuBar()->heightForWidth(size.width()), menuBar()->sizeHint().height());
    }
    if (screen == nullptr) {
        resize(size);
        return;
    }
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, screen->availableGeometry()));
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
