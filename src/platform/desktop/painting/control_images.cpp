#include "platform/desktop/painting/control_images.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "platform/desktop/painting/form_units.h"

namespace platform::desktop {

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

QImage transparentImage(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

}  // namespace

const QImage& ControlImages::shape(const Shape& shape, QSize size, qreal scale) {
    const ShapeLook look = ShapeLook::of(shape);
    ++uses_;
    for (ShapeEntry& entry : shapes_) {
        if (entry.look == look && entry.size == size && entry.scale == scale) {
            entry.lastUse = uses_;
            return entry.image;
        }
    }
    ShapeEntry fresh{look, size, scale, drawShape(look, size, scale), uses_};
    if (shapes_.size() < kShapeLooks) {
        shapes_.push_back(std::move(fresh));
        return shapes_.back().image;
    }
    ShapeEntry& oldest = *std::min_element(
        shapes_.begin(), shapes_.end(),
        [](const ShapeEntry& a, const ShapeEntry& b) { return a.lastUse < b.lastUse; });
    oldest = std::move(fresh);
    return oldest.image;
}

QImage ControlImages::drawShape(const ShapeLook& look, QSize size, qreal scale) {
    QImage image = transparentImage(size);
    QRectF bounds(QPointF(0, 0), QSizeF(size));
    // Squares and circles take the shorter side, centred in the control.
    if (look.kind == ShapeKind::Square || look.kind == ShapeKind::Circle ||
        look.kind == ShapeKind::RoundedSquare) {
        const qreal side = std::min(bounds.width(), bounds.height());
        QRectF square(0, 0, side, side);
        square.moveCenter(bounds.center());
        bounds = square;
    }
    const auto outline = [&look](const QRectF& rect, qreal radius) {
        QPainterPath path;
        switch (look.kind) {
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
    // visibly rounded. The border, one design pixel wide, lies just inside;
    // the fill covers the whole shape, so no seam shows between them.
    const qreal radius = std::min(bounds.width(), bounds.height()) / 4;
    const qreal pen = scale;
    const QRectF borderLine = bounds.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (look.filled) {
        painter.fillPath(outline(bounds, radius), toQColor(look.fill));
    }
    painter.strokePath(outline(borderLine, std::max<qreal>(0, radius - pen / 2)),
                       QPen(toQColor(look.border), pen));
    return image;
}

const QImage& ControlImages::label(const Label& label, QSize size, qreal scale) {
    auto entry = std::find_if(labels_.begin(), labels_.end(),
                              [&label](const LabelEntry& e) { return e.label == &label; });
    if (entry == labels_.end()) {
        labels_.push_back({&label, {}, {}, 0, {}});
        entry = labels_.end() - 1;
    } else if (entry->look.matches(label) && entry->size == size && entry->scale == scale) {
        return entry->image;
    }
    entry->look.take(label);
    entry->size = size;
    entry->scale = scale;
    entry->image = drawLabel(label, size, scale);
    return entry->image;
}

QImage ControlImages::drawLabel(const Label& label, QSize size, qreal scale) {
    QImage image = transparentImage(size);
    QPainter painter(&image);
    const QRectF bounds(QPointF(0, 0), QSizeF(size));
    if (label.opaque) {
        painter.fillRect(bounds, toQColor(label.backColor));
    }
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QFont font = toQFont(label.font, scale);
    painter.setFont(font);
    const int flags = int(horizontalAlignment(label.alignment) | Qt::AlignTop) | Qt::TextWordWrap;
    const QString text = captionText(label.caption);
    const QColor color = toQColor(label.foreColor);
    if (!label.opaque && color.lightnessF() > 0.45) {
        // A soft shadow keeps light text readable over the bright parts of
        // the sky picture.
        const qreal offset = std::max<qreal>(scale, font.pixelSize() / 18.0);
        painter.setPen(QColor(0, 0, 0, 150));
        painter.drawText(bounds.translated(offset, offset), flags, text);
    }
    painter.setPen(color);
    painter.drawText(bounds, flags, text);
    return image;
}

}  // namespace platform::desktop
