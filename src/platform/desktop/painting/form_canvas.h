#pragma once

#include <QPointF>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/desktop/painting/control_images.h"
#include "platform/desktop/painting/dirty_tracker.h"
#include "platform/desktop/painting/picture_cache.h"
#include "platform/form.h"

namespace platform::desktop {

// Runs a call into game code; the host wraps it (errors, re-sync).
using Dispatch = std::function<void(const std::function<void()>&)>;

// The client area of a form's window. The whole form is scaled uniformly to
// fit and centred, black bars filling the rest; at the design size that is
// 15 twips per pixel. A screen backdrop instead keeps 15 twips per pixel from
// the top-left corner over a screen of any size. Command buttons are real
// push buttons on top.
class FormCanvas : public QWidget {
public:
    FormCanvas(Form& form, PictureCache& pictures, Dispatch dispatch, QWidget* parent = nullptr);

    Form& form() const { return form_; }
    // Brings buttons and mouse pointer in line with the form and repaints
    // what changed since the last time, nothing when nothing did.
    void syncFromForm();
    // The push button showing a command button of this form, if any.
    QPushButton* buttonFor(const CommandButton& button) const;

    // Design pixels to widget pixels: the uniform scale and the letterbox offset.
    qreal scale() const;
    QPointF origin() const;

    QSize sizeHint() const override;

    // What painting has cost so far, for measuring.
    struct PaintStats {
        std::int64_t frames = 0;
        std::int64_t totalNs = 0;
        // Monotonic time at which the first frame was done; 0 before.
        std::int64_t firstFrameNs = 0;
    };
    const PaintStats& paintStats() const { return paintStats_; }
    // Repaints the whole window on every sync, as before changes were
    // tracked; for comparing the two.
    void setRepaintEverything(bool everything) { repaintEverything_ = everything; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct ButtonView {
        QPushButton* widget;
        // Offset of the holding frames, in design pixels.
        QPointF frameOffset;
        bool framesVisible;
        // Last applied look, so unchanged state costs nothing.
        std::string caption{};
        Color faceColor = 0;
        bool styled = false;
        Font font{};
        qreal fontScale = 0;
    };

    void createButtons(const std::vector<Control*>& controls, QPointF offset, bool framesVisible);
    void updateFrameState(const std::vector<Control*>& controls, QPointF offset,
                          bool framesVisible);
    void syncButton(const CommandButton& button, ButtonView& view);
    void syncCursor();
    void repaintChanges();
    // Device pixels per design pixel, and where the client area's corner
    // lies in device pixels.
    qreal deviceScale() const;
    QPoint deviceOrigin() const;

    Form& form_;
    PictureCache& pictures_;
    Dispatch dispatch_;
    std::map<const CommandButton*, ButtonView> buttons_;
    MousePointer appliedPointer_ = MousePointer::Default;
    ControlImages images_;
    DirtyTracker tracker_;
    std::vector<QRect> changed_;
    bool repaintEverything_ = false;
    PaintStats paintStats_;
};

}  // namespace platform::desktop
