#include "platform/desktop/painting/form_painter.h"

#include <algorithm>

#include "platform/desktop/painting/form_units.h"

namespace platform::desktop {

FormPainter::FormPainter(QPainter& painter, PictureCache& pictures, qreal scale,
                         ControlImages* images)
    : painter_(painter),
      pictures_(pictures),
      scale_(scale),
      images_(images != nullptr ? *images : ownImages_) {}

void FormPainter::paint(const Form& form, QRect area) {
    const QRect client = deviceRect(QRectF(QPointF(0, 0), clientPixelSize(form)), scale_);
    const QRect bounds = area.isEmpty() ? client : area & client;
    if (bounds.isEmpty()) {
        return;
    }
    // The background picture keeps its own size, anchored top-left; the
    // back colour shows where it does not reach or where it is transparent.
    const QSizeF natural = pictures_.naturalSize(form.picture);
    const QRect place = deviceRect(QRectF(QPointF(0, 0), natural), scale_);
    const QImage picture =
        natural.isEmpty() ? QImage() : pictures_.image(form.picture, place.size());
    if (picture.isNull() || picture.hasAlphaChannel() || !place.contains(bounds)) {
        painter_.fillRect(bounds, toQColor(form.backColor));
    }
    copy(picture, place, place & bounds);
    paintControls(form.controls, QPoint(0, 0), bounds);
}

void FormPainter::paintControls(const std::vector<Control*>& controls, QPoint offset,
                                QRect bounds) {
    for (const Control* control : controls) {
        if (control == nullptr || !control->visible) {
            continue;
        }
        const QRect place = deviceRect(pixelRect(*control), scale_).translated(offset);
        const QRect visible = place & bounds;
        if (visible.isEmpty()) {
            continue;
        }
        switch (control->kind) {
            case ControlKind::Shape:
                copy(images_.shape(static_cast<const Shape&>(*control), place.size(), scale_),
                     place, visible);
                break;
            case ControlKind::Label:
                copy(images_.label(static_cast<const Label&>(*control), place.size(), scale_),
                     place, visible);
                break;
            case ControlKind::Frame: {
                const auto& frame = static_cast<const Frame&>(*control);
                painter_.fillRect(visible, toQColor(frame.backColor));
                // Held controls are placed from the frame's corner and clipped by it.
                paintControls(frame.children, place.topLeft(), visible);
                break;
            }
            case ControlKind::Image: {
                const auto& image = static_cast<const Image&>(*control);
                if (image.stretch) {
                    copy(pictures_.image(image.picture, place.size()), place, visible);
                    break;
                }
                const QSizeF natural = pictures_.naturalSize(image.picture);
                const QRect own(place.topLeft(),
                                deviceRect(QRectF(QPointF(), natural), scale_).size());
                copy(pictures_.image(image.picture, own.size()), own, own & visible);
                break;
            }
            case ControlKind::CommandButton:
                break;
        }
    }
}

void FormPainter::copy(const QImage& image, const QRect& place, const QRect& visible) {
    if (image.isNull() || visible.isEmpty()) {
        return;
    }
    painter_.drawImage(visible.topLeft(), image, visible.translated(-place.topLeft()));
}

}  // namespace platform::desktop
