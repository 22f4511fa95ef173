#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class BonusesTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        frm->mnuNewGame2.onClick();
        // The tick places the items on bar 1; the clock is driven by hand.
        frm->tmrScoreLevel.setEnabled(false);
        frm->baseSpeed = 0;
        park(frm->shpDot1);
        park(frm->shpDot2);
    }
    void park(platform::Shape& ball) { place(ball, 0, 11145); }
    void clockTo(std::int32_t t) {
        frm->elapsedSeconds = t - 1;
        frm->tmrScoreLevel_Timer();
    }
    // Sets the ball over the item as it rides on bar 1.
    void onto(platform::Shape& ball, const platform::Frame& item) {
        gameTicks();
        place(ball, item.left, item.top);
    }
};

TEST_F(BonusesTest, ItemsAppearOnScheduleOneAtATimeAndRideOnBarOne) {
    clockTo(119);
    EXPECT_FALSE(frm->fraSnail.visible);
    clockTo(120);
    EXPECT_TRUE(frm->fraSnail.visible && frm->snailShown);
    clockTo(145);
    EXPECT_TRUE(frm->fraSnail.visible && !frm->fraGhost.visible);

    // A running Snail keeps the Ghost away at 150; it comes at 166.
    frm->fraSnail.visible = frm->snailShown = false;
    frm->snailEndTime = 155;
    clockTo(150);
    EXPECT_FALSE(frm->fraGhost.visible);
    frm->snailEndTime = 0;
    frm->tmrBonusTime_Timer();
    clockTo(166);
    EXPECT_TRUE(frm->fraGhost.visible && frm->ghostShown);

    // When both fall on one second the Snail wins.
    frm->fraGhost.visible = frm->ghostShown = false;
    clockTo(470);
    EXPECT_TRUE(frm->fraSnail.visible && !frm->fraGhost.visible);

    // No item while a notice shows.
    frm->fraSnail.visible = false;
    frm->tmrBonusTime.setEnabled(true);
    clockTo(495);
    EXPECT_FALSE(frm->fraSnail.visible);

    // Both items ride on bar 1 at their own places.
    frm->snailLeft = 300;
    frm->ghostLeft = 9000;
    gameTicks();
    const float top = frm->shpLine1.top - 1110;
    EXPECT_EQ(
        std::tuple(frm->fraSnail.left, frm->fraSnail.top, frm->fraGhost.left, frm->fraGhost.top),
        std::tuple(300, top, 9000, top));
}

TEST_F(BonusesTest, ARealOverlapCollectsTheSnailAndStartsItsCountdownToTheEnd) {
    clockTo(120);
    frm->elapsedSeconds = 200;
    gameTicks();
    // A ball touching either side of the item does not take it.
    for (float offset : {-615.0f, 1440.0f}) {
        place(frm->shpDot1, frm->fraSnail.left + offset, frm->fraSnail.top);
        gameTicks();
        EXPECT_TRUE(frm->fraSnail.visible) << offset;
    }
    place(frm->shpDot1, frm->fraSnail.left + 1439, frm->fraSnail.top);
    runtime.log.clear();
    gameTicks();
    EXPECT_FALSE(frm->fraSnail.visible || frm->snailShown);
    EXPECT_EQ(std::tuple(frm->snailEndTime, frm->lblBonusTime.caption, frm->lblBonusTime.foreColor),
              std::tuple(211, "SNAIL Bonus:  Bars Slow Down!", platform::rgb(255, 255, 0)));
    EXPECT_TRUE(frm->lblBonusTime.visible && frm->tmrBonusTime.enabled() &&
                frm->lblSnailTimeLeftTitle.visible && frm->lblSnailTimeLeft.visible);
    EXPECT_EQ(runtime.logEntries("BonusCollected.wav"),
              (Strings{"BonusCollected.wav SeekWave 0", "BonusCollected.wav PlayWave"}));

    Strings countdown;
    for (int second = 201; second <= 211; ++second) {
        frm->tmrScoreLevel_Timer();
        countdown.push_back(frm->lblSnailTimeLeft.visible ? frm->lblSnailTimeLeft.caption : "-");
    }
    EXPECT_EQ(countdown, (Strings{"10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "-"}));
    EXPECT_EQ(std::tuple(frm->snailEndTime, frm->lblBonusTime.caption, frm->lblBonusTime.foreColor),
              std::tuple(0, "SNAIL Bonus Time is Over!", platform::rgb(255, 255, 255)));
    EXPECT_TRUE(frm->lblBonusTime.visible && !frm->lblSnailTimeLeftTitle.visible);

    // The notice goes 2.5 seconds of platform ticks after it first showed.
    frm->baseSpeed = 0;
    runTicks(159);
    EXPECT_TRUE(frm->lblBonusTime.visible);
    runTicks(1);
    EXPECT_FALSE(frm->lblBonusTime.visible || frm->tmrBonusTime.enabled());
}

TEST_F(BonusesTest, BallOneCollectsFirstAndAnOutPlayersHiddenBallStillCollects) {
    frm->fraGhost.visible = frm->ghostShown = true;
    gameTicks();
    for (platform::Shape* ball : {&frm->shpDot1, &frm->shpDot2}) {
        place(*ball, frm->fraGhost.left, frm->fraGhost.top);
    }
    runtime.log.clear();
    gameTicks();
    EXPECT_EQ(std::tuple(logged("BonusCollected.wav PlayWave"), frm->lblGhostTimeLeft.caption,
                         frm->lblBonusTime.caption),
              std::tuple(1u, "10", "GHOST Bonus:  Drop Through Bars!"));
    EXPECT_GT(frm->ghostEndTime, 0);

    // Player 2 is out and hidden, yet its ball collects.
    frm->ghostEndTime = 0;
    frm->shpDot2.visible = false;
    park(frm->shpDot1);
    frm->fraGhost.visible = frm->ghostShown = true;
    onto(frm->shpDot2, frm->fraGhost);
    gameTicks();
    EXPECT_FALSE(frm->fraGhost.visible);
}

TEST_F(BonusesTest, BallTwoCollectsNothingInAOnePlayerGameAndEffectsOffAreSilent) {
    frm->mnuNewGame1.onClick();
    frm->fraSnail.visible = frm->snailShown = true;
    onto(frm->shpDot2, frm->fraSnail);
    gameTicks();
    EXPECT_TRUE(frm->fraSnail.visible);

    frm->mnuSound.checked = false;
    runtime.log.clear();
    onto(frm->shpDot1, frm->fraSnail);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->fraSnail.visible, logged("BonusCollected.wav")),
              std::tuple(false, 0u));
    EXPECT_GT(frm->snailEndTime, 0);
}

}  // namespace
