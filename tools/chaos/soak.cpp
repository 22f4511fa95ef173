#include "chaos/soak.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <sstream>

namespace chaos {

SoakReport soak(const SoakOptions& options, std::FILE* log) {
    const int runs = std::max(1, static_cast<int>(std::lround(options.hours * 2)));
    // Odd, so that the two kinds of run alternate from the first.
    const std::uint64_t firstSeed = options.firstSeed.value_or(std::random_device{}() | 1);

    const auto started = std::chrono::steady_clock::now();
    SoakReport report;
    for (int run = 0; run < runs; ++run) {
        const std::uint64_t seed = firstSeed + static_cast<std::uint64_t>(run);
        const bool twoPlayers = seed % 2 == 0;
        const Generated played = generate(seed, twoPlayers, kTicksPerRun);
        const Outcome& outcome = played.outcome;
        std::fprintf(
            log, "chaos: seed %llu (mostly %d-player games): %.2f h, %d games, %d program runs%s\n",
            static_cast<unsigned long long>(seed), twoPlayers ? 2 : 1,
            double(outcome.ticks) / 64 / 3600, outcome.games, outcome.programRuns,
            outcome.broken ? ", BROKE A RULE" : "");
        std::fflush(log);
        report.ticks += outcome.ticks;
        report.games += outcome.games;
        report.covered += outcome.coverage;
        if (outcome.broken) {
            SoakFailure failure{seed, outcome.brokenAt, *outcome.broken, std::nullopt};
            if (report.failures.empty()) {
                failure.shortest = shrink(played.input, failure.rule, options.shrinkSeconds);
            }
            report.failures.push_back(std::move(failure));
        }
    }
    report.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(log,
                 "chaos: %.2f hours of virtual play (%.2f h in games, %d games, longest %d s) "
                 "in %.1f s\n",
                 double(report.ticks) / 64 / 3600, double(report.covered.inGameTicks) / 64 / 3600,
                 report.games, report.covered.longestGame, report.wallSeconds);
    return report;
}

std::string explain(const SoakFailure& failure) {
    std::ostringstream text;
    text << "seed " << failure.seed << " broke a rule at step " << failure.brokenAt << ": "
         << failure.rule;
    if (failure.shortest) {
        text << "\nshortest input found (" << failure.shortest->steps.size() << " steps):\n"
             << describe(*failure.shortest);
    }
    return text.str();
}

}  // namespace chaos
