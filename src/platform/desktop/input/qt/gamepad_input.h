#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <utility>

#include "platform/desktop/input/sdl/sdl_gamepads.h"
#include "platform/form.h"

class QWindow;

namespace platform::desktop {

// Hands what the pads do to the game as the keyboard would: each key goes to
// the form of the window that has the keys, and its release to the form that
// got the press. A on player 1's pad also presses the focused button, as
// ENTER does (the new-game buttons, a message box's OK). As with typed keys,
// nothing reaches a window that a modal one blocks, and the menus stay the
// keyboard's and the mouse's: nothing gets through while one is open. A
// player's pad pulled out is news for every form: the player stepped away.
//
// The pads are read before the ticks of each wake of the game clock. While
// the clock sleeps (no game running, or paused) a timer reads them every
// kIdlePollMs, so a press still gets through at once; with no pad at all,
// ticks leave SDL alone and the timer only looks for new pads every
// kPlugInPollMs.
class GamepadInput : public QObject {
public:
    // The form whose handlers get the keys typed in a window, or null.
    using FormOf = std::function<Form*(QWindow*)>;
    using Deliver = std::function<void(Form&, const KeyAction&)>;

    static constexpr int kIdlePollMs = 32;
    // Once a second: a game left open without pads costs next to nothing,
    // and a pad plugged in is still noticed before the player has sat down.
    static constexpr int kPlugInPollMs = 1000;

    GamepadInput(FormOf formOf, Deliver deliver, std::function<void()> steppedAway);

    // The game clock is about to run ticks: a press acts on the first of them.
    void beforeTicks();
    // Reads the pads and hands on what they did.
    void poll();
    // Stops handing anything on.
    void stop();
    int padsAttached() const { return pads_.padsAttached(); }

private:
    void handle(const SdlGamepads::Event& event);
    // The window a key typed now would reach, or null.
    static QWindow* windowWithKeys();
    static void pressFocusedButton();

    FormOf formOf_;
    Deliver deliver_;
    std::function<void()> steppedAway_;
    SdlGamepads pads_;
    // Read but not yet handed on: a handler may run a nested event loop that
    // reads the pads again, and the order must hold.
    std::deque<SdlGamepads::Event> queue_;
    // The form each held key went to (null: none had the keys), by player and key.
    std::map<std::pair<int, std::int16_t>, Form*> pressedOn_;
    QTimer idlePoll_;
    bool stopped_ = false;
};

}  // namespace platform::desktop
