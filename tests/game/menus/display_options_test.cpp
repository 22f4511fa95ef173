#include <gtest/gtest.h>

#include <cmath>

#include "game/game_fixture.h"
#include "platform/key_codes.h"

namespace {

using platform::rgb;
using platform::ShapeKind;

class DisplayOptionsTest : public GameFixture {
protected:
    std::tuple<platform::Color, platform::Color> ballColours() {
        return {frm->shpDot1.fillColor, frm->shpDot2.fillColor};
    }
    std::tuple<ShapeKind, ShapeKind> ballShapes() {
        return {frm->shpDot1.shape, frm->shpDot2.shape};
    }
};

TEST_F(DisplayOptionsTest, BallShapeFollowsBallOneAndBothBallsEndAlikeWhereTheyStand) {
    frm->mnuNewGame2.onClick();
    runTicks(3);
    const auto place = [this] {
        return std::tuple(frm->shpDot1.left, frm->shpDot1.top, frm->shpDot2.left, frm->shpDot2.top);
    };
    const auto before = place();
    frm->mnuShape.onClick();
    EXPECT_EQ(ballShapes(), std::tuple(ShapeKind::RoundedRectangle, ShapeKind::RoundedRectangle));
    EXPECT_EQ(place(), before);
    frm->shpDot2.shape = ShapeKind::Circle;  // only ball 1 is looked at
    frm->mnuShape.onClick();
    EXPECT_EQ(ballShapes(), std::tuple(ShapeKind::Circle, ShapeKind::Circle));
    frm->shpDot2.shape = ShapeKind::RoundedRectangle;
    frm->mnuShape.onClick();
    EXPECT_EQ(ballShapes(), std::tuple(ShapeKind::RoundedRectangle, ShapeKind::RoundedRectangle));
}

TEST_F(DisplayOptionsTest, TrippyColoursStayBelowTenMillionRunThroughPausesAndEndAtOnce) {
    constexpr int kTrippyTick = 16;  // 250 ms
    frm->shpDot1.fillColor = rgb(1, 2, 3);
    frm->mnuTrippy.onClick();
    EXPECT_TRUE(frm->mnuTrippy.checked && frm->tmrTrippyMode.enabled());
    EXPECT_EQ(ballColours(), std::tuple(rgb(0, 192, 0), rgb(255, 0, 0)));
    // The whole part of r x 10,000,000, up to the largest draw below 1.
    runtime.scriptedDraws = {std::nextafter(1.0f, 0.0f), 0.0f};
    runTicks(kTrippyTick);
    EXPECT_EQ(ballColours(), std::tuple(9999999u, 0u));

    // A game's reset, pause and resume leave the timer alone; it runs on
    // while paused.
    frm->mnuNewGame1.onClick();
    frm->Unpause();
    keyDown(platform::keys::kEscape);
    ASSERT_TRUE(frm->gamePaused && frm->tmrTrippyMode.enabled());
    runtime.scriptedDraws = {0.5f, 0.12345678f};  // rounding would give 1234568
    runTicks(kTrippyTick);
    EXPECT_EQ(ballColours(), std::tuple(5000000u, 1234567u));

    // Off between two ticks: the normal colours at once, and they stay.
    runTicks(kTrippyTick / 2);
    frm->mnuTrippy.onClick();
    frm->mnuNewGame2.onClick();
    runTicks(kTrippyTick);
    EXPECT_FALSE(frm->mnuTrippy.checked || frm->tmrTrippyMode.enabled());
    EXPECT_EQ(ballColours(), std::tuple(rgb(0, 192, 0), rgb(255, 0, 0)));
}

}  // namespace
