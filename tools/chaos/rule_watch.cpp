#include "chaos/rule_watch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "platform/numeric.h"

namespace chaos {

namespace {

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

std::int16_t scoreAt(std::int32_t t) {
    return static_cast<std::int16_t>(std::min(t, 32767));
}

std::string at(std::int32_t t) {
    return " (t=" + std::to_string(t) + ")";
}

}  // namespace

RuleWatch::RuleWatch(std::filesystem::path table) : table_(std::move(table)) {}

void RuleWatch::attach(game::FrmTumbrix& frm) {
    frm_ = &frm;
    auto tick = frm.tmrTumbrix.onTimer;
    frm.tmrTumbrix.onTimer = [this, tick] {
        const Before was = before();
        tick();
        afterGameTick(was);
    };
    auto second = frm.tmrScoreLevel.onTimer;
    frm.tmrScoreLevel.onTimer = [this, second] {
        const Before was = before();
        second();
        afterClockSecond(was);
    };
    newGame();
}

void RuleWatch::newGame() {
    lastScore1_ = lastScore2_ = 0;
    lastElapsed_ = 0;
    lastPaused_ = false;
}

void RuleWatch::fail(const std::string& rule) {
    if (!broken_) {
        broken_ = rule;
    }
}

RuleWatch::Before RuleWatch::before() const {
    const game::FrmTumbrix& frm = *frm_;
    return {frm.elapsedSeconds,
            frm.snailEndTime,
            frm.ghostEndTime,
            frm.score1,
            frm.score2,
            frm.baseSpeed,
            frm.fraSnail.visible,
            frm.fraGhost.visible,
            frm.player1Alive,
            frm.player2Alive,
            {frm.shpLine1.top, frm.shpLine3.top, frm.shpLine5.top}};
}

void RuleWatch::checkTick() {
    if (broken_) {
        return;
    }
    checkBars();
    checkMode();
    checkTimers();
    checkScores();
    checkTable();
}

RuleWatch::Coverage& RuleWatch::Coverage::operator+=(const Coverage& more) {
    results += more.results;
    pausedTicks += more.pausedTicks;
    snailsCollected += more.snailsCollected;
    ghostsCollected += more.ghostsCollected;
    bonusesExpired += more.bonusesExpired;
    barsRecycled += more.barsRecycled;
    wrapNoticeSeconds += more.wrapNoticeSeconds;
    tablesWritten += more.tablesWritten;
    inGameTicks += more.inGameTicks;
    longestGame = std::max(longestGame, more.longestGame);
    return *this;
}

void RuleWatch::countTick() {
    const game::FrmTumbrix& frm = *frm_;
    coverage.pausedTicks += frm.gameInProgress && frm.gamePaused;
    coverage.inGameTicks += frm.gameInProgress && !frm.gamePaused;
    coverage.longestGame = std::max(coverage.longestGame, frm.elapsedSeconds);
}

// Each bar keeps its 1500-twip gap: the right half follows the left, and
// together they always span the playfield.
void RuleWatch::checkBars() {
    const game::FrmTumbrix& frm = *frm_;
    using Halves = std::pair<const platform::Shape*, const platform::Shape*>;
    for (auto [left, right] :
         {Halves{&frm.shpLine1, &frm.shpLine2}, Halves{&frm.shpLine3, &frm.shpLine4},
          Halves{&frm.shpLine5, &frm.shpLine6}}) {
        if (right->top != left->top || right->left != left->left + left->width + 1500 ||
            !(left->left < 0) || !(right->left + right->width > 12660)) {
            fail(right->name + " does not follow " + left->name + " with a 1500-twip gap");
        }
    }
}

// A running game is one kind throughout: in a 1-player game the player's
// own name and no score labels, in a 2-player game "Player 1" and both.
void RuleWatch::checkMode() {
    const game::FrmTumbrix& frm = *frm_;
    if (!frm.gameInProgress || frm.gamePaused) {
        return;
    }
    const bool two = frm.twoPlayerGame;
    if (frm.player1Name != (two ? "Player 1" : frm.userName) || frm.lblScore1.visible != two ||
        frm.lblScore2.visible != two) {
        fail(std::string("a ") + (two ? "2" : "1") + "-player game with the other kind's names");
    }
}

// Running, the tick and the clock turn; paused or with a result on show,
// no game timer does; idle, none at all. A player never rolls both ways.
void RuleWatch::checkTimers() {
    const game::FrmTumbrix& frm = *frm_;
    const bool steering = frm.tmrMoveLeft1.enabled() || frm.tmrMoveRight1.enabled() ||
                          frm.tmrMoveLeft2.enabled() || frm.tmrMoveRight2.enabled();
    const bool clock = frm.tmrTumbrix.enabled() || frm.tmrScoreLevel.enabled();
    if (!frm.gameInProgress) {
        if (steering || clock || frm.tmrBonusTime.enabled() || frm.gamePaused ||
            frm.gameOverPause) {
            fail("a game timer or pause is left on between games");
        }
    } else if (frm.gamePaused) {
        if (steering || clock) {
            fail(frm.gameOverPause ? "the game moves while its result is on show"
                                   : "the game moves while paused");
        }
    } else {
        if (!frm.tmrTumbrix.enabled() || !frm.tmrScoreLevel.enabled() || frm.gameOverPause) {
            fail("a running game's tick or clock is off");
        }
        for (const platform::Shape* ball : {&frm.shpDot1, &frm.shpDot2}) {
            if (ball->left < 0 || ball->left > 12045) {
                fail(ball->name + " has left the playfield sideways");
            }
        }
    }
    if ((frm.tmrMoveLeft1.enabled() && frm.tmrMoveRight1.enabled()) ||
        (frm.tmrMoveLeft2.enabled() && frm.tmrMoveRight2.enabled())) {
        fail("a ball rolls both ways at once");
    }
    if (frm.tmrTrippyMode.enabled() != frm.mnuTrippy.checked) {
        fail("the colour timer disagrees with the Trippy check mark");
    }
    // Only one bonus is ever out of idle.
    if ((frm.snailShown || frm.snailEndTime > 0) + (frm.ghostShown || frm.ghostEndTime > 0) > 1) {
        fail("two bonuses are out of idle" + at(frm.elapsedSeconds));
    }
}

// Within a game the scores never fall and never pass the seconds played;
// paused time does not count.
void RuleWatch::checkScores() {
    const game::FrmTumbrix& frm = *frm_;
    if (!frm.gameInProgress) {
        return;
    }
    if (frm.score1 < lastScore1_ || frm.score2 < lastScore2_) {
        fail("a score fell within a game" + at(frm.elapsedSeconds));
    }
    const std::int16_t most = scoreAt(frm.elapsedSeconds);
    if (frm.score1 > most || frm.score2 > most) {
        fail("a score is above the seconds played" + at(frm.elapsedSeconds));
    }
    if (frm.gamePaused && lastPaused_ && frm.elapsedSeconds != lastElapsed_) {
        fail("paused time counted" + at(frm.elapsedSeconds));
    }
    lastScore1_ = frm.score1;
    lastScore2_ = frm.score2;
    lastElapsed_ = frm.elapsedSeconds;
    lastPaused_ = frm.gamePaused;
}

// The table on disk, when the game has written it, is 32 quoted lines with
// CR LF, scores from best to worst, and no name twice that was not twice
// before. Start-up leaves an empty file where there was none. Nothing else
// is left beside it. Judged again whenever the file changes on disk.
void RuleWatch::checkTable() {
    struct stat info {};
    if (::stat(table_.c_str(), &info) != 0) {
        lastTable_ = {};
        return;
    }
    const TableState now{static_cast<std::uint64_t>(info.st_ino),
                         static_cast<std::uint64_t>(info.st_size),
                         info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec,
                         info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec};
    if (now == lastTable_) {
        return;
    }
    lastTable_ = now;
    std::ifstream in(table_, std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    const std::string content = read.str();
    for (const auto& entry : std::filesystem::directory_iterator(table_.parent_path())) {
        if (entry.path() != table_) {
            fail("the game left " + entry.path().filename().string() + " beside the table");
        }
    }
    if (content.empty()) {
        return;
    }
    ++coverage.tablesWritten;
    std::vector<std::string> fields;
    for (std::size_t start = 0; start < content.size();) {
        const std::size_t end = content.find("\r\n", start);
        const std::string line =
            content.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos || line.size() < 2 || line.front() != '"' ||
            line.back() != '"' || line.find_first_of("\"\r\n", 1) != line.size() - 1) {
            fail("the table has a line that is not one quoted field ended by CR LF");
            return;
        }
        fields.push_back(line.substr(1, line.size() - 2));
        start = end + 2;
    }
    if (fields.size() != 32) {
        fail("the table has " + std::to_string(fields.size()) + " lines, not 32");
        return;
    }
    std::map<std::string, int> names;
    for (std::size_t i = 0; i < 32; i += 2) {
        if (!fields[i].empty()) {
            ++names[fields[i]];
        }
        if (i > 0 &&
            platform::leadingNumber(fields[i - 1]) < platform::leadingNumber(fields[i + 1])) {
            fail("the table's scores rise at entry " + std::to_string(i / 2 + 1));
        }
    }
    std::set<std::string> twice;
    for (const auto& [name, count] : names) {
        if (count > 1) {
            twice.insert(name);
            if (!twiceBefore_.contains(name)) {
                fail("the table holds a name twice: " + name.substr(0, 40));
            }
        }
    }
    twiceBefore_ = twice;
}

// No visible ball is left with a half's top edge inside it: it rests exactly
// on top, or it is clear.
void RuleWatch::checkResting(const platform::Shape& ball) {
    const game::FrmTumbrix& frm = *frm_;
    if (!ball.visible || frm.ghostEndTime > 0) {
        return;
    }
    for (const platform::Shape* half : {&frm.shpLine1, &frm.shpLine2, &frm.shpLine3, &frm.shpLine4,
                                        &frm.shpLine5, &frm.shpLine6}) {
        if (ball.left < half->left + half->width && ball.left + ball.width > half->left &&
            half->top - ball.height < ball.top && ball.top < half->top) {
            fail(ball.name + " sunk into " + half->name + at(frm.elapsedSeconds));
        }
    }
}

void RuleWatch::afterGameTick(const Before& was) {
    const game::FrmTumbrix& frm = *frm_;
    checkBars();
    if (!frm.gameInProgress) {
        return;  // the tick ended the game and reset the playfield
    }
    checkResting(frm.shpDot1);
    // The near-tie rule may lift ball 2 to ball 1's height.
    if (frm.shpDot2.top != frm.shpDot1.top) {
        checkResting(frm.shpDot2);
    }

    // The bars rise by the clock's speed, halved to even while the Snail
    // runs; a bar past -300 comes back at 11700 and rises with the rest.
    const std::int16_t speed = was.snailEnd > 0
                                   ? static_cast<std::int16_t>(std::nearbyint(was.baseSpeed / 2.0))
                                   : was.baseSpeed;
    if (frm.barSpeed != speed) {
        fail("the bars rise at " + std::to_string(frm.barSpeed) + " instead of " +
             std::to_string(speed) + at(frm.elapsedSeconds));
    }
    const platform::Shape* lefts[] = {&frm.shpLine1, &frm.shpLine3, &frm.shpLine5};
    for (int bar = 0; bar < 3; ++bar) {
        const bool recycled = was.barTops[bar] < -300;
        coverage.barsRecycled += recycled;
        if (lefts[bar]->top != (recycled ? 11700.0f : was.barTops[bar]) - speed) {
            fail(lefts[bar]->name + " did not rise by the bar speed" + at(frm.elapsedSeconds));
        }
    }

    // A pickup takes an item on show and runs its bonus until the clock
    // reaches pickup + 11; the notice names it.
    auto pickedUp = [&](bool wasOnShow, std::int32_t endBefore, std::int32_t endNow,
                        const platform::Frame& item, const char* notice) {
        if (endNow == endBefore) {
            return false;
        }
        if (!(wasOnShow && !item.visible && endBefore == 0) || endNow != frm.elapsedSeconds + 11 ||
            frm.lblBonusTime.caption != notice) {
            fail(item.name + " was collected against the rules" + at(frm.elapsedSeconds));
        }
        return true;
    };
    coverage.snailsCollected += pickedUp(was.snailOnShow, was.snailEnd, frm.snailEndTime,
                                         frm.fraSnail, "SNAIL Bonus:  Bars Slow Down!");
    coverage.ghostsCollected += pickedUp(was.ghostOnShow, was.ghostEnd, frm.ghostEndTime,
                                         frm.fraGhost, "GHOST Bonus:  Drop Through Bars!");
}

void RuleWatch::afterClockSecond(const Before& was) {
    const game::FrmTumbrix& frm = *frm_;
    const std::int32_t t = frm.elapsedSeconds;
    if (t != was.elapsed + 1) {
        fail("the clock did not count one second" + at(t));
    }
    // The bars' speed and the steering steps follow the time of play.
    const std::int16_t step = static_cast<std::int16_t>(std::min(60 + t, 180));
    if (frm.baseSpeed != barSpeedRule(t) || frm.leftStep1 != step || frm.rightStep1 != step ||
        frm.leftStep2 != step || frm.rightStep2 != step) {
        fail("the speeds do not follow the time of play" + at(t));
    }
    // A player still in counts the time; an out player's score stands.
    if (frm.score1 != (was.player1Alive ? scoreAt(t) : was.score1) ||
        frm.score2 != (was.player2Alive ? scoreAt(t) : was.score2) ||
        frm.lblScore.caption != std::to_string(t)) {
        fail("the scores do not follow the clock" + at(t));
    }
    // The wraparound notice shows from 90 to 94 seconds of play.
    if (frm.lblWrapAround.visible != (t >= 90 && t <= 94)) {
        fail("the wraparound notice is wrong" + at(t));
    }
    coverage.wrapNoticeSeconds += frm.lblWrapAround.visible;
    // Items come only at the seconds of their own periods; a bonus ends
    // exactly at its end time.
    if ((frm.fraSnail.visible && !was.snailOnShow && !onSchedule(t, 120, 25)) ||
        (frm.fraGhost.visible && !was.ghostOnShow && !onSchedule(t, 150, 16))) {
        fail("an item came off its schedule" + at(t));
    }
    for (auto [endBefore, endNow] :
         {std::pair{was.snailEnd, frm.snailEndTime}, {was.ghostEnd, frm.ghostEndTime}}) {
        if (endBefore > 0) {
            if (endNow != (t < endBefore ? endBefore : 0)) {
                fail("a bonus did not end at its end time" + at(t));
            }
            coverage.bonusesExpired += endNow == 0;
        }
    }
}

// A result is shown only for a ball carried past the top, with the score
// its player reached, over a frozen playfield.
void RuleWatch::checkMessage(const platform::headless::HeadlessRuntime::Message& message) {
    const game::FrmTumbrix& frm = *frm_;
    if (message.title == " About Tumbrix") {
        return;
    }
    if (message.title == "New High Score") {
        if (!frm.gameInProgress || frm.twoPlayerGame) {
            fail("a new high score announced outside a 1-player game");
        }
        return;
    }
    ++coverage.results;
    if (!(frm.gamePaused && frm.gameOverPause && !frm.tmrTumbrix.enabled() &&
          !frm.tmrScoreLevel.enabled())) {
        fail("a result shows over a game that is not frozen");
    }
    const std::string score = std::to_string(scoreAt(frm.elapsedSeconds));
    if (message.title == "Game Over") {
        if (frm.twoPlayerGame || !(frm.shpDot1.top < 0) ||
            message.prompt != frm.player1Name + "'s Final Score:  " + score) {
            fail("a wrong 1-player result: " + message.prompt.substr(0, 80));
        }
        return;
    }
    const bool tie = message.title == "Game Over for Both Players";
    const bool player1 = tie || message.title == "Game Over for Player 1";
    const bool player2 = tie || message.title == "Game Over for Player 2";
    if (!frm.twoPlayerGame || !(player1 || player2)) {
        fail("an unexpected message: " + message.title);
        return;
    }
    // Each player named was in until this check, so scored the time of
    // play: the first to go out, the survivor, or both in a tie.
    for (auto [named, ball, name] :
         {std::tuple{player1, &frm.shpDot1, "Player 1"}, {player2, &frm.shpDot2, "Player 2"}}) {
        if (named && (!(ball->top < 0) ||
                      message.prompt.find(std::string(name) + "'s Final Score:  " + score) ==
                          std::string::npos)) {
            fail("a wrong 2-player result: " + message.prompt);
        }
    }
}

}  // namespace chaos
