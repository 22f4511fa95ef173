#include <algorithm>

#include "game/frm_tumbrix.h"
#include "platform/numeric.h"

namespace game {

namespace {

// The bars' speed for the elapsed time: 10 twips a tick at the start, rising
// in three joined pieces to 140 at six minutes.
std::int16_t baseSpeedAt(std::int32_t t) {
    if (t < 180) {
        return platform::roundToInt16(t / 2.0 + 10);
    }
    if (t < 300) {
        return platform::roundToInt16(t / 4.0 + 55);
    }
    if (t <= 360) {
        return platform::roundToInt16(t / 6.0 + 80);
    }
    return 140;
}

// A score is whole seconds survived. A game longer than the 16-bit counter
// allows keeps the highest score it can hold.
std::int16_t scoreAt(std::int32_t t) {
    return platform::toInt16(std::min<std::int32_t>(t, 32767));
}

constexpr std::int16_t kFastestStep = 180;

}  // namespace

void FrmTumbrix::tmrScoreLevel_Timer() {
    elapsedSeconds += 1;
    const std::int32_t t = elapsedSeconds;
    lblScore.caption = platform::decimalText(t);

    showDueBonusItem();
    expireBonuses();
    showBonusCountdown();

    baseSpeed = baseSpeedAt(t);
    if (player1Alive) {
        score1 = scoreAt(t);
    }
    if (player2Alive) {
        score2 = scoreAt(t);
    }
    lblScore1.caption = player1Name + ": " + platform::decimalText(score1);
    lblScore2.caption = player2Name + ": " + platform::decimalText(score2);

    if (rightStep1 < kFastestStep) {
        ++rightStep1;
        ++leftStep1;
        ++rightStep2;
        ++leftStep2;
    }
    if (t == 90) {
        lblWrapAround.visible = true;
    }
    if (t == 95) {
        lblWrapAround.visible = false;
    }
}

}  // namespace game
