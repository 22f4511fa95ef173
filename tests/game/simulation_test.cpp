#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "game/game_fixture.h"
#include "platform/key_codes.h"

namespace {

namespace keys = platform::keys;

// The bar speed for t seconds of play, straight from the rule: three joined
// pieces, halves to the even neighbour (the default rounding mode).
std::int16_t barSpeedRule(std::int32_t t) {
    if (t < 180) {
        return static_cast<std::int16_t>(std::nearbyint(t / 2.0 + 10));
    }
    if (t < 300) {
        return static_cast<std::int16_t>(std::nearbyint(t / 4.0 + 55));
    }
    if (t <= 360) {
        return static_cast<std::int16_t>(std::nearbyint(t / 6.0 + 80));
    }
    return 140;
}

bool onSchedule(std::int32_t t, std::int32_t first, std::int32_t period) {
    return t >= first && (t - first) % period == 0;
}

// Plays whole games on the headless host: an autopilot steers each ball
// toward the gap of the bar beneath it, a seeded stream adds stray key
// presses and pauses, and every game tick, clock second and result is
// checked against the rules that must always hold.
class Simulation {
public:
    Simulation(platform::headless::HeadlessRuntime& runtime, game::FrmTumbrix& frm, bool twoPlayers,
               unsigned seed)
        : runtime_(runtime), frm_(frm), twoPlayers_(twoPlayers), chaos_(seed) {
        auto tick = frm_.tmrTumbrix.onTimer;
        frm_.tmrTumbrix.onTimer = [this, tick] {
            const State before = state();
            tick();
            checkAfterGameTick(before);
        };
        auto second = frm_.tmrScoreLevel.onTimer;
        frm_.tmrScoreLevel.onTimer = [this, second] {
            const State before = state();
            second();
            checkAfterClockSecond(before);
        };
        runtime_.onMessageBox = [this](const auto& message) { checkResult(message); };
    }

    // The autopilot plays to win, and in the last kLosingTicks of a run to
    // lose, so that every run also ends games and shows their results.
    static constexpr int kLosingTicks = 3000;

    void run(int ticks) {
        startGame();
        for (int i = 0; i < ticks; ++i) {
            losing_ = i >= ticks - kLosingTicks;
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

    // Every tick's state, for replays.
    std::vector<std::vector<float>> trace;
    // How often each rule below met a case to judge, so that a run that
    // never reaches one cannot pass by saying nothing.
    int gamesFinished = 0;
    int resultsShown = 0;
    int pausedTicks = 0;
    int snailsCollected = 0;
    int ghostsCollected = 0;
    int bonusesExpired = 0;
    int barsRecycled = 0;
    int wrapNoticeSeconds = 0;

private:
    // The values that may only grow within a game, as the last tick left them.
    struct Counters {
        std::int16_t score1, score2;
        std::int32_t elapsed, snailEnd, ghostEnd;
    };
    // What a handler's rules are judged against: the state before it ran.
    struct State {
        std::int32_t elapsed, snailEnd, ghostEnd;
        std::int16_t score1, score2, baseSpeed;
        bool snailOnShow, ghostOnShow, player1Alive, player2Alive;
        float barTops[3];
    };

    State state() const {
        return {frm_.elapsedSeconds,
                frm_.snailEndTime,
                frm_.ghostEndTime,
                frm_.score1,
                frm_.score2,
                frm_.baseSpeed,
                frm_.fraSnail.visible,
                frm_.fraGhost.visible,
                frm_.player1Alive,
                frm_.player2Alive,
                {frm_.shpLine1.top, frm_.shpLine3.top, frm_.shpLine5.top}};
    }

    void startGame() {
        (twoPlayers_ ? frm_.mnuNewGame2 : frm_.mnuNewGame1).onClick();
        last_ = {};
    }

    // Press a visible ball's direction key toward the gap centre of the bar
    // below, or when losing toward a solid part of that bar.
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
        if (losing_) {
            gapCentre += gapCentre > 6000 ? -3000 : 3000;
        }
        // Go for an item on show when it rides on the bar beneath.
        for (const platform::Frame* item : {&frm_.fraSnail, &frm_.fraGhost}) {
            if (target == &frm_.shpLine1 && item->visible && !losing_) {
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

    void checkAfterGameTick(const State& before) {
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

        // The bars rise by the clock's speed, halved to even while the Snail
        // runs; a bar past -300 comes back at 11700 and rises with the rest.
        const std::int16_t speed =
            before.snailEnd > 0 ? static_cast<std::int16_t>(std::nearbyint(before.baseSpeed / 2.0))
                                : before.baseSpeed;
        ASSERT_EQ(frm_.barSpeed, speed);
        const platform::Shape* lefts[] = {&frm_.shpLine1, &frm_.shpLine3, &frm_.shpLine5};
        for (int bar = 0; bar < 3; ++bar) {
            const bool recycled = before.barTops[bar] < -300;
            barsRecycled += recycled;
            ASSERT_EQ(lefts[bar]->top, (recycled ? 11700.0f : before.barTops[bar]) - speed);
        }

        // A pickup takes an item on show and runs its bonus until the clock
        // reaches pickup + 11; the notice names it.
        auto checkPickup = [&](bool wasOnShow, std::int32_t endBefore, std::int32_t endNow,
                               const platform::Frame& item, const char* notice) {
            if (endNow == endBefore) {
                return false;
            }
            EXPECT_TRUE(wasOnShow && !item.visible && endBefore == 0);
            EXPECT_EQ(endNow, frm_.elapsedSeconds + 11);
            EXPECT_EQ(frm_.lblBonusTime.caption, notice);
            return true;
        };
        snailsCollected += checkPickup(before.snailOnShow, before.snailEnd, frm_.snailEndTime,
                                       frm_.fraSnail, "SNAIL Bonus:  Bars Slow Down!");
        ghostsCollected += checkPickup(before.ghostOnShow, before.ghostEnd, frm_.ghostEndTime,
                                       frm_.fraGhost, "GHOST Bonus:  Drop Through Bars!");
    }

    void checkAfterClockSecond(const State& before) {
        const std::int32_t t = frm_.elapsedSeconds;
        ASSERT_EQ(t, before.elapsed + 1);
        // The bars' speed and the steering steps follow the time of play.
        ASSERT_EQ(frm_.baseSpeed, barSpeedRule(t)) << "t=" << t;
        const std::int16_t step = static_cast<std::int16_t>(std::min(60 + t, 180));
        ASSERT_EQ(std::tuple(frm_.leftStep1, frm_.rightStep1, frm_.leftStep2, frm_.rightStep2),
                  std::tuple(step, step, step, step));
        // A player still in counts the time; an out player's score stands.
        const std::int16_t score = static_cast<std::int16_t>(std::min(t, 32767));
        ASSERT_EQ(frm_.score1, before.player1Alive ? score : before.score1);
        ASSERT_EQ(frm_.score2, before.player2Alive ? score : before.score2);
        ASSERT_EQ(frm_.lblScore.caption, std::to_string(t));
        // The wraparound notice shows from 90 to 94 seconds of play.
        ASSERT_EQ(frm_.lblWrapAround.visible, t >= 90 && t <= 94) << "t=" << t;
        wrapNoticeSeconds += frm_.lblWrapAround.visible;
        // Items come only at the seconds of their own periods; a bonus ends
        // exactly at its end time.
        if (frm_.fraSnail.visible && !before.snailOnShow) {
            ASSERT_TRUE(onSchedule(t, 120, 25)) << "Snail at t=" << t;
        }
        if (frm_.fraGhost.visible && !before.ghostOnShow) {
            ASSERT_TRUE(onSchedule(t, 150, 16)) << "Ghost at t=" << t;
        }
        for (auto [endBefore, endNow] : {std::pair{before.snailEnd, frm_.snailEndTime},
                                         {before.ghostEnd, frm_.ghostEndTime}}) {
            if (endBefore > 0) {
                ASSERT_EQ(endNow, t < endBefore ? endBefore : 0) << "t=" << t;
                bonusesExpired += endNow == 0;
            }
        }
    }

    // A result is shown only for a ball carried past the top, with the score
    // its player reached, over a frozen playfield.
    void checkResult(const platform::headless::HeadlessRuntime::Message& message) {
        if (message.title == "New High Score") {
            return;
        }
        ++resultsShown;
        EXPECT_TRUE(frm_.gamePaused && frm_.gameOverPause && !frm_.tmrTumbrix.enabled() &&
                    !frm_.tmrScoreLevel.enabled());
        const std::int16_t score = static_cast<std::int16_t>(std::min(frm_.elapsedSeconds, 32767));
        if (message.title == "Game Over") {
            EXPECT_FALSE(twoPlayers_);
            EXPECT_LT(frm_.shpDot1.top, 0);
            EXPECT_EQ(message.prompt,
                      frm_.player1Name + "'s Final Score:  " + std::to_string(score));
            return;
        }
        EXPECT_TRUE(twoPlayers_);
        const bool tie = message.title == "Game Over for Both Players";
        const bool player1 = tie || message.title == "Game Over for Player 1";
        const bool player2 = tie || message.title == "Game Over for Player 2";
        ASSERT_TRUE(player1 || player2) << message.title;
        // Each player named was in until this check, so scored the time of
        // play: the first to go out, the survivor, or both in a tie.
        for (auto [named, ball, name] : {std::tuple{player1, &frm_.shpDot1, "Player 1"},
                                         {player2, &frm_.shpDot2, "Player 2"}}) {
            if (named) {
                EXPECT_LT(ball->top, 0) << name;
                EXPECT_NE(message.prompt.find(std::string(name) +
                                              "'s Final Score:  " + std::to_string(score)),
                          std::string::npos)
                    << message.prompt;
            }
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
        last_ = now;
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
    bool losing_ = false;
    Counters last_{};
};

class SimulationTest : public GameFixture {};

TEST_F(SimulationTest, GamesKeepTheRulesOverTenMinutesOfPlay) {
    for (auto [twoPlayers, seed] : {std::pair{false, 7u}, {true, 11u}}) {
        SCOPED_TRACE(twoPlayers ? "2 players" : "1 player");
        startProgram();
        Simulation simulation(runtime, *frm, twoPlayers, seed);
        simulation.run(60000);
        // Every finished game showed its result, and every rule met at least
        // one case to judge.
        EXPECT_GE(simulation.resultsShown, simulation.gamesFinished);
        EXPECT_GT(simulation.gamesFinished, 0);
        EXPECT_GT(simulation.pausedTicks, 0);
        EXPECT_GT(simulation.snailsCollected, 0);
        EXPECT_GT(simulation.ghostsCollected, 0);
        EXPECT_GT(simulation.bonusesExpired, 0);
        EXPECT_GT(simulation.barsRecycled, 0);
        EXPECT_GT(simulation.wrapNoticeSeconds, 0);
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
