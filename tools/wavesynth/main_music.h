#pragma once

#include "wavesynth/samples.h"

namespace wavesynth {

// The in-game tune: a 16-bar chiptune loop at 135 BPM in C major (an A section
// and a B section of eight bars each). The game restarts it as soon as it
// ends, so the buffer is rendered as a circle: the last bar's ringing tails are
// already laid over the first bar and the seam is continuous.
Samples renderMainMusic();

}  // namespace wavesynth
