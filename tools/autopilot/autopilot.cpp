#include "autopilot/autopilot.h"

#include "platform/key_codes.h"

namespace autopilot {

namespace keys = platform::keys;

namespace {

// Close enough to the target not to turn again.
constexpr float kDeadBand = 200;
// The gap is 1500 twips wide, right of its bar's left half.
constexpr float kHalfGap = 750;
// Far enough from the gap's centre to land on a half.
constexpr float kOffGap = 3000;

}  // namespace

Autopilot::Autopilot(const game::FrmTumbrix& frm, Press press)
    : frm_(frm), press_(std::move(press)) {}

void Autopilot::steer() {
    if (!frm_.gameInProgress || frm_.gamePaused) {
        return;
    }
    pilot(frm_.shpDot1, keys::kLeft, keys::kRight, frm_.tmrMoveLeft1, frm_.tmrMoveRight1);
    if (frm_.twoPlayerGame) {
        pilot(frm_.shpDot2, keys::kA, keys::kD, frm_.tmrMoveLeft2, frm_.tmrMoveRight2);
    }
}

void Autopilot::pilot(const platform::Shape& ball, std::int16_t leftKey, std::int16_t rightKey,
                      const platform::Timer& rollingLeft, const platform::Timer& rollingRight) {
    if (!ball.visible) {
        return;
    }
    // The nearest bar at or below the ball's bottom edge, by its left half.
    const platform::Shape* below = nullptr;
    for (const platform::Shape* half : {&frm_.shpLine1, &frm_.shpLine3, &frm_.shpLine5}) {
        if (half->top >= ball.top + ball.height - 1 &&
            (below == nullptr || half->top < below->top)) {
            below = half;
        }
    }
    if (below == nullptr) {
        return;
    }
    float target = below->left + below->width + kHalfGap;
    if (losing_) {
        target += target > kOffGap * 2 ? -kOffGap : kOffGap;
    }
    for (const platform::Frame* item : {&frm_.fraSnail, &frm_.fraGhost}) {
        if (below == &frm_.shpLine1 && item->visible && !losing_) {
            target = item->left + item->width / 2;
        }
    }
    const float centre = ball.left + ball.width / 2;
    if (centre < target - kDeadBand && !rollingRight.enabled()) {
        press_(rightKey, true);
        press_(rightKey, false);
    } else if (centre > target + kDeadBand && !rollingLeft.enabled()) {
        press_(leftKey, true);
        press_(leftKey, false);
    }
}

}  // namespace autopilot
