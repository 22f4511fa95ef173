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
        // Black wherever the letterboxed form does not reach, also while
        // the window is first mapped.
        setWindowFlag(Qt::FramelessWindowHint, true);
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
    if (!placed_) {
        placed_ = true;
        placeForFirstShow();
    }
    show();
}

void FormWindow::placeForFirstShow() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (form_.style == WindowStyle::FullScreenOverlay) {
        if (screen != nullptr) {
            setGeometry(screen->geometry());
        }
        setWindowState(windowState() | Qt::WindowFullScreen);
        return;
    }
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
