#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <cmath>

#include "platform/color.h"
#include "platform/controls.h"
#include "platform/form.h"

// Conversions from the game's units to Qt's. A window at its design size
// shows 15 twips per logical pixel; fonts are sized in points of 20 twips.
namespace platform::desktop {

inline constexpr qreal kTwipsPerPixel = 15.0;
inline constexpr qreal kTwipsPerPoint = 20.0;

inline qreal toPixels(float twips) {
    return qreal(twips) / kTwipsPerPixel;
}

// A control's rectangle in design pixels, relative to its container.
inline QRectF pixelRect(const Control& control) {
    return {toPixels(control.left), toPixels(control.top), toPixels(control.width),
            toPixels(control.height)};
}

// Where a rectangle in design pixels lands on whole device pixels at
// `scale` device pixels per design pixel. Edges are rounded, not sizes, so
// that controls which meet in the design meet on screen.
inline QRect deviceRect(const QRectF& design, qreal scale) {
    const auto edge = [scale](qreal pixels) { return int(std::lround(pixels * scale)); };
    const int left = edge(design.left());
    const int top = edge(design.top());
    return {left, top, edge(design.right()) - left, edge(design.bottom()) - top};
}

// The form's client area in design pixels.
inline QSizeF clientPixelSize(const Form& form) {
    return {toPixels(form.clientWidth), toPixels(form.clientHeight)};
}

inline QColor toQColor(Color color) {
    return QColor(int(redOf(color)), int(greenOf(color)), int(blueOf(color)));
}

// The font at `scale` times its design pixel size.
QFont toQFont(const Font& font, qreal scale = 1.0);

}  // namespace platform::desktop
