#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

using BarsTest = HandDrivenGame;

TEST_F(BarsTest, BarsRiseByTheSpeedHalvedToEvenUnderTheSnailAndRightHalvesFollow) {
    // Snail running, base speed, bar speed.
    for (auto [snail, base, expected] : {std::tuple{false, 37, 37}, {true, 11, 6}, {true, 13, 6}}) {
        frm->snailEndTime = snail ? 50 : 0;
        frm->baseSpeed = static_cast<std::int16_t>(base);
        const float top = frm->shpLine1.top;
        gameTicks();
        EXPECT_EQ(
            std::tuple(frm->barSpeed, frm->shpLine1.top, frm->shpLine3.top, frm->shpLine5.top),
            std::tuple(expected, top - expected, top + 4000 - expected, top + 8000 - expected));
        for (auto [left, right] : {std::pair{&frm->shpLine1, &frm->shpLine2},
                                   {&frm->shpLine3, &frm->shpLine4},
                                   {&frm->shpLine5, &frm->shpLine6}}) {
            EXPECT_EQ(std::tuple(right->top, right->left),
                      std::tuple(left->top, left->left + left->width + 1500));
        }
    }
}

TEST_F(BarsTest, ABarBelowMinus300ComesBackAtTheBottomWithOneDrawInBarOrder) {
    frm->baseSpeed = 10;
    frm->shpLine3.top = -300;
    gameTicks();
    EXPECT_EQ(frm->shpLine3.top, -310);
    // Bars 2 and 3 in one tick: gaps at 10710 to 12210, and just past 450.
    frm->shpLine5.top = -400;
    runtime.scriptedDraws = {0.0f, 0.99999f, 0.5f};
    gameTicks();
    const float gapStart = frm->shpLine5.left + frm->shpLine5.width;
    EXPECT_EQ(
        std::tuple(frm->shpLine3.top, frm->shpLine3.left, frm->shpLine4.left, frm->shpLine5.top,
                   runtime.scriptedDraws.size(), gapStart > 450, gapStart < 451),
        std::tuple(11690, -585, 12210, 11690, 1u, true, true));
}

TEST_F(BarsTest, RecyclingBarOneMovesTheBonusItemsInTheSameTick) {
    frm->baseSpeed = 10;
    frm->shpLine1.top = -301;
    // The gap, the bonus side and the two places: both items ride at once.
    runtime.scriptedDraws = {0.25f, 0.0f, 0.5f, 0.5f};
    gameTicks();
    const float itemTop = frm->shpLine1.top - 1110;
    EXPECT_EQ(std::tuple(runtime.scriptedDraws.size(), frm->fraSnail.left, frm->fraSnail.top,
                         frm->fraGhost.left, frm->fraGhost.top),
              std::tuple(0u, frm->snailLeft, itemTop, frm->ghostLeft, itemTop));
}

}  // namespace
