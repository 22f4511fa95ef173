#pragma once

#include <QPainter>
#include <QRect>
#include <vector>

#include "platform/controls.h"
#include "platform/desktop/painting/control_images.h"
#include "platform/desktop/painting/picture_cache.h"
#include "platform/form.h"

namespace platform::desktop {

// Draws a form's client area: back colour, background picture, then the
// controls in stacking order. It draws in the painter's device pixels, the
// client area's top-left corner at the painter's origin, at `scale` device
// pixels per design pixel (15 twips to a design pixel). Every control is a
// picture, a shape or a label drawn once into an image for its look and size
// and then only copied, so a frame allocates nothing. Only what lies in
// `area` (device pixels; the whole client area when empty) is drawn. Command
// buttons are real widgets and are not drawn here.
class FormPainter {
public:
    // Without images of its own it draws through a cache that lives as long
    // as the painter: fine for one picture, wasteful for a window.
    FormPainter(QPainter& painter, PictureCache& pictures, qreal scale,
                ControlImages* images = nullptr);

    void paint(const Form& form, QRect area = {});

private:
    void paintControls(const std::vector<Control*>& controls, QPoint offset, QRect bounds);
    // Copies the part of `image` that lies in `visible`, the image covering `place`.
    void copy(const QImage& image, const QRect& place, const QRect& visible);

    QPainter& painter_;
    PictureCache& pictures_;
    qreal scale_;
    ControlImages ownImages_;
    ControlImages& images_;
};

}  // namespace platform::desktop
