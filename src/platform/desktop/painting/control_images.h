#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/desktop/painting/control_looks.h"

namespace platform::desktop {

// Shapes and labels drawn once for their look and size, so that painting a
// frame only copies pixels and allocates nothing. Sizes are device pixels;
// scale is device pixels per design pixel (it sets pens and fonts).
class ControlImages {
public:
    const QImage& shape(const Shape& shape, QSize size, qreal scale);
    const QImage& label(const Label& label, QSize size, qreal scale);

private:
    struct ShapeEntry {
        ShapeLook look;
        QSize size;
        qreal scale;
        QImage image;
        std::uint64_t lastUse;
    };
    // One per label control: labels rarely share a look.
    struct LabelEntry {
        const Label* label;
        LabelLook look;
        QSize size;
        qreal scale;
        QImage image;
    };

    static QImage drawShape(const ShapeLook& look, QSize size, qreal scale);
    static QImage drawLabel(const Label& label, QSize size, qreal scale);

    // Six bars share one look; trippy balls bring new colours four times a
    // second, so the least recently used look makes way.
    static constexpr std::size_t kShapeLooks = 24;
    std::vector<ShapeEntry> shapes_;
    std::vector<LabelEntry> labels_;
    std::uint64_t uses_ = 0;
};

}  // namespace platform::desktop
