#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "game/chaos_play.h"
#include "platform/key_codes.h"

namespace {

using namespace chaos;
namespace keys = platform::keys;

std::uint64_t numberFromEnvironment(const char* name, std::uint64_t otherwise) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : otherwise;
}

// Ten hours of play on fresh seeds in every run, in runs of half an hour,
// half of them mostly 1-player and half mostly 2-player games. A broken
// rule is shrunk to the shortest input found and printed, ready to become
// a case below. TUMBRIX_CHAOS_SEED replays one run; TUMBRIX_CHAOS_MINUTES
// plays more or less.
TEST(ChaosTest, HoursOfRandomPlayKeepEveryRuleOnEveryTick) {
    const std::uint64_t only = numberFromEnvironment("TUMBRIX_CHAOS_SEED", 0);
    const double hours =
        double(numberFromEnvironment("TUMBRIX_CHAOS_MINUTES", TUMBRIX_CHAOS_MINUTES)) / 60;
    const int runs = only != 0 ? 1 : std::max(2, int(hours * 2));
    const std::int64_t ticksPerRun = std::int64_t(hours * 3600 * 64 / runs);
    const std::uint64_t firstSeed = only != 0 ? only : std::random_device{}() | 1;

    const auto started = std::chrono::steady_clock::now();
    std::int64_t ticks = 0;
    int games = 0;
    RuleWatch::Coverage covered;
    int shrunk = 0;
    for (int run = 0; run < runs; ++run) {
        const std::uint64_t seed = firstSeed + std::uint64_t(run);
        const bool twoPlayers = seed % 2 == 0;
        const Generated played = generate(seed, twoPlayers, ticksPerRun);
        const Outcome& outcome = played.outcome;
        std::printf(
            "chaos: seed %llu (mostly %d-player games): %.2f h, %d games, %d program runs%s\n",
            static_cast<unsigned long long>(seed), twoPlayers ? 2 : 1,
            double(outcome.ticks) / 64 / 3600, outcome.games, outcome.programRuns,
            outcome.broken ? ", BROKE A RULE" : "");
        ticks += outcome.ticks;
        games += outcome.games;
        covered += outcome.coverage;
        if (outcome.broken && shrunk++ > 0) {
            // One shrinking per run of the suite keeps it short.
            ADD_FAILURE() << "seed " << seed << " broke a rule at step " << outcome.brokenAt << ": "
                          << *outcome.broken << "\nreplay with TUMBRIX_CHAOS_SEED=" << seed;
        } else if (outcome.broken) {
            const Input shortest = shrink(played.input, *outcome.broken, 90);
            ADD_FAILURE() << "seed " << seed << " broke a rule at step " << outcome.brokenAt << ": "
                          << *outcome.broken << "\nshortest input found (" << shortest.steps.size()
                          << " steps):\n"
                          << describe(shortest) << "\nreplay with TUMBRIX_CHAOS_SEED=" << seed;
        }
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "chaos: %.2f hours of virtual play (%.2f h in games, %d games, longest %d s) "
        "in %.1f s\n",
        double(ticks) / 64 / 3600, double(covered.inGameTicks) / 64 / 3600, games,
        covered.longestGame, wall);
    // Every rule met cases to judge.
    if (only == 0) {
        EXPECT_GT(covered.results, 0);
        EXPECT_GT(covered.snailsCollected, 0);
        EXPECT_GT(covered.ghostsCollected, 0);
        EXPECT_GT(covered.bonusesExpired, 0);
        EXPECT_GT(covered.barsRecycled, 0);
        EXPECT_GT(covered.wrapNoticeSeconds, 0);
        EXPECT_GT(covered.pausedTicks, 0);
        EXPECT_GT(covered.tablesWritten, 0);
        EXPECT_GT(covered.longestGame, 360);
    }
}

// Inputs that broke a rule once, as the search shrank them; steps with no
// wait between them arrive while a new game processes its pending events.
TEST(ChaosTest, ShrunkCasesOfEarlierFaultsKeepEveryRule) {
    const Input cases[] = {
        // The other new-game command among a new game's pending events: the
        // earlier game went on with the later one's names and labels.
        {11, {menu(Command::NewGame2), menu(Command::NewGame1), wait(64)}},
        {0, {button(1), menu(Command::NewGame2), wait(64)}},
        // A pause among them: the game ran on behind the pause screen.
        {21, {menu(Command::NewGame1), focusLoss(), wait(64)}},
        {23, {button(2), down(keys::kEscape), wait(64)}},
        {22, {menu(Command::NewGame2), menu(Command::Instructions), wait(64), answer(), wait(64)}},
    };
    for (const Input& input : cases) {
        EXPECT_EQ(replay(input).broken, std::nullopt) << describe(input);
    }
}

TEST(ChaosTest, TheSameInputPlaysTheSameGameAtEveryTick) {
    for (bool twoPlayers : {false, true}) {
        const Generated played = generate(99, twoPlayers, 64 * 600);
        const Outcome again = replay(played.input);
        EXPECT_EQ(std::tuple(again.digest, again.ticks, again.games, again.programRuns),
                  std::tuple(played.outcome.digest, played.outcome.ticks, played.outcome.games,
                             played.outcome.programRuns));
    }
}

}  // namespace
