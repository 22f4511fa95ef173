#pragma once

#include <cstdint>
#include <functional>

#include "game/frm_tumbrix.h"

namespace autopilot {

// Plays the game as a steady player would, for benchmarks and long runs:
// each visible ball is steered toward the gap of the bar beneath it (or a
// bonus item riding there), with one key press per change of direction; the
// ball rolls on by itself. It only reads the game and presses keys.
class Autopilot {
public:
    // Presses (down) or releases a key of the main window.
    using Press = std::function<void(std::int16_t keyCode, bool down)>;

    Autopilot(const game::FrmTumbrix& frm, Press press);

    // Looks at the playfield and presses what is needed; call once a tick.
    void steer();
    // From now on each ball is steered onto a solid part of the bar beneath
    // instead, so that the game ends (or back again).
    void playToLose(bool losing) { losing_ = losing; }

private:
    void pilot(const platform::Shape& ball, std::int16_t leftKey, std::int16_t rightKey,
               const platform::Timer& rollingLeft, const platform::Timer& rollingRight);

    const game::FrmTumbrix& frm_;
    Press press_;
    bool losing_ = false;
};

}  // namespace autopilot
