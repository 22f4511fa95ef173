#include <gtest/gtest.h>

#include "game/game_fixture.h"

namespace {

class BallsTest : public HandDrivenGame {
protected:
    // Puts the ball 100 above bar 2 (left half) or bar 3: it lands next tick.
    void above(platform::Shape& ball, const platform::Shape& half, float left = 1000) {
        place(ball, left, half.top - 715);
    }
    std::size_t bounceSounds() { return logged("BallBounce.wav PlayWave"); }
};

TEST_F(BallsTest, ABallFallsToTheBottomAndLandsOnlyWhereItReallyOverlapsAHalf) {
    frm->shpDot1.top = 11100;
    gameTicks(2);
    EXPECT_EQ(frm->shpDot1.top, 11145);
    // Bar 2: a side exactly on a half's end, or the half's top exactly on the
    // ball's after its fall of 135, is no overlap. Left, height, Ghost, hidden, held:
    const float leftEnd = frm->shpLine3.left + frm->shpLine3.width, right = frm->shpLine4.left;
    const std::tuple<float, float, bool, bool, bool> cases[] = {
        {1000, 715, true, false, false},        {1000, 715, false, true, false},
        {leftEnd, 715, false, false, false},    {right - 615, 715, false, false, false},
        {right - 614, 715, false, false, true}, {1000, 135, false, false, false},
        {1000, 136, false, false, true}};
    for (auto [left, distance, ghost, hidden, held] : cases) {
        frm->ghostEndTime = ghost ? 30 : 0;
        frm->shpDot1.visible = !hidden;
        place(frm->shpDot1, left, frm->shpLine3.top - distance);
        gameTicks();
        EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top - (held ? 615 : distance - 135)) << left;
    }
    // A landed ball rides up with its half.
    frm->baseSpeed = 20;
    gameTicks();
    EXPECT_EQ(frm->shpDot1.top, frm->shpLine3.top - 615);
}

TEST_F(BallsTest, BounceSoundsOnANewBarButNotBackOnTheSameOne) {
    above(frm->shpDot1, frm->shpLine3);
    gameTicks(2);
    EXPECT_EQ(std::tuple(frm->ball1LastHalf, frm->ball1Airborne, runtime.log),
              std::tuple(3, false,
                         Strings{"BallBounce.wav SeekWave 0", "BallBounce.wav WaveMode",
                                 "BallBounce.wav PlayWave"}));
    // Off the half, and back onto the other half of the same bar: silent.
    frm->shpDot1.top -= 400;
    gameTicks();
    above(frm->shpDot1, frm->shpLine4, frm->shpLine4.left + 100);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->shpDot1.top, frm->ball1LastHalf, bounceSounds()),
              std::tuple(frm->shpLine4.top - 615, 3, 1u));
    // A bounce while the sound still plays rewinds it without a second play.
    runtime.wavePlayer("BallBounce.wav").forceMode(platform::WavePlayer::kModePlaying);
    above(frm->shpDot1, frm->shpLine6, frm->shpLine4.left + 100);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->ball1LastHalf, logged("BallBounce.wav SeekWave"), bounceSounds()),
              std::tuple(6, 2u, 1u));
}

TEST_F(BallsTest, OnlyASoundingBounceClearsBallOnesFlagButBallTwoClearsItsOwn) {
    // Ball 2's bounce clears ball 1's flag: ball 1 then lands in silence.
    frm->ball1LastHalf = 1;
    place(frm->shpDot1, 1000, frm->shpLine3.top - 815);
    above(frm->shpDot2, frm->shpLine5);
    gameTicks(2);
    EXPECT_EQ(std::tuple(frm->ball1LastHalf, frm->shpDot1.top, frm->ball2LastHalf,
                         frm->ball2Airborne, bounceSounds()),
              std::tuple(1, frm->shpLine3.top - 615, 5, false, 1u));
    // Effects off: the last halves move, only ball 2's flag clears.
    frm->mnuSound.checked = false;
    park(frm->shpDot1);
    park(frm->shpDot2);
    runtime.log.clear();
    gameTicks();
    above(frm->shpDot1, frm->shpLine5);
    above(frm->shpDot2, frm->shpLine3);
    gameTicks();
    EXPECT_EQ(std::tuple(frm->ball1LastHalf, frm->ball1Airborne, frm->ball2LastHalf,
                         frm->ball2Airborne, logged("BallBounce.wav")),
              std::tuple(5, true, 3, false, 0u));
}

TEST_F(BallsTest, InAOnePlayerGameBallTwoNeitherFallsNorCollects) {
    frm->mnuNewGame1.onClick();
    frm->baseSpeed = 0;
    frm->fraSnail.visible = true;
    gameTicks();
    const float top = frm->fraSnail.top;
    place(frm->shpDot2, frm->fraSnail.left, top);
    gameTicks(20);
    EXPECT_EQ(std::tuple(frm->shpDot2.top, frm->fraSnail.visible), std::tuple(top, true));
}

}  // namespace
