#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace platform::desktop {

// Tells when the player has switched to another program: no window of the
// game is active any more. Moving between the game's own windows (a message
// box, a modal window) leaves the game inactive for a moment too, so the
// news waits until the game has stayed inactive briefly.
class ApplicationFocusWatch : public QObject {
public:
    // isActive says whether one of the game's windows is active now.
    ApplicationFocusWatch(std::function<bool()> isActive, std::function<void()> onDeactivated);

    void stateChanged(Qt::ApplicationState state);
    // Decides once the moment has passed; the timer calls it.
    void check();
    bool pending() const { return settle_.isActive(); }

    // Long enough for focus to pass between two of the game's windows.
    static constexpr int kSettleMs = 150;

private:
    std::function<bool()> isActive_;
    std::function<void()> onDeactivated_;
    QTimer settle_;
};

}  // namespace platform::desktop
