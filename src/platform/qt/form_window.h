#pragma once

#include <QMainWindow>
#include <QMargins>
#include <functional>
#include <memory>

#include "platform/form.h"
#include "platform/qt/form_canvas.h"
#include "platform/qt/form_menu_bar.h"
#include "platform/qt/picture_cache.h"

namespace platform::qt {

// The native window of one form: its menu bar (if the form has menus) above
// the client-area canvas. Whether it is shown is the host's business; the
// rest of its look follows the form on syncFromForm.
class FormWindow : public QMainWindow {
public:
    // onCloseRequested runs when the user closes the window from its title
    // bar; the window itself stays as it is, the form decides.
    FormWindow(Form& form, PictureCache& pictures, Dispatch dispatch,
               std::function<void()> onCloseRequested);

    Form& form() const { return form_; }
    FormCanvas& canvas() const { return *canvas_; }
    // Null for a form without menus.
    FormMenuBar* formMenuBar() const { return menus_.get(); }

    void syncFromForm();
    // Shows the window; the first time it is placed centred on the screen
    // at the client size. A screen overlay covers the whole screen each time.
    void appear();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void placeForFirstShow();
    // Design size, or smaller to fit the screen with a frame of this size.
    void placeOnScreen(QMargins frame);
    int menuBarHeight(int width) const;
    // Time for a window manager to frame a new window.
    static constexpr int kFrameKnownMs = 250;
    void coverScreen();

    Form& form_;
    PictureCache& pictures_;
    FormCanvas* canvas_;
    std::unique_ptr<FormMenuBar> menus_;
    std::function<void()> onCloseRequested_;
    std::string appliedCaption_;
    std::string appliedIcon_;
    bool placed_ = false;
};

}  // namespace platform::qt
