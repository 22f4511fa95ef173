#include "game/frm_tumbrix.h"
#include "platform/color.h"
#include "platform/numeric.h"

namespace game {

namespace {

constexpr std::int32_t kFirstSnail = 120;
constexpr std::int32_t kSnailPeriod = 25;
constexpr std::int32_t kFirstGhost = 150;
constexpr std::int32_t kGhostPeriod = 16;
// A bonus ends at the clock tick that brings the time to pickup + 11, so it
// runs between 10 and 11 seconds.
constexpr std::int32_t kBonusSeconds = 10;

bool onSchedule(std::int32_t t, std::int32_t first, std::int32_t period) {
    return t == first || (t > first && (t - first) % period == 0);
}

// The ball and the item overlap; every sum in single precision, every
// comparison strict. The ball's own visibility does not matter.
bool collects(const platform::Shape& ball, const platform::Frame& item) {
    return platform::singleSum(ball.top, ball.height) > item.top &&
           platform::singleSum(ball.left, ball.width) > item.left &&
           platform::singleSum(item.left, item.width) > ball.left &&
           platform::singleSum(item.top, item.height) > ball.top && item.visible;
}

}  // namespace

void FrmTumbrix::showDueBonusItem() {
    const std::int32_t t = elapsedSeconds;
    // Only one bonus is ever out of idle, and none comes while a notice shows.
    auto everythingIdle = [this] {
        return ghostEndTime == 0 && snailEndTime == 0 && !fraSnail.visible && !fraGhost.visible &&
               !tmrBonusTime.enabled();
    };
    if (onSchedule(t, kFirstSnail, kSnailPeriod) && everythingIdle()) {
        fraSnail.visible = true;
        snailShown = true;
    }
    if (onSchedule(t, kFirstGhost, kGhostPeriod) && everythingIdle()) {
        fraGhost.visible = true;
        ghostShown = true;
    }
}

FrmTumbrix::Bonus FrmTumbrix::snailBonus() {
    return {fraSnail,
            snailShown,
            snailEndTime,
            lblSnailTimeLeftTitle,
            lblSnailTimeLeft,
            "SNAIL Bonus:  Bars Slow Down!",
            platform::rgb(255, 255, 0),
            "SNAIL Bonus Time is Over!"};
}

FrmTumbrix::Bonus FrmTumbrix::ghostBonus() {
    return {fraGhost,
            ghostShown,
            ghostEndTime,
            lblGhostTimeLeftTitle,
            lblGhostTimeLeft,
            "GHOST Bonus:  Drop Through Bars!",
            platform::rgb(0, 255, 255),
            "GHOST Bonus Time is Over!"};
}

void FrmTumbrix::expireBonuses() {
    for (Bonus bonus : {snailBonus(), ghostBonus()}) {
        if (bonus.endTime > 0 && bonus.endTime <= elapsedSeconds) {
            bonus.endTime = 0;
            bonus.timeLeft.visible = false;
            bonus.title.visible = false;
            showBonusNotice(bonus.overNotice, platform::rgb(255, 255, 255));
        }
    }
}

void FrmTumbrix::showBonusCountdown() {
    if (snailEndTime > 0) {
        lblSnailTimeLeft.caption = platform::decimalText(snailEndTime - elapsedSeconds);
    }
    if (ghostEndTime > 0) {
        lblGhostTimeLeft.caption = platform::decimalText(ghostEndTime - elapsedSeconds);
    }
}

void FrmTumbrix::rideAndCollectBonuses() {
    // Both items stand on top of bar 1, shown or not.
    fraSnail.top = platform::singleSum(shpLine1.top, -double(fraSnail.height));
    fraSnail.left = snailLeft;
    fraGhost.top = platform::singleSum(shpLine1.top, -double(fraGhost.height));
    fraGhost.left = ghostLeft;

    // Ball 1 first; a collected item is hidden at once, so it goes once.
    auto tryBall = [this](const platform::Shape& ball) {
        for (Bonus bonus : {snailBonus(), ghostBonus()}) {
            if (collects(ball, bonus.item)) {
                collect(bonus);
            }
        }
    };
    tryBall(shpDot1);
    if (twoPlayerGame) {
        tryBall(shpDot2);
    }
}

void FrmTumbrix::collect(Bonus bonus) {
    bonus.shown = false;
    bonus.item.visible = false;
    bonus.endTime = elapsedSeconds + kBonusSeconds + 1;
    showBonusNotice(bonus.pickupNotice, bonus.pickupColor);
    bonus.title.visible = true;
    bonus.timeLeft.caption = platform::decimalText(kBonusSeconds);
    bonus.timeLeft.visible = true;
    if (mnuSound.checked) {
        restartWave(*TegoWav5);
    }
}

void FrmTumbrix::showBonusNotice(const std::string& text, platform::Color color) {
    lblBonusTime.caption = text;
    lblBonusTime.foreColor = color;
    lblBonusTime.visible = true;
    tmrBonusTime.setEnabled(true);
}

void FrmTumbrix::tmrBonusTime_Timer() {
    lblBonusTime.visible = false;
    tmrBonusTime.setEnabled(false);
}

}  // namespace game
