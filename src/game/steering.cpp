#include "game/frm_tumbrix.h"
#include "platform/key_codes.h"
#include "platform/numeric.h"

namespace game {

namespace {

// From this many seconds of play a ball leaving one side comes back at the other.
constexpr std::int32_t kWraparoundSeconds = 90;
// The largest Left of a ball: its right side on the right edge.
constexpr float kRightmostLeft = 12045;
// A bar half stops a ball in the last 1/40 of its length at its inner end.
constexpr double kStopZone = 1.0 / 40.0;

// Vertically a half stops a ball only while the ball's top edge lies
// strictly within one bar height of the half's top edge.
bool level(const platform::Shape& half, const platform::Shape& ball) {
    return platform::singleSum(half.top, half.height) > ball.top &&
           platform::singleSum(half.top, -double(half.height)) < ball.top;
}

}  // namespace

void FrmTumbrix::Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift) {
    namespace keys = platform::keys;
    if (Shift != 0) {
        return;
    }
    if (KeyCode == keys::kEscape && escReleased) {
        // One toggle per press: the latch waits for the key-up.
        escReleased = false;
        if (gamePaused) {
            Unpause();
        } else {
            Pause();
        }
    } else if (KeyCode == keys::kReturn && gamePaused) {
        Unpause();
    } else if (gameInProgress && !gamePaused) {
        // A direction key starts its roll and stops the opposite one.
        auto roll = [](platform::Timer& stop, platform::Timer& start) {
            stop.setEnabled(false);
            start.setEnabled(true);
        };
        switch (KeyCode) {
            case keys::kLeft:
                roll(tmrMoveRight1, tmrMoveLeft1);
                break;
            case keys::kRight:
                roll(tmrMoveLeft1, tmrMoveRight1);
                break;
            case keys::kA:
                roll(tmrMoveRight2, tmrMoveLeft2);
                break;
            case keys::kD:
                roll(tmrMoveLeft2, tmrMoveRight2);
                break;
            default:
                break;
        }
    }
}

void FrmTumbrix::Form_KeyUp(std::int16_t KeyCode, std::int16_t Shift) {
    (void)Shift;
    if (KeyCode == platform::keys::kEscape) {
        escReleased = true;
    }
}

void FrmTumbrix::tmrMoveLeft1_Timer() {
    rollLeft(shpDot1, leftStep1);
}
void FrmTumbrix::tmrMoveRight1_Timer() {
    rollRight(shpDot1, rightStep1);
}
void FrmTumbrix::tmrMoveLeft2_Timer() {
    rollLeft(shpDot2, leftStep2);
}
void FrmTumbrix::tmrMoveRight2_Timer() {
    rollRight(shpDot2, rightStep2);
}

void FrmTumbrix::rollLeft(platform::Shape& ball, std::int16_t step) {
    ball.left = platform::singleSum(ball.left, -step);
    if (ghostEndTime <= 0) {
        // Left halves stop a ball rolling left at their inner (right) end.
        for (const platform::Shape* half : {&shpLine1, &shpLine3, &shpLine5}) {
            float innerEnd = platform::singleSum(half->left, half->width);
            if (innerEnd > ball.left &&
                platform::singleSum(half->left, (1.0 - kStopZone) * half->width) < ball.left &&
                level(*half, ball)) {
                ball.left = innerEnd;
            }
        }
    }
    if (ball.left < 0) {
        ball.left = elapsedSeconds < kWraparoundSeconds ? 0 : kRightmostLeft;
    }
}

void FrmTumbrix::rollRight(platform::Shape& ball, std::int16_t step) {
    ball.left = platform::singleSum(ball.left, step);
    if (ghostEndTime <= 0) {
        // Right halves stop a ball rolling right at their inner (left) end.
        for (const platform::Shape* half : {&shpLine2, &shpLine4, &shpLine6}) {
            float rightSide = platform::singleSum(ball.left, ball.width);
            if (platform::singleSum(half->left, kStopZone * half->width) > rightSide &&
                rightSide > half->left && level(*half, ball)) {
                ball.left = platform::singleSum(half->left, -double(ball.width));
            }
        }
    }
    if (ball.left > kRightmostLeft) {
        ball.left = elapsedSeconds < kWraparoundSeconds ? kRightmostLeft : 0;
    }
}

}  // namespace game
