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
    void park(platform::Shape& ball) {
        ball.left = 0;
        ball.top = 11145;
    }
    void clockTo(std::int32_t t) {
        frm->elapsedSeconds = t - 1;
        frm->tmrScoreLevel_Timer();
    }
    // Sets the ball over the item as it rides on bar 1.
    void onto(platform::Shape& ball, const platform::Frame& item) {
        frm->tmrTumbrix_Timer();
        ball.left = item.left;
        ball.top = item.top;
    }
    std::size_t bonusSounds() { return runtime.logEntries("BonusCollected.wav PlayWave").size(); }
};

TEST_F(BonusesTest, ItemsAppearOnScheduleOneAtATime) {
    clockTo(119);
    EXPECT_FALSE(frm->fraSnail.visible);
    clockTo(120);
    EXPECT_TRUE(frm->fraSnail.visible && frm->snailShown);
    clockTo(145);
    EXPECT_TRUE(frm->fraSnail.visible);
    EXPECT_FALSE(frm->fraGhost.visible);

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
    EXPECT_TRUE(frm->fraSnail.visible);
    EXPECT_FALSE(frm->fraGhost.visible);

    // No item while a notice shows.
    frm->fraSnail.visible = false;
    frm->tmrBonusTime.setEnabled(true);
    clockTo(495);
    EXPECT_FALSE(frm->fraSnail.visible);
}

TEST_F(BonusesTest, ItemsRideOnBarOne) {
    frm->snailLeft = 300;
    frm->ghostLeft = 9000;
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(frm->fraSnail.top, frm->shpLine1.top - 1110);
    EXPECT_EQ(frm->fraSnail.left, 300);
    EXPECT_EQ(frm->fraGhost.top, frm->shpLine1.top - 1110);
    EXPECT_EQ(frm->fraGhost.left, 9000);
}

TEST_F(BonusesTest, CollectingTheSnailStartsItsCountdownToTheEnd) {
    clockTo(120);
    frm->elapsedSeconds = 200;
    onto(frm->shpDot1, frm->fraSnail);
    runtime.log.clear();
    frm->tmrTumbrix_Timer();
    EXPECT_FALSE(frm->fraSnail.visible || frm->snailShown);
    EXPECT_EQ(frm->snailEndTime, 211);
    EXPECT_EQ(frm->lblBonusTime.caption, "SNAIL Bonus:  Bars Slow Down!");
    EXPECT_EQ(frm->lblBonusTime.foreColor, platform::rgb(255, 255, 0));
    EXPECT_TRUE(frm->lblBonusTime.visible && frm->tmrBonusTime.enabled());
    EXPECT_TRUE(frm->lblSnailTimeLeftTitle.visible && frm->lblSnailTimeLeft.visible);
    EXPECT_EQ(
        runtime.logEntries("BonusCollected.wav"),
        (std::vector<std::string>{"BonusCollected.wav SeekWave 0", "BonusCollected.wav PlayWave"}));

    std::vector<std::string> countdown;
    for (int second = 201; second <= 211; ++second) {
        frm->tmrScoreLevel_Timer();
        countdown.push_back(frm->lblSnailTimeLeft.visible ? frm->lblSnailTimeLeft.caption : "-");
    }
    EXPECT_EQ(countdown,
              (std::vector<std::string>{"10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "-"}));
    EXPECT_EQ(frm->snailEndTime, 0);
    EXPECT_FALSE(frm->lblSnailTimeLeftTitle.visible);
    EXPECT_EQ(frm->lblBonusTime.caption, "SNAIL Bonus Time is Over!");
    EXPECT_EQ(frm->lblBonusTime.foreColor, platform::rgb(255, 255, 255));
    EXPECT_TRUE(frm->lblBonusTime.visible);

    // The notice goes 2.5 seconds of platform ticks after it first showed.
    frm->baseSpeed = 0;
    runTicks(159);
    EXPECT_TRUE(frm->lblBonusTime.visible);
    runTicks(1);
    EXPECT_FALSE(frm->lblBonusTime.visible || frm->tmrBonusTime.enabled());
}

TEST_F(BonusesTest, APickupNeedsARealOverlap) {
    clockTo(120);
    frm->tmrTumbrix_Timer();
    frm->shpDot1.top = frm->fraSnail.top;
    frm->shpDot1.left = frm->fraSnail.left - 615;
    frm->tmrTumbrix_Timer();
    EXPECT_TRUE(frm->fraSnail.visible);
    frm->shpDot1.top = frm->fraSnail.top;
    frm->shpDot1.left = frm->fraSnail.left + 1440;
    frm->tmrTumbrix_Timer();
    EXPECT_TRUE(frm->fraSnail.visible);
    frm->shpDot1.top = frm->fraSnail.top;
    frm->shpDot1.left = frm->fraSnail.left + 1439;
    frm->tmrTumbrix_Timer();
    EXPECT_FALSE(frm->fraSnail.visible);
}

TEST_F(BonusesTest, BallOneCollectsFirstAndAnOutPlayersHiddenBallStillCollects) {
    frm->fraGhost.visible = frm->ghostShown = true;
    frm->tmrTumbrix_Timer();
    for (platform::Shape* ball : {&frm->shpDot1, &frm->shpDot2}) {
        ball->left = frm->fraGhost.left;
        ball->top = frm->fraGhost.top;
    }
    runtime.log.clear();
    frm->tmrTumbrix_Timer();
    EXPECT_EQ(bonusSounds(), 1u);
    EXPECT_GT(frm->ghostEndTime, 0);
    EXPECT_EQ(frm->lblGhostTimeLeft.caption, "10");
    EXPECT_EQ(frm->lblBonusTime.caption, "GHOST Bonus:  Drop Through Bars!");

    // Player 2 is out and hidden, yet its ball collects.
    frm->ghostEndTime = 0;
    frm->shpDot2.visible = false;
    park(frm->shpDot1);
    frm->fraGhost.visible = frm->ghostShown = true;
    onto(frm->shpDot2, frm->fraGhost);
    frm->tmrTumbrix_Timer();
    EXPECT_FALSE(frm->fraGhost.visible);
}

TEST_F(BonusesTest, BallTwoCollectsNothingInAOnePlayerGameAndEffectsOffAreSilent) {
    frm->mnuNewGame1.onClick();
    frm->tmrScoreLevel.setEnabled(false);
    frm->fraSnail.visible = frm->snailShown = true;
    onto(frm->shpDot2, frm->fraSnail);
    frm->tmrTumbrix_Timer();
    EXPECT_TRUE(frm->fraSnail.visible);

    frm->mnuSound.checked = false;
    runtime.log.clear();
    onto(frm->shpDot1, frm->fraSnail);
    frm->tmrTumbrix_Timer();
    EXPECT_FALSE(frm->fraSnail.visible);
    EXPECT_GT(frm->snailEndTime, 0);
    EXPECT_TRUE(runtime.logEntries("BonusCollected.wav").empty());
}

}  // namespace
