#include "platform/desktop/painting/form_canvas.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "platform/desktop/clock/wake_timers.h"
#include "platform/desktop/painting/form_painter.h"
#include "platform/desktop/painting/form_units.h"

namespace platform::desktop {

namespace {

QString buttonStyleSheet(Color face) {
    const QColor color = toQColor(face);
    return QStringLiteral(
               "QPushButton { background-color: %1; color: black; border: 1px solid %2;"
               " border-radius: 4px; padding: 2px 6px; }"
               "QPushButton:hover { background-color: %3; }"
               "QPushButton:pressed { background-color: %4; }"
               "QPushButton:focus { border: 2px solid %5; }")
        .arg(color.name(), color.darker(160).name(), color.darker(106).name(),
             color.darker(125).name(), color.darker(260).name());
}

// A wholly transparent pointer: the player sees only the ball.
const QCursor& hiddenCursor() {
    static const QCursor cursor = [] {
        QPixmap blank(32, 32);
        blank.fill(Qt::transparent);
        return QCursor(blank);
    }();
    return cursor;
}

}  // namespace

FormCanvas::FormCanvas(Form& form, PictureCache& pictures, Dispatch dispatch, QWidget* parent)
    : QWidget(parent), form_(form), pictures_(pictures), dispatch_(std::move(dispatch)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    createButtons(form_.controls, QPointF(0, 0), true);
    syncFromForm();
}

QSize FormCanvas::sizeHint() const {
    return clientPixelSize(form_).toSize();
}

qreal FormCanvas::scale() const {
    const QSizeF design = clientPixelSize(form_);
    // A screen backdrop keeps its design size whatever the screen's.
    if (design.isEmpty() || form_.style == WindowStyle::ScreenBackdrop) {
        return 1.0;
    }
    return std::min(width() / design.width(), height() / design.height());
}

QPointF FormCanvas::origin() const {
    if (form_.style == WindowStyle::ScreenBackdrop) {
        return {0, 0};
    }
    const QSizeF scaled = clientPixelSize(form_) * scale();
    return {(width() - scaled.width()) / 2, (height() - scaled.height()) / 2};
}

qreal FormCanvas::deviceScale() const {
    return scale() * devicePixelRatioF();
}

QPoint FormCanvas::deviceOrigin() const {
    return (origin() * devicePixelRatioF()).toPoint();
}

void FormCanvas::paintEvent(QPaintEvent* event) {
    const std::int64_t start = monotonicNowNs();
    QPainter painter(this);
    // Device pixels from here on: every picture is copied one to one. Each
    // part of the region is painted by itself and nothing is drawn outside
    // it, so no clipping is needed.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    painter.setClipping(false);
    const QPoint origin = deviceOrigin();
    const QRect client =
        deviceRect(QRectF(QPointF(0, 0), clientPixelSize(form_)), deviceScale()).translated(origin);
    FormPainter formPainter(painter, pictures_, deviceScale(), &images_);
    for (const QRect& logical : event->region()) {
        const QRect area =
            QRectF(QPointF(logical.topLeft()) * ratio, QSizeF(logical.size()) * ratio)
                .toAlignedRect();
        // Black bars where the window is wider or taller than the form.
        for (const QRect& band :
             {QRect(area.left(), area.top(), area.width(), client.top() - area.top()),
              QRect(area.left(), client.bottom() + 1, area.width(),
                    area.bottom() - client.bottom()),
              QRect(area.left(), area.top(), client.left() - area.left(), area.height()),
              QRect(client.right() + 1, area.top(), area.right() - client.right(),
                    area.height())}) {
            if (!(band & area).isEmpty()) {
                painter.fillRect(band & area, Qt::black);
            }
        }
        painter.translate(origin);
        formPainter.paint(form_, area.translated(-origin));
        painter.translate(-origin);
    }
    painter.end();

    const std::int64_t end = monotonicNowNs();
    ++paintStats_.frames;
    paintStats_.totalNs += end - start;
    if (paintStats_.firstFrameNs == 0) {
        paintStats_.firstFrameNs = end;
    }
}

void FormCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncFromForm();
    update();
}

QPushButton* FormCanvas::buttonFor(const CommandButton& button) const {
    auto found = buttons_.find(&button);
    return found != buttons_.end() ? found->second.widget : nullptr;
}

void FormCanvas::createButtons(const std::vector<Control*>& controls, QPointF offset,
                               bool framesVisible) {
    for (Control* control : controls) {
        if (control->kind == ControlKind::Frame) {
            auto& frame = static_cast<Frame&>(*control);
            createButtons(frame.children, offset + pixelRect(frame).topLeft(), framesVisible);
        } else if (control->kind == ControlKind::CommandButton) {
            auto& button = static_cast<CommandButton&>(*control);
            auto* widget = new QPushButton(this);
            // A focused button clicks on Enter as well as Space.
            widget->setAutoDefault(true);
            widget->setFocusPolicy(Qt::StrongFocus);
            widget->hide();
            connect(widget, &QPushButton::clicked, this, [this, &button] {
                dispatch_([&button] {
                    if (button.onClick) {
                        button.onClick();
                    }
                });
            });
            buttons_.emplace(&button, ButtonView{widget, offset, framesVisible});
        }
    }
}

void FormCanvas::updateFrameState(const std::vector<Control*>& controls, QPointF offset,
                                  bool framesVisible) {
    for (Control* control : controls) {
        if (control->kind == ControlKind::Frame) {
            const auto& frame = static_cast<const Frame&>(*control);
            updateFrameState(frame.children, offset + pixelRect(frame).topLeft(),
                             framesVisible && frame.visible);
        } else if (control->kind == ControlKind::CommandButton) {
            auto found = buttons_.find(static_cast<const CommandButton*>(control));
            if (found != buttons_.end()) {
                found->second.frameOffset = offset;
                found->second.framesVisible = framesVisible;
            }
        }
    }
}

void FormCanvas::syncFromForm() {
    updateFrameState(form_.controls, QPointF(0, 0), true);
    for (auto& [button, view] : buttons_) {
        syncButton(*button, view);
    }
    syncCursor();
    repaintChanges();
}

void FormCanvas::repaintChanges() {
    changed_.clear();
    const bool everything = tracker_.collect(form_, deviceScale(), changed_);
    if (everything || repaintEverything_) {
        update();
        return;
    }
    if (changed_.empty()) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QPoint origin = deviceOrigin();
    QRegion region;
    for (const QRect& place : changed_) {
        const QRectF device(place.translated(origin));
        // A pixel more all round: a fractional device ratio rounds inwards.
        region += QRectF(device.topLeft() / ratio, device.size() / ratio)
                      .toAlignedRect()
                      .adjusted(-1, -1, 1, 1);
    }
    update(region);
}

void FormCanvas::syncButton(const CommandButton& button, ButtonView& view) {
    QPushButton& widget = *view.widget;
    const qreal s = scale();
    const QRectF design = pixelRect(button).translated(view.frameOffset);
    const QRect placed = QRectF(origin() + design.topLeft() * s, design.size() * s).toRect();
    if (widget.geometry() != placed) {
        widget.setGeometry(placed);
    }
    if (view.caption != button.caption) {
        view.caption = button.caption;
        widget.setText(QString::fromStdString(button.caption));
    }
    const Font& font = button.font;
    if (view.fontScale != s || view.font != font) {
        view.font = font;
        view.fontScale = s;
        widget.setFont(toQFont(font, s));
    }
    if (!view.styled || view.faceColor != button.faceColor) {
        view.styled = true;
        view.faceColor = button.faceColor;
        widget.setStyleSheet(buttonStyleSheet(button.faceColor));
    }
    const bool shown = button.visible && view.framesVisible;
    if (widget.isVisibleTo(this) != shown) {
        widget.setVisible(shown);
    }
    // Qt may leave the focus on a hidden button when no other can take it,
    // and Space would still click it.
    if (!shown && widget.hasFocus()) {
        widget.clearFocus();
    }
}

void FormCanvas::syncCursor() {
    if (appliedPointer_ == form_.mousePointer) {
        return;
    }
    appliedPointer_ = form_.mousePointer;
    if (form_.mousePointer == MousePointer::Custom) {
        setCursor(hiddenCursor());
    } else {
        unsetCursor();
    }
}

}  // namespace platform::desktop
