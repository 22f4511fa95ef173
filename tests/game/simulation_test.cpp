#include <gtest/gtest.h>

#include <random>

#include "game/game_fixture.h"
#include "platform/key_codes.h"

namespace {

namespace keys = platform::keys;

// Plays whole games on the headless host: an autopilot steers each ball
// toward the gap of the bar beneath it, a seeded stream adds stray key
// presses and pauses, and every game tick is checked against the rules
// that must always hold.
class Simulation {
public:
    Simulation(platform::headless::HeadlessRuntime& runtime, game::FrmTumbrix& frm, bool twoPlayers,
               unsigned seed)
        : runtime_(runtime), frm_(frm), twoPlayers_(twoPlayers), chaos_(seed) {
        auto tick = frm_.tmrTumbrix.onTimer;
        frm_.tmrTumbrix.onTimer = [this, tick] {
            tick();
            checkAfterGameTick();
        };
    }

    void run(int ticks) {
        startGame();
        for (int i = 0; i < ticks; ++i) {
            if (!frm_.gameInProgress) {
                ++gamesFinished;
                startGame();
            }
            steer();
            runtime_.advanceTicks(1);
            checkAfterPlatformTick();
            trace.push_back(snapshot());
        }
    }

    // What the run went through, and every tick's state for replays.
    std::vector<std::vector<float>> trace;
    int gamesFinished = 0;
    int pausedTicks = 0;
    int bonusesCollected = 0;
    std::int32_t longestGame = 0;

private:
    // The values that may only grow within a game, as the last tick left them.
    struct Counters {
        std::int16_t score1, score2;
        std::int32_t elapsed, snailEnd, ghostEnd;
    };

    void startGame() {
        (twoPlayers_ ? frm_.mnuNewGame2 : frm_.mnuNewGame1).onClick();
        last_ = {};
    }

    // Press a visible ball's direction key toward the gap centre of the bar below.
    void pilot(const platform::Shape& ball, std::int16_t leftKey, std::int16_t rightKey,
               platform::Timer& rollingLeft, platform::Timer& rollingRight) {
        const platform::Shape* target = nullptr;
        for (const platform::Shape* half : {&frm_.shpLine1, &frm_.shpLine3, &frm_.shpLine5}) {
            if (half->top >= ball.top + ball.height - 1 && (!target || half->top < target->top)) {
                target = half;
            }
        }
        if (!ball.visible || target == nullptr) {
            return;
        }
        float gapCentre = target->left + target->width + 750;
        // Go for an item on show when it rides on the bar beneath.
        for (const platform::Frame* item : {&frm_.fraSnail, &frm_.fraGhost}) {
            if (target == &frm_.shpLine1 && item->visible) {
                gapCentre = item->left + item->width / 2;
            }
        }
        float ballCentre = ball.left + ball.width / 2;
        if (ballCentre < gapCentre - 200 && !rollingRight.enabled()) {
            frm_.keyDown(rightKey, 0);
            frm_.keyUp(rightKey, 0);
        } else if (ballCentre > gapCentre + 200 && !rollingLeft.enabled()) {
            frm_.keyDown(leftKey, 0);
        }
    }

    void steer() {
        const int event = std::uniform_int_distribution<int>(0, 999)(chaos_);
        if (frm_.gamePaused) {
            ++pausedTicks;
            if (event < 20) {
                frm_.keyDown(event < 10 ? keys::kReturn : keys::kEscape, 0);
                frm_.keyUp(keys::kEscape, 0);
            }
            return;
        }
        if (event == 0) {
            frm_.keyDown(keys::kEscape, 0);
            frm_.keyDown(keys::kEscape, 0);  // auto-repeat
            frm_.keyUp(keys::kEscape, 0);
            return;
        }
        if (event < 30) {
            // A stray press, with or without a modifier.
            const std::int16_t stray[] = {keys::kLeft, keys::kRight, keys::kA, keys::kD, keys::kW};
            frm_.keyDown(stray[event % 5], static_cast<std::int16_t>(event % 3 == 0 ? 2 : 0));
        }
        pilot(frm_.shpDot1, keys::kLeft, keys::kRight, frm_.tmrMoveLeft1, frm_.tmrMoveRight1);
        if (twoPlayers_) {
            pilot(frm_.shpDot2, keys::kA, keys::kD, frm_.tmrMoveLeft2, frm_.tmrMoveRight2);
        }
    }

    // No visible ball is left with a half's top edge inside it: it rests
    // exactly on top, or it is clear.
    void checkResting(const platform::Shape& ball) {
        if (!ball.visible || frm_.ghostEndTime > 0) {
            return;
        }
        for (const platform::Shape* half : {&frm_.shpLine1, &frm_.shpLine2, &frm_.shpLine3,
                                            &frm_.shpLine4, &frm_.shpLine5, &frm_.shpLine6}) {
            if (ball.left < half->left + half->width && ball.left + ball.width > half->left) {
                ASSERT_FALSE(half->top - ball.height < ball.top && ball.top < half->top)
                    << "ball sunk into " << half->name;
            }
        }
    }

    void checkAfterGameTick() {
        using Halves = std::pair<const platform::Shape*, const platform::Shape*>;
        for (auto [left, right] :
             {Halves{&frm_.shpLine1, &frm_.shpLine2}, Halves{&frm_.shpLine3, &frm_.shpLine4},
              Halves{&frm_.shpLine5, &frm_.shpLine6}}) {
            ASSERT_EQ(right->top, left->top);
            ASSERT_EQ(right->left, left->left + left->width + 1500);
            ASSERT_LT(left->left, 0);
            ASSERT_GT(right->left + right->width, 12660);
        }
        if (!frm_.gameInProgress) {
            return;  // the tick ended the game and reset the playfield
        }
        checkResting(frm_.shpDot1);
        // The near-tie rule may lift ball 2 to ball 1's height.
        if (frm_.shpDot2.top != frm_.shpDot1.top) {
            checkResting(frm_.shpDot2);
        }
    }

    void checkAfterPlatformTick() {
        if (!frm_.gameInProgress) {
            return;
        }
        ASSERT_GE(frm_.shpDot1.left, 0);
        ASSERT_LE(frm_.shpDot1.left, 12045);
        const Counters now{frm_.score1, frm_.score2, frm_.elapsedSeconds, frm_.snailEndTime,
                           frm_.ghostEndTime};
        ASSERT_GE(now.score1, last_.score1);
        ASSERT_GE(now.score2, last_.score2);
        if (frm_.gamePaused) {
            ASSERT_EQ(now.elapsed, last_.elapsed) << "paused time counted";
        }
        // Only one bonus is ever out of idle.
        ASSERT_LE((frm_.snailShown || now.snailEnd > 0) + (frm_.ghostShown || now.ghostEnd > 0), 1);
        bonusesCollected += now.snailEnd > last_.snailEnd || now.ghostEnd > last_.ghostEnd;
        last_ = now;
        longestGame = std::max(longestGame, now.elapsed);
    }

    std::vector<float> snapshot() const {
        std::vector<float> state{static_cast<float>(frm_.elapsedSeconds),
                                 static_cast<float>(frm_.snailLeft)};
        for (const platform::Shape* shape :
             {&frm_.shpLine1, &frm_.shpLine3, &frm_.shpLine5, &frm_.shpDot1, &frm_.shpDot2}) {
            state.insert(state.end(), {shape->left, shape->top});
        }
        return state;
    }

    platform::headless::HeadlessRuntime& runtime_;
    game::FrmTumbrix& frm_;
    bool twoPlayers_;
    std::mt19937 chaos_;
    Counters last_{};
};

class SimulationTest : public GameFixture {};

TEST_F(SimulationTest, GamesKeepTheRulesOverTenMinutesOfPlay) {
    for (auto [twoPlayers, seed] : {std::pair{false, 7u}, {true, 11u}}) {
        SCOPED_TRACE(twoPlayers ? "2 players" : "1 player");
        startProgram();
        Simulation simulation(runtime, *frm, twoPlayers, seed);
        simulation.run(60000);
        // Past ten minutes at full bar speed, bonuses taken; the autopilot loses in the end.
        EXPECT_GT(simulation.longestGame, 600);
        EXPECT_GT(simulation.bonusesCollected, 10);
        EXPECT_GE(simulation.gamesFinished, 1);
        EXPECT_GT(simulation.pausedTicks, 0);
    }
}

TEST(ReplayTest, TheSameSeedAndKeysGiveTheSameGameAtEveryTick) {
    auto play = [](bool twoPlayers) {
        platform::headless::HeadlessRuntime runtime;
        runtime.secondsSinceMidnightValue = 1234.5;
        game::FrmTumbrix frm(runtime);
        runtime.loadForm(frm);
        Simulation simulation(runtime, frm, twoPlayers, 99);
        simulation.run(8000);
        return simulation.trace;
    };
    EXPECT_EQ(play(false), play(false));
    EXPECT_EQ(play(true), play(true));
}

}  // namespace
