#include "platform/desktop/host/form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "platform/desktop/host/window_placement.h"
#include "platform/desktop/host/window_system.h"
#include "platform/desktop/painting/form_units.h"

namespace platform::desktop {

namespace {

QVBoxLayout* bareColumn(QWidget* owner) {
    auto* column = new QVBoxLayout(owner);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    return column;
}

// Where a backdrop's shown controls lie, at its unscaled design size.
QRect shownControlsOf(const Form& backdrop) {
    QRect shown;
    for (const Control* control : backdrop.controls) {
        if (control->visible) {
            shown |= pixelRect(*control).toAlignedRect();
        }
    }
    return shown;
}

}  // namespace

FormWindow::FormWindow(Form& form, PictureCache& pictures, Dispatch dispatch,
                       std::function<void()> onCloseRequested)
    : form_(form),
      pictures_(pictures),
      dispatch_(std::move(dispatch)),
      content_(new QWidget),
      canvas_(new FormCanvas(form, pictures, dispatch_, content_)),
      body_(new WindowBody(*content_, this)),
      onCloseRequested_(std::move(onCloseRequested)) {
    QVBoxLayout* contentColumn = bareColumn(content_);
    if (!form_.menuBar.empty()) {
        menuBar_ = new QMenuBar(content_);
        contentColumn->setMenuBar(menuBar_);
        menus_ = std::make_unique<FormMenuBar>(*menuBar_, form_.menuBar, dispatch_);
    }
    contentColumn->addWidget(canvas_);
    bareColumn(this)->addWidget(body_);
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
    if (backdropCanvas_ != nullptr && backdrop_ != nullptr) {
        backdropCanvas_->syncFromForm();
    }
}

void FormWindow::openOver(QWidget* window) {
    openedOver_ = window;
    create();
    windowHandle()->setTransientParent(window != nullptr ? window->windowHandle() : nullptr);
}

void FormWindow::appear() {
    if (!placed_) {
        placed_ = true;
        placeForFirstShow();
    }
    show();
    if (backdrop_ != nullptr && !showsBackdrop()) {
        enterFocusMode(*backdrop_);
    }
}

QScreen* FormWindow::placementScreen() const {
    if (!openedOver_.isNull() && openedOver_->screen() != nullptr) {
        return openedOver_->screen();
    }
    return QGuiApplication::primaryScreen();
}

QRect FormWindow::room(const QScreen& screen) const {
    return screen.availableGeometry().adjusted(0, currentWindowSystem().panelAllowance, 0, 0);
}

QMargins FormWindow::realFrame() const {
    const QRect inner = geometry();
    const QRect outer = frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void FormWindow::placeForFirstShow() {
    placeOnScreen(currentWindowSystem().usualFrame);
    // The frame is known once the window is on screen: a window that does
    // not fit with it after all is placed again. Where the window system
    // keeps positions to itself, only the size can tell.
    QTimer::singleShot(kFrameKnownMs, this, [this] {
        QScreen* screen = this->screen();
        if (screen == nullptr || !isVisible() || showsBackdrop()) {
            return;
        }
        const QRect area = room(*screen);
        const QRect outer = frameGeometry();
        const bool fits = currentWindowSystem().clientPlacesWindows
                              ? area.contains(outer)
                              : outer.width() <= area.width() && outer.height() <= area.height();
        if (!fits) {
            placeOnScreen(realFrame());
        }
    });
}

void FormWindow::placeOnScreen(QMargins frame) {
    const QSize design = canvas_->sizeHint();
    QScreen* screen = placementScreen();
    if (screen == nullptr) {
        resize(design.width(), design.height() + menuBarHeight(design.width()));
        return;
    }
    const QRect area = room(*screen);
    QRect placed = placeTitledWindow(design, menuBarHeight(design.width()), frame, area);
    // A narrower menu bar may need more lines.
    const int menuHeight = menuBarHeight(placed.width());
    if (menuHeight != menuBarHeight(design.width())) {
        placed = placeTitledWindow(design, menuHeight, frame, area);
    }
    takePlace(placed);
}

void FormWindow::takePlace(const QRect& place) {
    if (currentWindowSystem().clientPlacesWindows) {
        setGeometry(place);
    } else {
        resize(place.size());
    }
}

int FormWindow::menuBarHeight(int width) const {
    if (menuBar_ == nullptr) {
        return 0;
    }
    return std::max(menuBar_->heightForWidth(width), menuBar_->sizeHint().height());
}

void FormWindow::setBackdrop(Form* backdrop) {
    if (backdrop == backdrop_) {
        return;
    }
    const bool wasShown = showsBackdrop();
    backdrop_ = backdrop;
    if (!isVisible()) {
        // appear() enters focus mode.
        return;
    }
    if (backdrop_ != nullptr) {
        enterFocusMode(*backdrop_);
    } else if (wasShown) {
        leaveFocusMode();
    }
}

void FormWindow::enterFocusMode(Form& backdrop) {
    if (backdropCanvas_ == nullptr || &backdropCanvas_->form() != &backdrop) {
        delete backdropCanvas_;
        backdropCanvas_ = new FormCanvas(backdrop, pictures_, dispatch_, body_);
    }
    if (!showsBackdrop()) {
        restore_ = {geometry(), windowState() & ~Qt::WindowFullScreen};
    }
    body_->showBackdrop(*backdropCanvas_, shownControlsOf(backdrop));
    backdropCanvas_->syncFromForm();
    fillScreen();
}

void FormWindow::fillScreen() {
    // Without a window manager nobody else gives the window its screen's size.
    if (currentWindowSystem().clientPlacesWindows && screen() != nullptr) {
        setGeometry(screen()->geometry());
    }
    showFullScreen();
}

void FormWindow::leaveFocusMode() {
    body_->hideBackdrop();
    if (restore_.states & Qt::WindowMaximized) {
        showMaximized();
        return;
    }
    showNormal();
    takePlace(restore_.geometry);
}

void FormWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || backdrop_ == nullptr) {
        return;
    }
    // The window manager took the window out of full screen while the game
    // shows the backdrop: the game's switch and the screen must agree.
    QTimer::singleShot(0, this, [this] {
        const bool outOfFullScreen =
            !(windowState() & (Qt::WindowFullScreen | Qt::WindowMinimized));
        if (backdrop_ != nullptr && showsBackdrop() && isVisible() && outOfFullScreen) {
            fillScreen();
        }
    });
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // The form decides whether the window goes away; the host hides it when
    // the form's visible flag says so.
    event->ignore();
    if (onCloseRequested_) {
        onCloseRequested_();
    }
}

}  // namespace platform::desktop
