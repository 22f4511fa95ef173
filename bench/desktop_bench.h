#pragma once

#include <functional>
#include <map>
#include <string>

#include "bench_figures.h"

namespace bench {

// Runs the game in a fresh process: what to measure, for how long, with
// which extra environment.
using Measure = std::function<Figures(const std::string& what, double seconds,
                                      const std::map<std::string, std::string>& env)>;

// The real program on a desktop's services: CPU and sink state with the
// game on a private PulseAudio server, the latency of an effect heard at
// the server, and the start-up to the window on an X screen. Prints its
// table; false when a latency misses its bound. Without pulseaudio the
// server's rows are skipped, saying why.
bool reportDesktop(const Measure& measure, const std::string& program, bool quick);

}  // namespace bench
