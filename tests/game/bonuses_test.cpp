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
    // The time-left label over the next eleven clock seconds; "-" when hidden.
    Strings countdownOn(const platform::Label& timeLeft) {
        Strings shown;
        for (int second = 0; second < 11; ++second) {
            frm->tmrScoreLevel_Timer();
            shown.push_back(timeLeft.visible ? timeLeft.caption : "-");
        }
        return shown;
    }
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

TEST_F(BonusesTest, EachItemComesAtTheSecondsOfItsOwnPeriodFromIdle) {
    Strings shown;
    for (std::int32_t t :
         {119, 120, 121, 144, 145, 146, 149, 150, 151, 165, 166, 169, 170, 182, 195, 198, 470}) {
        frm->fraSnail.visible = frm->snailShown = frm->fraGhost.visible = frm->ghostShown = false;
        clockTo(t);
        shown.push_back(std::to_string(t) + (frm->fraSnail.visible ? "S" : "") +
                        (frm->fraGhost.visible ? "G" : ""));
    }
    EXPECT_EQ(shown, (Strings{"119", "120S", "121", "144", "145S", "146", "149", "150G", "151",
                              "165", "166G", "169", "170S", "182G", "195S", "198G", "470S"}));
}

TEST_F(BonusesTest, ABallThatFallsOntoAnItemCollectsItInTheSameTick) {
    // The pickup test runs after both balls have moved: each ball starts
    // clear above its item, and the tick's fall takes it 35 twips in.
    frm->snailLeft = 300;
    frm->ghostLeft = 9000;
    frm->fraSnail.visible = frm->snailShown = true;
    gameTicks();
    place(frm->shpDot1, frm->fraSnail.left, frm->fraSnail.top - 615 - 100);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->shpDot1.top, frm->fraSnail.visible, frm->snailEndTime),
              std::tuple(frm->fraSnail.top - 580, false, 11));

    frm->snailEndTime = 0;
    frm->tmrBonusTime_Timer();
    park(frm->shpDot1);
    frm->fraGhost.visible = frm->ghostShown = true;
    place(frm->shpDot2, frm->fraGhost.left, frm->fraGhost.top - 615 - 100);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->shpDot2.top, frm->fraGhost.visible, frm->ghostEndTime),
              std::tuple(frm->fraGhost.top - 580, false, 11));
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
    // Nor does a ball whose bottom is on the item's top, or whose top is on
    // its bottom: the ball lies at the bottom and bar 1 carries the item.
    frm->baseSpeed = 0;
    frm->snailLeft = 0;
    park(frm->shpDot1);
    for (float barTop : {11145.0f + 615 + 1110, 11145.0f}) {
        frm->shpLine1.top = barTop;
        gameTicks();
        EXPECT_TRUE(frm->fraSnail.visible) << barTop;
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

    EXPECT_EQ(countdownOn(frm->lblSnailTimeLeft),
              (Strings{"10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "-"}));
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
                         frm->lblBonusTime.caption, frm->lblBonusTime.foreColor),
              std::tuple(1u, "10", "GHOST Bonus:  Drop Through Bars!", platform::rgb(0, 255, 255)));
    EXPECT_TRUE(frm->lblGhostTimeLeftTitle.visible && frm->lblGhostTimeLeft.visible);
    // The Ghost's countdown and end, as the Snail's.
    EXPECT_EQ(countdownOn(frm->lblGhostTimeLeft),
              (Strings{"10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "-"}));
    EXPECT_EQ(std::tuple(frm->ghostEndTime, frm->lblBonusTime.caption, frm->lblBonusTime.foreColor),
              std::tuple(0, "GHOST Bonus Time is Over!", platform::rgb(255, 255, 255)));
    EXPECT_TRUE(frm->lblBonusTime.visible && frm->tmrBonusTime.enabled() &&
                !frm->lblGhostTimeLeftTitle.visible);

    // Player 2 is out and hidden, yet its ball collects.
    frm->tmrBonusTime_Timer();
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
