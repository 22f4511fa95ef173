#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "platform/qt/form_window.h"

class QWindow;

namespace platform::qt {

// How a window that covers the whole screen behind the game (a form of style
// FullScreenOverlay) behaves. It never takes the focus: a click on it brings
// the game window in front back to the front and keeps the keys there, and
// should it become active anyway, it hands the activation back. Keys and menu
// shortcuts that reach it meanwhile belong to the window in front.
class ScreenOverlay : public QObject {
public:
    // Finds the window of one of the game's forms from its native window.
    using WindowOf = std::function<FormWindow*(QWindow*)>;

    ScreenOverlay(FormWindow& overlay, WindowOf windowOf);

    FormWindow& window() const { return overlay_; }
    // The game window the overlay lies behind: the last one that had the
    // focus and is still shown, or null.
    FormWindow* windowInFront() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWindow* focused);
    void bringBackWindowInFront();
    // The window in front's menu shortcuts also work while the overlay is active.
    void shareShortcutsOf(FormWindow* window);

    FormWindow& overlay_;
    WindowOf windowOf_;
    // Game windows in the order they last had the focus, most recent last.
    std::vector<QPointer<FormWindow>> focusOrder_;
    QPointer<FormWindow> sharingShortcuts_;
};

}  // namespace platform::qt
