#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class BonusesTest : public HandDrivenGame {
protected:
    // Shows the item and lets the tick carry it to its place on bar 1.
    void putOut(platform::Frame& item) {
        item.visible = true;
        gameTicks();
    }
};

TEST_F(BonusesTest, ItemsComeAtTheSecondsOfTheirPeriodsOneAtATimeAndNotDuringANotice) {
    auto shownAt = [&](std::int32_t t) {
        frm->elapsedSeconds = t - 1;
        frm->tmrScoreLevel_Timer();
        std::string shown = std::to_string(t) + (frm->fraSnail.visible ? "S" : "") +
                            (frm->fraGhost.visible ? "G" : "");
        frm->fraSnail.visible = frm->fraGhost.visible = false;
        return shown;
    };
    // The Snail from 120 every 25 seconds, the Ghost from 150 every 16.
    Strings shown;
    for (std::int32_t t : {119, 120, 121, 145, 149, 150, 151, 165, 166, 170, 182, 470}) {
        shown.push_back(shownAt(t));
    }
    EXPECT_EQ(shown, (Strings{"119", "120S", "121", "145S", "149", "150G", "151", "165", "166G",
                              "170S", "182G", "470S"}));
    // None while a bonus runs, the other item is out or a notice shows.
    frm->ghostEndTime = 125;
    EXPECT_EQ(shownAt(120), "120");
    frm->ghostEndTime = 0;
    frm->snailEndTime = 155;
    EXPECT_EQ(shownAt(150), "150");
    frm->snailEndTime = 0;
    frm->fraSnail.visible = true;
    EXPECT_EQ(shownAt(150), "150S");
    frm->fraGhost.visible = true;
    EXPECT_EQ(shownAt(145), "145G");
    frm->tmrBonusTime.setEnabled(true);
    EXPECT_EQ(shownAt(120), "120");
}

TEST_F(BonusesTest, OnlyARealOverlapAfterTheFallCollectsAnItem) {
    // Against the item after the fall of 135: an edge exactly on its edge is
    // no overlap; the last ball falls 35 into it from clear above.
    for (auto [dx, dy, taken] : {std::tuple{-615.0f, 0.0f, false},
                                 {1440.0f, 0.0f, false},
                                 {0.0f, -615.0f, false},
                                 {0.0f, 1110.0f, false},
                                 {1439.0f, -580.0f, true}}) {
        park(frm->shpDot1);
        putOut(frm->fraSnail);
        place(frm->shpDot1, frm->fraSnail.left + dx, frm->fraSnail.top + dy - 135);
        gameTicks();
        EXPECT_EQ(!frm->fraSnail.visible, taken) << dx << " " << dy;
    }
}

TEST_F(BonusesTest, ACollectedBonusShowsItsNoticeCountsDownAndEndsElevenSecondsOn) {
    // The Snail with both balls on it; the Ghost by the hidden ball of an out
    // player, with the effects off.
    struct Bonus {
        platform::Frame& item;
        std::int32_t& endTime;
        const platform::Label &title, &timeLeft;
        const char *pickup, *over;
        bool effects;
        Strings sound;
    };
    const Strings sound = {"BonusCollected.wav SeekWave 0", "BonusCollected.wav PlayWave"};
    for (const Bonus& bonus :
         {Bonus{frm->fraSnail, frm->snailEndTime, frm->lblSnailTimeLeftTitle, frm->lblSnailTimeLeft,
                "SNAIL Bonus:  Bars Slow Down!", "SNAIL Bonus Time is Over!", true, sound},
          Bonus{frm->fraGhost,
                frm->ghostEndTime,
                frm->lblGhostTimeLeftTitle,
                frm->lblGhostTimeLeft,
                "GHOST Bonus:  Drop Through Bars!",
                "GHOST Bonus Time is Over!",
                false,
                {}}}) {
        frm->elapsedSeconds = 200;
        frm->mnuSound.checked = bonus.effects;
        frm->shpDot2.visible = bonus.effects;
        putOut(bonus.item);
        place(frm->shpDot2, bonus.item.left, bonus.item.top);
        if (bonus.effects) {
            place(frm->shpDot1, bonus.item.left, bonus.item.top);
        }
        runtime.log.clear();
        gameTicks();
        park(frm->shpDot1);
        park(frm->shpDot2);
        EXPECT_EQ(std::tuple(bonus.item.visible, bonus.endTime, frm->lblBonusTime.caption,
                             frm->lblBonusTime.visible && frm->tmrBonusTime.enabled(),
                             bonus.title.visible, runtime.log),
                  std::tuple(false, 211, bonus.pickup, true, true, bonus.sound));
        Strings countdown = {bonus.timeLeft.visible ? bonus.timeLeft.caption : "-"};
        for (int second = 0; second < 11; ++second) {
            frm->tmrScoreLevel_Timer();
            countdown.push_back(bonus.timeLeft.visible ? bonus.timeLeft.caption : "-");
        }
        EXPECT_EQ(countdown,
                  (Strings{"10", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "-"}));
        EXPECT_EQ(std::tuple(bonus.endTime, bonus.title.visible, frm->lblBonusTime.caption,
                             frm->lblBonusTime.foreColor),
                  std::tuple(0, false, bonus.over, platform::rgb(255, 255, 255)));
        // The notice goes 2.5 seconds of ticks after it first showed.
        runTicks(159);
        EXPECT_TRUE(frm->lblBonusTime.visible);
        runTicks(1);
        EXPECT_FALSE(frm->lblBonusTime.visible || frm->tmrBonusTime.enabled());
    }
}

}  // namespace
