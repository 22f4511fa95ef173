#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/color.h"
#include "platform/controls.h"
#include "platform/timer.h"

namespace platform {

enum class WindowStyle {
    // A window with a title bar, centred on the screen at its client size.
    Titled,
    // Not a window of its own: what the main window draws around itself
    // while it fills its screen (focus mode), from the screen's top-left
    // corner at its design scale. Shown and hidden through `visible`.
    ScreenBackdrop,
};

// Mouse pointer codes a window can show over its client area.
enum class MousePointer : std::int16_t { Default = 0, Custom = 99 };

// A window: its look, its controls in stacking order (first drawn first) and
// the handlers a host calls. Forms live as long as the program.
class Form {
public:
    Form(std::string caption, float clientWidth, float clientHeight)
        : caption(std::move(caption)), clientWidth(clientWidth), clientHeight(clientHeight) {}
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    std::string caption;
    float clientWidth;
    float clientHeight;
    WindowStyle style = WindowStyle::Titled;
    Color backColor = rgb(224, 224, 224);
    // Drawn from the top-left corner at its own size, clipped; none if empty.
    Picture picture;
    bool visible = false;
    // The window icon, a built-in picture name; none if empty.
    Picture icon;
    MousePointer mousePointer = MousePointer::Default;

    std::vector<Control*> controls;
    std::vector<MenuItem*> menuBar;
    std::vector<Timer*> timers;

    // Runs once when the host creates the window.
    virtual void load() {}
    // Keyboard events of the window, whichever control has the focus.
    // keyCode is the platform key code, shift the modifier mask.
    virtual void keyDown(std::int16_t keyCode, std::int16_t shift) {
        (void)keyCode;
        (void)shift;
    }
    virtual void keyUp(std::int16_t keyCode, std::int16_t shift) {
        (void)keyCode;
        (void)shift;
    }
    // The user closed the window with its title-bar button. A window that
    // is shown modally simply hides by default.
    virtual void closedByUser() { visible = false; }
    // The player stepped away from the game: switched to another program (none
    // of the game's windows is active any more) or pulled out their pad.
    virtual void playerSteppedAway() {}
};

}  // namespace platform
