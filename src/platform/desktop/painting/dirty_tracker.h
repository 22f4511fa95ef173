#pragma once

#include <QRect>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/desktop/painting/control_looks.h"
#include "platform/form.h"

namespace platform::desktop {

// Knows how each control of a form looked when it was last handed out for
// painting, and tells which parts of the client area differ now: the old and
// the new place of every control whose place, size, visibility or look
// changed. Places are the device pixels FormPainter draws the control in.
class DirtyTracker {
public:
    // Adds the changed places to `changed` (device pixels, relative to the
    // client area's corner, at `scale` device pixels per design pixel) and
    // remembers the form as it is now. Returns true instead when the whole
    // client area must be painted: the first time, or when the scale, the
    // back colour or the background picture changed.
    bool collect(const Form& form, qreal scale, std::vector<QRect>& changed);

private:
    // A control as it was drawn: where, whether, and the properties that
    // make up its look.
    struct Drawn {
        const Control* control = nullptr;
        bool shown = false;
        QRect place;
        ShapeLook shape;
        LabelLook label;
        Color frameColor = 0;
        std::string picture;
        bool stretch = false;
    };

    void walk(const std::vector<Control*>& controls, QPoint offset, QRect bounds, bool shown,
              qreal scale, std::vector<QRect>& changed);
    static bool sameLook(const Drawn& drawn, const Control& control);
    static void takeLook(Drawn& drawn, const Control& control);

    std::vector<Drawn> drawn_;
    std::size_t next_ = 0;
    bool started_ = false;
    qreal scale_ = 0;
    Color backColor_ = 0;
    std::string picture_;
};

}  // namespace platform::desktop
