#include "platform/desktop/painting/dirty_tracker.h"

#include "platform/desktop/painting/form_units.h"

namespace platform::desktop {

bool DirtyTracker::collect(const Form& form, qreal scale, std::vector<QRect>& changed) {
    const bool everything =
        !started_ || scale != scale_ || form.backColor != backColor_ || form.picture != picture_;
    started_ = true;
    scale_ = scale;
    backColor_ = form.backColor;
    picture_ = form.picture;
    const QRect client = deviceRect(QRectF(QPointF(0, 0), clientPixelSize(form)), scale);
    const std::size_t before = changed.size();
    next_ = 0;
    walk(form.controls, QPoint(0, 0), client, true, scale, changed);
    if (everything) {
        changed.resize(before);
    }
    return everything;
}

void DirtyTracker::walk(const std::vector<Control*>& controls, QPoint offset, QRect bounds,
                        bool shown, qreal scale, std::vector<QRect>& changed) {
    for (const Control* control : controls) {
        // Buttons are widgets of their own; they repaint themselves.
        if (control == nullptr || control->kind == ControlKind::CommandButton) {
            continue;
        }
        if (next_ == drawn_.size()) {
            drawn_.emplace_back();
        }
        Drawn& drawn = drawn_[next_++];
        const QRect place = deviceRect(pixelRect(*control), scale).translated(offset) & bounds;
        const bool nowShown = shown && control->visible && !place.isEmpty();
        const bool moved = drawn.control != control || drawn.shown != nowShown ||
                           (nowShown && drawn.place != place);
        if (moved || (nowShown && !sameLook(drawn, *control))) {
            if (drawn.control == control && drawn.shown) {
                changed.push_back(drawn.place);
            }
            if (nowShown) {
                changed.push_back(place);
            }
            drawn.control = control;
            drawn.shown = nowShown;
            drawn.place = place;
            takeLook(drawn, *control);
        }
        if (control->kind == ControlKind::Frame) {
            const QRect frame = deviceRect(pixelRect(*control), scale).translated(offset);
            walk(static_cast<const Frame&>(*control).children, frame.topLeft(), place, nowShown,
                 scale, changed);
        }
    }
}

bool DirtyTracker::sameLook(const Drawn& drawn, const Control& control) {
    switch (control.kind) {
        case ControlKind::Shape:
            return drawn.shape == ShapeLook::of(static_cast<const Shape&>(control));
        case ControlKind::Label:
            return drawn.label.matches(static_cast<const Label&>(control));
        case ControlKind::Frame:
            return drawn.frameColor == static_cast<const Frame&>(control).backColor;
        case ControlKind::Image: {
            const auto& image = static_cast<const Image&>(control);
            return drawn.picture == image.picture && drawn.stretch == image.stretch;
        }
        case ControlKind::CommandButton:
            break;
    }
    return true;
}

void DirtyTracker::takeLook(Drawn& drawn, const Control& control) {
    switch (control.kind) {
        case ControlKind::Shape:
            drawn.shape = ShapeLook::of(static_cast<const Shape&>(control));
            break;
        case ControlKind::Label:
            drawn.label.take(static_cast<const Label&>(control));
            break;
        case ControlKind::Frame:
            drawn.frameColor = static_cast<const Frame&>(control).backColor;
            break;
        case ControlKind::Image:
            drawn.picture = static_cast<const Image&>(control).picture;
            drawn.stretch = static_cast<const Image&>(control).stretch;
            break;
        case ControlKind::CommandButton:
            break;
    }
}

}  // namespace platform::desktop
