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

void FrmTumbrix::expireBonuses() {
    auto expire = [this](std::int32_t& endTime, platform::Label& title, platform::Label& timeLeft,
                         const char* notice) {
        if (endTime > 0 && endTime <= elapsedSeconds) {
            endTime = 0;
            timeLeft.visible = false;
            title.visible = false;
            showBonusNotice(notice, platform::rgb(255, 255, 255));
        }
    };
    expire(snailEndTime, lblSnailTimeLeftTitle, lblSnailTimeLeft, "SNAIL Bonus Time is Over!");
    expire(ghostEndTime, lblGhostTimeLeftTitle, lblGhostTimeLeft, "GHOST Bonus Time is Over!");
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
        if (collects(ball, fraSnail)) {
            collectSnail();
        }
        if (collects(ball, fraGhost)) {
            collectGhost();
        }
    };
    tryBall(shpDot1);
    if (twoPlayerGame) {
        tryBall(shpDot2);
    }
}

void FrmTumbrix::collectSnail() {
    snailShown = false;
    fraSnail.visible = false;
    snailEndTime = elapsedSeconds + kBonusSeconds + 1;
    showBonusNotice("SNAIL Bonus:  Bars Slow Down!", platform::rgb(255, 255, 0));
    lblSnailTimeLeftTitle.visible = true;
    lblSnailTimeLeft.caption = platform::decimalText(kBonusSeconds);
    lblSnailTimeLeft.visible = true;
    playBonusSound();
}

void FrmTumbrix::collectGhost() {
    ghostShown = false;
    fraGhost.visible = false;
    ghostEndTime = elapsedSeconds + kBonusSeconds + 1;
    showBonusNotice("GHOST Bonus:  Drop Through Bars!", platform::rgb(0, 255, 255));
    lblGhostTimeLeftTitle.visible = true;
    lblGhostTimeLeft.caption = platform::decimalText(kBonusSeconds);
    lblGhostTimeLeft.visible = true;
    playBonusSound();
}

void FrmTumbrix::showBonusNotice(const std::string& text, platform::Color color) {
    lblBonusTime.caption = text;
    lblBonusTime.foreColor = color;
    lblBonusTime.visible = true;
    tmrBonusTime.setEnabled(true);
}

void FrmTumbrix::playBonusSound() {
    if (mnuSound.checked) {
        TegoWav5->SeekWave(0);
        TegoWav5->PlayWave(-1, -1, false);
    }
}

void FrmTumbrix::tmrBonusTime_Timer() {
    lblBonusTime.visible = false;
    tmrBonusTime.setEnabled(false);
}

}  // namespace game
