// Measures what the design buys, beside the old way, in one run: tick
// pacing, CPU, paint time, start-up, memory and headless speed. Each figure
// comes from a fresh process of this program running the real game window
// and tick path, offscreen and, when a display is there, under X.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "child_process.h"
#include "desktop_bench.h"
#include "game_run.h"
#include "platform/desktop/clock/wake_timers.h"

extern char** environ;

namespace {

using bench::Figures;

std::filesystem::path self() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

struct Settings {
    std::string platform;
    // QT_QPA_PLATFORM for the measuring runs.
    std::string qpaPlatform;
    double seconds;
    double pacingSeconds;
};

// An offscreen screen large enough that the window opens at its design size
// also at twice the scale; removed when the bench ends.
class OffscreenScreen {
public:
    OffscreenScreen()
        : path_(std::filesystem::temp_directory_path() /
                ("tumbrix-bench-screen-" + std::to_string(getpid()) + ".json")) {
        std::ofstream(path_) << R"({"screens": [{"name": "Bench", "x": 0, "y": 0, "width": 3840,)"
                             << R"( "height": 2160, "logicalDpi": 96, "dpr": 1}]})";
    }
    ~OffscreenScreen() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    std::string platform() const { return "offscreen:configfile=" + path_.string(); }

private:
    std::filesystem::path path_;
};

Figures measure(const Settings& settings, const std::string& what, bool oldWay,
                std::map<std::string, std::string> env = {}) {
    env["QT_QPA_PLATFORM"] = settings.qpaPlatform;
    // Silent unless a sound server is given.
    env.emplace("SDL_AUDIODRIVER", "dummy");
    const double seconds = what == "pacing" ? settings.pacingSeconds : settings.seconds;
    const long long spawnNs = platform::desktop::monotonicNowNs();
    return bench::parseFigures(
        bench::capture({self().string(), "--run", what, std::to_string(seconds),
                        oldWay ? "old" : "new", std::to_string(spawnNs)},
                       env));
}

// The best of three fresh starts: the least disturbed by the machine.
Figures startup(const Settings& settings, bool oldWay) {
    Figures best;
    for (int run = 0; run < 3; ++run) {
        Figures figures = measure(settings, "startup", oldWay);
        if (best.empty() || figures["startup_ms"] < best["startup_ms"]) {
            best = figures;
        }
    }
    return best;
}

double headlessTicksPerSecond(bool quick) {
    const std::string output = bench::capture(
        {(self().parent_path() / "headless_ticks_bench").string(),
         quick ? "--benchmark_min_time=0.3" : "--benchmark_min_time=3", "--benchmark_format=json"},
        {});
    const std::size_t at = output.find("\"ticks/s\":");
    return at == std::string::npos ? 0.0 : std::stod(output.substr(at + 10));
}

struct Row {
    std::string figure;
    std::function<std::string(bool oldWay)> value;
    std::string how;
};

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void report(const Settings& settings) {
    std::map<bool, std::map<std::string, Figures>> f;
    for (bool oldWay : {false, true}) {
        auto& mine = f[oldWay];
        mine["startup"] = startup(settings, oldWay);
        mine["pacing"] = measure(settings, "pacing", oldWay);
        mine["idle"] = measure(settings, "idle", oldWay);
        mine["paused"] = measure(settings, "paused", oldWay);
        mine["playing"] = measure(settings, "playing", oldWay);
        mine["playing2x"] = measure(settings, "playing", oldWay, {{"QT_SCALE_FACTOR", "2"}});
    }
    const Figures painter1x = measure(settings, "painter", false);
    const Figures painter2x = measure(settings, "painter", false, {{"BENCH_PAINT_SCALE", "2"}});

    auto get = [&f](const char* run, const char* name) {
        return [&f, run, name](bool oldWay) { return f[oldWay][run][name]; };
    };
    auto pacing = [&f](bool oldWay) -> Figures& { return f[oldWay]["pacing"]; };
    const std::vector<Row> rows = {
        {"tick rate (per s)", [&](bool o) { return fixed(get("pacing", "rate")(o), 4); },
         "ticks over the run / wall time (ideal 64)"},
        {"tick lateness p50 / p99 / max (ms)",
         [&](bool o) {
             return fixed(pacing(o)["late_p50_ms"], 2) + " / " +
                    fixed(pacing(o)["late_p99_ms"], 2) + " / " + fixed(pacing(o)["late_max_ms"], 2);
         },
         "each tick's wall time against the 15.625 ms grid"},
        {"dropped ticks",
         [&](bool o) { return o ? std::string("-") : fixed(get("pacing", "dropped")(o), 0); },
         "stalls longer than four ticks"},
        {"CPU idle (% of a core)", [&](bool o) { return fixed(get("idle", "cpu_percent")(o), 2); },
         "process CPU time / wall time, no game"},
        {"CPU paused (%)", [&](bool o) { return fixed(get("paused", "cpu_percent")(o), 2); },
         "the same, a 2-player game paused"},
        {"CPU playing (%)", [&](bool o) { return fixed(get("playing", "cpu_percent")(o), 2); },
         "the same, a 2-player game steered by the autopilot"},
        {"CPU playing at 2x (%)",
         [&](bool o) { return fixed(get("playing2x", "cpu_percent")(o), 2); },
         "the same with QT_SCALE_FACTOR=2"},
        {"paint time per frame, 1x (ms)",
         [&](bool o) { return fixed(get("playing", "paint_ms")(o), 3); },
         "paint events of the game window while playing"},
        {"paint time per frame, 2x (ms)",
         [&](bool o) { return fixed(get("playing2x", "paint_ms")(o), 3); }, "the same at 2x"},
        {"frames painted (per s)",
         [&](bool o) { return fixed(get("playing", "frames_per_s")(o), 1); },
         "paint events of the game window while playing"},
        {"painter allocations per frame",
         [&](bool o) {
             return o ? std::string("-")
                      : fixed(painter1x.at("painter_allocs_median"), 0) + " (mean " +
                            fixed(painter1x.at("painter_allocs_mean"), 2) + ")";
         },
         "counting operator new around whole-frame paints; median, and the mean with the "
         "labels whose captions changed drawn anew"},
        {"painter time per whole frame 1x / 2x (ms)",
         [&](bool o) {
             return o ? "-"
                      : fixed(painter1x.at("painter_ms"), 3) + " / " +
                            fixed(painter2x.at("painter_ms"), 3);
         },
         "the same paints, into an image"},
        {"start-up to first frame (ms)",
         [&](bool o) { return fixed(get("startup", "startup_ms")(o), 1); },
         "spawn to the end of the first paint, best of 3"},
        {"peak memory (MB)", [&](bool o) { return fixed(get("pacing", "peak_mb")(o), 1); },
         "maximum resident set after the pacing run"},
    };
    std::printf("\n%s, game window at its design size (844 x 784 logical pixels):\n",
                settings.platform.c_str());
    std::printf("%-42s %-22s %-22s %s\n", "figure", "this design", "old way", "how measured");
    for (const Row& row : rows) {
        std::printf("%-42s %-22s %-22s %s\n", row.figure.c_str(), row.value(false).c_str(),
                    row.value(true).c_str(), row.how.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 6 && std::strcmp(argv[1], "--run") == 0) {
        return bench::runGame(argc, argv, argv[2], std::stod(argv[3]),
                              std::strcmp(argv[4], "old") == 0, std::stoll(argv[5]));
    }
    const bool quick = argc >= 2 && std::strcmp(argv[1], "--quick") == 0;
    std::printf(
        "Tumbrix benchmarks. The old way: ticks from a plain repeating 16 ms coarse\n"
        "timer (pacing), a wake every tick and the whole window repainted at each\n"
        "(CPU, paint).\n");
    std::printf(
        "\nheadless: %.2f million platform ticks per second (Google Benchmark, 2-player\n"
        "games steered by the autopilot, one after another)\n",
        headlessTicksPerSecond(quick) / 1e6);
    std::vector<std::string> platforms = {"offscreen"};
    if (!quick && std::getenv("DISPLAY") != nullptr) {
        platforms.push_back("xcb");
    }
    const OffscreenScreen screen;
    for (const std::string& platform : platforms) {
        const std::string qpa = platform == "offscreen" ? screen.platform() : platform;
        report(quick ? Settings{platform, qpa, 0.5, 1.0} : Settings{platform, qpa, 5.0, 20.0});
    }
    const Settings offscreen{"offscreen", screen.platform(), 0, 0};
    const bool met = bench::reportDesktop(
        [&offscreen](const std::string& what, double seconds,
                     const std::map<std::string, std::string>& env) {
            Settings settings = offscreen;
            settings.seconds = seconds;
            return measure(settings, what, false, env);
        },
        (self().parent_path() / "tumbrix").string(), quick);
    return met ? 0 : 1;
}
