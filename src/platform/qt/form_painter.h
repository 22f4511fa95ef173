#pragma once

#include <QPainter>
#include <vector>

#include "platform/controls.h"
#include "platform/form.h"
#include "platform/qt/picture_cache.h"

namespace platform::qt {

// Draws a form's client area: back colour, background picture, then the
// controls in stacking order. The painter works in design pixels (15 twips to
// a pixel); devicePixelsPerPixel says how many device pixels one of them
// covers, so pictures are rasterised crisply at that size. Command buttons
// are real widgets and are not drawn here.
class FormPainter {
public:
    FormPainter(QPainter& painter, PictureCache& pictures, qreal devicePixelsPerPixel);

    void paint(const Form& form);

private:
    void paintControls(const std::vector<Control*>& controls);
    void paintShape(const Shape& shape);
    void paintLabel(const Label& label);
    void paintFrame(const Frame& frame);
    void paintImage(const Image& image);
    // Draws the picture filling `target` (design pixels).
    void drawPicture(const Picture& picture, const QRectF& target);

    QPainter& painter_;
    PictureCache& pictures_;
    qreal devicePixelsPerPixel_;
};

}  // namespace platform::qt
