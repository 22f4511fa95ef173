#pragma once

#include <string>

#include "platform/controls.h"

namespace platform::desktop {

// The properties that make up how a shape or a label looks: when they are
// unchanged, what was drawn for them can be shown again.
struct ShapeLook {
    ShapeKind kind = ShapeKind::Rectangle;
    Color fill = 0;
    Color border = 0;
    bool filled = false;

    static ShapeLook of(const Shape& shape) {
        return {shape.shape, shape.fillColor, shape.borderColor, shape.filled};
    }
    bool operator==(const ShapeLook&) const = default;
};

struct LabelLook {
    std::string caption;
    Color foreColor = 0;
    Font font;
    Alignment alignment = Alignment::Left;
    bool opaque = false;
    Color backColor = 0;

    bool matches(const Label& label) const {
        return caption == label.caption && foreColor == label.foreColor && font == label.font &&
               alignment == label.alignment && opaque == label.opaque &&
               backColor == label.backColor;
    }
    // Copies the label's look; the caption's storage is reused where it fits.
    void take(const Label& label) {
        caption = label.caption;
        foreColor = label.foreColor;
        font = label.font;
        alignment = label.alignment;
        opaque = label.opaque;
        backColor = label.backColor;
    }
};

}  // namespace platform::desktop
