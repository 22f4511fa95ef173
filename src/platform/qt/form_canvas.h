#pragma once

#include <QPointF>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "platform/controls.h"
#include "platform/form.h"
#include "platform/qt/picture_cache.h"

namespace platform::qt {

// Runs a call into game code; the host wraps it (errors, re-sync).
using Dispatch = std::function<void(const std::function<void()>&)>;

// The client area of a form's window. The whole form is scaled uniformly to
// fit and centred, black bars filling the rest; at the design size that is
// 15 twips per pixel. A screen overlay instead keeps 15 twips per pixel from
// the top-left corner over a screen of any size. Command buttons are real
// push buttons on top.
class FormCanvas : public QWidget {
public:
    FormCanvas(Form& form, PictureCache& pictures, Dispatch dispatch, QWidget* parent = nullptr);

    // Brings buttons and mouse pointer in line with the form and repaints.
    void syncFromForm();
    // The push button showing a command button of this form, if any.
    QPushButton* buttonFor(const CommandButton& button) const;

    // Design pixels to widget pixels: the uniform scale and the letterbox offset.
    qreal scale() const;
    QPointF origin() const;

    QSize sizeHint() const override;

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
        std::string caption;
        QString styleSheet;
        QFont font;
    };

    void createButtons(const std::vector<Control*>& controls, QPointF offset, bool framesVisible);
    void updateFrameState(const std::vector<Control*>& controls, QPointF offset,
                          bool framesVisible);
    void syncButton(const CommandButton& button, ButtonView& view);
    void syncCursor();

    Form& form_;
    PictureCache& pictures_;
    Dispatch dispatch_;
    std::map<const CommandButton*, ButtonView> buttons_;
    MousePointer appliedPointer_ = MousePointer::Default;
};

}  // namespace platform::qt
