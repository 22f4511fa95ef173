#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chaos/rule_watch.h"

// Chaos play: a program on the headless host driven by a script of inputs
// (keys with any modifiers, every menu command and button, answers to modal
// windows and boxes, the player switching to another program, the tune's
// end), with a RuleWatch judging every tick. A script is generated from a
// seed by a player who steers like the autopilot and does anything else at
// random; the same script always plays the same game, so a failing one can
// be replayed and shrunk to the few steps that still break the rule.
namespace chaos {

enum class Act : std::uint8_t {
    Wait,         // a: platform ticks
    KeyDown,      // a: key code, b: modifier mask
    KeyUp,        // a: key code, b: modifier mask
    Menu,         // a: Command
    Button,       // a: 1 or 2, the new-game buttons
    Answer,       // closes the modal window or box on show
    FocusLoss,    // the player steps away: another program, a pad pulled out
    MusicEnd,     // the tune reaches its end
    CloseWindow,  // the main window's close button
};

enum class Command : std::uint8_t {
    NewGame1,
    NewGame2,
    Exit,
    Music,
    Sound,
    Focus,
    Shape,
    Trippy,
    Instructions,
    About,
    HighScores,
};

struct Step {
    Act act;
    std::int32_t a = 0;
    std::int16_t b = 0;
    bool operator==(const Step&) const = default;
};

// How the program is set up before the first step: which table is on disk
// and whose name the first run plays under (later runs take the next names).
struct Input {
    int start = 0;
    std::vector<Step> steps;
};

Step wait(std::int32_t ticks);
Step down(std::int16_t key, std::int16_t mask = 0);
Step up(std::int16_t key, std::int16_t mask = 0);
Step menu(Command command);
Step button(int number);
Step answer();
Step focusLoss();
Step musicEnd();
Step closeWindow();

// The input as C++ that builds it, for pasting into a regression test.
std::string describe(const Input& input);

struct Outcome {
    std::optional<std::string> broken;
    // The step that was playing when the rule broke.
    std::size_t brokenAt = 0;
    std::int64_t ticks = 0;
    int games = 0;
    int programRuns = 1;
    // Of the game's state after every tick, for comparing two plays.
    std::uint64_t digest = 0;
    RuleWatch::Coverage coverage;
};

// Plays a script on a fresh program in a fresh folder.
Outcome replay(const Input& input);

struct Generated {
    Input input;
    Outcome outcome;
};
// Plays about `ticks` platform ticks chosen at random from the seed,
// starting more 2-player games than 1-player ones when asked to.
Generated generate(std::uint64_t seed, bool preferTwoPlayers, std::int64_t ticks);

// The shortest input found within the time budget that still breaks the
// same rule: first the prefix up to the failure, then without whatever
// steps it can do without, then with shorter waits.
Input shrink(const Input& failing, const std::string& rule, double budgetSeconds);

}  // namespace chaos
