#include "platform/desktop/host/window_body.h"

#include <algorithm>

namespace platform::desktop {

WindowBody::WindowBody(QWidget& content, QWidget* parent) : QWidget(parent), content_(content) {
    content_.setParent(this);
}

void WindowBody::showBackdrop(QWidget& backdrop, QRect keepClear) {
    keepClear_ = keepClear;
    if (backdrop_ == &backdrop) {
        arrange();
        return;
    }
    if (backdrop_ == nullptr) {
        fixedContentSize_ = content_.size();
    } else {
        backdrop_->hide();
    }
    backdrop_ = &backdrop;
    backdrop_->setParent(this);
    backdrop_->lower();
    backdrop_->show();
    arrange();
}

void WindowBody::hideBackdrop() {
    if (backdrop_ == nullptr) {
        return;
    }
    backdrop_->hide();
    backdrop_ = nullptr;
    arrange();
}

QSize WindowBody::sizeHint() const {
    return content_.sizeHint();
}

QSize WindowBody::minimumSizeHint() const {
    return content_.minimumSizeHint();
}

void WindowBody::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void WindowBody::arrange() {
    if (backdrop_ == nullptr) {
        content_.setGeometry(rect());
        return;
    }
    backdrop_->setGeometry(rect());
    content_.setGeometry(placeContent(fixedContentSize_, size(), keepClear_));
}

QRect WindowBody::placeContent(QSize content, QSize room, QRect keepClear) {
    // Until the window has grown to fill its screen the content may not fit
    // yet: it then starts at the top-left corner.
    QRect placed(QPoint(std::max(0, (room.width() - content.width()) / 2),
                        std::max(0, (room.height() - content.height()) / 2)),
                 content);
    if (!placed.intersects(keepClear)) {
        return placed;
    }
    const QRect whole(QPoint(0, 0), room);
    const QRect below = placed.translated(0, keepClear.bottom() + 1 - placed.top());
    if (whole.contains(below)) {
        return below;
    }
    const QRect beside = placed.translated(keepClear.right() + 1 - placed.left(), 0);
    return whole.contains(beside) ? beside : placed;
}

}  // namespace platform::desktop
