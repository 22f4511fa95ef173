#include <gtest/gtest.h>

#include <cmath>

#include "game/game_fixture.h"

namespace {

using platform::rgb;
using platform::ShapeKind;

class DisplayOptionsTest : public GameFixture {
protected:
    auto shapes() { return std::tuple(frm->shpDot1.shape, frm->shpDot2.shape); }
};

TEST_F(DisplayOptionsTest, BallShapeFollowsBallOneAndBothBallsEndAlike) {
    frm->mnuShape.onClick();
    EXPECT_EQ(shapes(), std::tuple(ShapeKind::RoundedRectangle, ShapeKind::RoundedRectangle));
    frm->shpDot2.shape = ShapeKind::Circle;  // only ball 1 is looked at
    frm->mnuShape.onClick();
    EXPECT_EQ(shapes(), std::tuple(ShapeKind::Circle, ShapeKind::Circle));
}

TEST_F(DisplayOptionsTest, TrippyColoursStayBelowTenMillionRunThroughPausesAndEndAtOnce) {
    constexpr int kTrippyTick = 16;  // 250 ms
    const auto normal = std::tuple(rgb(0, 192, 0), rgb(255, 0, 0));
    auto colours = [&] { return std::tuple(frm->shpDot1.fillColor, frm->shpDot2.fillColor); };
    frm->shpDot1.fillColor = frm->shpDot2.fillColor = rgb(1, 2, 3);
    frm->mnuTrippy.onClick();
    EXPECT_EQ(std::tuple(frm->mnuTrippy.checked, frm->tmrTrippyMode.enabled(), colours()),
              std::tuple(true, true, normal));
    // The whole part of r x 10,000,000, up to the largest draw below 1.
    runtime.scriptedDraws = {std::nextafter(1.0f, 0.0f), 0.0f};
    runTicks(kTrippyTick);
    EXPECT_EQ(colours(), std::tuple(9999999u, 0u));

    // A new game and a pause leave the timer alone; it runs on while paused.
    frm->mnuNewGame1.onClick();
    keyDown(keys::kEscape);
    ASSERT_TRUE(frm->gamePaused && frm->tmrTrippyMode.enabled());
    runtime.scriptedDraws = {0.5f, 0.12345678f};  // rounding would give 1234568
    runTicks(kTrippyTick);
    EXPECT_EQ(colours(), std::tuple(5000000u, 1234567u));

    // Off between two ticks: the normal colours at once, and they stay.
    runTicks(kTrippyTick / 2);
    frm->mnuTrippy.onClick();
    runTicks(kTrippyTick);
    EXPECT_FALSE(frm->mnuTrippy.checked || frm->tmrTrippyMode.enabled());
    EXPECT_EQ(colours(), normal);
}

}  // namespace
