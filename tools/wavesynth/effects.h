#pragma once

#include "wavesynth/samples.h"

namespace wavesynth {

// A soft, short "boink" of the ball landing on a bar. It plays constantly, so
// it is mellow (sine partials only), quiet, and sounds from its first sample.
Samples renderBallBounce();

// A bright rising arpeggio with a trail of sparkles.
Samples renderBonusCollected();

}  // namespace wavesynth
