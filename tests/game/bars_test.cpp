#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class BarsTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        frm->mnuNewGame1.onClick();
        // Keep the ball out of the way, lying at the bottom left.
        place(frm->shpDot1, 0, 11145);
    }
    void expectRightHalfFollows(const platform::Shape& left, const platform::Shape& right) {
        EXPECT_EQ(right.top, left.top) << right.name;
        EXPECT_EQ(right.left, left.left + left.width + 1500) << right.name;
    }
};

TEST_F(BarsTest, BarsRiseByTheSpeedHalvedToEvenUnderTheSnailAndRightHalvesFollow) {
    // Snail running, base speed, bar speed.
    const std::tuple<bool, int, int> speeds[] = {{false, 37, 37}, {true, 10, 5}, {true, 11, 6},
                                                 {true, 13, 6},   {true, 15, 8}, {true, 140, 70}};
    for (auto [snail, base, expected] : speeds) {
        frm->snailEndTime = snail ? 50 : 0;
        frm->baseSpeed = static_cast<std::int16_t>(base);
        const float top = frm->shpLine1.top;
        gameTicks();
        EXPECT_EQ(frm->barSpeed, expected) << base;
        EXPECT_EQ(std::tuple(frm->shpLine1.top, frm->shpLine3.top, frm->shpLine5.top),
                  std::tuple(top - expected, top + 4000 - expected, top + 8000 - expected));
        expectRightHalfFollows(frm->shpLine1, frm->shpLine2);
        expectRightHalfFollows(frm->shpLine3, frm->shpLine4);
        expectRightHalfFollows(frm->shpLine5, frm->shpLine6);
    }
}

TEST_F(BarsTest, ABarIsRecycledOnlyOnceItsTopIsBelowMinus300) {
    frm->shpLine3.top = -300;
    gameTicks();
    EXPECT_EQ(frm->shpLine3.top, -310);

    runtime.scriptedDraws = {0.0f};
    gameTicks();
    EXPECT_EQ(frm->shpLine3.top, 11690);
    // r = 0: the gap runs from 10710 to 12210.
    EXPECT_EQ(frm->shpLine3.left, -585);
    expectRightHalfFollows(frm->shpLine3, frm->shpLine4);
    EXPECT_EQ(frm->shpLine4.left, 12210);
}

TEST_F(BarsTest, TwoBarsRecycledInOneTickDrawInBarOrder) {
    frm->shpLine3.top = frm->shpLine5.top = -400;
    runtime.scriptedDraws = {0.5f, 0.99999f};
    gameTicks();
    EXPECT_EQ(frm->shpLine3.left, static_cast<float>(-(0.5 * 10260) - 585));
    EXPECT_EQ(frm->shpLine5.left, static_cast<float>(-(double(0.99999f) * 10260) - 585));
    // A draw close to 1 puts the gap just above x 450.
    EXPECT_GT(frm->shpLine5.left + frm->shpLine5.width, 450);
    EXPECT_LT(frm->shpLine5.left + frm->shpLine5.width, 451);
    EXPECT_TRUE(runtime.scriptedDraws.empty());
}

TEST_F(BarsTest, RecyclingBarOneMovesTheBonusItemsInTheSameTick) {
    frm->fraSnail.visible = frm->snailShown = true;
    frm->shpLine1.top = -301;
    // The bar's gap, then the bonus side and the two places.
    runtime.scriptedDraws = {0.25f, 0.0f, 0.5f, 0.5f};
    gameTicks();
    EXPECT_EQ(std::tuple(runtime.scriptedDraws.size(), frm->bonusSide), std::tuple(0u, 1));
    double gapStart = frm->shpLine1.left + frm->shpLine1.width;
    EXPECT_EQ(frm->snailLeft, std::floor(0.5 * (gapStart - 1440)));
    // The item already stands on the new bar at its new place.
    EXPECT_EQ(std::tuple(frm->fraSnail.left, frm->fraSnail.top),
              std::tuple(float(frm->snailLeft), frm->shpLine1.top - 1110));

    // Recycling bar 2 or bar 3 draws only for the gap.
    frm->shpLine3.top = -301;
    runtime.scriptedDraws = {0.25f, 0.75f};
    gameTicks();
    EXPECT_EQ(runtime.scriptedDraws.size(), 1u);
}

}  // namespace
