#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "chaos/chaos_play.h"

// Long chaos play: hours of it in runs of half an hour, each from a seed of
// its own, alternately mostly 1-player and mostly 2-player games. The test
// suite plays ten hours on every run; the command-line tool plays as long
// as asked, or one seed again.
namespace chaos {

// Every run is half an hour of play, so that a seed always names the same
// run, whatever the length of the soak it was part of.
constexpr std::int64_t kTicksPerRun = 64 * 60 * 30;

struct SoakOptions {
    double hours = 10;
    // The first run's seed, the next ones count up from it; none: a fresh
    // one from the system.
    std::optional<std::uint64_t> firstSeed;
    // Time for shrinking the first broken run's input; later broken runs
    // are only reported.
    double shrinkSeconds = 90;
};

struct SoakFailure {
    std::uint64_t seed = 0;
    std::size_t brokenAt = 0;
    std::string rule;
    // The shortest input found that still breaks the rule, when shrunk.
    std::optional<Input> shortest;
};

struct SoakReport {
    std::int64_t ticks = 0;
    int games = 0;
    RuleWatch::Coverage covered;
    double wallSeconds = 0;
    std::vector<SoakFailure> failures;
};

// Plays the soak, printing a line per run and a summary to `log`.
SoakReport soak(const SoakOptions& options, std::FILE* log);

// A broken run in words: the seed, the rule and, if shrunk, the input as
// C++ ready for a regression test.
std::string explain(const SoakFailure& failure);

}  // namespace chaos
