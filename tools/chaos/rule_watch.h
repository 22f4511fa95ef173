#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "game/frm_tumbrix.h"
#include "platform/headless/headless_runtime.h"

namespace chaos {

// Watches a main window on the headless host and judges, on every tick and
// at every result, the rules that hold whatever the players do: bars and
// their gaps, resting balls, speeds, the clock, bonuses, timers against the
// game's state, scores, results, and the high-score file on disk. The first
// broken rule is kept as a sentence; nothing is asserted here, so that a
// caller may replay and shrink the input that broke it.
class RuleWatch {
public:
    explicit RuleWatch(std::filesystem::path table);

    // Watches this window from now on: wraps its game tick and its clock.
    void attach(game::FrmTumbrix& frm);
    // A new game is being started: its scores count from 0.
    void newGame();
    // After every platform tick, wherever it ran, and between two inputs.
    void checkTick();
    // The high-score file alone, as a program that has ended left it.
    void checkTable();
    // Counts a platform tick by what the game was doing.
    void countTick();
    // A message box is on show.
    void checkMessage(const platform::headless::HeadlessRuntime::Message& message);

    const std::optional<std::string>& broken() const { return broken_; }

    // How often each rule met a case to judge, so that a run that never
    // reaches one cannot pass by saying nothing.
    struct Coverage {
        int results = 0;
        int pausedTicks = 0;
        int snailsCollected = 0;
        int ghostsCollected = 0;
        int bonusesExpired = 0;
        int barsRecycled = 0;
        int wrapNoticeSeconds = 0;
        int tablesWritten = 0;
        std::int64_t inGameTicks = 0;
        std::int32_t longestGame = 0;

        Coverage& operator+=(const Coverage& more);
    } coverage;

private:
    // What a handler's rules are judged against: the state before it ran.
    struct Before {
        std::int32_t elapsed, snailEnd, ghostEnd;
        std::int16_t score1, score2, baseSpeed;
        bool snailOnShow, ghostOnShow, player1Alive, player2Alive;
        float barTops[3];
    };
    // The file as last judged: its identity on disk and what it allowed.
    struct TableState {
        std::uint64_t inode = 0, size = 0;
        std::int64_t modifiedNs = 0, changedNs = 0;
        bool operator==(const TableState&) const = default;
    };

    Before before() const;
    void fail(const std::string& rule);
    void checkBars();
    void checkMode();
    void checkResting(const platform::Shape& ball);
    void checkTimers();
    void checkScores();
    void afterGameTick(const Before& before);
    void afterClockSecond(const Before& before);

    std::filesystem::path table_;
    game::FrmTumbrix* frm_ = nullptr;
    std::optional<std::string> broken_;
    // The scores and clock as the last check of this game saw them.
    std::int16_t lastScore1_ = 0, lastScore2_ = 0;
    std::int32_t lastElapsed_ = 0;
    bool lastPaused_ = false;
    TableState lastTable_;
    // Names the file held twice: a new version may only keep these twice.
    std::set<std::string> twiceBefore_;
};

}  // namespace chaos
