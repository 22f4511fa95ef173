#include "game/frm_tumbrix.h"
#include "platform/numeric.h"

namespace game {

namespace {

constexpr float kRecycleThreshold = -300;
constexpr float kReentryTop = 11700;
constexpr double kGapRange = 10260;
constexpr double kGapShift = 585;
constexpr float kGapWidth = 1500;

}  // namespace

void FrmTumbrix::tmrTumbrix_Timer() {
    // The Snail halves the bars' speed; the change is seen from the next tick.
    barSpeed = baseSpeed;
    if (snailEndTime > 0) {
        barSpeed = platform::roundToInt16(baseSpeed / 2.0);
    }
    moveBars();
    if (shpLine1.top == platform::toInt16(kReentryTop - barSpeed)) {
        // Bar 1 came back at the bottom this tick: new places for the items.
        PlaceBonuses();
    }
    dropBall(shpDot1, ball1Airborne, ball1LastHalf, 1);
    if (twoPlayerGame) {
        dropBall(shpDot2, ball2Airborne, ball2LastHalf, 2);
    }
    rideAndCollectBonuses();
    CheckGameOver();
}

void FrmTumbrix::moveBars() {
    // A bar that has left the top comes back at the bottom with a new gap;
    // one random draw per recycled bar, in bar order.
    for (platform::Shape* left : {&shpLine1, &shpLine3, &shpLine5}) {
        if (left->top < kRecycleThreshold) {
            left->top = kReentryTop;
            left->left = static_cast<float>(-(double(runtime_.rnd()) * kGapRange) - kGapShift);
        }
    }
    // The left half leads; the right half follows it with the gap between.
    struct Bar {
        platform::Shape* left;
        platform::Shape* right;
    };
    for (Bar bar :
         {Bar{&shpLine1, &shpLine2}, Bar{&shpLine3, &shpLine4}, Bar{&shpLine5, &shpLine6}}) {
        bar.left->top = platform::singleSum(bar.left->top, -barSpeed);
        bar.right->top = bar.left->top;
        bar.right->left =
            platform::singleSum(platform::singleSum(bar.left->width, bar.left->left), kGapWidth);
    }
}

}  // namespace game
