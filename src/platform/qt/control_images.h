#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace platform::qt {

// Shapes and labels drawn once for their look and size, so that painting a
// frame only copies pixels and allocates nothing. Sizes are device pixels;
// scale is device pixels per design pixel (it sets pens and fonts).
class ControlImages {
public:
    const QImage& shape(const Shape& shape, QSize size, qreal scale);
    const QImage& label(const Label& label, QSize size, qreal scale);

private:
    struct ShapeLook {
        ShapeKind kind;
        Color fill;
        Color border;
        bool filled;
        QSize size;
        qreal scale;
        bool operator==(const ShapeLook&) const = default;
    };
    struct ShapeEntry {
        ShapeLook look;
        QImage image;
        std::uint64_t lastUse;
    };
    // One per label control: labels rarely share a look.
    struct LabelEntry {
        const Label* label;
        std::string caption;
        Color foreColor;
        Font font;
        Alignment alignment;
        bool opaque;
        Color backColor;
        QSize size;
        qreal scale;
        QImage image;
    };

    static bool sameLook(const LabelEntry& entry, const Label& label, QSize size, qreal scale);
    static QImage drawShape(const ShapeLook& look);
    static QImage drawLabel(const Label& label, QSize size, qreal scale);

    // Six bars share one look; trippy balls bring new colours four times a
    // second, so the least recently used look makes way.
    static constexpr std::size_t kShapeLooks = 24;
    std::vector<ShapeEntry> shapes_;
    std::vector<LabelEntry> labels_;
    std::uint64_t uses_ = 0;
};

}  // namespace platform::qt
