#include "game/frm_tumbrix.h"
#include "platform/numeric.h"

namespace game {

namespace {

constexpr float kFallStep = 135;
// A ball's lowest Top: its lower edge on the bottom of the playfield.
constexpr float kBottomRestTop = 11145;

bool isLeftHalf(int half) {
    return half % 2 == 1;
}

// Halves 1+2, 3+4 and 5+6 make one bar each.
bool sameBar(int halfA, int halfB) {
    return halfA != 0 && (halfA + 1) / 2 == (halfB + 1) / 2;
}

// The ball touches the half while the half's top edge lies strictly inside
// the ball's height and the two overlap sideways.
bool touches(const platform::Shape& ball, const platform::Shape& half, int halfNumber) {
    if (!(platform::singleSum(half.top, -ball.height) < ball.top && ball.top < half.top &&
          ball.visible)) {
        return false;
    }
    if (isLeftHalf(halfNumber)) {
        return platform::singleSum(half.left, half.width) > ball.left;
    }
    return platform::singleSum(ball.left, ball.width) > half.left;
}

}  // namespace

void FrmTumbrix::dropBall(platform::Shape& ball, bool& airborne, std::int16_t& lastHalf,
                          int player) {
    if (ball.top < kBottomRestTop) {
        ball.top = platform::singleSum(ball.top, kFallStep);
    }
    if (ball.top > kBottomRestTop) {
        ball.top = kBottomRestTop;
    }
    if (ghostEndTime > 0) {
        // The Ghost lets the ball pass through every bar.
        return;
    }

    // Left halves of bars 1 to 3, then right halves; the first touched holds.
    const std::pair<platform::Shape*, int> halves[] = {{&shpLine1, 1}, {&shpLine3, 3},
                                                       {&shpLine5, 5}, {&shpLine2, 2},
                                                       {&shpLine4, 4}, {&shpLine6, 6}};
    for (auto [half, number] : halves) {
        if (!touches(ball, *half, number)) {
            continue;
        }
        // A bounce is a landing after a fall, unless on the bar of the last
        // bounce (rolling into the gap and back stays silent).
        if (airborne && !sameBar(lastHalf, number)) {
            lastHalf = static_cast<std::int16_t>(number);
            PlayBounceSound();
            if (player == 2) {
                airborne = false;
            }
        }
        ball.top = half->top - ball.height;
        return;
    }
    airborne = true;
}

void FrmTumbrix::PlayBounceSound() {
    if (!mnuSound.checked) {
        return;
    }
    // Clears ball 1's flag whichever ball bounced.
    ball1Airborne = false;
    TegoWav6->SeekWave(0);
    if (TegoWav6->WaveMode() != platform::WavePlayer::kModePlaying) {
        TegoWav6->PlayWave(-1, -1, false);
    }
}

}  // namespace game
