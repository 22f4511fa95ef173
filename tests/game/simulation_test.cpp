#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "chaos/chaos_play.h"
#include "chaos/soak.h"
#include "platform/key_codes.h"

namespace {

using namespace chaos;
namespace keys = platform::keys;

std::uint64_t numberFromEnvironment(const char* name, std::uint64_t otherwise) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : otherwise;
}

// Ten hours of play on fresh seeds in every run of the suite. A broken rule
// is shrunk to the shortest input found and printed, ready to become a case
// below. TUMBRIX_CHAOS_SEED plays one run again; TUMBRIX_CHAOS_MINUTES plays
// more or less; the chaos tool plays longer soaks.
TEST(ChaosTest, HoursOfRandomPlayKeepEveryRuleOnEveryTick) {
    SoakOptions options;
    const std::uint64_t only = numberFromEnvironment("TUMBRIX_CHAOS_SEED", 0);
    if (only != 0) {
        options.firstSeed = only;
        options.hours = 0.5;
    } else {
        options.hours =
            double(numberFromEnvironment("TUMBRIX_CHAOS_MINUTES", TUMBRIX_CHAOS_MINUTES)) / 60;
    }
    const SoakReport report = soak(options, stdout);
    for (const SoakFailure& failure : report.failures) {
        ADD_FAILURE() << explain(failure) << "\nreplay with TUMBRIX_CHAOS_SEED=" << failure.seed;
    }
    // Every rule met cases to judge.
    if (only == 0) {
        const RuleWatch::Coverage& covered = report.covered;
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
