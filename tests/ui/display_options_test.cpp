#include <gtest/gtest.h>

#include <cmath>

#include "game/game_fixture.h"
#include "platform/key_codes.h"

namespace {

using platform::rgb;
using platform::ShapeKind;

class DisplayOptionsTest : public GameFixture {
protected:
    // The trippy timer fires every 16 platform ticks (250 ms).
    void trippyTick() { runTicks(16); }
    std::tuple<platform::Color, platform::Color> ballColours() {
        return {frm->shpDot1.fillColor, frm->shpDot2.fillColor};
    }
};

TEST_F(DisplayOptionsTest, FocusModeShowsTheCoverBehindTheGameAndTwiceRemovesIt) {
    frm->mnuNewGame1.onClick();
    runtime.log.clear();
    frm->mnuFocus.onClick();
    EXPECT_TRUE(frm->mnuFocus.checked && frm->frmFullscreen().visible);
    EXPECT_EQ(runtime.log, (Strings{"loadForm ", "bringToFront  Tumbrix"}));
    // The game runs on underneath.
    const float barTop = frm->shpLine1.top;
    runTicks(4);
    EXPECT_LT(frm->shpLine1.top, barTop);

    runtime.log.clear();
    frm->mnuFocus.onClick();
    EXPECT_FALSE(frm->mnuFocus.checked || frm->frmFullscreen().visible);
    EXPECT_EQ(runtime.log, Strings{"bringToFront  Tumbrix"});
}

TEST_F(DisplayOptionsTest, BallShapeFollowsBallOneAndBothBallsEndAlikeWhereTheyStand) {
    frm->mnuNewGame2.onClick();
    runTicks(3);
    const auto positions = [this] {
        return std::tuple(frm->shpDot1.left, frm->shpDot1.top, frm->shpDot2.left, frm->shpDot2.top);
    };
    const auto before = positions();
    frm->mnuShape.onClick();
    EXPECT_EQ(std::tuple(frm->shpDot1.shape, frm->shpDot2.shape),
              std::tuple(ShapeKind::RoundedRectangle, ShapeKind::RoundedRectangle));
    EXPECT_EQ(positions(), before);
    frm->mnuShape.onClick();
    EXPECT_EQ(std::tuple(frm->shpDot1.shape, frm->shpDot2.shape),
              std::tuple(ShapeKind::Circle, ShapeKind::Circle));
    EXPECT_FALSE(frm->mnuShape.checked);

    // Only ball 1 is looked at.
    frm->shpDot2.shape = ShapeKind::RoundedRectangle;
    frm->mnuShape.onClick();
    EXPECT_EQ(frm->shpDot2.shape, ShapeKind::RoundedRectangle);
    frm->shpDot2.shape = ShapeKind::Circle;
    frm->mnuShape.onClick();
    EXPECT_EQ(frm->shpDot2.shape, ShapeKind::Circle);
}

TEST_F(DisplayOptionsTest, TrippyColoursStayBelowTenMillionAndSwitchingOffRestoresThem) {
    EXPECT_FALSE(frm->tmrTrippyMode.enabled());
    frm->shpDot1.fillColor = rgb(1, 2, 3);
    frm->mnuTrippy.onClick();
    EXPECT_TRUE(frm->mnuTrippy.checked && frm->tmrTrippyMode.enabled());
    // Normal colours until the first tick.
    EXPECT_EQ(ballColours(), std::tuple(rgb(0, 192, 0), rgb(255, 0, 0)));

    // The whole part of r x 10,000,000, up to the largest draw below 1.
    const float largest = std::nextafter(1.0f, 0.0f);
    runtime.scriptedDraws = {largest, 0.0f};
    trippyTick();
    EXPECT_EQ(ballColours(), std::tuple(9999999u, 0u));
    EXPECT_EQ(platform::blueOf(9999999u), 152u);

    // It goes on through a pause.
    frm->mnuNewGame1.onClick();
    keyDown(platform::keys::kEscape);
    ASSERT_TRUE(frm->gamePaused);
    runtime.scriptedDraws = {0.5f, 0.12345678f};
    trippyTick();
    EXPECT_EQ(ballColours(), std::tuple(5000000u, 1234567u));

    // Off between two ticks: the normal colours at once, and no more changes.
    runTicks(8);
    frm->mnuTrippy.onClick();
    EXPECT_FALSE(frm->mnuTrippy.checked || frm->tmrTrippyMode.enabled());
    trippyTick();
    EXPECT_EQ(ballColours(), std::tuple(rgb(0, 192, 0), rgb(255, 0, 0)));
}

TEST_F(DisplayOptionsTest, OnlyItsMenuItemStartsOrStopsTheTrippyTimer) {
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        if (on) {
            frm->mnuTrippy.onClick();
        }
        frm->mnuNewGame2.onClick();
        frm->Pause();
        frm->Unpause();
        frm->Form_Load();
        frm->mnuFocus.onClick();
        frm->mnuShape.onClick();
        EXPECT_EQ(frm->tmrTrippyMode.enabled(), on);
    }
}

}  // namespace
