// How many platform ticks a second the game logic runs on the headless host:
// 2-player games steered by the autopilot, a new one whenever one ends.
#include <benchmark/benchmark.h>

#include "autopilot/autopilot.h"
#include "game/frm_tumbrix.h"
#include "platform/headless/headless_runtime.h"

namespace {

void HeadlessTwoPlayerGames(benchmark::State& state) {
    platform::headless::HeadlessRuntime runtime;
    runtime.env["LOGIN"] = "bench";
    game::FrmTumbrix frm(runtime);
    runtime.loadForm(frm);
    autopilot::Autopilot pilot(frm, [&frm](std::int16_t key, bool down) {
        down ? frm.keyDown(key, 0) : frm.keyUp(key, 0);
    });
    std::int64_t games = 0;
    for (auto _ : state) {
        if (!frm.gameInProgress) {
            frm.mnuNewGame2_Click();
            ++games;
        }
        pilot.steer();
        runtime.advanceTicks(1);
        // What the host records is not the game's cost.
        if (runtime.log.size() > 4096) {
            runtime.log.clear();
            runtime.messages.clear();
        }
    }
    state.counters["ticks/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["games"] = double(games);
}
BENCHMARK(HeadlessTwoPlayerGames)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
