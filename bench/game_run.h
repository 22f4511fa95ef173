#pragma once

#include <string>

namespace bench {

// One measuring run of the real game window in this process, printed as a
// figures line: what is "idle", "paused", "playing", "pacing", "startup" or
// "painter"; oldWay switches to the design this one replaced (a 16 ms
// coarse timer, a wake every tick, a full repaint every wake).
int runGame(int argc, char** argv, const std::string& what, double seconds, bool oldWay,
            long long spawnNs);

}  // namespace bench
