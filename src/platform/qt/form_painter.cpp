#include "platform/qt/form_painter.h"

#include <QPainterPath>
#include <QtMath>
#include <algorithm>

#include "platform/qt/form_units.h"

namespace platform::qt {

namespace {

QString captionText(const std::string& caption) {
    QString text = QString::fromStdString(caption);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

Qt::Alignment horizontalAlignment(Alignment alignment) {
    switch (alignment) {
        case Alignment::Right:
            return Qt::AlignRight;
        case Alignment::Center:
            return Qt::AlignHCenter;
        case Alignment::Left:
            break;
    }
    return Qt::AlignLeft;
}

// Squares and circles take the shorter side, centred in the control.
QRectF shapeBounds(const Shape& shape) {
    QRectF bounds = pixelRect(shape);
    if (shape.shape == ShapeKind::Square || shape.shape == ShapeKind::Circle ||
        shape.shape == ShapeKind::RoundedSquare) {
        const qreal side = std::min(bounds.width(), bounds.height());
        QRectF square(0, 0, side, side);
        square.moveCenter(bounds.center());
        return square;
    }
    return bounds;
}

}  // namespace

FormPainter::FormPainter(QPainter& painter, PictureCache& pictures, qreal devicePixelsPerPixel)
    : painter_(painter), pictures_(pictures), devicePixelsPerPixel_(devicePixelsPerPixel) {}

void FormPainter::paint(const Form& form) {
    const QRectF client(QPointF(0, 0), clientPixelSize(form));
    painter_.save();
    painter_.setClipRect(client, Qt::IntersectClip);
    painter_.fillRect(client, toQColor(form.backColor));
    // The background picture keeps its own size, anchored top-left.
    const QSizeF pictureSize = pictures_.naturalSize(form.picture);
    if (!pictureSize.isEmpty()) {
        drawPicture(form.picture, QRectF(QPointF(0, 0), pictureSize));
    }
    paintControls(form.controls);
    painter_.restore();
}

void FormPainter::paintControls(const std::vector<Control*>& controls) {
    for (const Control* control : controls) {
        if (control == nullptr || !control->visible) {
            continue;
        }
        switch (control->kind) {
            case ControlKind::Shape:
                paintShape(static_cast<const Shape&>(*control));
                break;
            case ControlKind::Label:
                paintLabel(static_cast<const Label&>(*control));
                break;
            case ControlKind::Frame:
                paintFrame(static_cast<const Frame&>(*control));
                break;
            case ControlKind::Image:
                paintImage(static_cast<const Image&>(*control));
                break;
            case ControlKind::CommandButton:
                break;
        }
    }
}

void FormPainter::paintShape(const Shape& shape) {
    const QRectF bounds = shapeBounds(shape);
    if (bounds.isEmpty()) {
        return;
    }
    const auto outlineOf = [&shape](const QRectF& rect, qreal radius) {
        QPainterPath path;
        switch (shape.shape) {
            case ShapeKind::Oval:
            case ShapeKind::Circle:
                path.addEllipse(rect);
                break;
            case ShapeKind::RoundedRectangle:
            case ShapeKind::RoundedSquare:
                path.addRoundedRect(rect, radius, radius);
                break;
            case ShapeKind::Rectangle:
            case ShapeKind::Square:
                path.addRect(rect);
                break;
        }
        return path;
    };
    // Corners round by a quarter of the shorter side: a bar's ends are
    // visibly rounded.
    const qreal radius = std::min(bounds.width(), bounds.height()) / 4;
    // The 1-pixel border lies just inside the bounds. The fill covers the
    // whole shape, so no seam shows between fill and border.
    constexpr qreal kPen = 1.0;
    const QRectF borderLine = bounds.adjusted(kPen / 2, kPen / 2, -kPen / 2, -kPen / 2);
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, true);
    if (shape.filled) {
        painter_.fillPath(outlineOf(bounds, radius), toQColor(shape.fillColor));
    }
    painter_.strokePath(outlineOf(borderLine, std::max<qreal>(0, radius - kPen / 2)),
                        QPen(toQColor(shape.borderColor), kPen));
    painter_.restore();
}

void FormPainter::paintLabel(const Label& label) {
    const QRectF bounds = pixelRect(label);
    if (bounds.isEmpty()) {
        return;
    }
    painter_.save();
    painter_.setClipRect(bounds, Qt::IntersectClip);
    if (label.opaque) {
        painter_.fillRect(bounds, toQColor(label.backColor));
    }
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    const QFont font = toQFont(label.font);
    painter_.setFont(font);
    const int flags = int(horizontalAlignment(label.alignment) | Qt::AlignTop) | Qt::TextWordWrap;
    const QString text = captionText(label.caption);
    const QColor color = toQColor(label.foreColor);
    if (!label.opaque && color.lightnessF() > 0.45) {
        // A soft shadow keeps light text readable over the bright parts of
        // the sky picture.
        const qreal offset = std::max<qreal>(1.0, font.pixelSize() / 18.0);
        painter_.setPen(QColor(0, 0, 0, 150));
        painter_.drawText(bounds.translated(offset, offset), flags, text);
    }
    painter_.setPen(color);
    painter_.drawText(bounds, flags, text);
    painter_.restore();
}

void FormPainter::paintFrame(const Frame& frame) {
    const QRectF bounds = pixelRect(frame);
    if (bounds.isEmpty()) {
        return;
    }
    painter_.save();
    painter_.setClipRect(bounds, Qt::IntersectClip);
    painter_.fillRect(bounds, toQColor(frame.backColor));
    painter_.translate(bounds.topLeft());
    paintControls(frame.children);
    painter_.restore();
}

void FormPainter::paintImage(const Image& image) {
    const QRectF bounds = pixelRect(image);
    if (image.picture.empty() || bounds.isEmpty()) {
        return;
    }
    if (image.stretch) {
        drawPicture(image.picture, bounds);
        return;
    }
    const QSizeF natural = pictures_.naturalSize(image.picture);
    if (natural.isEmpty()) {
        return;
    }
    painter_.save();
    painter_.setClipRect(bounds, Qt::IntersectClip);
    drawPicture(image.picture, QRectF(bounds.topLeft(), natural));
    painter_.restore();
}

void FormPainter::drawPicture(const Picture& picture, const QRectF& target) {
    // Rasterised at the device size it covers, so it stays sharp at any
    // window scale and pixel density.
    const QSize devicePixels(std::max(1, qCeil(target.width() * devicePixelsPerPixel_ - 0.01)),
                             std::max(1, qCeil(target.height() * devicePixelsPerPixel_ - 0.01)));
    const QImage raster = pictures_.image(picture, devicePixels);
    if (raster.isNull()) {
        return;
    }
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter_.drawImage(target, raster);
    painter_.restore();
}

}  // namespace platform::qt
