#pragma once

#include <QMargins>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/desktop/host/form_menu_bar.h"
#include "platform/desktop/host/window_body.h"
#include "platform/desktop/painting/form_canvas.h"
#include "platform/desktop/painting/picture_cache.h"
#include "platform/form.h"

namespace platform::desktop {

// The native window of one titled form: its menu bar (if the form has menus)
// above the client-area canvas. Whether it is shown is the host's business;
// the rest of its look follows the form on syncFromForm.
//
// With a backdrop form (focus mode) the window fills the screen it is on,
// the backdrop drawn from the screen's corner, and the menu bar and client
// area keep their size in the middle; without one again, the window is
// restored as it was. While the backdrop is shown the window keeps filling
// the screen, whatever the window manager does.
class FormWindow : public QWidget {
public:
    // onCloseRequested runs when the user closes the window from its title
    // bar; the window itself stays as it is, the form decides.
    FormWindow(Form& form, PictureCache& pictures, Dispatch dispatch,
               std::function<void()> onCloseRequested);

    Form& form() const { return form_; }
    FormCanvas& canvas() const { return *canvas_; }
    // Null for a form without menus.
    FormMenuBar* formMenuBar() const { return menus_.get(); }
    QMenuBar* menuBarWidget() const { return menuBar_; }

    void syncFromForm();
    // Shows the window; the first time it is placed centred on the screen of
    // the window it opens over (see openOver), else on the primary screen.
    void appear();
    // A window shown over another (a modal one over the game) opens on that
    // window's screen, and window systems keep it above that window, even
    // one that fills the screen.
    void openOver(QWidget* window);

    // Shows the backdrop form around the window, or none (null).
    void setBackdrop(Form* backdrop);
    // The backdrop's drawing, once it has been shown; for tests.
    FormCanvas* backdropCanvas() const { return backdropCanvas_; }
    bool showsBackdrop() const { return body_->showsBackdrop(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Restore {
        QRect geometry;
        Qt::WindowStates states;
    };

    void placeForFirstShow();
    // Design size, or smaller to fit the screen with a frame of this size.
    void placeOnScreen(QMargins frame);
    // Takes place where the window system lets the game place windows, and
    // only its size where the compositor places them.
    void takePlace(const QRect& place);
    QScreen* placementScreen() const;
    // The screen's area a titled window may take.
    QRect room(const QScreen& screen) const;
    // The frame the window system drew, once the window is on screen.
    QMargins realFrame() const;
    int menuBarHeight(int width) const;
    // Time for a window manager to frame a new window.
    static constexpr int kFrameKnownMs = 250;

    void enterFocusMode(Form& backdrop);
    void leaveFocusMode();
    void fillScreen();

    Form& form_;
    PictureCache& pictures_;
    Dispatch dispatch_;
    QWidget* content_;
    QMenuBar* menuBar_ = nullptr;
    FormCanvas* canvas_;
    WindowBody* body_;
    std::unique_ptr<FormMenuBar> menus_;
    std::function<void()> onCloseRequested_;
    std::string appliedCaption_;
    std::string appliedIcon_;
    bool placed_ = false;
    QPointer<QWidget> openedOver_;
    Form* backdrop_ = nullptr;
    FormCanvas* backdropCanvas_ = nullptr;
    Restore restore_;
};

}  // namespace platform::desktop
